#pragma once

#include "core/auxwindow/AuxWindow.h"
#include "core/commands/Actions.h"

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;
class QToolButton;

namespace tavolin {

class Launcher;
class Platform;
class WindowControl;

// The option toolbar `tlbOpt` in its two rows, and the launcher's option commands: the
// action list `alMain` (added to the window, so that their keys work while it is active),
// the position drop-down `pmPos` and the recent-documents drop-down `pmRecent`.
class OptionToolbar : public QWidget {
    Q_OBJECT
public:
    OptionToolbar(Launcher& core, WindowControl& window, Platform& platform);
    ~OptionToolbar() override;

    // An action of the list, and the toolbar button that runs it (nullptr for the actions
    // without one: acHelpC, acInf, acOpt).
    QAction* Action(commands::ActionId id) const { return m_actions[static_cast<std::size_t>(id)]; }
    QToolButton* Button(commands::ActionId id) const {
        return m_buttons[static_cast<std::size_t>(id)];
    }
    QMenu* PosMenu() const { return pmPos; }

    // After a settings load and after each toggle: the checked states and hints, shown from
    // the settings.
    void SyncFromSettings();

    // While the window waits for the session to end: how long until it shows itself again
    // when the session is still there (a program refused to end, the user cancelled).
    static constexpr int kSessionEndWaitMs = 30000;

private:
    std::function<void()> Handler(commands::ActionId id);
    void CreateActions();
    void CreateButtons();
    void CreateMenus();
    // A toolbar button shown pressed while a command runs.
    void ShowDown(commands::ActionId action, bool down);

    void acEndPGMExecute();
    void acHelpExecute();
    void acHelpCExecute();
    void acVerExecute();
    void OpenAuxWindow(auxwindow::Mode mode);
    void acFrmStyleExecute();
    void acIcoSizeExecute();
    void acIcoCaptionExecute();
    void acPosExecute();
    void acSmallExecute(bool undo);
    void acRecentClrExecute();
    void acEndSessionExecute(int how);
    void acInfExecute();
    void acOptExecute();
    void WinPosClick(int pos);
    void pmPosPopup();
    void pmRecentPopup();
    void pmRecentClick(const QString& path);

    Launcher& m_core;
    WindowControl& m_window;
    Platform& m_platform;
    std::array<QAction*, commands::kActionCount> m_actions{};
    std::array<QToolButton*, commands::kActionCount> m_buttons{};
    QMenu* pmPos = nullptr;
    QMenu* pmRecent = nullptr;
    QAction* m_recentClear = nullptr; // the menu's copy of acRecentClr (N35)
    QAction* m_recentLinks = nullptr; // N34
    QTimer* m_sessionWait = nullptr;
    class EndingWindow;
    std::unique_ptr<EndingWindow> m_ending;
};

} // namespace tavolin
