#include "platform/linux/SystemErrors.h"

#include "core/helpers/SystemError.h"

#include <gio/gio.h> // the I/O error codes only: GIO itself is not linked

#include <cerrno>

namespace tavolin::linuxdesktop {

std::string ErrnoText(int error) {
    // A full quota is a full disk to its user; the standard codes have no name for it.
    const SystemFault fault = error == EDQUOT
                                  ? SystemFault::NoSpace
                                  : FaultOf(std::error_code(error, std::generic_category()));
    return SystemErrorText(fault, g_strerror(error));
}

bool IsIoError(const GError* error) {
    // GIO registers its domain under this name on first use; until then no error of it
    // exists, and looking the name up registers nothing.
    const GQuark domain = g_quark_try_string("g-io-error-quark");
    return error != nullptr && domain != 0 && error->domain == domain;
}

namespace {

SystemFault FaultOfGError(const GError* error) {
    if (IsIoError(error)) {
        switch (error->code) {
        case G_IO_ERROR_PERMISSION_DENIED:
            return SystemFault::NoPermission;
        case G_IO_ERROR_NO_SPACE:
            return SystemFault::NoSpace;
        case G_IO_ERROR_READ_ONLY:
            return SystemFault::ReadOnlyFileSystem;
        case G_IO_ERROR_NOT_FOUND:
            return SystemFault::NotFound;
        case G_IO_ERROR_IS_DIRECTORY:
        case G_IO_ERROR_NOT_REGULAR_FILE:
            return SystemFault::NotRegularFile;
        default:
            return SystemFault::Other;
        }
    }
    if (error->domain == G_FILE_ERROR) {
        switch (error->code) {
        case G_FILE_ERROR_ACCES:
        case G_FILE_ERROR_PERM:
            return SystemFault::NoPermission;
        case G_FILE_ERROR_NOSPC:
            return SystemFault::NoSpace;
        case G_FILE_ERROR_ROFS:
            return SystemFault::ReadOnlyFileSystem;
        case G_FILE_ERROR_NOENT:
            return SystemFault::NotFound;
        case G_FILE_ERROR_ISDIR:
            return SystemFault::NotRegularFile;
        default:
            return SystemFault::Other;
        }
    }
    return SystemFault::Other;
}

} // namespace

std::string GErrorText(const GError* error) {
    if (error == nullptr)
        return SystemErrorText(SystemFault::Other, "unknown error");
    return SystemErrorText(FaultOfGError(error), error->message);
}

} // namespace tavolin::linuxdesktop
