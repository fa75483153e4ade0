#pragma once

#include "core/path/PathStyle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {

// What the file system reports for a path; `exists` false when nothing could be read.
struct FileAttributes {
    bool exists = false;
    bool directory = false;
    bool readOnly = false;
    bool hidden = false;
    bool symlink = false;
};

// Result codes of opening a path, in the shell's numbering: above 32 is success.
namespace open_result {
inline constexpr int kNotFound = 2;
inline constexpr int kOutOfMemory = 8;
inline constexpr int kNoAssociation = 31;
inline constexpr int kSuccess = 42; // any value above 32
// A Linux .desktop file that cannot start its program, by what is wrong with it.
inline constexpr int kEntryBadCommand = 22;     // its Exec line has an unbalanced quote
inline constexpr int kEntryNoCommand = 23;      // it has no Exec line
inline constexpr int kEntryTryExecMissing = 24; // the program its TryExec names is not there
inline constexpr int kEntryProgramMissing = 25; // the program of its Exec line is not there
} // namespace open_result

// A shortcut file resolved: the path it stands for and its title (may be empty).
struct ShortcutTarget {
    std::string target;
    std::string title;
};

// Special folders by the numbers the program uses.
enum class SpecialFolder : int {
    RecentDocuments = 8,
    SendTo = 9,
    StartMenu = 11,
    Desktop = 16,
};

enum class DeleteMode { Recycle, Permanent };

// What happened to one path of a delete request.
struct DeleteOutcome {
    std::string path;
    bool done = false;
    std::string error; // why it was not done, in words for the user
};

struct MemoryStatus {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
};

// The free-resource figures of the information panel.
enum class ResourceKind { System = 0, Gdi = 1, User = 2 };

enum class SessionEnd { RestartShell, Reboot, PowerOff };

// One entry of the desktop's recent-documents list.
struct RecentDocument {
    std::string path;          // the document (for a link-based list, the link file itself)
    std::string target;        // the document it points to; equal to path where there are no links
    std::string title;         // what to show in a menu
    std::int64_t modified = 0; // seconds since the epoch, newest first in lists
};

// A file being replaced: the new content goes to a temporary file beside it, which Commit
// flushes and renames over the old one; dropped uncommitted, it is removed. A crash or a full
// disk leaves the old file or the new one, whole.
class FileReplacement {
public:
    virtual ~FileReplacement() = default;
    // Appends to the new content. False once any write has failed (Commit then says why).
    virtual bool Write(std::string_view bytes) = 0;
    // Puts the new content in place; false, with `error` saying why, when it could not.
    virtual bool Commit(std::string& error) = 0;

    // After Commit, for a file other programs append to: the bytes the replaced file held
    // beyond its first `from` bytes when it lost its name, looked at again after `settleMs`
    // when a writer may still be at work in it. Empty where the system cannot read a file
    // across its replacement.
    virtual std::string ReplacedTail(std::uint64_t from, int settleMs) {
        static_cast<void>(from);
        static_cast<void>(settleMs);
        return {};
    }
    // After Commit: adds bytes at the end of the new file, wherever it now stands.
    virtual bool Append(std::string_view bytes, std::string& error) {
        static_cast<void>(bytes);
        error = "appending is not supported here";
        return false;
    }
};

// A lock held until it is dropped or its process ends however it ends, so a crash leaves
// nothing that blocks the next start.
class HeldLock {
public:
    virtual ~HeldLock() = default;
};

// One entry of a folder listing ("." and ".." are never listed).
struct FolderEntry {
    std::string name;
    bool directory = false;               // a folder, or a link to one
    std::uint64_t size = 0;               // bytes; 0 for a folder
    std::optional<std::int64_t> modified; // last write, seconds since the epoch
};

// A place of the browse dialog's drive list: a drive; on Linux the root, home and mounts.
enum class DriveKind { Fixed, Home, Removable, Remote };
struct DriveEntry {
    std::string root; // "C:" or a mount point such as "/" or "/media/user/STICK"
    std::string name; // what the drive list shows
    DriveKind kind = DriveKind::Fixed;
};

// Window handle as the windowing system knows it (an X11 window id, an HWND).
using NativeWindow = std::uintptr_t;

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The operating system behind one interface. Every call is synchronous and bounded in time.
class Platform {
public:
    virtual ~Platform() = default;

