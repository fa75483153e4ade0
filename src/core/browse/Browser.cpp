#include "core/browse/Browser.h"

#include "core/View.h"
#include "core/helpers/Convert.h"
#include "core/helpers/FileHelpers.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"

#include <algorithm>

namespace tavolin::browse {

namespace {

// Whether `root` holds `path`: the root itself or anything below it. Drive letters are
// compared without regard to case.
bool Contains(const std::string& root, const std::string& path, PathStyle style) {
    const char sep = SeparatorOf(style);
    const std::string trimmed = TrimTrailingBackslashes(root, style);
    if (path.size() < trimmed.size())
        return false;
    const std::string head = path.substr(0, trimmed.size());
    if (style == PathStyle::Windows ? !EqualsIgnoringCase(head, trimmed) : head != trimmed)
        return false;
    return path.size() == trimmed.size() || trimmed.back() == sep || path[trimmed.size()] == sep;
}

} // namespace

std::string CurrentDirectories::Of(const std::string& root) const {
    const auto it = m_folders.find(root);
    return it == m_folders.end() ? std::string() : it->second;
}

void CurrentDirectories::Set(const std::string& root, const std::string& folder) {
    m_folders[root] = folder;
}

int DriveOf(const std::vector<DriveEntry>& drives, const std::string& path, PathStyle style) {
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& root = drives[i].root;
        if (Contains(root, path, style) && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

std::optional<std::string> ParentFolder(const std::string& path, PathStyle style) {
    const std::string trimmed = TrimTrailingBackslashes(path, style);
    const char sep = SeparatorOf(style);
    if (style == PathStyle::Windows) {
        // "C:" and "C:\" are the drive itself.
        if (trimmed.size() <= 2)
            return std::nullopt;
        const std::size_t last = LastSeparator(trimmed, style);
        if (last == std::string::npos)
            return std::nullopt;
        // "C:\dir" goes to "C:"; "C:dir" (":" as the separator) to "C:" as well.
        const std::string parent = trimmed.substr(0, trimmed[last] == sep ? last : last + 1);
        return TrimTrailingBackslashes(parent, style);
    }
    if (trimmed == "/" || trimmed.empty())
        return std::nullopt;
    const std::size_t last = trimmed.rfind(sep);
    if (last == std::string::npos)
        return std::nullopt;
    return last == 0 ? std::string("/") : trimmed.substr(0, last);
}

Browser::Browser(Platform& platform, View& view, CurrentDirectories& directories)
    : m_platform(platform), m_view(view), m_directories(directories), m_style(platform.Style()) {}

void Browser::Create(const std::string& startPath, const std::string& currentFolder) {
    m_drives = m_platform.Drives();
    m_startedAtFile = !startPath.empty();
    m_path = m_startedAtFile ? FolderOf(startPath, m_platform) : currentFolder;
    m_file = m_startedAtFile ? FileNameOf(startPath, m_platform) : std::string();
    m_drive = DriveOf(m_drives, m_path, m_style);
}

int Browser::Showing() {
    PathChanged(m_path);
    if (!m_startedAtFile || m_file.empty() || m_rows.empty())
        return -1;
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const Row& r) { return EqualsIgnoringCase(r.name, m_file); });
    return it == m_rows.end() ? 0 : static_cast<int>(it - m_rows.begin());
}

std::string Browser::FullPathOf(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    return JoinPath(m_path, m_rows[static_cast<std::size_t>(row)].name, m_style);
}

bool Browser::Listable(const std::string& path) const {
    if (path.empty())
        return false;
    // A folder written with its separator at the end ("C:\", "/home/") is not listed from
    // the field; only the POSIX root is written that way by necessity.
    const bool endsInSeparator = path.back() == SeparatorOf(m_style);
    if (endsInSeparator && !(m_style == PathStyle::Posix && path == "/"))
        return false;
    const FileAttributes attributes = m_platform.Attributes(path);
    return attributes.exists && attributes.directory;
}

bool Browser::PathChanged(const std::string& text) {
    m_path = text;
    if (!Listable(m_path))
        return false;
    Refresh();
    return true;
}

void Browser::Refresh() {
    BusyCursor busy(m_view);
    m_rows.clear();
    if (const auto entries = m_platform.ListFolder(m_path)) {
        m_rows.reserve(entries->size());
        for (const FolderEntry& entry : *entries)
            m_rows.push_back(MakeRow(entry));
    }
    m_sortState = kName;
    SortRows(m_rows, m_sortState);
    ++m_listings;
    m_drive = DriveOf(m_drives, m_path, m_style);
    if (m_drive >= 0)
        m_directories.Set(m_drives[static_cast<std::size_t>(m_drive)].root, m_path);
}

void Browser::ColumnClick(int column) {
    if (column < 1 || column > kColumnCount)
        return;
    m_sortState = NextSortState(m_sortState, column);
    SortRows(m_rows, m_sortState);
}

bool Browser::ChangeDrive(int index) {
    if (index < 0 || index >= static_cast<int>(m_drives.size()))
        return false;
    const DriveEntry& drive = m_drives[static_cast<std::size_t>(index)];
    for (;;) {
        bool readable = false;
        {
            BusyCursor busy(m_view);
            const FileAttributes attributes = m_platform.Attributes(drive.root);
            readable = attributes.exists && attributes.directory &&
                       m_platform.ListFolder(drive.root).has_value();
        }
        if (readable) {
            std::string folder = m_directories.Of(drive.root);
            const FileAttributes there = m_platform.Attributes(folder);
            if (folder.empty() || !there.exists || !there.directory)
                folder = drive.root;
            m_path = TrimTrailingBackslashes(folder, m_style);
            Refresh();
            m_drive = index; // a nested mount's folder still shows under the chosen entry
            return true;
        }
        const MsgResult answer = ShowMessageBox(m_view, drive.name + " にアクセスできません。",
                                                MsgKind::Error, msg_buttons::kCancelRetry);
        if (answer != MsgResult::Retry) {
            m_drive = DriveOf(m_drives, m_path, m_style);
            return false;
        }
    }
}

bool Browser::Up() {
    const auto parent = ParentFolder(m_path, m_style);
    if (!parent)
        return false;
    PathChanged(*parent);
    return true;
}

bool Browser::GoSpecial(SpecialFolder folder) {
    const auto path = m_platform.SpecialFolderPath(folder);
    if (!path)
        return false;
    PathChanged(TrimTrailingBackslashes(*path, m_style));
    m_drive = DriveOf(m_drives, m_path, m_style);
    return true;
}

void Browser::SelectItem(int row) {
    const std::string full = FullPathOf(row);
    if (full.empty())
        return;
    const FileAttributes attributes = m_platform.Attributes(full);
    m_file = !attributes.exists || attributes.directory
                 ? std::string()
                 : m_rows[static_cast<std::size_t>(row)].name;
}

Next Browser::DoubleClick(int row) {
    const std::string full = FullPathOf(row);
    if (full.empty())
        return Next::Stay;
    const FileAttributes attributes = m_platform.Attributes(full);
    if (!attributes.exists) {
        ShowMessageBox(m_view, "パスもしくは選択されたファイルが無効な値です。", MsgKind::Warning,
                       msg_buttons::kOkOnly);
        return Next::FocusPath;
    }
    if (attributes.directory) {
        PathChanged(full);
        return Next::Stay;
    }
    m_file = m_rows[static_cast<std::size_t>(row)].name;
    return Ok();
}

Next Browser::Ok() {
    if (!CheckPath(m_view, m_platform, m_path))
        return Next::FocusPath;
    if (!CheckFile(m_view, m_platform, Result()))
        return Next::FocusFile;
    return Next::Accept;
}

std::string Browser::Result() const {
    return JoinPath(m_path, m_file, m_style);
}

} // namespace tavolin::browse
