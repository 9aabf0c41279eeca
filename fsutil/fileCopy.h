#pragma once

// Copies a file's bytes so that the destination only ever holds its old
// content or the complete new one: the bytes go to a hidden temporary file
// beside the destination, which is then renamed over it.

#include <string>

// True only when every byte arrived. Failures print one line on standard
// output: "<path>: No such file or directory" when a file can't be opened,
// "<path>: <reason>" for a read, write or close error.
bool copyFileAtomically(const std::string& source, const std::string& destination);

// Copies everything from `from` (read from its current offset) to `to`.
// On failure sets errno and tells which side failed through `readFailed`.
bool copyAllBytes(int from, int to, bool& readFailed);
