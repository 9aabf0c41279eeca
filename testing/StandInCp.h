#pragma once

// Stand-in `cp` commands first on PATH, so that a test, or a picture of the
// window, can act while an install surely copies.

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "testing/ScratchDir.h"

namespace testing_support {

// A `cp` that runs `scriptLines` (with $SOURCE, $DESTINATION) first; the PATH that finds it.
inline std::string writeStandInCp(const ScratchDir& dir, const std::string& scriptLines) {
    const std::string script = dir.writeFile(
        "bin/cp", "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n" +
                      scriptLines + "\nPATH=${PATH#*:}\nexec cp \"$@\"\n");
    chmod(script.c_str(), 0755);
    const char* path = std::getenv("PATH");
    return dir.path("bin") + ":" + (path ? path : "/usr/bin:/bin");
}

}  // namespace testing_support
