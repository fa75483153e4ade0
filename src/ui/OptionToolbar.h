#pragma once

#include "core/auxwindow/AuxWindow.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <memory>

class QAction;
class QMenu;
class QTimer;
class QToolButton;

namespace tavolin {

class Launcher;
class Platform;
class QtView;
class TFrmMain;

// The option toolbar `tlbOpt` in its two rows, and the launcher's option commands: the
// action list `alMain` (added to the window, so that their keys work while it is active),
// the position drop-down `pmPos` and the recent-documents drop-down `pmRecent`.
class OptionToolbar : public QWidget {
    Q_OBJECT
public:
    OptionToolbar(TFrmMain& window, Platform& platform);
    ~OptionToolbar() override;

    // An action of the list by name ("acEndPGM"), or a toolbar button ("tlbPos").
    QAction* Action(const QString& name) const { return m_actions.value(name); }
    QToolButton* Button(const QString& name) const;
    QMenu* PosMenu() const { return pmPos; }

    // After a settings load: the checked states and hints that follow the settings.
    void SyncFromSettings();

    // While the window waits for the session to end: how long until it shows itself again
    // when the session is still there (a program refused to end, the user cancelled).
    static constexpr int kSessionEndWaitMs = 30000;

private:
    void CreateActions();
    void CreateButtons();
    void CreateMenus();
    // A toolbar button shown pressed while a command runs.
    void ShowDown(const char* button, bool down);

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

    TFrmMain& m_window;
    Platform& m_platform;
    QHash<QString, QAction*> m_actions;
    QMenu* pmPos = nullptr;
    QMenu* pmRecent = nullptr;
    QAction* m_recentClear = nullptr; // the menu's copy of acRecentClr (N35)
    QAction* m_recentLinks = nullptr; // N34
    QTimer* m_sessionWait = nullptr;
    class EndingWindow;
    std::unique_ptr<EndingWindow> m_ending;
};

} // namespace tavolin
