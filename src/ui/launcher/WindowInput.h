#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace tavolin {

class ActivationTracker;
class ButtonBar;
class Launcher;
class PageBar;

// The keys and mouse presses the launcher window sees before its controls do, wherever its
// focus is: the page and category keys, Alt+Backspace for the next display mode, the
// context-menu key and right presses for the button menu, the presses that move the shrunken
// window, and whether a control shows its hint. Installed as the application's event filter,
// it takes the events of the window's own controls only.
class WindowInput : public QObject {
    Q_OBJECT
public:
    // The controls a right press treats apart: the title strip (the menu key's menu opens
    // beside it), the option toolbar (its free space opens the menu), the two drop areas
    // (theirs is their own).
    struct Controls {
        QWidget* lblTitle;
        QWidget* tlbOpt;
        QWidget* imgDel;
        QWidget* imgGom;
    };
    struct Hooks {
        std::function<void(int slot, QPoint at)> popupMenu; // the button menu, 0 for the window
        std::function<void()> changed;                      // a key changed the display mode
    };

    WindowInput(QWidget& window, Launcher& core, ActivationTracker& activation, PageBar& pageBar,
                ButtonBar& buttons, Controls controls, Hooks hooks);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FrmKeyUp(QKeyEvent* event);
    bool FrmKeyDown(QKeyEvent* event);
    bool FrmMouseDown(QWidget* widget, QMouseEvent* event);

    QWidget& m_window;
    Launcher& m_core;
    ActivationTracker& m_activation;
    PageBar& m_pageBar;
    ButtonBar& m_buttons;
    Controls m_controls;
    Hooks m_hooks;
    // Whether Alt was held when Backspace last went down: the display mode steps at its release.
    bool m_backspaceWithAlt = false;
};

} // namespace tavolin
