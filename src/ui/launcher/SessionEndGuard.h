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
    // The signals arrive here through a pipe, on the event loop's thread.
    void InstallSignalHandlers();

    TFrmMain& m_window;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tavolin
