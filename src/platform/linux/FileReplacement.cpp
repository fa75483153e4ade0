#include "platform/linux/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tavolin::linuxdesktop {

namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

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
        const int closed = close(m_fd);
        m_fd = -1;
        if (code == 0 && closed != 0) {
            code = errno;
        }
        if (code == 0 && rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            code = errno;
        }
        if (code != 0) {
            error = "Cannot save \"" + m_target + "\": " + ErrnoText(code);
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

private:
    int m_fd;
    std::string m_temporary;
    std::string m_target;
    std::string m_folder;
    int m_writeError = 0;
    bool m_committed = false;
};

} // namespace

std::unique_ptr<FileReplacement> BeginFileReplacement(const std::string& path,
                                                      std::optional<mode_t> mode,
                                                      std::string& error) {
    std::string target = path;

    // A symbolic link stays a link: the file it points to is replaced.
    struct stat entry {};
    if (lstat(target.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(realpath(target.c_str(), nullptr),
                                                             &std::free);
        if (resolved) {
            target = resolved.get();
        }
    }

    struct stat old {};
    bool exists = false;
    if (stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) {
            error = "Cannot save \"" + target + "\": it is a folder, not a file.";
            return nullptr;
        }
        if (!S_ISREG(old.st_mode)) {
            error = "Cannot save \"" + target + "\": it is not a regular file.";
            return nullptr;
        }
        // Renaming over a file needs only a writable folder, so a file the user has made
        // read-only would be replaced silently; it is refused as writing into it would be.
        if (access(target.c_str(), W_OK) != 0) {
            error = "Cannot save \"" + target + "\": " + ErrnoText(errno);
            return nullptr;
        }
        exists = true;
    } else if (errno != ENOENT) {
        error = "Cannot save \"" + target + "\": " + ErrnoText(errno);
        return nullptr;
    }

    const std::string folder = ParentOf(target);
    // ".<name>.XXXXXX", cut so that it stays within the 255 bytes a name may have.
    const std::string prefix = "." + NameOf(target).substr(0, 240) + ".";
    std::string temporary = (folder == "/" ? "" : folder) + "/" + prefix + "XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot save \"" + target + "\": " + ErrnoText(errno);
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
        error = "Cannot save \"" + target + "\": cannot set its permissions: " + ErrnoText(errno);
        return nullptr;
    }
    return replacement;
}

} // namespace tavolin::linuxdesktop
