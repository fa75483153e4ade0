#pragma once

#include "core/path/PathStyle.h"

#include <functional>
#include <optional>
#include <string>

namespace tavolin {

class ButtonStore;
class Platform;

namespace commands {

// What the button menu shows for one right click: the button number its items carry, their
// captions and which of them can be chosen. Built for a button (a right click on it) or for
// the window (a right click anywhere else).
struct ButtonMenuState {
    // The button the run, edit, delete, copy, cut, paste, folder, rename and browse items act
    // on; 0 for the window.
    int buttonTag = 0;
    // The button the details item opens the options dialog with: the button, or 1 for the
    // window, so that the dialog opens on its button page.
    int detailsTag = 1;

    std::string runCaption = "ボタン 実行";
    std::string detailsCaption = "ボタン 詳細設定...";
    std::string editCaption = "ボタン 編集";
    std::string browseCaption = "ボタン 参照...";
    // The target's folder for the folder item's caption, not yet shortened (empty for an
    // empty slot and the window).
    std::string folder;

    bool run = false;
    bool edit = false;
    bool removeCopyCut = false; // "削除", "コピー", "切り取り"
    bool paste = false;
    bool browse = false;
    bool rename = false;
    bool openFolder = false;
    bool attached = false; // the "添付ファイルを開く" submenu
    bool help = false;     // its help item
    bool readme = false;   // its read-me item
};

// The menu for slot n of the page on screen. `clipboardEmpty` is whether the button
// clipboard is empty.
ButtonMenuState MenuForButton(const ButtonStore& store, const Platform& platform, int n,
                              bool clipboardEmpty);
// The menu for the window: only the window's commands and the details item.
ButtonMenuState MenuForWindow();

// The folder item's caption: "フォルダを開く" alone, or with the shortened folder.
std::string FolderCaption(const std::string& shortenedFolder);

// A path shortened to `maxWidth` as measured by `width`: the root or drive and the last
// folder stay, and leading folders give way to "..." ("C:\...\Tools\Bin", "/.../tools/bin").
// A path that fits is returned whole; when even the shortest form does not fit, that form.
std::string ShortenPath(const std::string& path, PathStyle style, int maxWidth,
                        const std::function<int(const std::string&)>& width);

// The help file beside a program: the program's path with its extension replaced by ".hlp",
// or with ".hlp" appended when it has none.
std::string HelpFileOf(const std::string& program, PathStyle style);

// The read-me beside a program, in its folder: "Readme.txt", or on a system whose names
// tell letter case apart, "Readme.txt" in any case, then "README" or "README.md". Nothing
// when there is none.
std::optional<std::string> ReadmeOf(const std::string& folder, const Platform& platform);

} // namespace commands
} // namespace tavolin
