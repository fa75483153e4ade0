#include "platform/linux/Trash.h"

#include "platform/linux/Gio.h"
#include "platform/linux/SystemErrors.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace tavolin::linuxdesktop {

namespace {

// The path without trailing slashes, so that "link/" names the link and not its target.
// A path of slashes only is the root "/".
std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Closes a descriptor on every path out of a scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

struct RemoveState {
    dev_t topDevice = 0;
    std::string firstError;

    void Fail(const std::string& shownPath, const std::string& reason) {
        if (firstError.empty())
            firstError = shownPath + ": " + reason;
    }
};

// Removes `name` inside the folder `dirFd`. Every step works relative to an open folder
// descriptor and refuses to follow symbolic links, so a folder swapped for a link while
// we work cannot redirect the removal elsewhere.
void RemoveAt(int dirFd, const std::string& name, const std::string& shownPath,
              RemoveState& state) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        state.Fail(shownPath, ErrnoText(errno));
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (unlinkat(dirFd, name.c_str(), 0) != 0)
            state.Fail(shownPath, ErrnoText(errno));
        return;
    }
    if (st.st_dev != state.topDevice) {
        state.Fail(shownPath, "another file system is mounted here; it was left alone");
        return;
    }

    Fd folder(openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() < 0) {
        state.Fail(shownPath, ErrnoText(errno));
        return;
    }
    struct stat opened {};
    if (fstat(folder.Get(), &opened) != 0 || opened.st_dev != st.st_dev ||
        opened.st_ino != st.st_ino) {
        state.Fail(shownPath, "the folder changed while it was being deleted");
        return;
    }

    // Read all names first: removing entries while reading the same stream may skip some.
    std::vector<std::string> names;
    {
        int listFd = dup(folder.Get());
        DIR* dir = listFd >= 0 ? fdopendir(listFd) : nullptr;
        if (!dir) {
            int error = errno;
            if (listFd >= 0)
                close(listFd);
            state.Fail(shownPath, ErrnoText(error));
            return;
        }
        errno = 0;
        while (dirent* entry = readdir(dir)) {
            std::string_view entryName(entry->d_name);
            if (entryName != "." && entryName != "..")
                names.emplace_back(entryName);
        }
        int error = errno;
        closedir(dir);
        if (error != 0) {
            state.Fail(shownPath, ErrnoText(error));
            return;
        }
    }
    for (const std::string& child : names)
        RemoveAt(folder.Get(), child, shownPath + "/" + child, state);

    if (unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0)
        state.Fail(shownPath, ErrnoText(errno));
}

} // namespace

DeleteOutcome MoveToTrash(const std::string& path) {
    DeleteOutcome outcome;
    outcome.path = path;
    if (path.empty()) {
        outcome.error = "No path was given.";
        return outcome;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        outcome.error = path + ": " + ErrnoText(errno);
        return outcome;
    }

    std::string whyNot;
    const GioFunctions* gio = Gio(whyNot);
    if (gio == nullptr) {
        outcome.error = path + ": " + whyNot + " (the file was left in place)";
        return outcome;
    }

    // The home trash lives in the user's data folder; make sure that folder exists, so
    // that no trash implementation falls back to some other folder.
    const char* dataHome = g_get_user_data_dir();
    if (dataHome && *dataHome)
        g_mkdir_with_parents(dataHome, 0700);

    // GIO picks the home trash or the volume's trash, writes the .trashinfo record under
    // a free name and renames the file into the trash: the file is either in the trash or
    // where it was, never copied and never deleted.
    GFile* file = gio->g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    gboolean trashed = gio->g_file_trash(file, nullptr, &error);
    gio->g_object_unref(file);
    if (trashed) {
        outcome.done = true;
    } else {
        outcome.error =
            path + ": " + (error ? GErrorText(error) : "could not be moved to the trash");
        if (IsIoError(error) && error->code == G_IO_ERROR_NOT_SUPPORTED)
            outcome.error += " (this file system has no trash; the file was left in place)";
    }
    if (error)
        g_error_free(error);
    return outcome;
}

DeleteOutcome DeleteForGood(const std::string& givenPath) {
    DeleteOutcome outcome;
    outcome.path = givenPath;
    if (givenPath.empty()) {
        outcome.error = "No path was given.";
        return outcome;
    }
    std::string path = WithoutTrailingSlashes(givenPath);
    std::size_t slash = path.rfind('/');
    std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (path == "/" || name == "." || name == "..") {
        outcome.error = givenPath + ": refusing to delete this folder";
        return outcome;
    }

    Fd parentFd(open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parentFd.Get() < 0) {
        outcome.error = givenPath + ": " + ErrnoText(errno);
        return outcome;
    }
    struct stat st {};
    if (fstatat(parentFd.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        outcome.error = givenPath + ": " + ErrnoText(errno);
        return outcome;
    }
    RemoveState state;
    state.topDevice = st.st_dev;
    RemoveAt(parentFd.Get(), name, path, state);
    outcome.done = state.firstError.empty();
    outcome.error = state.firstError;
    return outcome;
}

} // namespace tavolin::linuxdesktop
