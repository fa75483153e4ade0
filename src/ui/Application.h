#pragma once

#include <QApplication>

namespace tavolin {

// The program's application object. An error that no handler catches ends the current
// event and is shown in an error box ("エラー"); the program keeps running. An operation
// that aborts silently (SilentAbort) shows nothing.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace tavolin
