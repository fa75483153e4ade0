#include "platform/linux/FileReplacement.h"

#include "core/helpers/SystemError.h"
#include "platform/linux/SystemErrors.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

namespace tavolin::linuxdesktop {

std::string ParentOf(const std::string& fullPath) {
    const std::size_t slash = fullPath.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        return "/";
    }
    return fullPath.substr(0, slash);
}

std::string NameOf(const std::string& fullPath) {
    const std::size_t slash = fullPath.rfind('/');
    return slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
}

namespace {

// The process's file-creation mask, read without changing it (umask() can only be read by
// setting it, which would race with other threads creating files).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            } catch (const std::exception&) {
                break;
            }
        }
    }
    return 022;
}

// The new content of a file, in a temporary file beside it until Commit renames it over.
class LinuxFileReplacement final : public FileReplacement {
public:
    LinuxFileReplacement(int fd, std::string temporary, std::string target, std::string folder)
        : m_fd(fd), m_temporary(std::move(temporary)), m_target(std::move(target)),
          m_folder(std::move(folder)) {}

    ~LinuxFileReplacement() override {
        if (m_fd >= 0) {
            close(m_fd);
        }
        if (m_replaced >= 0) {
            close(m_replaced);
        }
        if (!m_committed) {
            unlink(m_temporary.c_str());
        }
    }

    bool Write(std::string_view bytes) override {
        while (m_writeError == 0 && !bytes.empty()) {
            const ssize_t n = write(m_fd, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno != EINTR) {
                    m_writeError = errno;
                }
                continue;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return m_writeError == 0;
    }

    bool Commit(std::string& error) override {
        if (m_committed || m_fd < 0) {
            error = "Cannot save \"" + m_target + "\": it was already saved.";
            return false;
        }
        int code = m_writeError;
        if (code == 0 && fsync(m_fd) != 0) {
            code = errno;
        }
        // The new file stays open for Append, every write then going to its end; the old one
        // is opened for ReplacedTail, which reads it after it has lost its name.
        if (code == 0 && fcntl(m_fd, F_SETFL, O_APPEND) != 0) {
            code = errno;
        }
        m_replaced = open(m_target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (code == 0 && rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            code = errno;
        }
        if (code != 0) {
            error = m_target + ": " + ErrnoText(code);
            return false;
        }
        m_committed = true;
        // Make the rename itself durable. The new file is in place whatever this says, and
        // some file systems cannot sync a folder, so its result does not decide the outcome.
        const int folderFd = open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            const int ignored = fsync(folderFd);
            static_cast<void>(ignored);
            close(folderFd);
        }
        return true;
    }

    std::string ReplacedTail(std::uint64_t from, int settleMs) override {
        std::string tail;
        if (!m_committed || m_replaced < 0)
            return tail;
        // A program that opened the old file just before the rename may still be writing
        // into it: its end is read a second time a moment later.
        for (int look = 0; look < (settleMs > 0 ? 2 : 1); ++look) {
            if (look > 0)
                usleep(static_cast<useconds_t>(settleMs) * 1000);
            struct stat old {};
            if (fstat(m_replaced, &old) != 0 || !S_ISREG(old.st_mode))
                break;
            const auto size = static_cast<std::uint64_t>(old.st_size);
            for (std::uint64_t at = from + tail.size(); at < size;) {
                char buffer[65536];
                const ssize_t n =
                    pread(m_replaced, buffer, std::min<std::uint64_t>(sizeof buffer, size - at),
                          static_cast<off_t>(at));
                if (n <= 0)
                    break;
                tail.append(buffer, static_cast<std::size_t>(n));
                at += static_cast<std::uint64_t>(n);
            }
        }
        return tail;
    }

    bool Append(std::string_view bytes, std::string& error) override {
        if (!m_committed || m_fd < 0) {
            error = m_target + ": " + ErrnoText(EBADF);
            return false;
        }
        if (!Write(bytes) || fsync(m_fd) != 0) {
            error = m_target + ": " + ErrnoText(m_writeError != 0 ? m_writeError : errno);
            return false;
        }
        return true;
    }

private:
    int m_fd;
    int m_replaced = -1; // the file replaced, open across its replacement
    std::string m_temporary;
    std::string m_target;
    std::string m_folder;
    int m_writeError = 0;
    bool m_committed = false;
};

} // namespace

