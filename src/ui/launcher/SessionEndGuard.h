#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavolin {

class TFrmMain;

// Makes sure the launcher's close path (the settings with the window's place, the page) runs
// however the desktop session ends: when the session manager asks the program to save
// (commitDataRequest), when the application quits without its window closing, and when the
// session ends the process with SIGTERM or SIGHUP, or the user presses Ctrl+C (SIGINT) in
// its terminal, which then closes the window as the user would. At a signal or a session end
// nobody may be at the screen: the close path's errors go to standard error, not into boxes.
class SessionEndGuard : public QObject {
    Q_OBJECT
public:
    explicit SessionEndGuard(TFrmMain& window);
    ~SessionEndGuard() override;

private:
    // The window's own close path, then the end of the program: a signal asked for it.
    void CloseAtEndSignal();
    // Each system's part: the signals arrive through a descriptor, on the event loop's
    // thread (none on Windows, where the session's end comes as window messages).
    void WatchEndSignals();
    void StopWatchingEndSignals();

    TFrmMain& m_window;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tavolin
