#include "platform/windows/WideText.h"

#include "core/helpers/SystemError.h"

#include <windows.h>

#include <climits>

namespace tavolin::windesktop {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

namespace {

SystemFault FaultOfCode(unsigned long code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return SystemFault::NoPermission;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return SystemFault::NoSpace;
    case ERROR_WRITE_PROTECT:
        return SystemFault::ReadOnlyFileSystem;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
        return SystemFault::NotFound;
    default:
        return SystemFault::Other;
    }
}

// The system's own words for a code, without the line end.
std::string FormattedText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        return "error " + std::to_string(code);
    return Utf8(text);
}

} // namespace

std::string SystemErrorText(unsigned long code) {
    return tavolin::SystemErrorText(FaultOfCode(code), FormattedText(code));
}

std::string ShellOperationErrorText(int result) {
    // The DE_* codes, which FormatMessage would read as unrelated system errors (0x78 is
    // "This function is not supported on this system.").
    switch (result) {
    case 0x74: // DE_ROOTDIR
        return "ドライブのルートフォルダです。";
    case 0x75: // DE_OPCANCELLED
        return "操作は取り消されました。";
    case 0x78: // DE_ACCESSDENIEDSRC
        return tavolin::SystemErrorText(SystemFault::NoPermission, "");
    case 0x79: // DE_PATHTOODEEP
    case 0x81: // DE_FILENAMETOOLONG
        return "パスが長すぎます。";
    case 0x7C:  // DE_INVALIDFILES
    case 0x402: // an invalid source path
        return tavolin::SystemErrorText(SystemFault::NotFound, "");
    case 0x85: // DE_FILE_TOO_LARGE
        return "ファイルが大きすぎます。";
    case 0x86: // DE_SRC_IS_CDROM
    case 0x87: // DE_SRC_IS_DVD
    case 0x88: // DE_SRC_IS_CDRECORD
        return tavolin::SystemErrorText(SystemFault::ReadOnlyFileSystem, "");
    default:
        break;
    }
    if ((result >= 0x71 && result <= 0x88) || result == 0xB7 || result == 0x10000)
        return "ファイル操作が出来ませんでした。(DE " + std::to_string(result) + ")";
    return SystemErrorText(static_cast<unsigned long>(result));
}

} // namespace tavolin::windesktop
