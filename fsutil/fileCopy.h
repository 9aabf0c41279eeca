#pragma once

// Copies a file's bytes so that the destination only ever holds its old
// content or the complete new one: the bytes go to a hidden temporary file
// beside the destination, which is then renamed over it. Holes stay holes,
// as with `cp --sparse=auto`.

#include <cstdint>
#include <functional>
#include <string>

// What the caller may do during a copy; both optional, called between chunks
// of a few megabytes on the calling thread.
struct FileCopyHooks {
    // True stops the copy: it fails with ECANCELED and prints nothing.
    std::function<bool()> cancelled;
    // How far into the file the copy has come, in bytes (holes included).
    std::function<void(std::uint64_t)> progress;
};

// 0 only when every byte arrived, else the errno of what failed. A failure
// other than a cancel prints one line on standard output, "<path>: <reason>",
// naming the file that failed and the system's reason.
int copyFileAtomically(const std::string& source, const std::string& destination,
                       const FileCopyHooks& hooks = {});

// Copies the whole of the open regular file `from` into the open file `to`,
// at the same offsets, holes kept. 0 or the errno; prints nothing.
int copyFileBytes(int from, int to, const FileCopyHooks& hooks = {});

// Prints "<path>: <reason>" for an errno on standard output.
void reportPathError(const std::string& path, int error);
