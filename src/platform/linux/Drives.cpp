#include "platform/linux/Drives.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/ProcStats.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <sstream>

namespace tavolin::linuxdesktop {

namespace {

// "\040" and the like back into their characters.
std::string Unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto octal = [](char c) { return c >= '0' && c <= '7'; };
            if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
                out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Inside `folder` (and not the folder itself).
bool Below(const std::string& path, const std::string& folder) {
    const std::string base = folder == "/" ? folder : folder + "/";
    return path.size() > base.size() && StartsWith(path, base);
}

// File systems that hold no user files, or that the kernel and the services mount for
// themselves.
bool IsSystemType(const std::string& type) {
    static constexpr std::string_view kTypes[] = {
        "autofs",    "binfmt_misc", "bpf",      "cgroup",          "cgroup2",     "configfs",
        "debugfs",   "devpts",      "devtmpfs", "efivarfs",        "fusectl",     "hugetlbfs",
        "mqueue",    "nsfs",        "proc",     "pstore",          "rpc_pipefs",  "securityfs",
        "selinuxfs", "sysfs",       "tracefs",  "fuse.gvfsd-fuse", "fuse.portal", "nfsd"};
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

bool IsRemoteType(const std::string& type) {
    return type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "sshfs" ||
           type == "fuse.sshfs" || type == "9p" || type == "davfs";
}

// A mount whose path passes through a hidden folder (".cache/doc") is not for browsing.
bool HasHiddenComponent(const std::string& path) {
    return path.find("/.") != std::string::npos;
}

std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::vector<Mount> ParseMountInfo(std::string_view text) {
    std::vector<Mount> mounts;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional fields...] - type source super
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string w; fields >> w;)
            words.push_back(w);
        const auto dash = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || dash == words.end() || dash - words.begin() < 6 ||
            words.end() - dash < 3) {
            continue;
        }
        mounts.push_back({Unescape(words[4]), Unescape(*(dash + 1)), Unescape(*(dash + 2))});
    }
    return mounts;
}

std::vector<DriveEntry> UserDrives(const std::vector<Mount>& mounts, const std::string& home) {
    std::vector<DriveEntry> drives{{"/", "/", DriveKind::Fixed}};
    if (!home.empty() && home != "/")
        drives.push_back({home, "ホーム", DriveKind::Home});

    std::vector<DriveEntry> others;
    for (const Mount& m : mounts) {
        const std::string& point = m.mountPoint;
        if (point.empty() || point[0] != '/' || point == "/" || point == home)
            continue;
        if (IsSystemType(m.fsType) || HasHiddenComponent(point))
            continue;
        const bool removable = Below(point, "/media") || Below(point, "/run/media");
        const bool user = Below(point, "/mnt") || (!home.empty() && Below(point, home));
        if (!removable && !user)
            continue;
        const DriveKind kind = IsRemoteType(m.fsType) ? DriveKind::Remote
                               : removable            ? DriveKind::Removable
                                                      : DriveKind::Fixed;
        // A later mount over the same point hides the earlier one.
        std::erase_if(others, [&](const DriveEntry& d) { return d.root == point; });
        others.push_back({point, LastComponent(point), kind});
    }
    std::sort(others.begin(), others.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.root < b.root; });
    drives.insert(drives.end(), others.begin(), others.end());
    return drives;
}

} // namespace tavolin::linuxdesktop

// --- LinuxPlatform ------------------------------------------------------------------------

namespace tavolin {

std::optional<std::vector<FolderEntry>> LinuxPlatform::ListFolder(const std::string& folder) const {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    const int dirFd = dirfd(dir);
    std::vector<FolderEntry> entries;
    while (const dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry entry{name, false, 0, std::nullopt};
        struct stat info {};
        // A link shows what it points to; a dangling link shows as itself.
        if (fstatat(dirFd, d->d_name, &info, 0) == 0 ||
            fstatat(dirFd, d->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.directory = S_ISDIR(info.st_mode);
            entry.size = entry.directory ? 0 : static_cast<std::uint64_t>(info.st_size);
            entry.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec);
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    return entries;
}

std::vector<DriveEntry> LinuxPlatform::Drives() const {
    const auto text = linuxdesktop::ReadProcFile("/proc/self/mountinfo");
    return linuxdesktop::UserDrives(linuxdesktop::ParseMountInfo(text.value_or("")),
                                    g_get_home_dir());
}

} // namespace tavolin
