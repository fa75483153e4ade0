#include "ui/launcher/TFrmMain.h"
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
#include "ui/launcher/UpDown.h"
#include "ui/look/Colours.h"
#include "ui/look/OptIcons.h"
#include "ui/options/TFrmBtnSet.h"
#include "ui/watch/InfoPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace tavolin {

using layout::Ctl;

namespace {

// The application's style, with menus that scroll when they are taller than the screen.
class ScrollingMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

const QString kProductName = QStringLiteral("Tavolin");

// How long an activated, shrunken window under the pointer waits for the click that may have
// activated it, in milliseconds.
constexpr int kActivationClickWait = 200;
// After a dialog: the requests for the activation, one every so many milliseconds.
constexpr int kActivationAskInterval = 100;
constexpr int kActivationAsks = 30;

QRect ToQRect(const layout::Rect& r) {
    return {r.left, r.top, r.width, r.height};
}
layout::Rect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Texts of buttons and menu items show "&" literally.
QString Literal(const std::string& s) {
    return Q(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
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
    CreateControls();
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
    qApp->installEventFilter(this);
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
    qApp->removeEventFilter(this);
    m_core->Store().SetChangedHandler({});
}

void TFrmMain::CreateControls() {
    QFont font(WindowFontFamily());
    font.setPixelSize(12);
    setFont(font);

    const auto label = [this](const char* name, const QString& text = {}) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };

    lblTitle = label("lblTitle");
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setAutoFillBackground(true);

    bbtnCategory = new QPushButton(this);
    bbtnCategory->setObjectName(QStringLiteral("bbtnCategory"));
    bbtnCategory->setFocusPolicy(Qt::NoFocus);
    bbtnCategory->setToolTip(QStringLiteral("カテゴリー(← →)"));
    connect(bbtnCategory, &QPushButton::clicked, this, [this] { bbtnCategoryClick(); });
    pmCategory = new QMenu(this);
    pmCategory->setObjectName(QStringLiteral("pmCategory"));
    // One flat list, however many categories: it scrolls rather than spill into columns
    // clipped by the screen, so every name and the editor's item stay reachable.
    auto* scrolling = new ScrollingMenuStyle;
    scrolling->setParent(pmCategory);
    pmCategory->setStyle(scrolling);

    edtPage = new QLineEdit(QStringLiteral("1"), this);
    edtPage->setObjectName(QStringLiteral("edtPage"));
    edtPage->setValidator(new DigitsValidator(edtPage));
    edtPage->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtPage->setTextMargins(0, 0, 0, 0);
    edtPage->setToolTip(QStringLiteral("ページ(↓↑or PageUp Down)"));
    connect(edtPage, &QLineEdit::textChanged, this, [this](const QString& t) { edtPageChange(t); });

    udPage = new UpDown(this);
    udPage->setObjectName(QStringLiteral("udPage"));
    udPage->SetRange(Launcher::kMinPage, Launcher::kMaxPage);
    udPage->SetPosition(1);
    udPage->setToolTip(edtPage->toolTip());
    connect(udPage, &UpDown::positionChanged, this,
            [this](int position) { edtPage->setText(QString::number(position)); });

    btnInf = new QPushButton(QStringLiteral("←"), this);
    btnInf->setObjectName(QStringLiteral("btnInf"));
    btnInf->setFont(BoldFont(font));
    btnInf->setFocusPolicy(Qt::NoFocus);

    // The launch buttons, each bound to its action and key.
    tlbExc = new QWidget(this);
    tlbExc->setObjectName(QStringLiteral("tlbExc"));
    for (int n = 1; n <= 24; ++n) {
        auto* ac = new QAction(this);
        ac->setObjectName(QStringLiteral("acF%1").arg(n));
        ac->setData(n);
        const auto key = static_cast<Qt::Key>(Qt::Key_F1 + (n - 1) % 12);
        ac->setShortcut(n <= 12 ? QKeySequence(key) : QKeySequence(Qt::SHIFT | key));
        ac->setShortcutContext(Qt::WindowShortcut);
        addAction(ac);
        connect(ac, &QAction::triggered, this, [this, n] { FExecute(n); });
        auto* b = new QToolButton(tlbExc);
        b->setObjectName(QStringLiteral("tlb%1").arg(n));
        b->setDefaultAction(ac);
        b->setFocusPolicy(Qt::NoFocus);
        m_acF[static_cast<std::size_t>(n - 1)] = ac;
        m_tlb[static_cast<std::size_t>(n - 1)] = b;
    }

    bvlInf = new QFrame(this);
    bvlInf->setObjectName(QStringLiteral("bvlInf"));
    bvlInf->setFrameShape(QFrame::VLine);
    bvlInf->setFrameShadow(QFrame::Raised);

    lblResSys = label("lblResSys", QStringLiteral("Sys :"));
    lblResGDI = label("lblResGDI", QStringLiteral("GDI :"));
    lblResUser = label("lblResUser", QStringLiteral("User :"));
    lblCPU = label("lblCPU", QStringLiteral("CPU :"));
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

    QFont memFont = font;
    memFont.setUnderline(true);
    for (QLabel** mem : {&lblAvailMem, &lblTotalMem}) {
        *mem = label(mem == &lblAvailMem ? "lblAvailMem" : "lblTotalMem");
        (*mem)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*mem)->setFont(memFont);
        QPalette p = (*mem)->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 128));
        (*mem)->setPalette(p);
    }

    btnOpt = new QPushButton(QStringLiteral("↑"), this);
    btnOpt->setObjectName(QStringLiteral("btnOpt"));
    btnOpt->setFont(BoldFont(font));
    btnOpt->setFocusPolicy(Qt::NoFocus);

    lblNow = label("lblNow");
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

