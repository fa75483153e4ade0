#include "ui/launcher/ActivationTracker.h"

#include "core/launcher/Launcher.h"
#include "ui/launcher/WindowMover.h"
#include "ui/watch/InfoPanel.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace tavolin {

namespace {

// How long an activated, shrunken window under the pointer waits for the click that may have
// activated it, in milliseconds.
constexpr int kActivationClickWait = 200;
// After a dialog: the requests for the activation, one every so many milliseconds.
constexpr int kActivationAskInterval = 100;
constexpr int kActivationAsks = 30;

// Every windowing system has a window manager to ask (an X11 session's, Windows'); the
// offscreen and minimal platforms of tests and tools have none.
bool HasWindowSystem() {
    const QString platformName = QGuiApplication::platformName();
    return platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
}

} // namespace

ActivationTracker::ActivationTracker(QWidget& window, Platform& platform, Launcher& core,
                                     layout::WindowLayout& layout, InfoPanel& panel,
                                     WindowMover& mover, Hooks hooks)
    : QObject(&window), m_window(window), m_platform(platform), m_core(core), m_layout(layout),
      m_panel(panel), m_mover(mover), m_hooks(std::move(hooks)) {}

void ActivationTracker::Watch() {
    // Qt reports the application active before it has set the active window, and the focus
    // window changes on its own: both only ask for a look once the event loop has settled,
    // when the state and the active window agree.
    const auto queueSync = [this] {
        QMetaObject::invokeMethod(this, &ActivationTracker::SyncActivation, Qt::QueuedConnection);
    };
    connect(qApp, &QGuiApplication::applicationStateChanged, this, queueSync);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, queueSync);
}

void ActivationTracker::SyncActivation() {
    if (m_held)
        return;
    // Inactive means that another application is active; a dialog of the launcher's own
    // keeps it active.
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
        if (Active())
            AppDeactivate();
        return;
    }
    if (!Active())
        Activate(false);
}

void ActivationTracker::HoldActivation(bool held) {
    m_held = held;
    // The launcher hands the focus to a window of its own (the about box): the requests still
    // running from the last dialog would take it back and close that window again.
    if (held && m_askTimer != nullptr)
        m_askTimer->stop();
    if (!held)
        QMetaObject::invokeMethod(this, &ActivationTracker::SyncActivation, Qt::QueuedConnection);
}

void ActivationTracker::Activate(bool force) {
    // Only for the launcher window itself; while a dialog of the program is active nothing
    // changes.
    if (!force && QApplication::activeWindow() != &m_window)
        return;
    if (!force && m_shrunk && HoldGrowth())
        return;
    m_shrunk = false;
    m_growWait = GrowWait::None;
    m_hooks.measure();
    const layout::ActivationResult r = layout::AppActivate(m_layout, m_core.LayoutFlags(true));
    m_layout = r.layout;
    m_hooks.apply();
    if (r.infoApplied)
        m_panel.SetTimerRuns(r.timerRuns);
    FrmShow();
}

void ActivationTracker::AppDeactivate() {
    m_hooks.measure();
    const layout::ActivationResult r = layout::AppDeactivate(m_layout, m_core.LayoutFlags(false));
    m_shrunk = m_shrunk || r.layout.window.width != m_layout.window.width ||
               r.layout.window.height != m_layout.window.height;
    m_growWait = GrowWait::None;
    m_layout = r.layout;
    m_hooks.apply();
    if (r.sampleNow)
        m_panel.ResTimer();
    if (r.timerRuns)
        m_panel.SetTimerRuns(true);
    FrmShow();
}

bool ActivationTracker::HoldGrowth() {
    // The window grows under the pointer, and a click that activated it would land on the
    // control the grown window puts there. While that click is held the window stays small
    // (it may be dragged) and grows on its release; a window system that activates before
    // it delivers the click gets a moment for the click to arrive.
    if (m_mover.PressHeld())
        return true;
    if (m_growWait == GrowWait::Waited)
        return false;
    if (m_growWait == GrowWait::Waiting)
        return true;
    if (!m_window.frameGeometry().contains(QCursor::pos()))
        return false;
    m_growWait = GrowWait::Waiting;
    QTimer::singleShot(kActivationClickWait, this, [this] {
        if (m_growWait != GrowWait::Waiting)
            return;
        m_growWait = GrowWait::Waited;
        if (!m_mover.PressHeld())
            Activate(false);
    });
    return true;
}

