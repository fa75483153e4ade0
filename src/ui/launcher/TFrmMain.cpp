#include "ui/launcher/TFrmMain.h"
#include "ui/QtText.h"
#include "ui/look/DialogFont.h"

#include "core/Errors.h"
#include "core/Platform.h"
#include "core/commands/Actions.h"
#include "core/helpers/FileHelpers.h"
#include "core/helpers/MessageBox.h"
#include "core/watch/DatePicture.h"
#include "ui/areas/DropAreas.h"
#include "ui/auxwindow/TFrmAdr.h"
#include "ui/browse/TFrmRef.h"
#include "ui/categories/TFrmCategoryEdit.h"
#include "ui/commands/ButtonMenu.h"
#include "ui/commands/OptionToolbar.h"
#include "ui/drop/DropAdapter.h"
#include "ui/hotkey/GlobalHotKey.h"
#include "ui/launcher/AccessibleNames.h"
#include "ui/launcher/ActivationTracker.h"
#include "ui/launcher/ButtonBar.h"
#include "ui/launcher/PageBar.h"
#include "ui/launcher/UpDown.h"
#include "ui/launcher/WindowInput.h"
#include "ui/look/Colours.h"
#include "ui/look/OptIcons.h"
#include "ui/options/TFrmBtnSet.h"
#include "ui/watch/InfoPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace tavolin {

using layout::Ctl;

