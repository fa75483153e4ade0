#pragma once

#include "core/Platform.h"
#include "core/layout/Layout.h"

#include <QObject>

#include <functional>
#include <optional>

class QMouseEvent;
class QTimer;
class QWidget;

namespace tavolin {

class InfoPanel;
class Launcher;
class WindowMover;

// The launcher window's look follows the application's activation: active, it shows in full
// with the title in the active colours; inactive (another program active), it may shrink to
// its title or clock. The layout's titleActive is the one record of which look is on. Around
// the launcher's own dialogs the tracker deactivates the window and asks for the activation
// afterwards until the window system grants it.
class ActivationTracker : public QObject {
    Q_OBJECT
public:
    // What the tracker asks of the window when the look changes.
    struct Hooks {
        std::function<void()> measure; // the controls' present sizes into the layout
        std::function<void()> apply;   // the layout onto the window's controls
    };

    ActivationTracker(QWidget& window, Platform& platform, Launcher& core,
                      layout::WindowLayout& layout, InfoPanel& panel, WindowMover& mover,
                      Hooks hooks);

    // Whether the window wears its active look.
    bool Active() const { return m_layout.titleActive; }
    // From now on the look follows the application's state and its focus window.
    void Watch();
    // The active look; `force` also when the launcher is not (yet) the active window, and at
    // once.
    void Activate(bool force);
    void AppDeactivate();
    // Runs Activate or AppDeactivate when the application's state and the window's look
    // disagree.
    void SyncActivation();
    // While held, the window's look does not follow the application's activation.
    void HoldActivation(bool held);
    // The modal-dialog routine around `dialog`: the launcher inactive and at the bottom while
    // it runs, on top again (when it stays on top) and active afterwards.
    void RunModal(const std::function<void()>& dialog);
    // After a dialog of the launcher closed: the launcher asks to be the active window until
    // the window system confirms it, for a few seconds at most and no longer once the user has
    // made another window active.
    void ActivateAfterDialog();
    // Whether the activation after a dialog is still being asked for.
    bool Asking() const;
    // The left button on the window, any of its controls: pressed, moved or released. A press
    // held on the shrunken window moves it, and its release grows it. True when taken.
    bool ShrunkenMouse(QMouseEvent* event);
    // The pointer came over the window: it comes forward by the AutoFore setting.
    void MouseEntered();
    // Shows or hides the taskbar entry by the TaskBar and TaskBarLast settings.
    void FrmShow();

private:
    // Whether a shrunken window waits before it grows: see Activate.
    bool HoldGrowth();
    // One more request for the activation after a dialog; false once no more are wanted.
    bool AskActivationAgain();

    QWidget& m_window;
    Platform& m_platform;
    Launcher& m_core;
    layout::WindowLayout& m_layout;
    InfoPanel& m_panel;
    WindowMover& m_mover;
    Hooks m_hooks;
    bool m_held = false;
    // The window shows its small inactive look (title or clock modes).
    bool m_shrunk = false;
    // The growth of an activated, shrunken window under the pointer: not asked, waiting for a
    // click that may still be on its way, or waited.
    enum class GrowWait { None, Waiting, Waited };
    GrowWait m_growWait = GrowWait::None;
    // The requests for the activation after a dialog: how many are left, and the other window
    // that the window system made active meanwhile.
    QTimer* m_askTimer = nullptr;
    int m_asksLeft = 0;
    int m_focusHeld = 0; // checks in a row that found the focus here
    std::optional<NativeWindow> m_activeElsewhere;
};

} // namespace tavolin
