#include "ui/commands/ButtonMenu.h"
#include "ui/QtText.h"

#include "core/Platform.h"
#include "core/commands/Actions.h"
#include "core/commands/ButtonMenuModel.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Launcher.h"
#include "core/layout/Layout.h"
#include "ui/commands/OptionToolbar.h"
#include "ui/commands/WindowControl.h"
#include "ui/look/OptIcons.h"

#include <QInputDialog>

#include <algorithm>
#include <iterator>

namespace tavolin {

using namespace commands;
using Id = ButtonMenu::ItemId;

namespace {

QString Literal(const std::string& s) {
    return Q(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The folder caption's widest extent in the window's font.
constexpr int kFolderCaptionWidth = 200;

// The menu from top to bottom: its own items (checkable or not), its submenus with their
// items up to the submenu's end, separators and the toolbar's actions it shows as they are.
enum class Kind { Item, Check, Menu, End, Separator, Shared };
struct Entry {
    Kind kind;
    Id id;
    const char* name;    // the objectName
    const char* caption; // "": set as the menu opens
    int image;           // -1: none
    ActionId shared;
};
constexpr Entry Own(Id id, const char* name, const char* caption = "", int image = -1) {
    return {Kind::Item, id, name, caption, image, ActionId::acSet};
}
constexpr Entry Check(Id id, const char* name, const char* caption = "") {
    return {Kind::Check, id, name, caption, -1, ActionId::acSet};
}
constexpr Entry Sub(Id id, const char* name, const char* caption, int image = -1) {
    return {Kind::Menu, id, name, caption, image, ActionId::acSet};
}
constexpr Entry End() {
    return {Kind::End, Id::N13, "", "", -1, ActionId::acSet};
}
constexpr Entry Separator() {
    return {Kind::Separator, Id::N13, "", "", -1, ActionId::acSet};
}
constexpr Entry Shared(ActionId action) {
    return {Kind::Shared, Id::N13, "", "", -1, action};
}

// clang-format off
constexpr Entry kEntries[] = {
    Own(Id::N13, "N13"),
    Own(Id::N2, "N2"),
    Sub(Id::N14, "N14", ""),
        Own(Id::N1, "N1", "削除", 26),
        Own(Id::Copy1, "Copy1", "コピー", 23),
        Own(Id::Cut1, "Cut1", "切り取り", 24),
        Own(Id::Paste1, "Paste1", "貼り付け", 25),
    End(),
    Own(Id::N36, "N36"),
    Own(Id::N31, "N31", "ボタン タイトル変更..."),
    Separator(),
    Own(Id::N7, "N7", "", 21),
    Sub(Id::N21, "N21", "添付ファイルを開く", 27),
        Own(Id::N22, "N22", "ヘルプを開く", 22),
        Own(Id::N23, "N23", "Readme.txtを開く", 28),
    End(),
    Separator(),
    Own(Id::N4, "N4", "ページボタンすべてリセット..."),
    Separator(),
    Sub(Id::N37, "N37", "ボタン 表示形式"),
        Check(Id::N39, "N39", "大きいアイコン"),
        Check(Id::N38, "N38", "タイトル表示"),
    End(),
    Sub(Id::N17, "N17", "表示モード"),
        Check(Id::N18, "N18", "通常モード\tAlt+Backspace"),
        Check(Id::N16, "N16", "最小モード\tAlt+Backspace"),
        Check(Id::N19, "N19", "タイトルモード\tAlt+Backspace"),
        Check(Id::N20, "N20", "時計モード\tAlt+Backspace"),
        Check(Id::N24, "N24", "時計+情報モード\tAlt+Backspace"),
    End(),
    // The positions take their captions and pictures from the toolbar's drop-down.
    Sub(Id::N25, "N25", "表示位置\tShift+Enter", 15),
        Check(Id::N26, "N26"),
        Check(Id::N27, "N27"),
        Check(Id::N28, "N28"),
        Check(Id::N29, "N29"),
        Check(Id::N30, "N30"),
    End(),
    Separator(),
    Shared(ActionId::acSet),
    Separator(),
    Sub(Id::Help1, "Help1", "ヘルプ(&H)", 20),
        Shared(ActionId::acHelpC),
        Own(Id::N9, "N9", "トピックの検索(&N)", 22),
        Separator(),
        Shared(ActionId::acVer),
    End(),
    Separator(),
    Shared(ActionId::acEndPGM),
};
// clang-format on

// The display mode items, and the position items in the order of WinPos 1 to 5.
constexpr std::pair<Id, layout::DisplayMode> kModes[] = {{Id::N18, layout::DisplayMode::Nomal},
                                                         {Id::N16, layout::DisplayMode::Small},
                                                         {Id::N19, layout::DisplayMode::Title},
                                                         {Id::N20, layout::DisplayMode::Time},
                                                         {Id::N24, layout::DisplayMode::TaR}};
constexpr Id kPositions[] = {Id::N26, Id::N27, Id::N28, Id::N29, Id::N30};

// Every item of the enum is made, once: Item() never gives a null pointer.
constexpr bool EachItemOnce() {
    std::array<int, ButtonMenu::kItemCount> made{};
    for (const Entry& e : kEntries) {
        if (e.kind == Kind::Item || e.kind == Kind::Check || e.kind == Kind::Menu)
            ++made[static_cast<std::size_t>(e.id)];
    }
    return std::all_of(made.begin(), made.end(), [](int n) { return n == 1; });
}
static_assert(static_cast<std::size_t>(Id::N9) + 1 == ButtonMenu::kItemCount);
static_assert(EachItemOnce());

} // namespace

ButtonMenu::ButtonMenu(Launcher& core, WindowControl& window, Platform& platform,
                       OptionToolbar& options)
    : QMenu(&window.Widget()), m_core(core), m_window(window), m_platform(platform),
      m_options(options), m_commands(core, platform, window.ViewOf(), core.Window()) {
    setObjectName(QStringLiteral("pmBtn"));
    CreateItems();
    for (std::size_t i = 0; i < kItemCount; ++i)
        Connect(static_cast<Id>(i), m_items[i]);
    connect(this, &QMenu::aboutToShow, this, [this] { pmBtnPopup(); });
}

void ButtonMenu::CreateItems() {
    QMenu* menu = this;
    for (const Entry& e : kEntries) {
        const QString caption = QString::fromUtf8(e.caption);
        const QIcon icon = e.image >= 0 ? OptIcon(e.image) : QIcon();
        QAction* item = nullptr;
        switch (e.kind) {
        case Kind::Item:
        case Kind::Check:
            item = menu->addAction(icon, caption);
            item->setCheckable(e.kind == Kind::Check);
            break;
        case Kind::Menu:
            menu = menu->addMenu(icon, caption);
            menu->setObjectName(QLatin1String(e.name) + QStringLiteral("menu"));
            item = menu->menuAction();
            break;
        case Kind::End:
            menu = this;
            continue;
        case Kind::Separator:
            menu->addSeparator();
            continue;
        case Kind::Shared:
            menu->addAction(m_options.Action(e.shared));
            continue;
        }
        item->setObjectName(QLatin1String(e.name));
        m_items[static_cast<std::size_t>(e.id)] = item;
    }
}

void ButtonMenu::Connect(Id id, QAction* item) {
    const auto on = [this, item](auto&& slot) { connect(item, &QAction::triggered, this, slot); };
    const auto forward = [this, item](QAction* target) {
        connect(item, &QAction::triggered, target, &QAction::trigger);
    };
    switch (id) {
    case Id::N13:
        return on([this] { m_window.FExecute(m_button); });
    case Id::N2:
        return on([this] { m_window.OpenOptions(m_detailsButton); });
    case Id::N1:
        return on([this] { m_commands.Delete(m_button); });
    case Id::Copy1:
        return on([this] { m_commands.Copy(m_button); });
    case Id::Cut1:
        return on([this] { m_commands.Cut(m_button); });
    case Id::Paste1:
        return on([this] { m_commands.Paste(m_button); });
    case Id::N36:
        return on([this] {
            const int n = m_button;
            m_commands.PrepareBrowse(n);
            m_window.BrowseForSlot(n);
        });
    case Id::N31:
        return on([this] { N31Click(); });
    case Id::N7:
        return on([this] { m_commands.OpenFolder(m_button); });
    case Id::N22:
        return on([this] { m_commands.OpenHelp(m_button); });
    case Id::N23:
        return on([this] { m_commands.OpenReadme(m_button); });
    case Id::N4:
        return on([this] { m_commands.ResetPage(); });
    case Id::N39:
        return forward(m_options.Action(ActionId::acIcoSize));
    case Id::N38:
        return forward(m_options.Action(ActionId::acIcoCaption));
    case Id::N9:
        return forward(m_options.Action(ActionId::acHelp));
    case Id::N18:
    case Id::N16:
    case Id::N19:
    case Id::N20:
    case Id::N24:
        for (const auto& [modeItem, mode] : kModes) {
            if (modeItem == id) {
                return on([this, m = mode] {
                    m_core.SelectDisplayMode(m);
                    m_window.SyncFromStore();
                });
            }
        }
        return;
    case Id::N26:
    case Id::N27:
    case Id::N28:
    case Id::N29:
    case Id::N30: {
        const auto at = std::find(std::begin(kPositions), std::end(kPositions), id);
        QAction* copy = m_options.PosMenu()->actions()[at - std::begin(kPositions)];
        item->setText(copy->text());
        item->setIcon(copy->icon());
        return forward(copy);
    }
    case Id::N14:
    case Id::N21:
    case Id::N37:
    case Id::N17:
    case Id::N25:
    case Id::Help1:
        return; // submenus
    }
}

void ButtonMenu::PopupFor(int n, const QPoint& at) {
    if (n >= 1 && n <= 24) {
        Prepare(MenuForButton(m_core.Store(), m_platform, n, m_core.ButtonClipboard().empty()));
    } else {
        Prepare(MenuForWindow());
    }
    popup(at);
}

void ButtonMenu::Prepare(const ButtonMenuState& m) {
    m_button = m.buttonTag;
    m_detailsButton = m.detailsTag;

    const auto set = [this](Id id, bool enabled, const std::string& caption = {}) {
        QAction* item = Item(id);
        item->setEnabled(enabled);
        if (!caption.empty())
            item->setText(Literal(caption));
    };
    set(Id::N13, m.run, m.runCaption);
    set(Id::N2, true, m.detailsCaption);
    set(Id::N14, m.edit, m.editCaption);
    set(Id::N1, m.removeCopyCut);
    set(Id::Copy1, m.removeCopyCut);
    set(Id::Cut1, m.removeCopyCut);
    set(Id::Paste1, m.paste);
    set(Id::N36, m.browse, m.browseCaption);
    set(Id::N31, m.rename);
    const QFontMetrics fm(m_window.Widget().font());
    const std::string folder =
        m.folder.empty()
            ? std::string()
            : ShortenPath(m.folder, m_platform.Style(), kFolderCaptionWidth,
                          [&fm](const std::string& s) { return fm.horizontalAdvance(Q(s)); });
    set(Id::N7, m.openFolder, FolderCaption(folder));
    set(Id::N21, m.attached);
    set(Id::N22, m.help);
    set(Id::N23, m.readme);

    const layout::DisplayMode current = layout::CurrentMode(m_core.Modes());
    for (const auto& [id, mode] : kModes)
        Item(id)->setChecked(mode == current);
}

void ButtonMenu::pmBtnPopup() {
    const WindowSettings& s = m_core.Settings();
    QAction* position = Item(Id::N25);
    position->setIcon(QIcon());
    for (int pos = 1; pos <= 5; ++pos) {
        QAction* item = Item(kPositions[pos - 1]);
        item->setChecked(pos == s.WinPos);
        if (item->isChecked())
            position->setIcon(item->icon());
    }
    Item(Id::N39)->setChecked(s.BtnSize);
    Item(Id::N38)->setChecked(s.BtnCaption);
}

void ButtonMenu::N31Click() {
    const int n = m_button;
    bool ok = false;
    const QString text =
        QInputDialog::getText(&m_window.Widget(), QStringLiteral("ボタンタイトル変更"),
                              QStringLiteral("新しいタイトルを入力して下さい。"), QLineEdit::Normal,
                              Q(m_commands.TitleOf(n)), &ok);
    m_commands.Rename(n, ok ? std::optional<std::string>(text.toStdString()) : std::nullopt);
}

} // namespace tavolin