namespace {

// The file a replacement of `path` writes: a symbolic link stays a link, and the file it
// points to is replaced.
std::string ReplacedFile(const std::string& path) {
    struct stat entry {};
    if (lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                             &std::free);
        if (resolved)
            return resolved.get();
    }
    return path;
}

// The temporary files of a replacement are ".<name>.XXXXXX", cut so that they stay within
// the 255 bytes a name may have.
std::string TemporaryPrefix(const std::string& target) {
    return "." + NameOf(target).substr(0, 240) + ".";
}

} // namespace

int RemoveStaleReplacements(const std::string& path) {
    const std::string target = ReplacedFile(path);
    const std::string folder = ParentOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const bool mkstempTail =
            std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        const std::string full = (folder == "/" ? "" : folder) + "/" + name;
        struct stat entry {};
        if (!mkstempTail || lstat(full.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode))
            continue;
        const int fd = open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A running copy holds the lock on what it is writing.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && unlink(full.c_str()) == 0)
            ++removed;
        close(fd);
    }
    closedir(dir);
    return removed;
}

std::unique_ptr<FileReplacement>
BeginFileReplacement(const std::string& path, std::optional<mode_t> mode, std::string& error) {
    const std::string target = ReplacedFile(path);

    struct stat old {};
    bool exists = false;
    if (stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) {
            error = target + ": " + ErrnoText(EISDIR);
            return nullptr;
        }
        if (!S_ISREG(old.st_mode)) {
            error =
                target + ": " + SystemErrorText(SystemFault::NotRegularFile, "not a regular file");
            return nullptr;
        }
        // Renaming over a file needs only a writable folder, so a file the user has made
        // read-only would be replaced silently; it is refused as writing into it would be.
        if (access(target.c_str(), W_OK) != 0) {
            const int why = errno;
            error = target + ": " + ErrnoText(why);
            return nullptr;
        }
        exists = true;
    } else if (const int why = errno; why != ENOENT) {
        error = target + ": " + ErrnoText(why);
        return nullptr;
    }

    const std::string folder = ParentOf(target);
    std::string temporary =
        (folder == "/" ? "" : folder) + "/" + TemporaryPrefix(target) + "XXXXXX";
    const std::string pattern = temporary;
    int fd = -1;
    // The lock is held until the descriptor closes, so that no other copy takes the file
    // for a leftover. Another copy's clean-up may remove it in the moment between its
    // creation and the lock: then the file has no name any more, and a new one is made.
    for (int attempt = 0; attempt < 5 && fd < 0; ++attempt) {
        temporary = pattern;
        fd = mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) {
            const int why = errno;
            error = target + ": " + ErrnoText(why);
            return nullptr;
        }
        struct stat created {};
        if (flock(fd, LOCK_EX) != 0 || fstat(fd, &created) != 0 || created.st_nlink == 0) {
            close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        error = target + ": " + ErrnoText(EAGAIN);
        return nullptr;
    }
    auto replacement = std::make_unique<LinuxFileReplacement>(fd, temporary, target, folder);

    // The new file gets the old one's owner and permissions; a new file gets what a plain
    // creation would give it (0666 less the umask), not mkstemp's 0600.
    if (exists) {
        // Allowed to root, a no-op for the owner; otherwise the new file is ours.
        const int ignored = fchown(fd, old.st_uid, old.st_gid);
        static_cast<void>(ignored);
    }
    const mode_t newMode = mode ? *mode : exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (fchmod(fd, newMode) != 0) {
        const int why = errno;
        error = target + ": " + ErrnoText(why);
        return nullptr;
    }
    return replacement;
}

} // namespace tavolin::linuxdesktop
