#pragma once

// Archives are recognised by the extension of their file name alone.

#include <string>

// True when the file name ends (ASCII case-insensitively) in one of .zip .tar
// .tar.gz .tgz .tar.bz2 .tbz2 .tar.xz .txz .tar.zst
bool isArchiveName(const std::string& path);
// The archive's file name without that extension: ".../Echo.tar.gz" -> "Echo".
std::string archiveStem(const std::string& path);
