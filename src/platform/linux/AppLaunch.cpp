#include "platform/linux/AppLaunch.h"

#include "platform/linux/DesktopEntry.h"
#include "platform/linux/GLibPtr.h"
#include "platform/linux/Gio.h"
#include "platform/linux/SystemErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tavolin::linuxdesktop {

namespace {

// How many bytes of a file the content-type guess looks at.
constexpr std::size_t kSniffBytes = 4096;

std::string ReadHead(const std::string& path) {
    std::string head;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return head;
    }
    head.resize(kSniffBytes);
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = read(fd, head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    head.resize(got);
    return head;
}

// A GList of borrowed string pointers for the GIO calls that take one.
class UriList {
public:
    explicit UriList(const std::vector<std::string>& uris) {
        for (const std::string& uri : uris) {
            m_list = g_list_prepend(m_list, const_cast<char*>(uri.c_str()));
        }
        m_list = g_list_reverse(m_list);
    }
    ~UriList() { g_list_free(m_list); }
    UriList(const UriList&) = delete;
    UriList& operator=(const UriList&) = delete;
    GList* Get() const { return m_list; }

private:
    GList* m_list = nullptr;
};

// Starts `app` with `uris` (file:// URIs for local files). GIO spawns the application
// without waiting for it; the launch context carries no display of its own.
int Launch(const GioFunctions& gio, GAppInfo* app, const std::vector<std::string>& uris) {
    GObjectPtr<GAppLaunchContext> context(gio.g_app_launch_context_new());
    UriList list(uris);
    ErrorSlot error;
    if (!gio.g_app_info_launch_uris(app, list.Get(), context.get(), error.Out())) {
        return CodeFromError(error.Get());
    }
    return open_result::kSuccess;
}

std::string FileUri(const std::string& path) {
    GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

int OpenWithDefaultFor(const GioFunctions& gio, const char* contentType, const std::string& path) {
    GObjectPtr<GAppInfo> app(gio.g_app_info_get_default_for_type(contentType, FALSE));
    if (!app) {
        return open_result::kNoAssociation;
    }
    const std::string uri = FileUri(path);
    if (uri.empty()) {
        return open_result::kNotFound;
    }
    return Launch(gio, app.get(), {uri});
}

// The code of what is wrong with an application's entry; `otherwise` when nothing is.
int CodeOfEntryFault(const std::string& desktopFile, int otherwise) {
    switch (FaultOfApplication(desktopFile)) {
    case ApplicationFault::TryExecMissing:
        return open_result::kEntryTryExecMissing;
    case ApplicationFault::BadCommand:
        return open_result::kEntryBadCommand;
    case ApplicationFault::NoCommand:
        return open_result::kEntryNoCommand;
    case ApplicationFault::ProgramMissing:
        return open_result::kEntryProgramMissing;
    case ApplicationFault::None:
        break;
    }
    return otherwise;
}

} // namespace

int CodeFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return open_result::kNotFound;
    case ENOMEM:
    case EAGAIN:
        return open_result::kOutOfMemory;
    case EACCES:
    case EPERM:
        return open_failure::kAccessDenied;
    case ENOEXEC:
        return open_failure::kBadFormat;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return open_failure::kPathNotFound;
    default:
        return open_failure::kOther;
    }
}

int CodeFromError(const GError* error) {
    if (error == nullptr) {
        return open_failure::kOther;
    }
    if (error->domain == G_SPAWN_ERROR) {
        switch (error->code) {
        case G_SPAWN_ERROR_NOENT:
            return open_result::kNotFound;
        case G_SPAWN_ERROR_NOMEM:
            return open_result::kOutOfMemory;
        case G_SPAWN_ERROR_ACCES:
        case G_SPAWN_ERROR_PERM:
            return open_failure::kAccessDenied;
        case G_SPAWN_ERROR_NOEXEC:
        case G_SPAWN_ERROR_LIBBAD:
            return open_failure::kBadFormat;
        case G_SPAWN_ERROR_CHDIR:
        case G_SPAWN_ERROR_NOTDIR:
        case G_SPAWN_ERROR_LOOP:
        case G_SPAWN_ERROR_NAMETOOLONG:
            return open_failure::kPathNotFound;
        default:
            return open_failure::kOther;
        }
    }
    if (IsIoError(error)) {
        switch (error->code) {
        case G_IO_ERROR_NOT_FOUND:
            return open_result::kNotFound;
        case G_IO_ERROR_PERMISSION_DENIED:
            return open_failure::kAccessDenied;
        case G_IO_ERROR_NOT_SUPPORTED:
            return open_result::kNoAssociation;
        default:
            return open_failure::kOther;
        }
    }
    return open_failure::kOther;
}

int OpenWithDefaultApplication(const std::string& path) {
    const GioFunctions* gio = Gio();
    if (gio == nullptr) {
        return open_failure::kOther;
    }
    // The name decides where it is unambiguous (a.txt); the first bytes otherwise. A file
    // that cannot be read is guessed from its name alone.
    const std::string head = ReadHead(path);
    gboolean uncertain = FALSE;
    GCharPtr type(gio->g_content_type_guess(
        path.c_str(), head.empty() ? nullptr : reinterpret_cast<const guchar*>(head.data()),
        head.size(), &uncertain));
    return OpenWithDefaultFor(*gio, type.get(), path);
}

int OpenFolderWithDefaultApplication(const std::string& folder) {
    const GioFunctions* gio = Gio();
    if (gio == nullptr) {
        return open_failure::kOther;
    }
    return OpenWithDefaultFor(*gio, "inode/directory", folder);
}

int LaunchDesktopApplication(const std::string& desktopFile,
                             const std::vector<std::string>& arguments,
                             const std::string& workingFolder) {
    // GIO refuses entries whose TryExec or Exec program is not installed, and Exec lines it
    // cannot split; the user is told which.
    const GioFunctions* gio = Gio();
    if (gio == nullptr) {
        return open_failure::kOther;
    }
    GObjectPtr<GDesktopAppInfo> info(
        gio->g_desktop_app_info_new_from_filename(desktopFile.c_str()));
    if (!info) {
        return CodeOfEntryFault(desktopFile, open_result::kNotFound);
    }
    std::vector<std::string> uris;
    uris.reserve(arguments.size());
    for (const std::string& argument : arguments) {
        GObjectPtr<GFile> file(gio->g_file_new_for_commandline_arg_and_cwd(
            argument.c_str(), workingFolder.empty() ? nullptr : workingFolder.c_str()));
        GCharPtr uri(gio->g_file_get_uri(file.get()));
        uris.emplace_back(uri.get());
    }
    // An entry without an Exec line loads (it may be started over D-Bus) and fails here.
    const int code = Launch(*gio, reinterpret_cast<GAppInfo*>(info.get()), uris);
    return code > 32 ? code : CodeOfEntryFault(desktopFile, code);
}

int OpenUri(const std::string& uri) {
    const char* scheme = g_uri_peek_scheme(uri.c_str()); // lower case, owned by GLib
    if (scheme == nullptr) {
        return open_result::kNotFound;
    }
    const GioFunctions* gio = Gio();
    if (gio == nullptr) {
        return open_failure::kOther;
    }
    GObjectPtr<GAppInfo> app(gio->g_app_info_get_default_for_uri_scheme(scheme));
    if (!app) {
        return open_result::kNoAssociation;
    }
    return Launch(*gio, app.get(), {uri});
}

} // namespace tavolin::linuxdesktop
