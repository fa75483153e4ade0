#include "platform/linux/EndSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace tavolin::linuxdesktop {

namespace {

// The handler writes to the first end, the event loop reads the second.
std::array<int, 2> g_pipe{-1, -1};

constexpr std::array<int, 3> kEndSignals{SIGTERM, SIGHUP, SIGINT};

extern "C" void OnEndSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

} // namespace

int CatchEndSignals() {
    if (g_pipe[0] >= 0)
        return -1;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return -1;
    g_pipe = {fds[0], fds[1]};
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kEndSignals)
        sigaction(number, &action, nullptr);
    return g_pipe[1];
}

void DrainEndSignals() {
    char bytes[16];
    while (::read(g_pipe[1], bytes, sizeof bytes) > 0) {
    }
}

void ReleaseEndSignals() {
    if (g_pipe[0] < 0)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int number : kEndSignals)
        sigaction(number, &action, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe = {-1, -1};
}

} // namespace tavolin::linuxdesktop
