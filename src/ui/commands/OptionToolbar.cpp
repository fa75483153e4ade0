#include "ui/commands/OptionToolbar.h"

#include "core/Platform.h"
#include "core/commands/Actions.h"
#include "core/commands/SystemCommands.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "ui/auxwindow/TFrmAdr.h"
#include "ui/commands/AboutBox.h"
#include "ui/commands/HelpViewer.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"
#include "ui/watch/InfoPanel.h"

#include <QAction>
#include <QApplication>
#include <QInputMethod>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace tavolin {

using namespace commands;

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QKeySequence KeyOf(int stored) {
    if (stored == 0)
        return {};
    const ShortcutKey k = DecodeShortcut(stored);
    int key = 0;
    switch (k.key) {
    case kKeyReturn:
        key = Qt::Key_Return;
        break;
    case kKeyDelete:
        key = Qt::Key_Delete;
        break;
    case kKeyHome:
        key = Qt::Key_Home;
        break;
    case kKeyEnd:
        key = Qt::Key_End;
        break;
    default:
        key = Qt::Key_A + (k.key - 'A');
        break;
    }
    int modifiers = 0;
    if (k.shift)
        modifiers |= Qt::SHIFT;
    if (k.ctrl)
        modifiers |= Qt::CTRL;
    if (k.alt)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

// The five window positions of the button menu and the position drop-down.
struct Position {
    const char* caption;
    int image;
};
constexpr Position kPositions[5] = {{"左上 Shift+Enter", 15},
                                    {"右上 Shift+Enter", 16},
                                    {"右下 Shift+Enter", 17},
                                    {"左下 Shift+Enter", 18},
                                    {"任意", 19}};

} // namespace

// The window as the session-end commands see it.
class OptionToolbar::EndingWindow : public SessionWindow {
public:
    explicit EndingWindow(TFrmMain& window) : m_window(window) {}
    void SaveForSessionEnd() override { m_window.Core().Close(); }
    void HideForSessionEnd() override {
        m_window.hide();
        m_window.setEnabled(false);
        QCoreApplication::processEvents();
    }
    void ShowAfterSessionEnd() override {
        m_window.setEnabled(true);
        m_window.show();
        m_window.raise();
        m_window.activateWindow();
    }

private:
    TFrmMain& m_window;
};

OptionToolbar::OptionToolbar(TFrmMain& window, Platform& platform)
    : QWidget(&window), m_window(window), m_platform(platform),
      m_ending(std::make_unique<EndingWindow>(window)) {
    setObjectName(QStringLiteral("tlbOpt"));
    CreateActions();
    CreateMenus();
    CreateButtons();
    m_sessionWait = new QTimer(this);
    m_sessionWait->setObjectName(QStringLiteral("tmSessionEnd"));
    m_sessionWait->setSingleShot(true);
    m_sessionWait->setInterval(kSessionEndWaitMs);
    connect(m_sessionWait, &QTimer::timeout, this, [this] { m_ending->ShowAfterSessionEnd(); });
}

OptionToolbar::~OptionToolbar() = default;

std::function<void()> OptionToolbar::Handler(ActionId id) {
    switch (id) {
    case ActionId::acEndPGM:
        return [this] { acEndPGMExecute(); };
    case ActionId::acHelp:
        return [this] { acHelpExecute(); };
    case ActionId::acHelpC:
        return [this] { acHelpCExecute(); };
    case ActionId::acVer:
        return [this] { acVerExecute(); };
    case ActionId::acFrmStyle:
        return [this] { acFrmStyleExecute(); };
    case ActionId::acIcoSize:
        return [this] { acIcoSizeExecute(); };
    case ActionId::acIcoCaption:
        return [this] { acIcoCaptionExecute(); };
    case ActionId::acPos:
        return [this] { acPosExecute(); };
    case ActionId::acSet:
        return [this] { m_window.OpenOptions(0); };
    case ActionId::acAdr:
        return [this] { OpenAuxWindow(auxwindow::Mode::Adr); };
    case ActionId::acCal:
        return [this] { OpenAuxWindow(auxwindow::Mode::Cal); };
    case ActionId::acMem:
        return [this] { OpenAuxWindow(auxwindow::Mode::Mem); };
    case ActionId::acSmall:
        return [this] { acSmallExecute(false); };
    case ActionId::acSmallNot:
        return [this] { acSmallExecute(true); };
    case ActionId::acRecentClr:
        return [this] { acRecentClrExecute(); };
    case ActionId::acWinReStart:
        return [this] { acEndSessionExecute(static_cast<int>(SessionEnd::RestartShell)); };
    case ActionId::acWinReboot:
        return [this] { acEndSessionExecute(static_cast<int>(SessionEnd::Reboot)); };
    case ActionId::acSHUTDOWN:
        return [this] { acEndSessionExecute(static_cast<int>(SessionEnd::PowerOff)); };
    case ActionId::acInf:
        return [this] { acInfExecute(); };
    case ActionId::acOpt:
        return [this] { acOptExecute(); };
    }
    return {};
}

