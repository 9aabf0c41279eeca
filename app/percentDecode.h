#pragma once

#include <string>
#include <string_view>

// Replaces every "%" followed by two hexadecimal digits with the byte they
// stand for. Every other byte, a "%" without two hexadecimal digits included,
// is kept as it is, so paths with any bytes (UTF-8 names too) come through.
std::string percentDecode(std::string_view text);