bool ActivationTracker::ShrunkenMouse(QMouseEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return m_mover.ShrunkenPress(event, m_shrunk);
    case QEvent::MouseMove:
        return m_mover.ShrunkenMove(event);
    case QEvent::MouseButtonRelease:
        if (!m_mover.ShrunkenRelease(event))
            return false;
        // A click that activated the window grows it now, the press and release spent.
        m_growWait = GrowWait::Waited;
        Activate(false);
        return true;
    default:
        return false;
    }
}

void ActivationTracker::MouseEntered() {
    if (layout::ActivateOnMouseEnter(m_core.Settings().AutoFore, Active(),
                                     QApplication::activeModalWidget() != nullptr)) {
        m_window.activateWindow();
        m_window.raise();
    }
}

void ActivationTracker::FrmShow() {
    const WindowSettings& s = m_core.Settings();
    const bool visible =
        layout::TaskbarEntryVisible(s.TaskBar, s.TaskBarLast, Active(), s.FrmStyle);
    if (HasWindowSystem() && m_window.windowHandle() != nullptr)
        m_platform.SetTaskbarEntry(static_cast<NativeWindow>(m_window.winId()), visible);
}

// --- around dialogs ----------------------------------------------------------------------

void ActivationTracker::RunModal(const std::function<void()>& dialog) {
    AppDeactivate();
    m_window.lower();
    dialog();
    if (m_core.Settings().FrmStyle)
        m_window.raise();
    ActivateAfterDialog();
}

void ActivationTracker::ActivateAfterDialog() {
    m_window.activateWindow();
    // The application stays active across its own dialog: the launcher is its active window
    // at once, so that a key pressed before the window system's word arrives reaches its
    // shortcuts.
    if (QApplication::activeWindow() == nullptr &&
        qApp->applicationState() == Qt::ApplicationActive)
        QApplication::setActiveWindow(&m_window);
    m_window.setFocus();
    Activate(false);
    // Qt's own word is not the window system's: a window manager may still give the focus to
    // the window below once the dialog has gone. Asked again until the window system reports
    // the focus here.
    if (m_askTimer == nullptr) {
        m_askTimer = new QTimer(this);
        m_askTimer->setInterval(kActivationAskInterval);
        connect(m_askTimer, &QTimer::timeout, this, [this] {
            if (!AskActivationAgain())
                m_askTimer->stop();
        });
    }
    m_asksLeft = kActivationAsks;
    m_focusHeld = 0;
    m_activeElsewhere.reset();
    m_askTimer->start();
}

bool ActivationTracker::Asking() const {
    return m_askTimer != nullptr && m_askTimer->isActive();
}

bool ActivationTracker::AskActivationAgain() {
    if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget())
        return false; // another dialog or a menu of the program's own
    // Another window of the program's own has the focus, opened since (the help): it keeps it.
    if (const QWindow* focus = QGuiApplication::focusWindow();
        focus != nullptr && focus != m_window.windowHandle() && focus->isVisible())
        return false;
    // The window system's focus event is the answer. It must hold a moment: the window
    // manager may pass the focus on to the window below just after granting it.
    if (m_window.windowHandle() != nullptr &&
        QGuiApplication::focusWindow() == m_window.windowHandle()) {
        if (++m_focusHeld < 2)
            return true;
        SyncActivation();
        return false;
    }
    m_focusHeld = 0;
    // The first other program's window that the window manager made active is its own
    // choice; a change from it to yet another one is the user's, and the launcher leaves the
    // focus there.
    const std::optional<NativeWindow> now = m_platform.ActiveWindow();
    const QWidgetList own = QApplication::topLevelWidgets();
    const bool ours = now && std::any_of(own.begin(), own.end(), [&](const QWidget* w) {
                          return w->testAttribute(Qt::WA_WState_Created) &&
                                 static_cast<NativeWindow>(w->winId()) == *now;
                      });
    if (now && !ours) {
        if (m_activeElsewhere && *m_activeElsewhere != *now) {
            SyncActivation();
            return false;
        }
        m_activeElsewhere = now;
    }
    if (--m_asksLeft < 0) {
        SyncActivation(); // the look follows what the window system decided
        return false;
    }
    m_window.activateWindow();
    return true;
}

} // namespace tavolin
