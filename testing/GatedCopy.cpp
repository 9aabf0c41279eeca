#include "testing/GatedCopy.h"

#include <sys/stat.h>

#include <cstdlib>

namespace testing_support {

GatedCopy::GatedCopy(const ScratchDir& dir)
    : log_(dir.path("cp.log")), gate_(dir.path("gate")), path_(std::getenv("PATH")) {
    // The script's last word is the destination, the one before it the source.
    const std::string script =
        dir.writeFile("bin/cp",
                      "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n"
                      "echo \"$SOURCE\" >>'" +
                          log_ +
                          "'\n"
                          "case \"$SOURCE\" in */Gated) until [ -e '" +
                          gate_ +
                          "' ]; do sleep 0.01; done;; esac\n"
                          "PATH='" +
                          path_ + "' exec cp \"$@\"\n");
    chmod(script.c_str(), 0755);
    setenv("PATH", (dir.path("bin") + ":" + path_).c_str(), 1);
}

GatedCopy::~GatedCopy() {
    openGate();
    setenv("PATH", path_.c_str(), 1);
}

}  // namespace testing_support
