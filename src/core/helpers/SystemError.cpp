#include "core/helpers/SystemError.h"

namespace tavolin {

std::string SystemErrorText(SystemFault fault, std::string_view detail) {
    std::string text;
    switch (fault) {
    case SystemFault::NoPermission:
        text = "アクセス権がありません。";
        break;
    case SystemFault::NoSpace:
        text = "ディスクの空き容量が不足しています。";
        break;
    case SystemFault::ReadOnlyFileSystem:
        text = "読み取り専用のファイルシステムです。";
        break;
    case SystemFault::NotFound:
        text = "ファイルまたはフォルダが存在しません。";
        break;
    case SystemFault::NotRegularFile:
        text = "通常のファイルではありません。";
        break;
    case SystemFault::Other:
        return std::string(detail);
    }
    if (!detail.empty()) {
        text += "(";
        text += detail;
        text += ")";
    }
    return text;
}

SystemFault FaultOf(const std::error_code& error) {
    // Compared as conditions, so that a system's own codes (Windows' ERROR_ACCESS_DENIED)
    // count as the portable fault they stand for.
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return SystemFault::NoPermission;
    }
    if (error == std::errc::no_space_on_device)
        return SystemFault::NoSpace;
    if (error == std::errc::read_only_file_system)
        return SystemFault::ReadOnlyFileSystem;
    if (error == std::errc::no_such_file_or_directory)
        return SystemFault::NotFound;
    if (error == std::errc::is_a_directory)
        return SystemFault::NotRegularFile;
    return SystemFault::Other;
}

std::string SystemErrorText(const std::error_code& error) {
    return SystemErrorText(FaultOf(error), error.message());
}

} // namespace tavolin
