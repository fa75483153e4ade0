#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace tavolin {

// The common reasons a file operation fails, each told to the user in words of our own.
enum class SystemFault {
    Other,              // anything else: the system's own text alone
    NoPermission,       // EACCES, EPERM
    NoSpace,            // ENOSPC, EDQUOT
    ReadOnlyFileSystem, // EROFS
    NotFound,           // ENOENT
    NotRegularFile,     // EISDIR, or a device, pipe or socket where a file belongs
};

// What a failed system call means, for a message box: the fault in Japanese with the
// system's own text after it in brackets ("アクセス権がありません。(Permission denied)"),
// the system's text alone for any other fault.
std::string SystemErrorText(SystemFault fault, std::string_view detail);

// The fault of a standard error code (the C library's errno values, std::filesystem's codes).
SystemFault FaultOf(const std::error_code& error);
// SystemErrorText of a standard error code, with its message as the detail.
std::string SystemErrorText(const std::error_code& error);

} // namespace tavolin
