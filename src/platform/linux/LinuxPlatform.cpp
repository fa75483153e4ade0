#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/AppLaunch.h"
#include "platform/linux/CommandLine.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/FileManager.h"
#include "platform/linux/FileReplacement.h"
#include "platform/linux/GLibPtr.h"
#include "platform/linux/Spawn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tavolin {

using namespace linuxdesktop;

namespace {

// A .desktop link may point to another link; a cycle stops here.
constexpr int kMaxLinkDepth = 8;

bool Succeeded(int code) {
    return code > 32;
}

std::string FileUri(const std::string& fullPath) {
    GCharPtr uri(g_filename_to_uri(fullPath.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

// A file the system can execute as it is: a regular file with execute permission that is an
// ELF binary or a script with a "#!" line. Documents that merely carry an execute bit (files
// on FAT or NTFS mounts, for instance) are not programs: they open in their application
// instead of being handed to a shell.
bool IsExecutableProgram(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 0111) == 0 ||
        access(path.c_str(), X_OK) != 0) {
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno == EACCES; // execute-only: only a program is set up like that
    }
    char head[4] = {};
    ssize_t got = 0;
    do {
        got = read(fd, head, sizeof head);
    } while (got < 0 && errno == EINTR);
    close(fd);
    constexpr char kElfMagic[4] = {'\x7f', 'E', 'L', 'F'};
    if (got >= 4 && std::memcmp(head, kElfMagic, 4) == 0) {
        return true;
    }
    return got >= 2 && head[0] == '#' && head[1] == '!';
}

int CodeFromSpawn(const SpawnResult& result) {
    if (result.failedAt == SpawnStage::WorkingFolder) {
        return open_failure::kPathNotFound;
    }
    return CodeFromErrno(result.error);
}

// Shows a folder: the file manager over D-Bus, else the default application for folders.
int ShowFolderCode(const std::string& fullPath) {
    const std::string uri = FileUri(fullPath);
    if (!uri.empty() && CallFileManager("ShowFolders", {uri})) {
        return open_result::kSuccess;
    }
    return OpenFolderWithDefaultApplication(fullPath);
}

// Open with the depth of .desktop links followed so far.
//
// Result codes:
//   missing path (or a dangling link)                    -> 2
//   folder shown                                          -> 42; no folder handler -> 31
//   program or application started                        -> 42
//   start failed: see CodeFromErrno / CodeFromError        -> 2, 3, 5, 8, 11 or 1
//   document: no application for its content type         -> 31; launched -> 42
//   Type=Link .desktop to a URL: no handler for its scheme -> 31
int OpenPath(const LinuxPlatform& platform, const std::string& path,
             const std::vector<std::string>& arguments, const std::string& workingFolder,
             int depth) {
    const FileAttributes attributes = platform.Attributes(path);
    if (!attributes.exists) {
        return open_result::kNotFound;
    }
    const std::string full = platform.FullPath(path);
    if (attributes.directory) {
        return ShowFolderCode(full);
    }

    if (platform.IsShortcut(full)) {
        DesktopEntry entry;
        try {
            entry = ReadDesktopEntry(full);
        } catch (const std::runtime_error&) {
            // Not a valid entry: it opens as the document it is.
        }
        if (entry.type == "Application") {
            return LaunchDesktopApplication(full, arguments, workingFolder);
        }
        if (entry.type == "Link" && !entry.url.empty()) {
            const std::string local = LocalPathOfUrl(entry.url);
            if (local.empty()) {
                return OpenUri(entry.url);
            }
            if (depth >= kMaxLinkDepth) {
                return open_failure::kOther;
            }
            return OpenPath(platform, local, arguments, ParentOf(platform.FullPath(local)),
                            depth + 1);
        }
    }

    if (IsExecutableProgram(full)) {
        const SpawnResult result = StartDetached(full, arguments, workingFolder);
        return result.Started() ? open_result::kSuccess : CodeFromSpawn(result);
    }
    // A document takes no parameters.
    return OpenWithDefaultApplication(full);
}

} // namespace

LinuxPlatform::LinuxPlatform() = default;
LinuxPlatform::~LinuxPlatform() = default;

std::unique_ptr<Platform> CreatePlatform() {
    return std::make_unique<LinuxPlatform>();
}

// --- paths and files ---------------------------------------------------------------------

FileAttributes LinuxPlatform::Attributes(const std::string& path) const {
    FileAttributes attributes;
    struct stat entry {};
    // A name with a NUL cannot be passed to the system: it would name the file before it.
    if (path.empty() || path.find('\0') != std::string::npos || lstat(path.c_str(), &entry) != 0) {
        return attributes;
    }
    struct stat target = entry;
    attributes.symlink = S_ISLNK(entry.st_mode);
    if (attributes.symlink && stat(path.c_str(), &target) != 0) {
        return FileAttributes{}; // dangling: nothing to report on
    }
    attributes.exists = true;
    attributes.directory = S_ISDIR(target.st_mode);
    attributes.readOnly = access(path.c_str(), W_OK) != 0;
    attributes.hidden = NameOf(FullPath(path)).rfind('.', 0) == 0;
    return attributes;
}

FileAttributes LinuxPlatform::Kind(const std::string& path) const {
    // stat follows links, so a dangling link does not exist, as with Attributes.
    struct stat target {};
    if (path.empty() || stat(path.c_str(), &target) != 0)
        return {};
    return FileAttributes{true, S_ISDIR(target.st_mode)};
}

std::string LinuxPlatform::FullPath(const std::string& path) const {
    if (path.empty()) {
        return {};
    }
    std::filesystem::path full(path);
    if (full.is_relative()) {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        if (!error) {
            full = current / full;
        }
    }
    std::string text = full.lexically_normal().string();
    // lexically_normal keeps a trailing "/" ("/a/b/" for "/a/b/c/..") and a leading "//";
    // neither names a different file here.
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    const std::size_t firstName = text.find_first_not_of('/');
    if (firstName == std::string::npos && !text.empty()) {
        return "/";
    }
    if (firstName != std::string::npos && firstName > 1) {
        text.erase(0, firstName - 1);
    }
    return text;
}

std::optional<std::string> LinuxPlatform::EntryName(const std::string& path) const {
    // Names are stored exactly as given on Linux: no short names, no case folding. A
    // dangling link is an entry too.
    struct stat entry {};
    if (path.empty() || lstat(path.c_str(), &entry) != 0) {
        return std::nullopt;
    }
    const std::string full = FullPath(path);
    return full == "/" ? full : NameOf(full);
}

std::unique_ptr<FileReplacement> LinuxPlatform::BeginReplaceFile(const std::string& path,
                                                                 std::string& error) {
    if (path.empty()) {
        error = "Cannot save a file without a name.";
        return nullptr;
    }
    return BeginFileReplacement(FullPath(path), std::nullopt, error);
}

// --- shortcuts -----------------------------------------------------------------------------

bool LinuxPlatform::IsShortcut(const std::string& path) const {
    const std::string extension = std::filesystem::path(path).extension().string();
    return g_ascii_strcasecmp(extension.c_str(), ".desktop") == 0;
}

ShortcutTarget LinuxPlatform::ResolveShortcut(const std::string& path) const {
    const DesktopEntry entry = ReadDesktopEntry(path);
    ShortcutTarget result{path, entry.name};
    if (entry.type == "Link") {
        // A link to a file stands for that file. A link to anything else (a web page) stays
        // the .desktop file, which Open follows to its URL.
        const std::string local = LocalPathOfUrl(entry.url);
        if (!local.empty()) {
            result.target = local;
        }
    }
    // An application stays the .desktop file: opening it runs its Exec line.
    return result;
}

// --- the shell -----------------------------------------------------------------------------

int LinuxPlatform::Open(const std::string& path, const std::string& parameters,
                        const std::string& workingFolder) {
    return OpenPath(*this, path, SplitCommandLine(parameters), workingFolder, 0);
}

void LinuxPlatform::RemoveStaleReplacements(const std::string& path) {
    linuxdesktop::RemoveStaleReplacements(FullPath(path));
}

std::unique_ptr<HeldLock> LinuxPlatform::LockExclusive(const std::string& lockPath, int waitMs) {
    return LockFileExclusive(FullPath(lockPath), waitMs);
}

int LinuxPlatform::OpenWithArguments(const std::string& path,
                                     const std::vector<std::string>& arguments,
                                     const std::string& workingFolder) {
    return OpenPath(*this, path, arguments, workingFolder, 0);
}

int LinuxPlatform::OpenAddress(const std::string& address) {
    return OpenUri(address);
}

bool LinuxPlatform::IsProgram(const std::string& path) const {
    // What Open starts as a program: an executable file, or an application's .desktop entry.
    if (IsExecutableProgram(path))
        return true;
    if (!IsShortcut(path))
        return false;
    try {
        return ReadDesktopEntry(path).type == "Application";
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool LinuxPlatform::ShowFolder(const std::string& folder) {
    if (!Attributes(folder).directory) {
        return false;
    }
    return Succeeded(ShowFolderCode(FullPath(folder)));
}

bool LinuxPlatform::ShowItem(const std::string& path) {
    if (!Attributes(path).exists) {
        return false;
    }
    const std::string full = FullPath(path);
    const std::string uri = FileUri(full);
    if (!uri.empty() && CallFileManager("ShowItems", {uri})) {
        return true;
    }
    // Without the file manager's service nothing can be selected: show the folder.
    return Succeeded(OpenFolderWithDefaultApplication(ParentOf(full)));
}

bool LinuxPlatform::ShowComputer() {
    if (CallFileManager("ShowFolders", {"computer:///"})) {
        return true;
    }
    return Succeeded(OpenFolderWithDefaultApplication("/"));
}

bool LinuxPlatform::ShowRecycleBin() {
    if (CallFileManager("ShowFolders", {"trash:///"})) {
        return true;
    }
    // The home trash's files folder; the trash is created on first use, so make it here.
    const std::string files = std::string(g_get_user_data_dir()) + "/Trash/files";
    if (g_mkdir_with_parents(files.c_str(), 0700) != 0) {
        return false;
    }
    return Succeeded(OpenFolderWithDefaultApplication(files));
}

std::optional<std::string> LinuxPlatform::SpecialFolderPath(SpecialFolder folder) const {
    // GLib reads HOME, XDG_DATA_HOME and user-dirs.dirs once per process.
    const std::string dataHome = g_get_user_data_dir();
    switch (folder) {
    case SpecialFolder::Desktop: {
        // XDG_DESKTOP_DIR of user-dirs.dirs, or ~/Desktop.
        const char* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
        if (desktop == nullptr) {
            return std::nullopt;
        }
        return std::string(desktop);
    }
    case SpecialFolder::RecentDocuments:
        return dataHome; // the folder of recently-used.xbel
    case SpecialFolder::SendTo:
    case SpecialFolder::StartMenu: {
        const std::string path =
            dataHome + (folder == SpecialFolder::SendTo ? "/tavolin/SendTo" : "/applications");
        if (g_mkdir_with_parents(path.c_str(), 0700) != 0) {
            return std::nullopt;
        }
        return path;
    }
    }
    return std::nullopt;
}

} // namespace tavolin
