#pragma once

// Every name Qt hands the importer (the URLs of a drop, the program's
// arguments, and so the paths a later start hands over) becomes a local path
// here, once; the rest of the program takes paths only.

#include <string>
#include <string_view>
#include <vector>

// Replaces every "%" followed by two hexadecimal digits with the byte they
// stand for. Every other byte, a "%" without two hexadecimal digits included,
// is kept as it is, so paths with any bytes (UTF-8 names too) come through.
std::string percentDecode(std::string_view text);

// The local path a handed-over name stands for: percent-decoded once, then a
// local file URL ("file:///..." or "file://localhost/...") read as its path.
// Any other name stays as it decoded: a plain path, or text that names no
// file, such as another host's URL.
std::string localPathOf(std::string_view name);

// localPathOf each name, in order.
std::vector<std::string> localPathsOf(std::vector<std::string> names);
