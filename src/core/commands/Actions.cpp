#include "core/commands/Actions.h"

#include "core/settings/Settings.h"

#include <array>

namespace tavolin::commands {

namespace {

constexpr int Key(char letter) {
    return static_cast<int>(letter);
}

using enum ActionId;

constexpr std::array<ActionSpec, kActionCount> kActions{{
    {"acEndPGM", "終了(&X)", "終了", 0, Key('X'), false},
    {"acHelp", "ヘルプ(&H)", "ヘルプ", 1, Key('H'), false},
    {"acHelpC", "目次(&C)", "", 20, 0, false},
    {"acVer", "バージョン情報(&A)...", "バージョン情報...", 2, Key('V'), false},
    {"acFrmStyle", "最下面に表示(&T)", "最下面に表示", 3, Key('T'), true},
    {"acIcoSize", "ボタンアイコンサイズ変更(&S)", "ボタンアイコンサイズ変更", 30, Key('S'), true},
    {"acIcoCaption", "ボタンタイトル表示ON/OFF(&B)", "ボタンタイトル表示ON/OFF", 31, Key('B'),
     true},
    {"acPos", "表示位置", "表示位置", 15, kShift | kKeyReturn, false},
    {"acSet", "オプション設定...", "オプション設定...", 10, kCtrl | Key('S'), false},
    {"acAdr", "アドレスバー...", "アドレスバー...", 11, Key('A'), false},
    {"acCal", "カレンダー...", "カレンダー...", 12, Key('C'), false},
    {"acMem", "メモ...", "メモ...", 13, Key('N'), false},
    {"acSmall", "全ウィンドウを最小化", "全ウィンドウを最小化", 4, Key('M'), false},
    {"acSmallNot", "元に戻す-全ウィンドウを最小化", "元に戻す-全ウィンドウを最小化", 5, Key('U'),
     false},
    {"acRecentClr", "[最近使ったファイル]一覧 削除", "[最近使ったファイル]一覧削除", 6,
     kShift | kKeyDelete, false},
    {"acWinReStart", "Windowsの再起動...", "Windowsの再起動...", 7, kAlt | kKeyDelete, false},
    {"acWinReboot", "コンピュータの再起動...", "コンピュータの再起動...", 8, kAlt | kKeyHome,
     false},
    {"acSHUTDOWN", "コンピュータの電源を切る...", "コンピュータの電源を切る...", 9, kAlt | kKeyEnd,
     false},
    {"acInf", "", "情報の非表示", -1, Key('I'), false},
    {"acOpt", "", "オプション機能の非表示", -1, Key('O'), false},
}};

constexpr std::array<ToolbarButton, 12> kRow0{{
    {"tlbEnd", acEndPGM},
    {"tlbHelp", acHelp},
    {"tlbVer", acVer},
    {"tlbFrmStyle", acFrmStyle},
    {"tlbIcoSize", acIcoSize},
    {"tlbIcoCaption", acIcoCaption},
    {"tlbPos", acPos},
    {"tlbSet", acSet},
    {"", {}},
    {"tlbAdr", acAdr},
    {"tlbCalender", acCal},
    {"tlbMemo", acMem},
}};

constexpr std::array<ToolbarButton, 7> kRow1{{
    {"tlbSmall", acSmall},
    {"tlbSmallNot", acSmallNot},
    {"tlbRecentClr", acRecentClr},
    {"", {}},
    {"tlbWinReStart", acWinReStart},
    {"tlbWinReboot", acWinReboot},
    {"tlbWinSHUTDOWN", acSHUTDOWN},
}};

} // namespace

std::span<const ActionSpec> ActionTable() {
    return kActions;
}

ActionSpec ActionForSystem(const ActionSpec& spec, PathStyle style) {
    ActionSpec named = spec;
    if (spec.name == "acWinReStart") {
        named.caption = style == PathStyle::Windows ? "サインアウト..." : "ログアウト...";
        named.hint = named.caption;
    }
    return named;
}

ShortcutKey DecodeShortcut(int stored) {
    return {stored & 0xFF, (stored & kShift) != 0, (stored & kCtrl) != 0, (stored & kAlt) != 0};
}

std::span<const ToolbarButton> ToolbarRow(int row) {
    return row == 0 ? std::span<const ToolbarButton>(kRow0) : kRow1;
}

std::string_view FrmStyleHint(bool onTop) {
    return onTop ? "最下面に表示" : "常に最前面に表示";
}

bool InfoShown(const WindowSettings& s) {
    return s.ShowRes || s.ShowMem;
}

void ToggleInfo(WindowSettings& s) {
    const bool show = !InfoShown(s);
    s.ShowRes = show;
    s.ShowMem = show;
}

std::string_view InfoCaption(bool shown) {
    return shown ? "←" : "→";
}
std::string_view InfoHint(bool shown) {
    return shown ? "情報の非表示" : "情報の表示";
}

void ToggleOpt(WindowSettings& s) {
    s.ShowOpt = !s.ShowOpt;
}
std::string_view OptCaption(bool shown) {
    return shown ? "↑" : "↓";
}
std::string_view OptHint(bool shown) {
    return shown ? "オプション機能の非表示" : "オプション機能の表示";
}

} // namespace tavolin::commands