    // --- paths and files ---------------------------------------------------------------
    virtual PathStyle Style() const = 0;
    virtual FileAttributes Attributes(const std::string& path) const = 0;
    // Only `exists` and `directory` (links followed), for callers that look at many paths.
    virtual FileAttributes Kind(const std::string& path) const {
        const FileAttributes full = Attributes(path);
        return FileAttributes{full.exists, full.directory};
    }
    // The path made absolute against the current folder; lexical, the path need not exist.
    virtual std::string FullPath(const std::string& path) const = 0;
    // The stored (long) name of an existing path's last component.
    virtual std::optional<std::string> EntryName(const std::string& path) const = 0;
    // Starts replacing the file at `path`; nothing, with `error` saying why, when it cannot.
    virtual std::unique_ptr<FileReplacement> BeginReplaceFile(const std::string& path,
                                                              std::string& error) = 0;
    // Removes what replacements of the file at `path` left behind when the program was
    // killed while writing; never a file another running copy is writing.
    virtual void RemoveStaleReplacements(const std::string& path) = 0;
    // The lock this program's copies take on the file at `lockPath` (made when missing), for
    // as long as the result is held: an exclusive one, waited for up to `waitMs`. Nothing when
    // it could not be had; other programs are never kept from reading or writing anything.
    virtual std::unique_ptr<HeldLock> LockExclusive(const std::string& lockPath, int waitMs) {
        static_cast<void>(lockPath);
        static_cast<void>(waitMs);
        return nullptr;
    }
    // Replaces the file at `path` with `bytes` in one go.
    bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error) {
        const auto replacement = BeginReplaceFile(path, error);
        if (!replacement)
            return false;
        replacement->Write(bytes);
        return replacement->Commit(error);
    }

    // The entries of a folder, in no particular order; nothing when it cannot be listed.
    virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) const = 0;
    // The drives a user would browse, in the order the drive list shows them.
    virtual std::vector<DriveEntry> Drives() const = 0;

    // --- shortcuts ---------------------------------------------------------------------
    // Whether the file is a shortcut AssignButton resolves (".lnk", ".desktop").
    virtual bool IsShortcut(const std::string& path) const = 0;
    // The target of a shortcut, or the shortcut's own path when it points to no file.
    // Throws std::runtime_error when the shortcut cannot be read.
    virtual ShortcutTarget ResolveShortcut(const std::string& path) const = 0;

    // Whether a file is a program that takes files as arguments (an ".exe"; on Linux an
    // executable or an application's .desktop file).
    virtual bool IsProgram(const std::string& path) const = 0;

    // --- the shell ---------------------------------------------------------------------
    // Opens a path with its default action; `parameters` is split like a command line,
    // `workingFolder` may be empty. Returns a shell result code (see open_result).
    virtual int Open(const std::string& path, const std::string& parameters,
                     const std::string& workingFolder) = 0;
    // Open, with each argument passed as it is (blanks and quotes included).
    virtual int OpenWithArguments(const std::string& path,
                                  const std::vector<std::string>& arguments,
                                  const std::string& workingFolder) = 0;
    // Opens an internet address with the desktop's handler for its scheme, never through a
    // shell: 31 when no handler is registered, 2 when the text has no scheme.
    virtual int OpenAddress(const std::string& address) = 0;
    // The file manager: a folder, a folder with one item selected, the computer view and
    // the recycle bin. False when nothing could be shown.
    virtual bool ShowFolder(const std::string& folder) = 0;
    virtual bool ShowItem(const std::string& path) = 0;
    virtual bool ShowComputer() = 0;
    virtual bool ShowRecycleBin() = 0;
    virtual std::optional<std::string> SpecialFolderPath(SpecialFolder folder) const = 0;

    // Deletes paths and reports each one's outcome in order; a path that cannot be recycled
    // is left where it is, never deleted for good.
    virtual std::vector<DeleteOutcome> Delete(const std::vector<std::string>& paths,
                                              DeleteMode mode) = 0;

    // --- system figures ----------------------------------------------------------------
    // Processor usage in percent since the previous call, or nothing when unknown.
    virtual std::optional<int> ProcessorUsage() = 0;
    virtual std::optional<MemoryStatus> Memory() const = 0;
    // Free share of a resource in percent, 0 to 100, or nothing when unknown.
    virtual std::optional<int> FreeResource(ResourceKind kind) const = 0;
    // What FreeResource measures on this system, in words for the gauge's tip.
    virtual std::string ResourceHint(ResourceKind kind) const = 0;

    // --- the session -------------------------------------------------------------------
    // Asks the desktop to end the session; true when the request was accepted.
    virtual bool EndSession(SessionEnd how) = 0;
    // Minimises every other program's window, or (undo) restores exactly the windows the
    // last minimise took; false when the desktop does not support it.
    virtual bool MinimizeAll(bool undo) = 0;
    // Shows or hides a window's taskbar entry; false when unsupported.
    virtual bool SetTaskbarEntry(NativeWindow window, bool visible) = 0;
    // Keeps a shown window above every other one, or returns it to the normal stack where it
    // stands now; false when unsupported.
    virtual bool SetStayOnTop(NativeWindow window, bool onTop) = 0;
    // The screen position of a window's client area, asked of the windowing system now.
    virtual std::optional<ScreenPoint> WindowOrigin(NativeWindow window) const = 0;
    // The window the windowing system holds active now, or nothing when it cannot tell.
    virtual std::optional<NativeWindow> ActiveWindow() const = 0;

    // --- recent documents --------------------------------------------------------------
    virtual std::vector<RecentDocument> RecentDocuments() const = 0;
    // Empties the list; false (and the list unchanged) on failure.
    virtual bool ClearRecentDocuments() = 0;
};

// The platform of the system the program runs on.
std::unique_ptr<Platform> CreatePlatform();

// One running copy per user and desktop. These work before any Platform exists: a later copy
// learns that it is one before it connects to the display.

// Where one copy's lock and request channel live, where no other user can reach or make them.
struct InstanceNames {
    std::string lock;    // Linux: a file in a folder of the user's alone; Windows: a mutex
    std::string channel; // what the local server listens on: a socket's path or a pipe's name
};
// The names for `key` on the desktop `display`; nothing, with `error`, when the system offers
// the user no private place for them.
std::optional<InstanceNames> PrivateInstanceNames(const std::string& key,
                                                  const std::string& display, std::string& error);

enum class LockState { Taken, Held, Failed };
// Takes the lock of that name. Held: a live copy has it. Failed: it cannot be taken (`error`).
std::unique_ptr<HeldLock> TakeInstanceLock(const std::string& name, LockState& state,
                                           std::string& error);
// The exclusive lock on the file at the full path `name` (made when missing) that the program's
// copies take turns on, waited for up to `waitMs`; nothing when it could not be had. Other
// programs may still read, write and remove that file.
std::unique_ptr<HeldLock> LockFileExclusive(const std::string& name, int waitMs);

// Lets the process at the other end of a local connection bring its window to the front
// (Windows gives that right only to the program in front). The peer's process id, if known.
std::optional<std::int64_t> AllowPeerToComeForward(std::intptr_t connection);

} // namespace tavolin
