#include "ui/commands/ButtonMenu.h"

#include "core/Platform.h"
#include "core/commands/ButtonMenuModel.h"
#include "core/helpers/MessageBox.h"
#include "core/layout/Layout.h"
#include "ui/commands/OptionToolbar.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QInputDialog>

namespace tavolin {

using namespace commands;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
QString Literal(const std::string& s) {
    return Q(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The folder caption's widest extent in the window's font.
constexpr int kFolderCaptionWidth = 200;

} // namespace

ButtonMenu::ButtonMenu(TFrmMain& window, Platform& platform, OptionToolbar& options)
    : QMenu(&window), m_window(window), m_platform(platform), m_options(options),
      m_commands(window.Core(), platform, window.ViewOf(), window) {
    setObjectName(QStringLiteral("pmBtn"));

    connect(Add(this, "N13", {}), &QAction::triggered, this,
            [this] { m_window.FExecute(Tag("N13")); });
    connect(Add(this, "N2", {}), &QAction::triggered, this,
            [this] { m_window.OpenOptions(Tag("N2")); });
    QMenu* edit = addMenu(QString());
    edit->setObjectName(QStringLiteral("N14menu"));
    m_items.insert(QStringLiteral("N14"), edit->menuAction());
    edit->menuAction()->setObjectName(QStringLiteral("N14"));
    connect(Add(edit, "N1", QStringLiteral("削除"), 26), &QAction::triggered, this,
            [this] { m_commands.Delete(Tag("N1")); });
    connect(Add(edit, "Copy1", QStringLiteral("コピー"), 23), &QAction::triggered, this,
            [this] { m_commands.Copy(Tag("Copy1")); });
    connect(Add(edit, "Cut1", QStringLiteral("切り取り"), 24), &QAction::triggered, this,
            [this] { m_commands.Cut(Tag("Cut1")); });
    connect(Add(edit, "Paste1", QStringLiteral("貼り付け"), 25), &QAction::triggered, this,
            [this] { m_commands.Paste(Tag("Paste1")); });
    connect(Add(this, "N36", {}), &QAction::triggered, this, [this] {
        const int n = Tag("N36");
        m_commands.PrepareBrowse(n);
        m_window.BrowseForSlot(n);
    });
    connect(Add(this, "N31", QStringLiteral("ボタン タイトル変更...")), &QAction::triggered, this,
            [this] { N31Click(); });
    addSeparator();
    connect(Add(this, "N7", {}, 21), &QAction::triggered, this,
            [this] { m_commands.OpenFolder(Tag("N7")); });
    QMenu* attached = addMenu(OptIcon(27), QStringLiteral("添付ファイルを開く"));
    m_items.insert(QStringLiteral("N21"), attached->menuAction());
    attached->menuAction()->setObjectName(QStringLiteral("N21"));
    connect(Add(attached, "N22", QStringLiteral("ヘルプを開く"), 22), &QAction::triggered, this,
            [this] { m_commands.OpenHelp(Tag("N7")); });
    connect(Add(attached, "N23", QStringLiteral("Readme.txtを開く"), 28), &QAction::triggered, this,
            [this] { m_commands.OpenReadme(Tag("N7")); });
    addSeparator();
    connect(Add(this, "N4", QStringLiteral("ページボタンすべてリセット...")), &QAction::triggered,
            this, [this] { m_commands.ResetPage(); });
    addSeparator();

    QMenu* look = addMenu(QStringLiteral("ボタン 表示形式"));
    look->menuAction()->setObjectName(QStringLiteral("N37"));
    for (const auto& [name, caption, action] :
         {std::tuple{"N39", "大きいアイコン", ActionId::acIcoSize},
          std::tuple{"N38", "タイトル表示", ActionId::acIcoCaption}}) {
        QAction* item = Add(look, name, QString::fromUtf8(caption));
        item->setCheckable(true);
        QAction* target = m_options.Action(action);
        connect(item, &QAction::triggered, target, &QAction::trigger);
    }

    QMenu* modes = addMenu(QStringLiteral("表示モード"));
    modes->menuAction()->setObjectName(QStringLiteral("N17"));
    using layout::DisplayMode;
    for (const auto& [name, caption, mode] :
         {std::tuple{"N18", "通常モード", DisplayMode::Nomal},
          std::tuple{"N16", "最小モード", DisplayMode::Small},
          std::tuple{"N19", "タイトルモード", DisplayMode::Title},
          std::tuple{"N20", "時計モード", DisplayMode::Time},
          std::tuple{"N24", "時計+情報モード", DisplayMode::TaR}}) {
        QAction* item =
            Add(modes, name, QString::fromUtf8(caption) + QStringLiteral("\tAlt+Backspace"));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, m = mode] {
            m_window.Core().SelectDisplayMode(m);
            m_window.SyncFromStore();
        });
    }

