#pragma once

#include "core/path/PathStyle.h"

#include <span>
#include <string_view>

namespace tavolin {

struct WindowSettings;

namespace commands {

// The option commands, in the order of the action list: ActionTable()[i] is ActionId(i).
// clang-format off
enum class ActionId {
    acEndPGM, acHelp, acHelpC, acVer, acFrmStyle, acIcoSize, acIcoCaption, acPos, acSet, acAdr,
    acCal, acMem, acSmall, acSmallNot, acRecentClr, acWinReStart, acWinReboot, acSHUTDOWN, acInf,
    acOpt
};
// clang-format on
inline constexpr std::size_t kActionCount = 20;

// One action: its caption, hint, picture (-1: none) and shortcut (a key code plus kShift,
// kCtrl, kAlt; 0: none).
struct ActionSpec {
    std::string_view name;
    std::string_view caption;
    std::string_view hint;
    int image;
    int shortcut;
    bool checkable;
};

inline constexpr int kShift = 0x2000;
inline constexpr int kCtrl = 0x4000;
inline constexpr int kAlt = 0x8000;

// Key codes of the stored shortcuts that are not letters.
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyDelete = 46;

// The option commands in the order of the action list.
std::span<const ActionSpec> ActionTable();
// An action as this system names it ("acWinReStart": サインアウト or ログアウト).
ActionSpec ActionForSystem(const ActionSpec& spec, PathStyle style);

struct ShortcutKey {
    int key = 0; // the key code: a capital letter's character code, or one of kKey...
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};
ShortcutKey DecodeShortcut(int stored);

// The option toolbar's two rows from left to right; an empty button name is a separator.
struct ToolbarButton {
    std::string_view button;
    ActionId action;
};
std::span<const ToolbarButton> ToolbarRow(int row); // row 0 or 1

// The window-style hint names what the next click brings.
std::string_view FrmStyleHint(bool onTop);

// The information toggle: shown with resources or memory; a press hides or shows both.
bool InfoShown(const WindowSettings& s);
void ToggleInfo(WindowSettings& s);
std::string_view InfoCaption(bool shown); // "←" / "→"
std::string_view InfoHint(bool shown);
// The option toolbar toggle.
void ToggleOpt(WindowSettings& s);
std::string_view OptCaption(bool shown); // "↑" / "↓"
std::string_view OptHint(bool shown);

} // namespace commands
} // namespace tavolin
