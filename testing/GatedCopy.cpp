#include "testing/GatedCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "fsutil/UniqueFd.h"

namespace testing_support {

GatedCopy::GatedCopy(const ScratchDir& dir)
    : log_(dir.path("cp.log")), gate_(dir.path("gate")), path_(std::getenv("PATH")) {
    mkfifo(gate_.c_str(), 0600);
    // The script's last word is the destination, the one before it the source.
    const std::string script = dir.writeFile(
        "bin/cp", "#!/bin/sh\nfor arg; do SOURCE=$DESTINATION; DESTINATION=$arg; done\n"
                  "echo \"$SOURCE\" >>'" + log_ + "'\n"
                  "case \"$SOURCE\" in */Gated) read line <'" + gate_ + "';; esac\n"
                  "PATH='" + path_ + "' exec cp \"$@\"\n");
    chmod(script.c_str(), 0755);
    setenv("PATH", (dir.path("bin") + ":" + path_).c_str(), 1);
}

GatedCopy::~GatedCopy() {
    openGate(0);
    setenv("PATH", path_.c_str(), 1);
}

bool GatedCopy::openGate(int patienceMs) {
    // Opening without waiting succeeds only once the held copy reads the gate.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
    for (;;) {
        const UniqueFd writer(open(gate_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (writer) return write(writer.get(), "\n", 1) == 1;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace testing_support