void TFrmMain::CreateOptionToolbar() {
    m_options = new OptionToolbar(*this, m_platform);
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
        pmBtn = new ButtonMenu(*this, m_platform, *m_options);
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
    m_categoryMenuStale = true;
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
        // Qt reports the application active before it has set the active window, and the
        // focus window changes on its own: both only ask for a look once the event loop has
        // settled, when the state and the active window agree.
        const auto queueSync = [this] {
            QMetaObject::invokeMethod(this, &TFrmMain::SyncActivation, Qt::QueuedConnection);
        };
        connect(qApp, &QGuiApplication::applicationStateChanged, this, queueSync);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, queueSync);
        // A window in a corner stays there when a panel comes, goes or moves, or a screen
        // changes.
        const auto follow = [this](QScreen* s) {
            connect(s, &QScreen::availableGeometryChanged, this, [this] { FollowWorkArea(); });
        };
        for (QScreen* s : QGuiApplication::screens())
            follow(s);
        connect(qApp, &QGuiApplication::screenAdded, this, follow);
        connect(qApp, &QGuiApplication::screenRemoved, this, [this] { FollowWorkArea(); });
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
    UpdateButtonFaces();
    ArrangeLayout();
}

void TFrmMain::HoldActivation(bool held) {
    m_activationHeld = held;
    if (!held)
        QMetaObject::invokeMethod(this, &TFrmMain::SyncActivation, Qt::QueuedConnection);
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

void TFrmMain::FillCategoryMenu() {
    if (!m_categoryMenuStale)
        return;
    m_categoryMenuStale = false;
    pmCategory->clear();
    for (const std::string& name : m_core->CategoryMenu()) {
        QAction* item = pmCategory->addAction(Literal(name));
        connect(item, &QAction::triggered, this, [this, name] { pmCategoryClick(Q(name)); });
    }
    pmCategory->addSeparator();
    QAction* edit = pmCategory->addAction(QStringLiteral("カテゴリー編集(&E)..."));
    edit->setObjectName(QStringLiteral("categoryEdit"));
    // After OK the launcher reloads, on the category it showed when that is still there.
    connect(edit, &QAction::triggered, this, [this] {
        const std::string current = m_core->Store().CurrentCategory();
        bool confirmed = false;
        RunModal([&] { confirmed = TFrmCategoryEdit::Edit(m_platform, m_core->Files(), this); });
        if (confirmed)
            LoadSettings(current);
    });
}

// --- the buttons -------------------------------------------------------------------------

void TFrmMain::SyncFromStore() {
    m_syncQueued = false;
    const ButtonStore& store = m_core->Store();
    bbtnCategory->setText(Literal(store.CurrentCategory()));
    const QString page = Q(store.CurrentPage());
    if (edtPage->text() != page) {
        const QSignalBlocker block(edtPage);
        edtPage->setText(page);
    }
    udPage->SetPosition(page.toInt());
    UpdateButtonFaces();
    NameSlotsAndCategory(this, store, m_platform.Style());
    m_shownRevision = store.Revision();
}

void TFrmMain::UpdateButtonFaces() {
    const ButtonStore& store = m_core->Store();
    // A target whose type changed shows its new icon from the next page load on.
    if (m_iconsLoad != store.PageLoads()) {
        m_icons.clear();
        m_iconsLoad = store.PageLoads();
    }
    for (int n = 1; n <= 24; ++n) {
        QAction* ac = m_acF[static_cast<std::size_t>(n - 1)];
        QToolButton* b = m_tlb[static_cast<std::size_t>(n - 1)];
        if (!store.IsUsed(n)) {
            ac->setIcon(QIcon());
            ac->setText(QString());
            ac->setIconText(QString());
            ac->setToolTip(QString());
            b->setCursor(Qt::ArrowCursor);
            continue;
        }
        const ButtonIcon& source = store.Icon(n);
        QIcon icon;
        if (source.path.empty()) {
            icon = OptIcon(source.image);
        } else {
            const QString path = Q(source.path);
            auto it = m_icons.find(path);
            if (it == m_icons.end())
                it = m_icons.insert(path, TargetIcon(path));
            icon = it->isNull() ? OptIcon(ButtonStore::kNoIconImage) : *it;
        }
        ac->setIcon(icon);
        ac->setText(Literal(store.Caption(n)));
        // The button shows the action's icon text, which Qt derives from the text without a
        // trailing "..."; a cut caption keeps its dots when given as it is.
        ac->setIconText(ac->text());
        ac->setToolTip(Q(store.BtnTitle(n)));
        b->setCursor(Qt::PointingHandCursor);
    }
    SizeButtons();
}

void TFrmMain::SizeButtons() {
    const WindowSettings& s = m_core->Settings();
    const int icon = s.BtnSize ? 32 : 16;
    const QFontMetrics fm(font());
    int w = icon + 7;
    int h = icon + 6;
    if (s.BtnCaption) {
        for (QAction* ac : m_acF) {
            w = std::max(w, fm.horizontalAdvance(
                                ac->text().replace(QStringLiteral("&&"), QStringLiteral("&"))) +
                                8);
        }
        h += fm.height() + 2;
    }
    for (int i = 0; i < 24; ++i) {
        QToolButton* b = m_tlb[static_cast<std::size_t>(i)];
        const int col = i % 12;
        const int row = i / 12;
        // A 2-pixel gap after the 4th and the 8th button of each row.
        const int x = col * w + (col >= 4 ? 2 : 0) + (col >= 8 ? 2 : 0);
        b->setIconSize({icon, icon});
        b->setToolButtonStyle(s.BtnCaption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        b->setGeometry(x, row * h, w, h);
    }
    const QSize bar(12 * w + 4, 2 * h);
    tlbExc->resize(bar);
    layout::Rect& r = m_layout.R(Ctl::tlbExc);
    if (r.width != bar.width() || r.height != bar.height()) {
        r.width = bar.width();
        r.height = bar.height();
        ArrangeLayout();
    }
}

void TFrmMain::ShowPressed(int slot, bool down) {
    if (slot < 1 || slot > 24)
        return;
    QToolButton* b = m_tlb[static_cast<std::size_t>(slot - 1)];
    b->setDown(down);
    b->repaint();
}

void TFrmMain::FExecute(int slot) {
    m_core->ExecuteButton(slot);
    SyncFromStore();
}

// --- pages and categories ----------------------------------------------------------------

void TFrmMain::bbtnCategoryClick() {
    FillCategoryMenu();
    const QPoint at = QCursor::pos();
    pmCategory->popup(at - QPoint(pmCategory->sizeHint().width(), 0));
    setFocus();
}

void TFrmMain::pmCategoryClick(const QString& name) {
    m_core->ChooseCategory(name.toStdString());
    SyncFromStore();
}

void TFrmMain::edtPageChange(const QString& text) {
    std::optional<std::string> corrected;
    try {
        corrected = m_core->PageTextChanged(text.toStdString());
    } catch (const ConversionError& e) {
        ShowError(e.what());
        return;
    }
    if (corrected) {
        edtPage->setText(Q(*corrected)); // reports the change again, and that loads
        return;
    }
    SyncFromStore();
}

bool TFrmMain::FrmKeyUp(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return false;
    switch (event->key()) {
    case Qt::Key_PageDown:
    case Qt::Key_Up:
        m_core->StepPage(+1);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Down:
        m_core->StepPage(-1);
        break;
    case Qt::Key_Left:
        if (edtPage->hasFocus())
            return false;
        m_core->PreviousCategory();
        break;
    case Qt::Key_Right:
        if (edtPage->hasFocus())
            return false;
        m_core->NextCategory();
        break;
    case Qt::Key_Backspace: {
        // Alt as it was when the key went down: it may be let go first, and some systems
        // report the release without it.
        const bool alt = m_backspaceWithAlt;
        m_backspaceWithAlt = false;
        if (!alt)
            return false;
        m_core->CycleDisplayMode();
        break;
    }
    default:
        return false;
    }
    SyncFromStore();
    return true;
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (widget != imgDel && widget != imgGom && ShrunkenMouse(static_cast<QMouseEvent*>(event)))
            return true;
        return FrmMouseDown(widget, static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return ShrunkenMouse(static_cast<QMouseEvent*>(event));
    case QEvent::ShortcutOverride: {
        // The page box takes digits only: a letter is the window's command (I, O, ...), not
        // text for the box, which would claim it and swallow it.
        if (widget != edtPage)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool letter = !key->text().isEmpty() && key->text().front().isLetter();
        if (!letter || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        event->ignore();
        return true;
    }
    case QEvent::KeyRelease:
        // The window sees its keys before its controls do.
        return FrmKeyUp(static_cast<QKeyEvent*>(event));
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace && !key->isAutoRepeat())
            m_backspaceWithAlt = (key->modifiers() & Qt::AltModifier) != 0;
        // The context-menu key opens the window's menu, wherever the focus is.
        if (key->key() != Qt::Key_Menu)
            return false;
        ButtonMenuNow().PopupFor(0, mapToGlobal(QPoint(lblTitle->width() + 8, height() / 2)));
        return true;
    }
    case QEvent::ToolTip: {
        const WindowSettings& s = m_core->Settings();
        if (!s.Hint)
            return true;
        const bool launchButton = std::find(m_tlb.begin(), m_tlb.end(), widget) != m_tlb.end();
        return s.HintBtn && !launchButton;
    }
    default:
        return false;
    }
}

bool TFrmMain::FrmMouseDown(QWidget* widget, QMouseEvent* event) {
    if (event->button() != Qt::RightButton)
        return false;
    // A launch button opens the menu for itself (TBNMouseDown); the window's background, the
    // title strip, the information panel and the option toolbar open it for no button.
    const auto button = std::find(m_tlb.begin(), m_tlb.end(), widget);
    if (button != m_tlb.end()) {
        const int slot = static_cast<int>(button - m_tlb.begin()) + 1;
        ButtonMenuNow().PopupFor(slot, event->globalPosition().toPoint());
        return true;
    }
    const bool windowPart = widget == this || widget == tlbExc || widget == tlbOpt ||
                            widget->parentWidget() == tlbOpt || qobject_cast<QLabel*>(widget) ||
                            qobject_cast<QProgressBar*>(widget) || qobject_cast<QFrame*>(widget);
    if (!windowPart || widget == imgDel || widget == imgGom)
        return false;
    ButtonMenuNow().PopupFor(0, event->globalPosition().toPoint());
    return true;
}

// --- layout ------------------------------------------------------------------------------

layout::Rect TFrmMain::Geometry() const {
    if (m_placing)
        return m_layout.window;
    // The size is the one the program set (nobody else resizes the window), never one that
    // a window manager reports for a frame of its own; the origin is where the server shows
    // the window once a move was reported.
    layout::Rect r = m_layout.window;
    QPoint origin = geometry().topLeft();
    if (m_originUnsure && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const std::optional<ScreenPoint> shown =
                m_platform.WindowOrigin(static_cast<NativeWindow>(winId()))) {
            origin = QPoint(shown->x, shown->y);
            m_originUnsure = false;
        }
    }
    r.left = origin.x();
    r.top = origin.y();
    return r;
}

