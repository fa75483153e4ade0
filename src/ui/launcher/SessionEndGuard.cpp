#include "ui/launcher/SessionEndGuard.h"

#include "ui/launcher/QtView.h"
#include "ui/launcher/TFrmMain.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace tavolin {

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
    WatchEndSignals();
}

SessionEndGuard::~SessionEndGuard() {
    StopWatchingEndSignals();
}

void SessionEndGuard::CloseAtEndSignal() {
    // The window's own close path; the program ends when it has closed. Nobody may be at the
    // screen: what fails is said on standard error, never in a box that waits.
    QtView::SetUnattended(true);
    if (!m_window.close())
        m_window.Core().Close();
    QCoreApplication::quit();
}

} // namespace tavolin
