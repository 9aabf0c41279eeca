#pragma once

// Copies a file's bytes so that the destination only ever holds its old
// content or the complete new one: the bytes go to a hidden temporary file
// beside the destination, which is then renamed over it.

#include <string>

// 0 only when every byte arrived, else the errno of what failed. A failure
// prints one line on standard output, "<path>: <reason>", naming the file
// that failed and the system's reason.
int copyFileAtomically(const std::string& source, const std::string& destination);

// Prints "<path>: <reason>" for an errno on standard output.
void reportPathError(const std::string& path, int error);

// Copies everything from `from` (read from its current offset) to `to`.
// On failure sets errno and tells which side failed through `readFailed`.
bool copyAllBytes(int from, int to, bool& readFailed);