void TFrmMain::MoveTo(QPoint topLeft) {
    // A top-level move() places the frame, which a window manager may report larger than
    // the borderless window; the geometry places the window itself.
    const layout::Rect now = Geometry();
    if (QPoint(now.left, now.top) != topLeft || geometry().topLeft() != topLeft)
        setGeometry(QRect(topLeft, size()));
}

QRect TFrmMain::WorkArea() const {
    QScreen* s = QGuiApplication::screenAt(geometry().center());
    if (s == nullptr)
        s = screen();
    if (s == nullptr)
        s = QGuiApplication::primaryScreen();
    return s != nullptr ? s->availableGeometry() : QRect(0, 0, 640, 480);
}

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
    m_layout = layout::ArrangeLayout(m_layout, m_core->LayoutFlags(m_active));
    ApplyLayout();
}

void TFrmMain::ApplyInfoVisibility() {
    MeasureInto(m_layout);
    const layout::InfoVisibility info =
        layout::ApplyInfoVisibility(m_layout, m_core->LayoutFlags(m_active));
    m_layout = info.layout;
    ApplyLayout();
    m_panel->SetTimerRuns(info.timerRuns);
}

void TFrmMain::ApplyLayout() {
    const std::pair<Ctl, QWidget*> controls[] = {
        {Ctl::lblTitle, lblTitle},
        {Ctl::bbtnCategory, bbtnCategory},
        {Ctl::edtPage, edtPage},
        {Ctl::udPage, udPage},
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
    MoveTo(QPoint(w.left, w.top));
    ApplyTitleColours();
}

void TFrmMain::SyncActivation() {
    if (m_activationHeld)
        return;
    // Inactive means that another application is active; a dialog of the launcher's own
    // keeps it active.
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
        if (m_active)
            AppDeactivate();
        return;
    }
    if (!m_active)
        AppActivate();
}

