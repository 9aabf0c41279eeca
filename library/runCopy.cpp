#include "library/runCopy.h"

#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <cstdio>
#include <iostream>

extern char** environ;

bool copyTreeWithCp(const std::string& source, const std::string& destination) {
    std::string command = "cp", recursive = "-R", followSource = "-H", endOfOptions = "--";
    std::string from = source, to = destination;
    char* const argv[] = {
        command.data(), recursive.data(), followSource.data(), endOfOptions.data(), from.data(),
        to.data(),      nullptr};
    // cp shares our standard output; what we printed must come out first.
    std::cout.flush();
    std::fflush(stdout);
    pid_t child;
    if (posix_spawnp(&child, "cp", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
