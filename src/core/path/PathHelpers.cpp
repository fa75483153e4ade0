#include "core/path/PathHelpers.h"

#include "core/Errors.h"
#include "core/Platform.h"

#include <algorithm>

namespace tavolin {

namespace {

constexpr std::string_view kTitleStart = "<TS>";
constexpr std::string_view kTitleEnd = "<TE>";

// The separators a path may hold. Windows itself takes "/" as well as "\", and Qt hands out
// paths with "/": a hand-written "C:/windows/notepad.exe" is read as Windows reads it. What
// the program writes always has the style's own separator.
std::string_view SeparatorsOf(PathStyle style) {
    return style == PathStyle::Windows ? "\\/" : "/";
}

// A path of the file system in the Windows style: a drive path ("C:\x", "C:/x") or a rooted
// one ("\x", "//server/share"); not an internet address, whose "/" stay as they are.
bool IsWindowsFileSystemPath(const std::string& path) {
    const bool drivePath =
        path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
    const bool rootedPath = !path.empty() && (path[0] == '/' || path[0] == '\\');
    return drivePath || rootedPath;
}

// The text after the last separator of a path: "\", "/" or ":" for Windows, "/" for POSIX.
// Text is UTF-8 inside the program, so a separator byte is always a separator (in code
// page 932 a "\" can be the second byte of a character; UTF-8 has no such bytes).
std::string AfterLastSeparator(const std::string& path, PathStyle style) {
    const auto pos = LastSeparator(path, style);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

} // namespace

std::string KeyPart(const std::string& text) {
    const auto colon = text.find(':');
    return colon == std::string::npos ? std::string() : text.substr(0, colon);
}

std::string NumberPart(const std::string& text) {
    const auto colon = text.find(':');
    const auto equals = text.find('=');
    if (colon == std::string::npos || equals == std::string::npos || equals < colon)
        return {};
    return text.substr(colon + 1, equals - colon - 1);
}

std::string ValuePart(const std::string& text) {
    const auto equals = text.find('=');
    return equals == std::string::npos ? std::string() : text.substr(equals + 1);
}

std::string TargetPart(const std::string& value) {
    const auto start = value.find(kTitleStart);
    return TrimTrailingBlanks(start == std::string::npos ? value : value.substr(0, start));
}

std::string TitlePart(const std::string& value, PathStyle style) {
    std::string title;
    const auto start = value.find(kTitleStart);
    if (start != std::string::npos) {
        const auto from = start + kTitleStart.size();
        const auto end = value.find(kTitleEnd);
        if (end != std::string::npos && end >= from)
            title = value.substr(from, end - from);
    } else {
        title = AfterLastSeparator(value, style);
    }
    title = TrimTrailingBlanks(title);
    return title.empty() ? value : title;
}

std::pair<std::string, std::string>
FolderAndFile(const std::string& target, const FileAttributes& attributes, PathStyle style) {
    std::string folder, file;
    if (!attributes.exists || attributes.directory) {
        folder = target;
    } else {
        if (const auto pos = LastSeparator(target, style); pos != std::string::npos) {
            // "C:file" keeps its drive colon; "\" and "/" are left out, except the POSIX root.
            const bool keepSeparator =
                target[pos] == ':' || (style == PathStyle::Posix && pos == 0);
            folder = target.substr(0, keepSeparator ? pos + 1 : pos);
        }
        file = TrimTrailingBlanks(AfterLastSeparator(target, style));
    }
    return {TrimTrailingBackslashes(TrimTrailingBlanks(folder), style), std::move(file)};
}

std::string FolderOf(const std::string& value, const Platform& platform) {
    const std::string target = TargetPart(value);
    return FolderAndFile(target, platform.Attributes(target), platform.Style()).first;
}

std::string FileNameOf(const std::string& value, const Platform& platform) {
    const std::string target = TargetPart(value);
    return FolderAndFile(target, platform.Attributes(target), platform.Style()).second;
}

std::string EncodeButtonValue(const std::string& path, const std::string& file,
                              const std::string& title, PathStyle style) {
    if (path.empty())
        return {};
    const std::string joined = JoinPath(path, file, style);
    const std::string shown = title.empty() ? TitlePart(joined, style) : title;
    return TrimTrailingBlanks(joined + " " + std::string(kTitleStart) + shown +
                              std::string(kTitleEnd));
}

bool HasLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

std::string BlankLineBreaks(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return text;
}

std::string NativePath(std::string path, PathStyle style) {
    if (style == PathStyle::Windows && IsWindowsFileSystemPath(path))
        std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string JoinPath(const std::string& folder, const std::string& file, PathStyle style) {
    if (file.empty())
        return NativePath(folder, style);
    const char separator = SeparatorOf(style);
    std::string head = TrimTrailingBackslashes(folder, style);
    const bool leadingSeparator = SeparatorsOf(style).find(file.front()) != std::string::npos;
    const std::string tail = leadingSeparator ? file.substr(1) : file;
    // The POSIX root keeps its one "/": "/" and "a" give "/a".
    if (head.empty() || head.back() != separator)
        head += separator;
    return NativePath(head + tail, style);
}

std::string TrimTrailingBlanks(const std::string& text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string TrimTrailingBackslashes(const std::string& text, PathStyle style) {
    const char separator = SeparatorOf(style);
    // "/" ends a Windows path too, but an internet address keeps its trailing "/".
    const bool bothSeparators = style == PathStyle::Windows && IsWindowsFileSystemPath(text);
    const auto last = text.find_last_not_of(bothSeparators ? SeparatorsOf(style)
                                                           : std::string_view(&separator, 1));
    if (last == std::string::npos) {
        // Nothing but separators: the POSIX root stays, a run of "\" goes.
        return (style == PathStyle::Posix && !text.empty()) ? std::string(1, separator)
                                                            : std::string();
    }
    return text.substr(0, last + 1);
}

std::size_t LastPosition(char c, const std::string& text) {
    const auto pos = text.rfind(c);
    return pos == std::string::npos ? 0 : pos + 1;
}

std::size_t LastSeparator(const std::string& path, PathStyle style) {
    return style == PathStyle::Windows ? path.find_last_of("\\/:") : path.rfind('/');
}

std::string ExpandLongName(const std::string& path, const Platform& platform) {
    const PathStyle style = platform.Style();
    const char separator = SeparatorOf(style);
    std::string remaining = TrimTrailingBackslashes(platform.FullPath(path), style);
    std::string result;
    // A component follows the root while the last separator stands at position 3 or later
    // ("C:\" has it at 3) or, on POSIX, anywhere in a path longer than "/".
    const auto hasComponent = [&](std::size_t position) {
        if (position == 0)
            return false;
        return style == PathStyle::Windows ? position >= 3 : remaining.size() > 1;
    };
    for (auto position = LastPosition(separator, remaining); hasComponent(position);
         position = LastPosition(separator, remaining)) {
        const auto name = platform.EntryName(remaining);
        if (!name)
            throw ConversionError("ファイルが見つかりません。");
        result = separator + *name + result;
        remaining.resize(position - 1);
    }
    return remaining + result;
}

} // namespace tavolin
