#pragma once

#include <QApplication>
#include <QString>

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

// Makes Qt's own texts (the edit fields' context menus, the hot-key box's prompt, Qt's
// dialogs) speak `language`, a code such as "ja": loads Qt's translation file of it,
// qtbase_<language>.qm, from a "translations" folder beside the executable on Windows, where
// the packages bring it, or from Qt's own translations folder. It takes the place of the
// translation an earlier call loaded. False where no file is found: Qt's texts are then its
// English originals.
bool InstallQtTranslation(const QString& language);

} // namespace tavolin
