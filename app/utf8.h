#pragma once

#include <string_view>

// True when the bytes are well-formed UTF-8: no stray continuation bytes, no
// truncated, overlong or surrogate sequences, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);