namespace {

const QString kProductName = QStringLiteral("Tavolin");

QRect ToQRect(const layout::Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QFont BoldFont(QFont f) {
    f.setBold(true);
    return f;
}

} // namespace

TFrmMain::TFrmMain(Platform& platform, DataFiles files, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_view(this), m_platform(platform),
      m_core(std::make_unique<Launcher>(platform, m_view, *this, std::move(files))),
      m_layout(layout::DesignLayout()) {
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowTitle(kProductName);
    setFocusPolicy(Qt::StrongFocus);
    m_mover = new WindowMover(*this, m_platform, *m_core, m_layout);
    CreateControls();
    m_activation =
        new ActivationTracker(*this, m_platform, *m_core, m_layout, *m_panel, *m_mover,
                              {[this] { MeasureInto(m_layout); }, [this] { ApplyLayout(); }});
    m_mover->WatchBackground({[this](const QWidget* child) { return child == tlbOpt; },
                              [this](const QWidget* child) {
                                  return child == nullptr || child == lblTitle || child == tlbOpt ||
                                         child->parentWidget() == tlbOpt || child == bvlInf ||
                                         child == bvlOpt;
                              },
                              [this] { PlaceAtCorner(0); }});
    NameWindowControls(this);
    CreateHotKey();
    m_core->Store().SetChangedHandler([this] {
        if (m_syncQueued)
            return;
        m_syncQueued = true;
        QMetaObject::invokeMethod(
            this, [this] { SyncFromStore(); }, Qt::QueuedConnection);
    });
    m_core->SetEmptyButtonHandler([this](int n) { BrowseForSlot(n); });
    m_input = new WindowInput(*this, *m_core, *m_activation, *m_pageBar, *tlbExc,
                              {lblTitle, tlbOpt, imgDel, imgGom},
                              {[this](int slot, QPoint at) { ButtonMenuNow().PopupFor(slot, at); },
                               [this] { SyncFromStore(); }});
    qApp->installEventFilter(m_input);
    FrmCreate();

    m_drop = std::make_unique<drop::LauncherDrop>(*m_core, platform, m_view, *this);
    DropFileTarget1.ShowImage = false;
    DropFileTarget1.OnDragOver = [this](drop::TShiftState keys, drop::DropPoint at,
                                        std::uint32_t& effect) {
        m_drop->DropFileTarget1DragOver(keys, at, effect);
    };
    DropFileTarget1.OnDrop = [this](drop::TShiftState keys, drop::DropPoint at,
                                    std::uint32_t& effect) {
        m_drop->DropFileTarget1Drop(keys, at, effect, DropFileTarget1.Files());
        SyncFromStore();
    };
    m_drop->SetAreaSink([this](areas::AreaKind area, const std::vector<std::string>& paths) {
        m_areas->Drop(area, paths);
    });
    m_dropAdapter = new DropAdapter(this, DropFileTarget1, m_platform.Style());
    m_dropAdapter->SetErrorHandler([this](const std::string& text) { ShowError(text); });
}

TFrmMain::~TFrmMain() {
    qApp->removeEventFilter(m_input);
    m_core->Store().SetChangedHandler({});
}

void TFrmMain::CreateControls() {
    QFont font(WindowFontFamily());
    font.setPixelSize(12);
    setFont(font);

    lblTitle = NewLabel(this, "lblTitle");
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setAutoFillBackground(true);

    m_pageBar = new PageBar(*this, *m_core,
                            {[this] { SyncFromStore(); }, [this] { EditCategories(); },
                             [this](const std::string& text) { ShowError(text); }});

    btnInf = new QPushButton(QStringLiteral("←"), this);
    btnInf->setObjectName(QStringLiteral("btnInf"));
    btnInf->setFont(BoldFont(font));
    btnInf->setFocusPolicy(Qt::NoFocus);

    tlbExc = new ButtonBar(
        *this, *m_core, m_layout, [this](int n) { FExecute(n); }, [this] { ArrangeLayout(); });

    CreateInfoControls();

    btnOpt = new QPushButton(QStringLiteral("↑"), this);
    btnOpt->setObjectName(QStringLiteral("btnOpt"));
    btnOpt->setFont(BoldFont(font));
    btnOpt->setFocusPolicy(Qt::NoFocus);

    lblNow = NewLabel(this, "lblNow");
    lblNow->setAutoFillBackground(true);
    lblNow->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    bvlOpt = new QFrame(this);
    bvlOpt->setObjectName(QStringLiteral("bvlOpt"));
    bvlOpt->setFrameShape(QFrame::HLine);
    bvlOpt->setFrameShadow(QFrame::Raised);

    CreateOptionToolbar();

    m_areas = new DropAreas(m_platform, m_view, m_core->Settings(), this);
    imgDel = m_areas->Area(areas::AreaKind::Delete);
    imgGom = m_areas->Area(areas::AreaKind::Recycle);
    m_panel = new InfoPanel(
        m_platform, m_view, m_core->Settings(),
        {lblTitle, ggResSys, ggResGDI, ggResUser, ggCPU, lblAvailMem, lblTotalMem, lblNow}, this);
}

// The information panel's controls: the resource gauges with their labels and the memory
// figures, after the bevel that separates them from the launch buttons.
void TFrmMain::CreateInfoControls() {
    bvlInf = new QFrame(this);
    bvlInf->setObjectName(QStringLiteral("bvlInf"));
    bvlInf->setFrameShape(QFrame::VLine);
    bvlInf->setFrameShadow(QFrame::Raised);

    lblResSys = NewLabel(this, "lblResSys", QStringLiteral("Sys :"));
    lblResGDI = NewLabel(this, "lblResGDI", QStringLiteral("GDI :"));
    lblResUser = NewLabel(this, "lblResUser", QStringLiteral("User :"));
    lblCPU = NewLabel(this, "lblCPU", QStringLiteral("CPU :"));
    const auto gauge = [this](const char* name) {
        auto* g = new Gauge(this);
        g->setObjectName(QLatin1String(name));
        g->setAlignment(Qt::AlignCenter);
        return g;
    };
    ggResSys = gauge("ggResSys");
    ggResGDI = gauge("ggResGDI");
    ggResUser = gauge("ggResUser");
    ggCPU = gauge("ggCPU");

    QFont memFont = font();
    memFont.setUnderline(true);
    for (QLabel** mem : {&lblAvailMem, &lblTotalMem}) {
        *mem = NewLabel(this, mem == &lblAvailMem ? "lblAvailMem" : "lblTotalMem");
        (*mem)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*mem)->setFont(memFont);
        QPalette p = (*mem)->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 128));
        (*mem)->setPalette(p);
    }
}

void TFrmMain::CreateOptionToolbar() {
    m_options = new OptionToolbar(*m_core, *this, m_platform);
    tlbOpt = m_options;
    tlbPos = m_options->Button(commands::ActionId::acPos);
    tlbMemo = m_options->Button(commands::ActionId::acMem);
    connect(btnInf, &QPushButton::clicked, m_options->Action(commands::ActionId::acInf),
            &QAction::trigger);
    connect(btnOpt, &QPushButton::clicked, m_options->Action(commands::ActionId::acOpt),
            &QAction::trigger);
}

ButtonMenu& TFrmMain::ButtonMenuNow() {
    // Made when first opened: most starts never need it.
    if (pmBtn == nullptr)
        pmBtn = new ButtonMenu(*m_core, *this, m_platform, *m_options);
    return *pmBtn;
}

// --- start-up and close -------------------------------------------------------------------