void OptionToolbar::CreateActions() {
    for (std::size_t i = 0; i < kActionCount; ++i) {
        const ActionSpec spec = ActionForSystem(ActionTable()[i], m_platform.Style());
        const auto id = static_cast<ActionId>(i);
        auto* ac = new QAction(Q(spec.caption), &m_window);
        ac->setObjectName(Q(spec.name));
        ac->setToolTip(Q(spec.hint));
        if (spec.image >= 0)
            ac->setIcon(OptIcon(spec.image));
        ac->setCheckable(spec.checkable);
        ac->setShortcut(KeyOf(spec.shortcut));
        ac->setShortcutContext(Qt::WindowShortcut);
        if (id == ActionId::acPos) {
            // The keypad's Enter too.
            ac->setShortcuts({KeyOf(spec.shortcut), QKeySequence(Qt::SHIFT | Qt::Key_Enter)});
        }
        m_window.addAction(ac);
        connect(ac, &QAction::triggered, this, Handler(id));
        m_actions[i] = ac;
    }
}

void OptionToolbar::CreateMenus() {
    pmPos = new QMenu(this);
    pmPos->setObjectName(QStringLiteral("pmPos"));
    for (int i = 0; i < 5; ++i) {
        QAction* item = pmPos->addAction(OptIcon(kPositions[i].image),
                                         QString::fromUtf8(kPositions[i].caption));
        item->setCheckable(true);
        item->setData(i + 1);
        connect(item, &QAction::triggered, this, [this, i] { WinPosClick(i + 1); });
    }
    connect(pmPos, &QMenu::aboutToShow, this, [this] { pmPosPopup(); });

    pmRecent = new QMenu(this);
    pmRecent->setObjectName(QStringLiteral("pmRecent"));
    pmRecent->addSeparator()->setObjectName(QStringLiteral("N33"));
    QAction* open = pmRecent->addAction(
        OptIcon(27), QStringLiteral("[最近使ったファイル]一覧 フォルダを開く..."));
    open->setObjectName(QStringLiteral("N32"));
    connect(open, &QAction::triggered, this, [this] {
        const auto folder = m_platform.SpecialFolderPath(SpecialFolder::RecentDocuments);
        if (!folder || !m_platform.ShowFolder(*folder)) {
            LaunchFile(m_platform, m_window.ViewOf(), folder.value_or(std::string()), "");
        }
    });
    QAction* clear = Action(ActionId::acRecentClr);
    m_recentClear = pmRecent->addAction(clear->icon(), clear->text());
    m_recentClear->setObjectName(QStringLiteral("N35"));
    connect(m_recentClear, &QAction::triggered, clear, &QAction::trigger);
    m_recentLinks = pmRecent->addAction(QStringLiteral("リンク先を表示"));
    m_recentLinks->setObjectName(QStringLiteral("N34"));
    m_recentLinks->setCheckable(true);
    connect(m_recentLinks, &QAction::triggered, this, [this](bool checked) {
        m_window.Core().Settings().RecentLNK = checked;
        m_window.Core().SaveSettings();
    });
    connect(pmRecent, &QMenu::aboutToShow, this, [this] { pmRecentPopup(); });
}