void TFrmMain::Activate(bool force) {
    // Only for the launcher window itself; while a dialog of the program is active nothing
    // changes.
    if (!force && QApplication::activeWindow() != this)
        return;
    if (!force && m_shrunk && HoldGrowth())
        return;
    m_active = true;
    m_shrunk = false;
    m_growWait = GrowWait::None;
    MeasureInto(m_layout);
    const layout::ActivationResult r = layout::AppActivate(m_layout, m_core->LayoutFlags(true));
    m_layout = r.layout;
    ApplyLayout();
    if (r.infoApplied)
        m_panel->SetTimerRuns(r.timerRuns);
    FrmShow();
}

void TFrmMain::AppDeactivate() {
    m_active = false;
    MeasureInto(m_layout);
    const layout::ActivationResult r = layout::AppDeactivate(m_layout, m_core->LayoutFlags(false));
    m_shrunk = m_shrunk || r.layout.window.width != m_layout.window.width ||
               r.layout.window.height != m_layout.window.height;
    m_growWait = GrowWait::None;
    m_layout = r.layout;
    ApplyLayout();
    if (r.sampleNow)
        m_panel->ResTimer();
    if (r.timerRuns)
        m_panel->SetTimerRuns(true);
    FrmShow();
}

bool TFrmMain::HoldGrowth() {
    // The window grows under the pointer, and a click that activated it would land on the
    // control the grown window puts there. While that click is held the window stays small
    // (it may be dragged) and grows on its release; a window system that activates before
    // it delivers the click gets a moment for the click to arrive.
    if (m_shrunkPress)
        return true;
    if (m_growWait == GrowWait::Waited)
        return false;
    if (m_growWait == GrowWait::Waiting)
        return true;
    if (!frameGeometry().contains(QCursor::pos()))
        return false;
    m_growWait = GrowWait::Waiting;
    QTimer::singleShot(kActivationClickWait, this, [this] {
        if (m_growWait != GrowWait::Waiting)
            return;
        m_growWait = GrowWait::Waited;
        if (!m_shrunkPress)
            AppActivate();
    });
    return true;
}

