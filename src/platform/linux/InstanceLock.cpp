#include "platform/InstanceLock.h"
#include "core/Platform.h"
#include "platform/linux/LocalSocket.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tavolin {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string UserName() {
    for (const char* variable : {"USER", "LOGNAME"}) {
        if (std::string name = Env(variable); !name.empty())
            return name;
    }
    if (const passwd* entry = getpwuid(geteuid()))
        return entry->pw_name;
    return std::to_string(geteuid());
}

// Why a folder is not the user's alone, or empty when it is: a real folder (not a link to
// one) owned by the user, that nobody else may enter, read or write.
std::string WhyNotPrivate(const std::string& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0)
        return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return folder + " is not a folder";
    if (st.st_uid != geteuid())
        return folder + " belongs to another user";
    if ((st.st_mode & 077) != 0)
        return folder + " is open to other users";
    return {};
}

// Makes `folder` (and its missing parents) for the user alone. A folder of the user's that
// others may reach is closed to them; one of another user is never used.
bool MakePrivateFolder(const std::string& folder, std::string& why) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), 0700);
    }
    mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
        (st.st_mode & 077) != 0) {
        chmod(folder.c_str(), 0700);
    }
    why = WhyNotPrivate(folder);
    return why.empty();
}

std::string HostName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        return "localhost";
    return SafeName(host);
}

} // namespace

std::optional<InstanceNames> PrivateInstanceNames(const std::string& key,
                                                  const std::string& display, std::string& error) {
    const std::string base = SafeName(key + "-" + UserName() + "-" + display);
    // The socket's path must fit the address of a local socket.
    const auto fits = [&base](const std::string& folder) {
        return folder.size() + 1 + base.size() + 7 <= linuxdesktop::LocalSocket::MaxPathLength();
    };
    std::string why;
    // The session's runtime folder; else a folder of the user's own under the home folder,
    // one per machine, since a home folder may be shared between machines. Never the shared
    // temporary folder: there another user could take the names first.
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    std::string folder;
    if (!runtime.empty() && runtime[0] == '/') {
        why = WhyNotPrivate(runtime);
        if (why.empty() && fits(runtime))
            folder = runtime;
        else if (why.empty())
            why = runtime + " is too long a path for a socket";
    }
    if (folder.empty()) {
        std::string cache = Env("XDG_CACHE_HOME");
        if (cache.empty() || cache[0] != '/') {
            std::string home = Env("HOME");
            if (home.empty() || home[0] != '/') {
                const passwd* entry = getpwuid(geteuid());
                home = entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
            }
            cache = home.empty() || home[0] != '/' ? std::string() : home + "/.cache";
        }
        if (!cache.empty()) {
            const std::string own = cache + "/tavolin/run-" + HostName();
            std::string ownWhy;
            if (!fits(own))
                ownWhy = own + " is too long a path for a socket";
            else if (MakePrivateFolder(own, ownWhy))
                folder = own;
            why = why.empty() ? ownWhy : why + "; " + ownWhy;
        } else if (why.empty()) {
            why = "there is no home folder";
        }
    }
    if (folder.empty()) {
        error = "no folder of the user's alone for the lock and the socket (" + why + ")";
        return std::nullopt;
    }
    return InstanceNames{folder + "/" + base + ".lock", folder + "/" + base + ".socket"};
}

std::unique_ptr<HeldLock> TakeInstanceLock(const std::string& name, LockState& state,
                                           std::string& error) {
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        state = LockState::Failed;
        error = name + ": " + std::strerror(errno);
        return nullptr;
    }
    // The system drops a flock with the last descriptor of its process: a crashed or killed
    // copy leaves a file behind, but never a lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        close(fd);
        state = code == EWOULDBLOCK ? LockState::Held : LockState::Failed;
        if (state == LockState::Failed)
            error = name + ": " + std::strerror(code);
        return nullptr;
    }
    state = LockState::Taken;
    return std::make_unique<HandleLock>([fd] { close(fd); });
}

std::unique_ptr<HeldLock> LockFileExclusive(const std::string& name, int waitMs) {
    // The file is never removed: removing it would let two copies lock two files.
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    for (int waited = 0;; waited += 5) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::make_unique<HandleLock>([fd] { close(fd); });
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs)
            break;
        usleep(5000);
    }
    close(fd);
    return nullptr;
}

} // namespace tavolin
