#include "platform/linux/Spawn.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace tavolin::linuxdesktop {

namespace {

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

// What the children write into the pipe when they fail; nothing is written on success.
struct FailureReport {
    int stage;
    int error;
};

// Everything below until execve runs in a child of a possibly multi-threaded process, so
// it calls only async-signal-safe functions and touches no heap memory.
void Report(int fd, SpawnStage stage, int error) {
    const FailureReport report{static_cast<int>(stage), error};
    const char* bytes = reinterpret_cast<const char*>(&report);
    std::size_t written = 0;
    while (written < sizeof report) {
        const ssize_t n = write(fd, bytes + written, sizeof report - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

void ResetSignals() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Handlers are reset by exec anyway; ignored signals (SIGPIPE, say) would stay ignored.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            sigaction(signal, &defaults, nullptr);
        }
    }
}

void CloseOtherDescriptorsOnExec(int highestFd) {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    for (int fd = 3; fd <= highestFd; ++fd) {
        const int flags = fcntl(fd, F_GETFD);
        if (flags >= 0) {
            fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    }
}

[[noreturn]] void RunGrandchild(const char* program, char* const* argv, const char* folder,
                                int reportFd, int highestFd) {
    ResetSignals();
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO); // dup2 clears close-on-exec on the copy
    }
    if (folder != nullptr && chdir(folder) != 0) {
        Report(reportFd, SpawnStage::WorkingFolder, errno);
        _exit(127);
    }
    CloseOtherDescriptorsOnExec(highestFd);
    execve(program, argv, environ);
    Report(reportFd, SpawnStage::Exec, errno);
    _exit(127);
}

} // namespace

SpawnResult StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) {
    // Prepare everything that needs memory before forking.
    std::vector<std::string> strings;
    strings.reserve(arguments.size() + 1);
    strings.push_back(program);
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(strings.size() + 1);
    for (std::string& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    const char* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();

    rlimit limit{};
    int highestFd = 1024;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        highestFd = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 1 << 20)) - 1;
    }

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {SpawnStage::Fork, errno};
    }

    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return {SpawnStage::Fork, error};
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid(); // away from the launcher's session and terminal
        const pid_t grandchild = fork();
        if (grandchild < 0) {
            Report(pipeFds[1], SpawnStage::Fork, errno);
            _exit(1);
        }
        if (grandchild > 0) {
            _exit(0);
        }
        RunGrandchild(program.c_str(), argv.data(), folder, pipeFds[1], highestFd);
    }

    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    // The pipe reaches its end when the program has been executed (the write end closes on
    // exec) or when a child has reported a failure and exited.
    FailureReport report{};
    std::size_t got = 0;
    char* bytes = reinterpret_cast<char*>(&report);
    while (got < sizeof report) {
        const ssize_t n = read(pipeFds[0], bytes + got, sizeof report - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(pipeFds[0]);
    if (got == sizeof report) {
        return {static_cast<SpawnStage>(report.stage), report.error};
    }
    return {};
}

} // namespace tavolin::linuxdesktop
