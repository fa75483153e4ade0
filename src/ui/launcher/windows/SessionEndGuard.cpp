#include "ui/launcher/SessionEndGuard.h"

#include "ui/launcher/QtView.h"
#include "ui/launcher/TFrmMain.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace tavolin {

// On Windows the end of the session arrives as window messages, which Qt turns into the
// session manager's commit request; there are no signals to catch.
SessionEndGuard::SessionEndGuard(TFrmMain& window) : m_window(window) {
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        // The session is ending: nobody may be there to click a message away.
        QtView::SetUnattended(true);
        m_window.Core().Close();
        QtView::SetUnattended(false);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_window.isVisible())
            m_window.Core().Close();
    });
}

SessionEndGuard::~SessionEndGuard() = default;

void SessionEndGuard::InstallSignalHandlers() {}

} // namespace tavolin
