#pragma once

#include "core/commands/ButtonCommands.h"

#include <QHash>
#include <QMenu>

class QPoint;

namespace tavolin {

class OptionToolbar;
class Platform;
class TFrmMain;

namespace commands {
struct ButtonMenuState;
}

// The button menu `pmBtn`: the commands on one button, the page reset, and shortcuts into
// the window's settings, help and quit. Opened by a right click on a launch button (for that
// button) or elsewhere on the window (for no button).
class ButtonMenu : public QMenu {
    Q_OBJECT
public:
    ButtonMenu(TFrmMain& window, Platform& platform, OptionToolbar& options);

    // Prepares the menu for slot n (1 to 24) or for the window (0) and shows it at `at`.
    void PopupFor(int n, const QPoint& at);

    QAction* Item(const QString& name) const { return m_items.value(name); }

private:
    QAction* Add(QMenu* menu, const char* name, const QString& caption, int image = -1);
    void Prepare(const commands::ButtonMenuState& state);
    void pmBtnPopup();
    // The button number the item carries.
    int Tag(const char* item) const;

    void N31Click();

    TFrmMain& m_window;
    Platform& m_platform;
    OptionToolbar& m_options;
    commands::ButtonCommands m_commands;
    QHash<QString, QAction*> m_items;
};

} // namespace tavolin
