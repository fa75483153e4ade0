#pragma once

#include "core/path/PathStyle.h"

#include <functional>
#include <optional>
#include <string>

namespace tavolin {

class ButtonStore;
class Platform;

namespace commands {

// What the button menu shows for a right click on a button or on the window.
struct ButtonMenuState {
    // The button the items act on; 0 for the window.
    int buttonTag = 0;
    // The button the details item opens the options dialog at (1 for the window).
    int detailsTag = 1;

    std::string runCaption = "ボタン 実行";
    std::string detailsCaption = "ボタン 詳細設定...";
    std::string editCaption = "ボタン 編集";
    std::string browseCaption = "ボタン 参照...";
    // The target's folder for the folder item's caption, not yet shortened.
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

// The menu for slot n of the page on screen.
ButtonMenuState MenuForButton(const ButtonStore& store, const Platform& platform, int n,
                              bool clipboardEmpty);
// The menu for the window: only the window's commands and the details item.
ButtonMenuState MenuForWindow();

// The folder item's caption: "フォルダを開く" alone, or with the shortened folder.
std::string FolderCaption(const std::string& shortenedFolder);

// A path shortened to `maxWidth`: the root and the last folder stay, leading folders give way
// to "..." ("C:\...\Tools\Bin"); at the least, that shortest form.
std::string ShortenPath(const std::string& path, PathStyle style, int maxWidth,
                        const std::function<int(const std::string&)>& width);

// The help file beside a program: its path with ".hlp" for its extension.
std::string HelpFileOf(const std::string& program, PathStyle style);

// The read-me in a program's folder: "Readme.txt" (any case where names tell it apart), then
// "README" or "README.md".
std::optional<std::string> ReadmeOf(const std::string& folder, const Platform& platform);

} // namespace commands
} // namespace tavolin
