#pragma once

#include "core/Platform.h"
#include "core/drop/DropFileTarget.h"
#include "core/drop/LauncherDrop.h"
#include "core/launcher/Launcher.h"
#include "core/layout/Layout.h"
#include "ui/commands/WindowControl.h"
#include "ui/launcher/QtView.h"

#include <QHash>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
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
class UpDown;

// The launcher window: borderless, with the vertical title, the category button and page
// box, the 24 launch buttons, the information panel, the option toolbar and the two drop
// areas. It measures and draws; the launcher's state and operations are in the core
// (Launcher), its arithmetic in core/layout.
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
    const layout::WindowLayout& Layout() const { return m_layout; }
    QtView& ViewOf() override { return m_view; }
    InfoPanel& Panel() override { return *m_panel; }
    DropAreas& Areas() { return *m_areas; }
    // Whether the last close saved the settings and the page.
    bool SavedAtClose() const { return m_savedAtClose; }

    // --- WindowControl -------------------------------------------------------------------
    QWidget& Widget() override { return *this; }

    // --- LauncherWindow ------------------------------------------------------------------
    void ShowPressed(int slot, bool down) override;
    layout::Rect Geometry() const override;
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
    void FrmShow();
    // The work area of the screen the window is on.
    QRect WorkArea() const;
    // Brings a window that is mostly off every screen back into the nearest work area.
    void KeepOnScreen();
    // Puts a window that still sits in its corner back into the corner of the work area now.
    void FollowWorkArea();
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
    void HoldActivation(bool held) override;
    // The modal-dialog routine around `dialog`: the launcher inactive and at the bottom while
    // it runs, on top again (when it stays on top) and active afterwards.
    void RunModal(const std::function<void()>& dialog);
    // After a dialog of the launcher closed: the launcher asks to be the active window until
    // the window system confirms it (a window manager may hand the focus to the window below
    // instead), for a few seconds at most and no longer once the user has made another window
    // active.
    void ActivateAfterDialog() override;

public slots:
    void AppActivate() { Activate(false); }
    void AppDeactivate() override;
    void FExecute(int slot) override;
    void SyncFromStore() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FrmCreate();
    void CreateControls();
    void CreateOptionToolbar();
    ButtonMenu& ButtonMenuNow();
    void FillCategoryMenu();
    void bbtnCategoryClick();
    void pmCategoryClick(const QString& name);
    void edtPageChange(const QString& text);
    bool FrmKeyUp(QKeyEvent* event);
    void UpdateButtonFaces();
    void SizeButtons();
    void MeasureInto(layout::WindowLayout& l) const;
    void ApplyLayout();
    // Runs AppActivate or AppDeactivate when the application's state and the window's look
    // disagree.
    void SyncActivation();
    // AppActivate; `force` also when the launcher is not (yet) the active window, and at once.
    void Activate(bool force);
    // Whether a shrunken window waits before it grows: see Activate.
    bool HoldGrowth();
    // The left button on the shrunken window: pressed, moved, released.
    bool ShrunkenMouse(QMouseEvent* event);
    // One more request for the activation after a dialog; false once no more are wanted.
    bool AskActivationAgain();
    // Moves the window's client area (not a frame the window manager may report) to `topLeft`.
    void MoveTo(QPoint topLeft);
    // Moves the window to the rectangle a placement chose and saves it as the settings' place.
    void PlaceAt(const layout::Rect& placed);
    void ApplyTitleColours();
    void ApplyClockLook();
    bool FrmMouseDown(QWidget* widget, QMouseEvent* event);
    void ShowError(const std::string& text);
    void CreateHotKey();

    QtView m_view;
    Platform& m_platform;
    std::unique_ptr<Launcher> m_core;
    // Files dragged onto the window: the target follows the drag, the rules act on it.
    drop::TDropFileTarget DropFileTarget1;
    std::unique_ptr<drop::LauncherDrop> m_drop;
    DropAdapter* m_dropAdapter = nullptr;
    layout::WindowLayout m_layout;
    bool m_active = true;
    bool m_savedAtClose = true;
    std::uint64_t m_shownRevision = ~std::uint64_t{0};
    bool m_syncQueued = false;
    // The shell icons of the page on screen, by target, made anew at every page load.
    QHash<QString, QIcon> m_icons;
    std::uint64_t m_iconsLoad = 0;
    bool m_handlersInstalled = false;
    // The work area of the last corner placement, which FollowWorkArea compares with.
    QRect m_cornerArea;
    bool m_activationHeld = false;
    // Set when the window system reported a move: Geometry() asks it where the window is.
    mutable bool m_originUnsure = false;
    // While a placement saves the settings: Geometry() is the rectangle just asked for, which
    // the window system may not report yet.
    bool m_placing = false;

    // Whether Alt was held when Backspace last went down: the display mode steps at its release.
    bool m_backspaceWithAlt = false;
    // Dragging the window by its background.
    bool m_dragging = false;
    QPoint m_dragOffset;
    // The window shows its small inactive look (title or clock modes).
    bool m_shrunk = false;
    // A left press that began on the shrunken window is held; it moves the small window.
    bool m_shrunkPress = false;
    QPoint m_shrunkPressOrigin;
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

    QLabel* lblTitle = nullptr;
    QPushButton* bbtnCategory = nullptr;
    QMenu* pmCategory = nullptr;
    QLineEdit* edtPage = nullptr;
    UpDown* udPage = nullptr;
    QPushButton* btnInf = nullptr;
    QWidget* tlbExc = nullptr;
    std::array<QToolButton*, 24> m_tlb{};
    std::array<QAction*, 24> m_acF{};
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
    bool m_categoryMenuStale = true;
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