    QMenu* position = addMenu(OptIcon(15), QStringLiteral("表示位置\tShift+Enter"));
    position->menuAction()->setObjectName(QStringLiteral("N25"));
    m_items.insert(QStringLiteral("N25"), position->menuAction());
    const char* positionNames[] = {"N26", "N27", "N28", "N29", "N30"};
    const QList<QAction*> copies = m_options.PosMenu()->actions();
    for (int i = 0; i < 5; ++i) {
        QAction* item = Add(position, positionNames[i], copies[i]->text());
        item->setIcon(copies[i]->icon());
        item->setCheckable(true);
        item->setData(i + 1);
        connect(item, &QAction::triggered, copies[i], &QAction::trigger);
    }
    addSeparator();
    addAction(m_options.Action(ActionId::acSet));
    addSeparator();
    QMenu* help = addMenu(OptIcon(20), QStringLiteral("ヘルプ(&H)"));
    help->menuAction()->setObjectName(QStringLiteral("Help1"));
    help->addAction(m_options.Action(ActionId::acHelpC));
    QAction* finder = Add(help, "N9", QStringLiteral("トピックの検索(&N)"), 22);
    connect(finder, &QAction::triggered, m_options.Action(ActionId::acHelp), &QAction::trigger);
    help->addSeparator();
    help->addAction(m_options.Action(ActionId::acVer));
    addSeparator();
    addAction(m_options.Action(ActionId::acEndPGM));

    connect(this, &QMenu::aboutToShow, this, [this] { pmBtnPopup(); });
}

QAction* ButtonMenu::Add(QMenu* menu, const char* name, const QString& caption, int image) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (image >= 0)
        item->setIcon(OptIcon(image));
    m_items.insert(QLatin1String(name), item);
    return item;
}

int ButtonMenu::Tag(const char* item) const {
    return Item(QLatin1String(item))->data().toInt();
}

void ButtonMenu::PopupFor(int n, const QPoint& at) {
    const Launcher& core = m_window.Core();
    if (n >= 1 && n <= 24) {
        Prepare(MenuForButton(core.Store(), m_platform, n, core.ButtonClipboard().empty()));
    } else {
        Prepare(MenuForWindow());
    }
    popup(at);
}

void ButtonMenu::Prepare(const ButtonMenuState& m) {
    for (const char* name : {"N13", "N14", "N1", "Copy1", "Cut1", "Paste1", "N7", "N31", "N36"}) {
        Item(QLatin1String(name))->setData(m.buttonTag);
    }
    Item(QStringLiteral("N2"))->setData(m.detailsTag);

    const auto set = [this](const char* name, bool enabled, const std::string& caption = {}) {
        QAction* item = Item(QLatin1String(name));
        item->setEnabled(enabled);
        if (!caption.empty())
            item->setText(Literal(caption));
    };
    set("N13", m.run, m.runCaption);
    set("N2", true, m.detailsCaption);
    set("N14", m.edit, m.editCaption);
    set("N1", m.removeCopyCut);
    set("Copy1", m.removeCopyCut);
    set("Cut1", m.removeCopyCut);
    set("Paste1", m.paste);
    set("N36", m.browse, m.browseCaption);
    set("N31", m.rename);
    const QFontMetrics fm(m_window.font());
    const std::string folder =
        m.folder.empty()
            ? std::string()
            : ShortenPath(m.folder, m_platform.Style(), kFolderCaptionWidth,
                          [&fm](const std::string& s) { return fm.horizontalAdvance(Q(s)); });
    set("N7", m.openFolder, FolderCaption(folder));
    set("N21", m.attached);
    set("N22", m.help);
    set("N23", m.readme);

    const layout::DisplayMode current = layout::CurrentMode(m_window.Core().Modes());
    const std::pair<const char*, layout::DisplayMode> modes[] = {
        {"N18", layout::DisplayMode::Nomal},
        {"N16", layout::DisplayMode::Small},
        {"N19", layout::DisplayMode::Title},
        {"N20", layout::DisplayMode::Time},
        {"N24", layout::DisplayMode::TaR}};
    for (const auto& [name, mode] : modes)
        Item(QLatin1String(name))->setChecked(mode == current);
}

void ButtonMenu::pmBtnPopup() {
    const WindowSettings& s = m_window.Core().Settings();
    QAction* position = Item(QStringLiteral("N25"));
    position->setIcon(QIcon());
    for (const char* name : {"N26", "N27", "N28", "N29", "N30"}) {
        QAction* item = Item(QLatin1String(name));
        item->setChecked(item->data().toInt() == s.WinPos);
        if (item->isChecked())
            position->setIcon(item->icon());
    }
    Item(QStringLiteral("N39"))->setChecked(s.BtnSize);
    Item(QStringLiteral("N38"))->setChecked(s.BtnCaption);
}

void ButtonMenu::N31Click() {
    const int n = Tag("N31");
    bool ok = false;
    const QString text = QInputDialog::getText(&m_window, QStringLiteral("ボタンタイトル変更"),
                                               QStringLiteral("新しいタイトルを入力して下さい。"),
                                               QLineEdit::Normal, Q(m_commands.TitleOf(n)), &ok);
    m_commands.Rename(n, ok ? std::optional<std::string>(text.toStdString()) : std::nullopt);
}

} // namespace tavolin
