#include "library/runCopy.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

bool copyTreeWithCp(const std::string& source, const std::string& destination) {
    std::string command = "cp", recursive = "-R", followSource = "-H", endOfOptions = "--";
    std::string from = source, to = destination;
    char* const argv[] = {
        command.data(), recursive.data(), followSource.data(), endOfOptions.data(), from.data(),
        to.data(),      nullptr};
    // cp shares our standard output; what we printed must come out first.
    std::cout.flush();
    std::fflush(stdout);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // Should this process die mid-copy, cp dies with it: left running, it
        // would go on writing into the staging folder while the next install
        // of the same name clears and fills it. Only async-signal-safe calls
        // until exec.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