bool TFrmMain::ShrunkenMouse(QMouseEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Only presses on the small look: the controls it hides are not there to be pressed.
        if (!m_shrunk || event->button() != Qt::LeftButton)
            return false;
        m_shrunkPress = true;
        m_shrunkPressOrigin = geometry().topLeft();
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - geometry().topLeft();
        return true;
    case QEvent::MouseMove:
        if (!m_shrunkPress)
            return false;
        mouseMoveEvent(event);
        return true;
    case QEvent::MouseButtonRelease:
        if (!m_shrunkPress || event->button() != Qt::LeftButton)
            return false;
        m_shrunkPress = false;
        m_dragging = false;
        if (geometry().topLeft() != m_shrunkPressOrigin)
            m_core->SaveSettings();
        // A click that activated the window grows it now, the press and release spent.
        m_growWait = GrowWait::Waited;
        AppActivate();
        return true;
    default:
        return false;
    }
}

void TFrmMain::RunModal(const std::function<void()>& dialog) {
    AppDeactivate();
    lower();
    dialog();
    if (m_core->Settings().FrmStyle)
        raise();
    ActivateAfterDialog();
}

void TFrmMain::ActivateAfterDialog() {
    activateWindow();
    // The application stays active across its own dialog: the launcher is its active window
    // at once, so that a key pressed before the window system's word arrives reaches its
    // shortcuts.
    if (QApplication::activeWindow() == nullptr &&
        qApp->applicationState() == Qt::ApplicationActive)
        QApplication::setActiveWindow(this);
    setFocus();
    AppActivate();
    // Qt's own word is not the window system's: a window manager may still give the focus to
    // the window below once the dialog has gone. Asked again until the window system reports
    // the focus here.
    if (m_askTimer == nullptr) {
        m_askTimer = new QTimer(this);
        m_askTimer->setInterval(kActivationAskInterval);
        connect(m_askTimer, &QTimer::timeout, this, [this] {
            if (!AskActivationAgain())
                m_askTimer->stop();
        });
    }
    m_asksLeft = kActivationAsks;
    m_focusHeld = 0;
    m_activeElsewhere.reset();
    m_askTimer->start();
}