void TFrmMain::FrmCreate() {
    QCoreApplication::setApplicationName(kProductName);
    // The product name down the title strip, one character a line.
    QStringList letters;
    for (const QChar c : kProductName)
        letters << QString(c);
    lblTitle->setText(letters.join(QLatin1Char('\n')));

    // Temporary files of saves that a killed copy left behind.
    m_platform.RemoveStaleReplacements(m_core->Files().txt);
    m_platform.RemoveStaleReplacements(m_core->Files().ini);
    // The category editor's working files, left when a copy was killed with the editor open.
    for (const std::string& working : {m_core->Files().tmp, m_core->Files().tmp2}) {
        const FileAttributes found = m_platform.Attributes(working);
        if (!found.exists || found.directory)
            continue;
        try {
            DeleteFileOrAbort(working);
        } catch (const SilentAbort&) {
            // Left as it is: the editor replaces it when it opens.
        }
    }
    m_core->MigrateIniCategories();
    // The processor figure is a difference between two readings: take the first one now.
    m_platform.ProcessorUsage();

    m_core->Store().SetPageLoadEnabled(false);
    LoadSettings("");
    m_core->Store().SetPageLoadEnabled(true);
    m_core->LoadPage();
    SyncFromStore();

    ApplyStayOnTop();
}

void TFrmMain::LoadSettings(const std::string& categoryName) {
    const std::string clockFont = lblNow->font().family() == WindowFontFamily()
                                      ? std::string(kWindowFontName)
                                      : lblNow->font().family().toStdString();
    m_core->LoadSettings(categoryName, clockFont);
    const WindowSettings& s = m_core->Settings();

    m_layout.window = {s.Left, s.Top, s.Width, s.Height};
    setGeometry(ToQRect(m_layout.window));
    ApplyClockLook();
    m_options->SyncFromSettings();

    // The category menu is filled when next opened: with many categories, making an item
    // each at every start would be wasted.
    m_pageBar->CategoriesChanged();
    m_core->LoadPage();
    SyncFromStore();

    UpdateToggleButtons();

    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(0, 255, 255));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    FrmShow();
    PlaceAtCorner(s.WinPos);
    ApplyInfoVisibility();
    if (m_layout.window.top < 0 || m_layout.window.left < 0)
        PlaceAtCorner(0);
    KeepOnScreen();
    ShowMemoPicture();
    m_panel->SettingsLoaded();
    m_hotKey->Apply(Q(s.HotKey));
}

// --- the hot key -------------------------------------------------------------------------

void TFrmMain::CreateHotKey() {
    m_hotKey = new GlobalHotKey(this);
    connect(m_hotKey, &GlobalHotKey::Taken, this, [this](const QString& key) {
        const std::string message = GlobalHotKey::TakenMessage(key).toStdString();
        // Told once the window is up (at start the key is grabbed before the window shows).
        // The key the user has just chosen in the options dialog is answered by a box that
        // waits; any other time (at start, or when the desktop answers later) nothing is
        // waited for, so that the launcher takes keys and drags while the box is open.
        const bool chosenNow = m_applyingOptions;
        QMetaObject::invokeMethod(
            this,
            [this, message, chosenNow] {
                if (chosenNow)
                    ShowMessageBox(m_view, message, MsgKind::Warning, msg_buttons::kOk);
                else
                    m_view.ShowNotice(message, MsgKind::Warning);
            },
            Qt::QueuedConnection);
    });
}

void TFrmMain::ShowMemoPicture() {
    const bool memo = auxwindow::MemoExists(TFrmAdr::MemoPath(m_platform, m_core->Files()),
                                            TFrmAdr::OldMemoPath(m_platform));
    tlbMemo->setIcon(OptIcon(memo ? 13 : 14));
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // Closing with the auxiliary window open (the session ends): it keeps its memo first.
    if (TFrmAdr* aux = TFrmAdr::Current())
        aux->close();
    delete m_dropAdapter; // no drop reaches a window that has saved its page
    m_dropAdapter = nullptr;
    // A batch still counting is dropped: closing never deletes.
    m_areas->Batch().Discard();
    m_savedAtClose = m_core->Close();
    event->accept();
}

void TFrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    repaint();
    if (!m_handlersInstalled) {
        m_handlersInstalled = true;
        m_activation->Watch();
        m_mover->WatchScreens();
    }
    activateWindow();
    raise();
    // The keys of the window (pages, categories) work from the start: no control has focus.
    setFocus();
    FrmShow();
}

// --- settings applied to controls --------------------------------------------------------

