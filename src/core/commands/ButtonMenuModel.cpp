#include "core/commands/ButtonMenuModel.h"

#include "core/Platform.h"
#include "core/helpers/Convert.h"
#include "core/path/PathHelpers.h"
#include "core/store/ButtonStore.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tavolin::commands {

ButtonMenuState MenuForButton(const ButtonStore& store, const Platform& platform, int n,
                              bool clipboardEmpty) {
    ButtonMenuState m;
    m.buttonTag = n;
    m.detailsTag = n;
    m.paste = !clipboardEmpty;
    // An empty slot can still be browsed, pasted into and opened in the options dialog.
    m.edit = true;
    m.browse = true;
    if (!store.IsUsed(n))
        return m;

    const std::string& title = store.BtnTitle(n);
    m.runCaption = "ボタン (" + title + ") 実行";
    m.editCaption = "ボタン (" + title + ") 編集";
    m.browseCaption = "ボタン (" + title + ") 参照...";
    m.detailsCaption = "ボタン (" + title + ") 詳細設定...";
    m.run = m.rename = m.removeCopyCut = m.openFolder = true;

    const PathStyle style = platform.Style();
    const std::string target = JoinPath(store.BtnPath(n), store.BtnFile(n), style);
    const std::size_t sep = LastSeparator(target, style);
    const std::string folder = sep == std::string::npos ? target : target.substr(0, sep + 1);
    m.folder = TrimTrailingBackslashes(folder, style);

    if (!store.BtnFile(n).empty() && platform.IsProgram(target)) {
        m.attached = true;
        m.help = platform.Attributes(HelpFileOf(target, style)).exists;
        m.readme = ReadmeOf(store.BtnPath(n), platform).has_value();
    }
    return m;
}

ButtonMenuState MenuForWindow() {
    return ButtonMenuState{};
}

std::string FolderCaption(const std::string& shortenedFolder) {
    if (shortenedFolder.empty())
        return "フォルダを開く";
    return "フォルダを開く (" + shortenedFolder + ")";
}

std::string ShortenPath(const std::string& path, PathStyle style, int maxWidth,
                        const std::function<int(const std::string&)>& width) {
    if (width(path) <= maxWidth)
        return path;
    const char sep = SeparatorOf(style);
    // The head that always stays: "C:\", "\\server\share\" or "/".
    std::size_t headEnd = 0;
    if (style == PathStyle::Windows && path.rfind("\\\\", 0) == 0) {
        const std::size_t server = path.find(sep, 2);
        const std::size_t share = server == std::string::npos ? server : path.find(sep, server + 1);
        headEnd = share == std::string::npos ? path.size() : share + 1;
    } else if (style == PathStyle::Windows && path.size() >= 2 && path[1] == ':') {
        headEnd = path.size() > 2 && path[2] == sep ? 3 : 2;
    } else if (!path.empty() && path[0] == sep) {
        headEnd = 1;
    }
    const std::string head = path.substr(0, headEnd);
    // The folders after the head; leading ones give way one by one.
    std::vector<std::string> parts;
    for (std::size_t at = headEnd; at < path.size();) {
        std::size_t next = path.find(sep, at);
        if (next == std::string::npos)
            next = path.size();
        if (next > at)
            parts.push_back(path.substr(at, next - at));
        at = next + 1;
    }
    std::string candidate = path;
    for (std::size_t drop = 1; drop < parts.size(); ++drop) {
        candidate = head + "...";
        for (std::size_t i = drop; i < parts.size(); ++i)
            candidate += sep + parts[i];
        if (width(candidate) <= maxWidth)
            return candidate;
    }
    return candidate;
}

std::string HelpFileOf(const std::string& program, PathStyle style) {
    const std::size_t sep = LastSeparator(program, style);
    const std::size_t dot = program.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (sep == std::string::npos || dot > sep + 1);
    return (hasExtension ? program.substr(0, dot) : program) + ".hlp";
}

std::optional<std::string> ReadmeOf(const std::string& folder, const Platform& platform) {
    const PathStyle style = platform.Style();
    if (style == PathStyle::Windows) {
        // Names are compared without regard to case by the file system itself.
        const std::string path = JoinPath(folder, "Readme.txt", style);
        if (platform.Attributes(path).exists)
            return path;
        return std::nullopt;
    }
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end()); // the same choice every time
    for (const char* wanted : {"readme.txt", "readme", "readme.md"}) {
        for (const std::string& name : names) {
            if (EqualsIgnoringCase(name, wanted))
                return JoinPath(folder, name, style);
        }
    }
    return std::nullopt;
}

} // namespace tavolin::commands