bool TFrmMain::AskActivationAgain() {
    if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget())
        return false; // another dialog or a menu of the program's own
    // The window system's focus event is the answer. It must hold a moment: the window
    // manager may pass the focus on to the window below just after granting it.
    if (windowHandle() != nullptr && QGuiApplication::focusWindow() == windowHandle()) {
        if (++m_focusHeld < 2)
            return true;
        SyncActivation();
        return false;
    }
    m_focusHeld = 0;
    // The first other program's window that the window manager made active is its own
    // choice; a change from it to yet another one is the user's, and the launcher leaves the
    // focus there.
    const std::optional<NativeWindow> now = m_platform.ActiveWindow();
    const QWidgetList own = QApplication::topLevelWidgets();
    const bool ours = now && std::any_of(own.begin(), own.end(), [&](const QWidget* w) {
                          return w->testAttribute(Qt::WA_WState_Created) &&
                                 static_cast<NativeWindow>(w->winId()) == *now;
                      });
    if (now && !ours) {
        if (m_activeElsewhere && *m_activeElsewhere != *now) {
            SyncActivation();
            return false;
        }
        m_activeElsewhere = now;
    }
    if (--m_asksLeft < 0) {
        SyncActivation(); // the look follows what the window system decided
        return false;
    }
    activateWindow();
    return true;
}

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
    for (std::size_t i = 0; i < m_tlb.size(); ++i)
        r.buttons[i] = place(m_tlb[i]);
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