void TFrmMain::ApplyClockLook() {
    const WindowSettings& s = m_core->Settings();
    QFont f(JapaneseFontFamily(Q(s.DateFontName)));
    f.setPixelSize(15);
    f.setBold(s.DateBold);
    f.setItalic(s.DateItalic);
    lblNow->setFont(f);
    QPalette p = lblNow->palette();
    p.setColor(QPalette::WindowText, ToQColor(s.DateFont));
    p.setColor(QPalette::Window, ToQColor(s.DateBack));
    lblNow->setPalette(p);
    const QFontMetrics fm(f);
    layout::Rect& clock = m_layout.R(Ctl::lblNow);
    // The widest usual text: the picture applied to 1999-12-31 23:59:59, a Friday.
    clock.width = fm.horizontalAdvance(Q(watch::FormatDate(s.DateFormat, watch::LocalTime{}))) + 2;
    clock.height = std::max(15, fm.height());
}

void TFrmMain::ApplyStayOnTop() {
    const bool onTop = m_core->Settings().FrmStyle;
    if (windowHandle() != nullptr && isVisible()) {
        // The shown window keeps its place: only its state changes. Qt's flag alone does not
        // reach every window manager once the window is mapped (icewm ignores it), so the
        // window manager is asked as well (_NET_WM_STATE_ABOVE on X11, HWND_TOPMOST on
        // Windows).
        const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
        overrideWindowFlags(flags);
        windowHandle()->setFlags(flags);
        const QString platformName = QGuiApplication::platformName();
        if (platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal"))
            m_platform.SetStayOnTop(static_cast<NativeWindow>(winId()), onTop);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    m_options->Action(commands::ActionId::acFrmStyle)
        ->setToolTip(QString::fromUtf8(commands::FrmStyleHint(onTop).data()));
}

void TFrmMain::UpdateToggleButtons() {
    const WindowSettings& s = m_core->Settings();
    const bool infoShown = commands::InfoShown(s);
    btnInf->setText(QString::fromUtf8(commands::InfoCaption(infoShown).data()));
    btnInf->setToolTip(QString::fromUtf8(commands::InfoHint(infoShown).data()));
    btnOpt->setText(QString::fromUtf8(commands::OptCaption(s.ShowOpt).data()));
    btnOpt->setToolTip(QString::fromUtf8(commands::OptHint(s.ShowOpt).data()));
}

void TFrmMain::ButtonLookChanged() {
    tlbExc->UpdateButtonFaces();
    ArrangeLayout();
}

void TFrmMain::ApplyTitleColours() {
    QPalette p = lblTitle->palette();
    const QPalette theme = QApplication::palette();
    const bool active = m_layout.titleActive;
    p.setColor(QPalette::Window,
               SystemColour(active ? "clActiveCaption" : "clInactiveCaption", theme));
    p.setColor(QPalette::WindowText,
               SystemColour(active ? "clCaptionText" : "clInactiveCaptionText", theme));
    lblTitle->setPalette(p);
}

void TFrmMain::EditCategories() {
    // After OK the launcher reloads, on the category it showed when that is still there.
    const std::string current = m_core->Store().CurrentCategory();
    bool confirmed = false;
    RunModal([&] { confirmed = TFrmCategoryEdit::Edit(m_platform, m_core->Files(), this); });
    if (confirmed)
        LoadSettings(current);
}

// --- the buttons -------------------------------------------------------------------------

void TFrmMain::SyncFromStore() {
    m_syncQueued = false;
    const ButtonStore& store = m_core->Store();
    m_pageBar->ShowPage();
    tlbExc->UpdateButtonFaces();
    NameSlotsAndCategory(this, store, m_platform.Style());
    m_shownRevision = store.Revision();
}

void TFrmMain::FExecute(int slot) {
    m_core->ExecuteButton(slot);
    SyncFromStore();
}

// --- layout ------------------------------------------------------------------------------

void TFrmMain::MeasureInto(layout::WindowLayout& l) const {
    const QFontMetrics fm(m_panel->MemoryFont());
    const int memWidth = fm.horizontalAdvance(QStringLiteral("000,000KB"));
    l.R(Ctl::lblAvailMem).width = memWidth;
    l.R(Ctl::lblTotalMem).width = memWidth;
    l.R(Ctl::tlbExc).width = tlbExc->width();
    l.R(Ctl::tlbExc).height = tlbExc->height();
    l.window = Geometry();
}

void TFrmMain::ArrangeLayout() {
    MeasureInto(m_layout);
    m_layout = layout::ArrangeLayout(m_layout, m_core->LayoutFlags(IsActiveLook()));
    ApplyLayout();
}

void TFrmMain::ApplyInfoVisibility() {
    MeasureInto(m_layout);
    const layout::InfoVisibility info =
        layout::ApplyInfoVisibility(m_layout, m_core->LayoutFlags(IsActiveLook()));
    m_layout = info.layout;
    ApplyLayout();
    m_panel->SetTimerRuns(info.timerRuns);
}

void TFrmMain::ApplyLayout() {
    const std::pair<Ctl, QWidget*> controls[] = {
        {Ctl::lblTitle, lblTitle},
        {Ctl::bbtnCategory, m_pageBar->CategoryButton()},
        {Ctl::edtPage, m_pageBar->PageBox()},
        {Ctl::udPage, m_pageBar->PageUpDown()},
        {Ctl::btnInf, btnInf},
        {Ctl::tlbExc, tlbExc},
        {Ctl::bvlInf, bvlInf},
        {Ctl::lblResSys, lblResSys},
        {Ctl::lblResGDI, lblResGDI},
        {Ctl::lblResUser, lblResUser},
        {Ctl::lblCPU, lblCPU},
        {Ctl::ggResSys, ggResSys},
        {Ctl::ggResGDI, ggResGDI},
        {Ctl::ggResUser, ggResUser},
        {Ctl::ggCPU, ggCPU},
        {Ctl::lblAvailMem, lblAvailMem},
        {Ctl::lblTotalMem, lblTotalMem},
        {Ctl::btnOpt, btnOpt},
        {Ctl::lblNow, lblNow},
        {Ctl::bvlOpt, bvlOpt},
        {Ctl::tlbOpt, tlbOpt},
        {Ctl::imgDel, imgDel},
        {Ctl::imgGom, imgGom},
    };
    constexpr int f = layout::kFrameWidth;
    for (const auto& [ctl, widget] : controls) {
        widget->setGeometry(ToQRect(m_layout.R(ctl)).translated(f, f));
        widget->setVisible(m_layout[ctl].visible);
    }
    const layout::Rect& w = m_layout.window;
    setFixedSize(w.width, w.height);
    m_mover->MoveTo(QPoint(w.left, w.top));
    ApplyTitleColours();
}

// --- dialogs -----------------------------------------------------------------------------

void TFrmMain::BrowseForSlot(int n) {
    std::optional<std::string> chosen;
    RunModal([&] { chosen = TFrmRef::Browse(m_platform, m_core->BrowseStartPath(), this); });
    if (!chosen)
        return;
    try {
        if (m_core->AssignButton(*chosen, n) != 0)
            m_core->SavePage();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TFrmMain::OpenOptions(int n) {
    const std::string current = m_core->Store().CurrentCategory();
    const TFrmBtnSet::Opening opening{n, lblNow->text()};
    bool confirmed = false;
    RunModal([&] { confirmed = TFrmBtnSet::Edit(m_platform, *m_core, opening, this); });
    if (confirmed) {
        const QScopedValueRollback<bool> applying(m_applyingOptions, true);
        LoadSettings(current);
    }
}

drop::DropRects TFrmMain::Rects() const {
    // In the window's own coordinates, which the drop events report; a hidden control is
    // nowhere.
    const auto place = [this](const QWidget* w) {
        if (!w->isVisible())
            return layout::Rect{-10000, -10000, 0, 0};
        return layout::Rect{w->mapTo(this, QPoint(0, 0)).x(), w->mapTo(this, QPoint(0, 0)).y(),
                            w->width(), w->height()};
    };
    drop::DropRects r;
    r.bar = place(tlbExc);
    for (std::size_t i = 0; i < r.buttons.size(); ++i)
        r.buttons[i] = place(tlbExc->Button(static_cast<int>(i) + 1));
    r.del = place(imgDel);
    r.gom = place(imgGom);
    return r;
}

void TFrmMain::BringToFront() {
    if (isActiveWindow())
        return;
    raise();
    activateWindow();
}

// --- placement ---------------------------------------------------------------------------

void TFrmMain::PlaceAtCorner(int pos) {
    m_mover->PlaceAtCorner(pos);
    tlbPos->setIcon(OptIcon(m_core->Settings().WinPos + 14));
}

void TFrmMain::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_activation->MouseEntered();
}

void TFrmMain::paintEvent(QPaintEvent*) {
    // A thin raised frame and no caption bar.
    QPainter p(this);
    const QBrush face = palette().brush(QPalette::Window);
    qDrawWinPanel(&p, rect(), palette(), false, &face);
}

void TFrmMain::ShowError(const std::string& text) {
    ShowMessageBox(m_view, text, MsgKind::Error, msg_buttons::kOk);
}

} // namespace tavolin
