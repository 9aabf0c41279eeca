#include "bench/childRun.h"

#include "fsutil/retryOnInterrupt.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

extern char** environ;

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class Pipe {
public:
    Pipe() {
        if (pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    }
    ~Pipe() {
        closeWriteEnd();
        close(fds_[0]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }
    void closeWriteEnd() {
        if (fds_[1] >= 0) close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2] = {-1, -1};
};

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got;
         (got = retryOnInterrupt([&] { return read(fd, buffer, sizeof buffer); })) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

std::vector<char*> argumentPointers(std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts argv with its standard output into `pipe`, or to /dev/null without
// one, and waits for it. A plain fork, not a spawn that shares our memory
// until the exec: the child's peak then starts from the few pages we have
// written to, not from everything we have mapped. False when it could not
// be started.
bool forkAndWait(const std::vector<std::string>& argv, Pipe* pipe, std::string& output, int& status,
                 struct rusage& usage) {
    std::vector<std::string> arguments = argv;
    std::vector<char*> pointers = argumentPointers(arguments);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const int target = pipe ? pipe->writeEnd() : open("/dev/null", O_WRONLY);
        if (target < 0 || dup2(target, STDOUT_FILENO) < 0) _exit(127);
        execvp(pointers[0], pointers.data());
        _exit(127);
    }
    if (pipe) {
        pipe->closeWriteEnd();
        output = readAll(pipe->readEnd());
    }
    return retryOnInterrupt([&] { return wait4(child, &status, 0, &usage); }) >= 0;
}

const std::string& thisProgram() {
    static const std::string path = std::filesystem::read_symlink("/proc/self/exe");
    return path;
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& argv, ChildOutput output) {
    std::vector<std::string> measured = {thisProgram(), "--measure",
                                         output == ChildOutput::capture ? "capture" : "discard"};
    measured.insert(measured.end(), argv.begin(), argv.end());
    std::vector<char*> pointers = argumentPointers(measured);

    SpawnActions actions;
    Pipe pipe;
    posix_spawn_file_actions_adddup2(actions.get(), pipe.writeEnd(), STDOUT_FILENO);
    pid_t measurer;
    if (posix_spawn(&measurer, pointers[0], actions.get(), nullptr, pointers.data(), environ) != 0)
        throw std::runtime_error("cannot start " + measured.front());
    pipe.closeWriteEnd();
    const std::string report = readAll(pipe.readEnd());
    int status = 0;
    retryOnInterrupt([&] { return waitpid(measurer, &status, 0); });
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("cannot measure " + argv.front());

    ChildRun run;
    std::istringstream figures(report);
    figures >> run.seconds >> run.peakKiB >> run.exitCode;
    const std::string::size_type lineEnd = report.find('\n');
    if (!figures || lineEnd == std::string::npos)
        throw std::runtime_error("no figures for " + argv.front());
    run.output = report.substr(lineEnd + 1);
    return run;
}

int measureChild(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2) return 2;
    const bool capture = arguments[0] == "capture";
    const std::vector<std::string> argv(arguments.begin() + 1, arguments.end());
    Pipe pipe;
    std::string output;
    int status = 0;
    struct rusage usage {};
    const auto start = std::chrono::steady_clock::now();
    // A program that times a moment of its own run (the window's first
    // frame) times it from here, its launch, as a user waits from then.
    setenv(kLaunchedAtVariable, std::to_string(start.time_since_epoch().count()).c_str(), 1);
    const bool ran = forkAndWait(argv, capture ? &pipe : nullptr, output, status, usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int exitCode = ran && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::printf("%.9f %ld %d\n", seconds, usage.ru_maxrss, exitCode);
    std::fwrite(output.data(), 1, output.size(), stdout);
    return 0;
}
