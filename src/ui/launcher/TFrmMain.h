#pragma once

#include "core/Platform.h"
#include "core/drop/DropFileTarget.h"
#include "core/drop/LauncherDrop.h"
#include "core/launcher/Launcher.h"
#include "core/layout/Layout.h"
#include "ui/commands/WindowControl.h"
#include "ui/launcher/ActivationTracker.h"
#include "ui/launcher/ButtonBar.h"
#include "ui/launcher/QtView.h"
#include "ui/launcher/WindowMover.h"

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace tavolin {

class DropAdapter;
class DropAreas;
class GlobalHotKey;
class Gauge;
class InfoPanel;
class Platform;
class ButtonMenu;
class OptionToolbar;
class PageBar;
class WindowInput;

// The launcher window: borderless, with the vertical title, the category button and page
// box, the 24 launch buttons, the information panel, the option toolbar and the two drop
// areas. It creates the controls, measures and draws, and assembles the parts that run them:
// the button bar, the page bar, the window mover and the activation tracker. The launcher's
// state and operations are in the core (Launcher), its arithmetic in core/layout.
class TFrmMain : public QWidget,
                 public LauncherWindow,
                 public drop::DropWindow,
                 public WindowControl {
    Q_OBJECT
public:
    // Runs the start-up sequence: the files are read and the window is laid out and placed,
    // but not shown.
    TFrmMain(Platform& platform, DataFiles files, QWidget* parent = nullptr);
    ~TFrmMain() override;

    Launcher& Core() { return *m_core; }
    QtView& ViewOf() override { return m_view; }
    InfoPanel& Panel() override { return *m_panel; }
    DropAreas& Areas() { return *m_areas; }
    // Whether the last close saved the settings and the page.
    bool SavedAtClose() const { return m_savedAtClose; }

    // --- WindowControl -------------------------------------------------------------------
    QWidget& Widget() override { return *this; }

    // --- LauncherWindow ------------------------------------------------------------------
    void ShowPressed(int slot, bool down) override { tlbExc->ShowPressed(slot, down); }
    layout::Rect Geometry() const override { return m_mover->Geometry(); }
    void ArrangeLayout() override;

    // Puts the file or folder the user chooses in the browse dialog on slot n (a used slot
    // is replaced) and saves the page.
    void BrowseForSlot(int n) override;
    // The options dialog, for button n of the page or (n = 0) for the window; after OK the
    // launcher reloads on the category it showed.
    void OpenOptions(int n) override;

    // --- DropWindow ----------------------------------------------------------------------
    drop::DropRects Rects() const override;
    void BringToFront() override;

    // --- layout and display modes --------------------------------------------------------
    void LoadSettings(const std::string& categoryName);
    void ApplyInfoVisibility() override;
    void PlaceAtCorner(int pos) override;
    // Shows or hides the taskbar entry by the TaskBar and TaskBarLast settings.
    void FrmShow() { m_activation->FrmShow(); }
    // The work area of the screen the window is on.
    QRect WorkArea() const { return m_mover->WorkArea(); }
    // Brings a window that is mostly off every screen back into the nearest work area.
    void KeepOnScreen() { m_mover->KeepOnScreen(); }
    // Puts a window that still sits in its corner back into the corner of the work area now.
    void FollowWorkArea() { m_mover->FollowWorkArea(); }
    bool IsActiveLook() const { return m_layout.titleActive; }

    // --- commands ------------------------------------------------------------------------
    // Always on top, or in the normal stack, by the FrmStyle setting.
    void ApplyStayOnTop() override;
    // The captions and hints of btnInf and btnOpt by the settings.
    void UpdateToggleButtons() override;
    // The launch buttons again after a change of icon size or captions.
    void ButtonLookChanged() override;
    // The memo button's picture: whether there is a memo.
    void ShowMemoPicture() override;
    // While held, the window's look does not follow the application's activation.
    void HoldActivation(bool held) override { m_activation->HoldActivation(held); }
    // The modal-dialog routine around `dialog`: the launcher inactive and at the bottom while
    // it runs, on top again (when it stays on top) and active afterwards.
    void RunModal(const std::function<void()>& dialog) { m_activation->RunModal(dialog); }
    // After a dialog of the launcher closed: the launcher asks to be the active window until
    // the window system confirms it (a window manager may hand the focus to the window below
    // instead), for a few seconds at most and no longer once the user has made another window
    // active.
    void ActivateAfterDialog() override { m_activation->ActivateAfterDialog(); }

public slots:
    void AppActivate() { m_activation->Activate(false); }
    void AppDeactivate() override { m_activation->AppDeactivate(); }
    void FExecute(int slot) override;
    void SyncFromStore() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void FrmCreate();
    void CreateControls();
    void CreateInfoControls();
    void CreateOptionToolbar();
    ButtonMenu& ButtonMenuNow();
    void EditCategories();
    void MeasureInto(layout::WindowLayout& l) const;
    void ApplyLayout();
    void ApplyTitleColours();
    void ApplyClockLook();
    void ShowError(const std::string& text);
    void CreateHotKey();

    QtView m_view;
    Platform& m_platform;
    std::unique_ptr<Launcher> m_core;
    // Files dragged onto the window: the target follows the drag, the rules act on it.
    drop::TDropFileTarget DropFileTarget1;
    std::unique_ptr<drop::LauncherDrop> m_drop;
    DropAdapter* m_dropAdapter = nullptr;
    // The layout on screen; the parts below move, resize and switch it.
    layout::WindowLayout m_layout;
    WindowMover* m_mover = nullptr;
    ActivationTracker* m_activation = nullptr;
    PageBar* m_pageBar = nullptr;
    WindowInput* m_input = nullptr;
    bool m_savedAtClose = true;
    std::uint64_t m_shownRevision = ~std::uint64_t{0};
    bool m_syncQueued = false;
    bool m_handlersInstalled = false;

    QLabel* lblTitle = nullptr;
    QPushButton* btnInf = nullptr;
    ButtonBar* tlbExc = nullptr;
    QFrame* bvlInf = nullptr;
    QLabel* lblResSys = nullptr;
    QLabel* lblResGDI = nullptr;
    QLabel* lblResUser = nullptr;
    QLabel* lblCPU = nullptr;
    Gauge* ggResSys = nullptr;
    Gauge* ggResGDI = nullptr;
    Gauge* ggResUser = nullptr;
    Gauge* ggCPU = nullptr;
    QLabel* lblAvailMem = nullptr;
    QLabel* lblTotalMem = nullptr;
    QPushButton* btnOpt = nullptr;
    QLabel* lblNow = nullptr;
    QFrame* bvlOpt = nullptr;
    QWidget* tlbOpt = nullptr;
    OptionToolbar* m_options = nullptr;
    ButtonMenu* pmBtn = nullptr; // made when first opened
    QToolButton* tlbPos = nullptr;
    QToolButton* tlbMemo = nullptr;
    QLabel* imgDel = nullptr;
    QLabel* imgGom = nullptr;
    DropAreas* m_areas = nullptr;
    InfoPanel* m_panel = nullptr;
    GlobalHotKey* m_hotKey = nullptr;
    bool m_applyingOptions = false; // the options dialog's OK is being carried out
};

} // namespace tavolin