void TFrmMain::FrmShow() {
    const WindowSettings& s = m_core->Settings();
    const bool visible =
        layout::TaskbarEntryVisible(s.TaskBar, s.TaskBarLast, m_active, s.FrmStyle);
    // Every windowing system has a taskbar entry to change (an X11 session's, Windows'); the
    // offscreen and minimal platforms of tests and tools have none.
    const QString platformName = QGuiApplication::platformName();
    if (platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal") &&
        windowHandle() != nullptr) {
        m_platform.SetTaskbarEntry(static_cast<NativeWindow>(winId()), visible);
    }
}

void TFrmMain::PlaceAtCorner(int pos) {
    WindowSettings& s = m_core->Settings();
    m_cornerArea = WorkArea();
    const layout::CornerPlacement placed =
        layout::PlaceAtCorner(Geometry(), ToRect(m_cornerArea), pos);
    if (pos == 0)
        s.WinPos = placed.winPos;
    PlaceAt(placed.window);
    tlbPos->setIcon(OptIcon(s.WinPos + 14));
}

void TFrmMain::KeepOnScreen() {
    std::vector<layout::Rect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas.push_back(ToRect(s->availableGeometry()));
    const layout::Rect now = Geometry();
    const layout::Rect kept = layout::KeepOnScreen(now, areas);
    if (kept == now)
        return;
    PlaceAt(kept);
}

void TFrmMain::PlaceAt(const layout::Rect& placed) {
    m_layout.window = placed;
    MoveTo(QPoint(placed.left, placed.top));
    const QScopedValueRollback<bool> placing(m_placing, true);
    m_core->SaveSettings();
}

void TFrmMain::FollowWorkArea() {
    // Only a window that still stands in its corner of the work area it was placed in
    // follows; one the user has dragged away stays where it was put.
    const int winPos = m_core->Settings().WinPos;
    const layout::Rect now = Geometry();
    const bool inCorner = winPos >= 1 && winPos <= 4 && m_cornerArea.isValid() &&
                          layout::PlaceAtCorner(now, ToRect(m_cornerArea), winPos).window == now;
    if (inCorner)
        PlaceAtCorner(winPos);
}

// --- mouse -------------------------------------------------------------------------------

void TFrmMain::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // A left press on the option toolbar's free space leaves the window where it is; a
        // double-click there still puts it into a corner.
        if (childAt(event->position().toPoint()) == tlbOpt) {
            event->accept();
            return;
        }
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - geometry().topLeft();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TFrmMain::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint cursor = event->globalPosition().toPoint();
    const QPoint topLeft = cursor - m_dragOffset;
    layout::Rect proposed{topLeft.x(), topLeft.y(), width(), height()};
    if (event->modifiers() & Qt::ControlModifier) {
        QScreen* s = QGuiApplication::screenAt(cursor);
        const QRect work = s != nullptr ? s->availableGeometry() : WorkArea();
        proposed = layout::SnapWhileMoving(proposed, {cursor.x(), cursor.y()}, ToRect(work), true);
    }
    setGeometry(QRect(QPoint(proposed.left, proposed.top), size()));
    m_layout.window.left = proposed.left;
    m_layout.window.top = proposed.top;
}

void TFrmMain::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_core->SaveSettings();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TFrmMain::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget* child = childAt(event->position().toPoint());
    const bool corner = child == nullptr || child == lblTitle || child == tlbOpt ||
                        child->parentWidget() == tlbOpt || child == bvlInf || child == bvlOpt;
    if (event->button() == Qt::LeftButton && corner) {
        PlaceAtCorner(0);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TFrmMain::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (layout::ActivateOnMouseEnter(m_core->Settings().AutoFore, m_layout.titleActive,
                                     QApplication::activeModalWidget() != nullptr)) {
        activateWindow();
        raise();
    }
}

void TFrmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Qt asks the server where the window is when the window manager reparents it, which
    // can be before the window manager has moved its frame into place; the later move of
    // the frame may never be reported. Ask again before the position is used.
    if (isVisible())
        m_originUnsure = true;
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