void OptionToolbar::CreateButtons() {
    constexpr int kButtonWidth = 23;
    constexpr int kButtonHeight = 22;
    constexpr int kSeparatorWidth = 8;
    constexpr int kArrowWidth = 12;
    for (int row = 0; row < 2; ++row) {
        int x = 0;
        for (const ToolbarButton& spec : ToolbarRow(row)) {
            if (spec.button.empty()) {
                x += kSeparatorWidth;
                continue;
            }
            auto* b = new QToolButton(this);
            b->setObjectName(Q(spec.button));
            b->setDefaultAction(Action(spec.action));
            m_buttons[static_cast<std::size_t>(spec.action)] = b;
            b->setIconSize({16, 16});
            b->setAutoRaise(true);
            b->setFocusPolicy(Qt::NoFocus);
            int width = kButtonWidth;
            if (spec.action == ActionId::acPos || spec.action == ActionId::acRecentClr) {
                b->setMenu(spec.action == ActionId::acPos ? pmPos : pmRecent);
                b->setPopupMode(QToolButton::MenuButtonPopup);
                width += kArrowWidth;
            }
            b->setGeometry(x, row * kButtonHeight, width, kButtonHeight);
            x += width;
        }
    }
}

void OptionToolbar::SyncFromSettings() {
    const WindowSettings& s = m_window.Core().Settings();
    Action(ActionId::acFrmStyle)->setChecked(s.FrmStyle);
    Action(ActionId::acFrmStyle)->setToolTip(Q(FrmStyleHint(s.FrmStyle)));
    Action(ActionId::acIcoSize)->setChecked(s.BtnSize);
    Action(ActionId::acIcoCaption)->setChecked(s.BtnCaption);
    Action(ActionId::acInf)->setToolTip(Q(InfoHint(InfoShown(s))));
    Action(ActionId::acOpt)->setToolTip(Q(OptHint(s.ShowOpt)));
    m_recentLinks->setChecked(s.RecentLNK);
}

void OptionToolbar::ShowDown(ActionId action, bool down) {
    if (QToolButton* b = Button(action)) {
        b->setDown(down);
        b->repaint();
    }
}

// --- the commands -------------------------------------------------------------------------

void OptionToolbar::acEndPGMExecute() {
    m_window.close();
}

void OptionToolbar::acHelpExecute() {
    m_window.ViewOf().SetBusy(true);
    ShowDown(ActionId::acHelp, true);
    ShowHelpTopicFinder();
    ShowDown(ActionId::acHelp, false);
    m_window.ViewOf().SetBusy(false);
}

void OptionToolbar::acHelpCExecute() {
    ShowHelpContents();
}

void OptionToolbar::acVerExecute() {
    // The box is not modal: the launcher's own activation handling rests while it shows, and
    // takes over again when the box closes or the launcher is activated, whichever is first.
    m_window.HoldActivation(true);
    m_window.AppDeactivate();
    auto* box = new TAboutBox(m_platform, &m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QPointer<TAboutBox> guard(box);
    auto finished = std::make_shared<bool>(false);
    auto done = [this, guard, finished] {
        if (*finished)
            return;
        *finished = true;
        if (guard)
            guard->close();
        m_window.HoldActivation(false);
        m_window.ActivateAfterDialog();
    };
    connect(box, &QObject::destroyed, this, done);
    connect(qApp, &QGuiApplication::focusWindowChanged, box, [this, done](QWindow* w) {
        if (w != nullptr && w == m_window.windowHandle())
            done();
    });
    box->show();
}

void OptionToolbar::OpenAuxWindow(auxwindow::Mode mode) {
    // acAdrExecute, acCalExecute, acMemExecute: the window of the mode, modally.
    m_window.AppDeactivate();
    TFrmAdr::Open(m_platform, m_window.Core().Files(), mode, &m_window);
    m_window.ActivateAfterDialog();
    // The launcher takes keys, not text: whatever the input method still composed for the
    // window's fields is dropped, and it is told that the focus takes no text.
    QInputMethod* inputMethod = QGuiApplication::inputMethod();
    inputMethod->reset();
    inputMethod->update(Qt::ImEnabled);
    m_window.ShowMemoPicture();
}

void OptionToolbar::acFrmStyleExecute() {
    WindowSettings& s = m_window.Core().Settings();
    s.FrmStyle = Action(ActionId::acFrmStyle)->isChecked();
    m_window.ApplyStayOnTop();
    // Off: once to the bottom of the stack, where the window manager activates the window
    // now on top. Nothing keeps the launcher down when the user brings it forward again.
    if (!s.FrmStyle)
        m_window.lower();
    m_window.setFocus();
    m_window.Core().SaveSettings();
}

void OptionToolbar::acIcoSizeExecute() {
    WindowSettings& s = m_window.Core().Settings();
    s.BtnSize = Action(ActionId::acIcoSize)->isChecked();
    m_window.ViewOf().SetBusy(true);
    m_window.Core().LoadPage();
    m_window.ButtonLookChanged();
    m_window.ViewOf().SetBusy(false);
    m_window.Core().SaveSettings();
}

void OptionToolbar::acIcoCaptionExecute() {
    WindowSettings& s = m_window.Core().Settings();
    s.BtnCaption = Action(ActionId::acIcoCaption)->isChecked();
    m_window.ViewOf().SetBusy(true);
    m_window.ButtonLookChanged();
    m_window.ViewOf().SetBusy(false);
    m_window.Core().SaveSettings();
}

void OptionToolbar::acPosExecute() {
    m_window.PlaceAtCorner(0);
}

void OptionToolbar::WinPosClick(int pos) {
    m_window.Core().Settings().WinPos = pos;
    m_window.PlaceAtCorner(pos);
}

void OptionToolbar::pmPosPopup() {
    const int winPos = m_window.Core().Settings().WinPos;
    const QList<QAction*> items = pmPos->actions();
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == winPos - 1);
}

