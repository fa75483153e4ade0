#include "ui/launcher/SessionEndGuard.h"

#include "ui/launcher/QtView.h"
#include "ui/launcher/TFrmMain.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavolin {

namespace {

std::array<int, 2> g_pipe{-1, -1};

// The signals that end the program through its close path: the session's (SIGTERM, SIGHUP)
// and Ctrl+C in a terminal (SIGINT). SIGQUIT keeps its default, a quit without saving.
constexpr std::array<int, 3> kEndSignals{SIGTERM, SIGHUP, SIGINT};

extern "C" void OnEndSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

} // namespace

SessionEndGuard::SessionEndGuard(TFrmMain& window) : m_window(window) {
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        // The session is ending: nobody may be there to click a message away.
        QtView::SetUnattended(true);
        m_window.Core().Close();
        QtView::SetUnattended(false);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        // Quitting without the window's own close (the session manager's "die"): save now.
        if (m_window.isVisible())
            m_window.Core().Close();
    });
    InstallSignalHandlers();
}

SessionEndGuard::~SessionEndGuard() {
    if (m_notifier == nullptr)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int number : kEndSignals)
        sigaction(number, &action, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe = {-1, -1};
}

void SessionEndGuard::InstallSignalHandlers() {
    if (g_pipe[0] >= 0)
        return; // one window per process takes the signals
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    g_pipe = {fds[0], fds[1]};
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_pipe[1], bytes, sizeof bytes) > 0) {
        }
        // The window's own close path; the program ends when it has closed. Nobody may be
        // at the screen: what fails is said on standard error, never in a box that waits.
        QtView::SetUnattended(true);
        if (!m_window.close())
            m_window.Core().Close();
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kEndSignals)
        sigaction(number, &action, nullptr);
}

} // namespace tavolin