void OptionToolbar::acSmallExecute(bool undo) {
    const ActionId button = undo ? ActionId::acSmallNot : ActionId::acSmall;
    ShowDown(button, true);
    const bool done = m_platform.MinimizeAll(undo);
    ShowDown(button, false);
    if (!done) {
        ShowMessageBox(m_window.ViewOf(),
                       "このデスクトップでは、ウィンドウをまとめて最小化することが出来ません。",
                       MsgKind::Information, msg_buttons::kOk);
    }
}

void OptionToolbar::acRecentClrExecute() {
    ShowDown(ActionId::acRecentClr, true);
    m_window.setFocus();
    ClearRecentList(m_platform, m_window.ViewOf(), m_window.Core().Settings().RecentMsg);
    ShowDown(ActionId::acRecentClr, false);
}

void OptionToolbar::acEndSessionExecute(int how) {
    const EndOutcome outcome =
        RunEndCommand(m_platform, m_window.ViewOf(), *m_ending, static_cast<SessionEnd>(how));
    // Accepted, and yet the session may go on (a program refused to end, the user cancelled
    // the desktop's own dialog): the window comes back after a while.
    if (outcome == EndOutcome::Requested)
        m_sessionWait->start();
}

void OptionToolbar::acInfExecute() {
    WindowSettings& s = m_window.Core().Settings();
    ToggleInfo(s);
    m_window.UpdateToggleButtons();
    Action(ActionId::acInf)->setToolTip(Q(InfoHint(InfoShown(s))));
    m_window.setFocus();
    m_window.ApplyInfoVisibility();
    m_window.Panel().ResTimer(); // the figures now shown are current at once
    m_window.Core().SaveSettings();
}

void OptionToolbar::acOptExecute() {
    WindowSettings& s = m_window.Core().Settings();
    ToggleOpt(s);
    m_window.UpdateToggleButtons();
    Action(ActionId::acOpt)->setToolTip(Q(OptHint(s.ShowOpt)));
    m_window.setFocus();
    m_window.ArrangeLayout();
    m_window.Core().SaveSettings();
}

// --- the recent-documents drop-down -------------------------------------------------------

void OptionToolbar::pmRecentPopup() {
    QList<QAction*> items = pmRecent->actions();
    constexpr int kFixed = 4;
    for (int i = 0; i + kFixed < items.size(); ++i) {
        pmRecent->removeAction(items[i]);
        items[i]->deleteLater();
    }
    QAction* first = pmRecent->actions().constFirst();
    const auto entries = RecentMenuEntries(m_platform, m_window.Core().Settings().RecentLNK);
    for (const RecentMenuEntry& entry : entries) {
        const QString path = QString::fromStdString(entry.path);
        QIcon icon = entry.exists ? TargetIcon(path) : QIcon();
        if (icon.isNull())
            icon = OptIcon(26);
        auto* item = new QAction(
            icon, QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")), pmRecent);
        connect(item, &QAction::triggered, this, [this, path] { pmRecentClick(path); });
        pmRecent->insertAction(first, item);
    }
    m_recentClear->setEnabled(!entries.empty());
}

void OptionToolbar::pmRecentClick(const QString& path) {
    LaunchFile(m_platform, m_window.ViewOf(), path.toStdString(), "");
}

} // namespace tavolin
