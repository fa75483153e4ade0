#include "platform/windows/WindowsPlatform.h"

#include "platform/windows/FileReplacement.h"
#include "platform/windows/WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

namespace tavolin {

using namespace windesktop;

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// A drive root as the user writes it, "C:" or "C:\".
bool IsDriveRoot(const std::string& path) {
    return (path.size() == 2 || (path.size() == 3 && (path[2] == '\\' || path[2] == '/'))) &&
           std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// Seconds since 1970 of a file time (100 ns units since 1601).
std::int64_t EpochSeconds(const FILETIME& time) {
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    constexpr std::uint64_t kTicksTo1970 = 116444736000000000ULL;
    return static_cast<std::int64_t>(ticks / 10000000ULL) -
           static_cast<std::int64_t>(kTicksTo1970 / 10000000ULL);
}

// A path with no characters Windows cannot take in a name (a NUL would cut it short).
bool Passable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

int ShellOpen(const std::wstring& file, const std::wstring& parameters,
              const std::wstring& folder) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info))
        return open_result::kSuccess;
    return OpenFailureCode(reinterpret_cast<std::intptr_t>(info.hInstApp), GetLastError());
}

} // namespace

namespace windesktop {

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and the quote escaped.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\'); // before the closing quote
    return quoted + "\"";
}

int OpenFailureCode(std::intptr_t instance, unsigned long lastError) {
    if (instance > 0 && instance <= 32)
        return static_cast<int>(instance);
    switch (lastError) {
    case ERROR_FILE_NOT_FOUND:
        return open_result::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return 3;
    case ERROR_ACCESS_DENIED:
        return 5;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return open_result::kOutOfMemory;
    case ERROR_BAD_EXE_FORMAT:
        return 11;
    case ERROR_NO_ASSOCIATION:
        return open_result::kNoAssociation;
    default:
        return 1;
    }
}

} // namespace windesktop

WindowsPlatform::WindowsPlatform() = default;
WindowsPlatform::~WindowsPlatform() = default;

std::unique_ptr<Platform> CreatePlatform() {
    return std::make_unique<WindowsPlatform>();
}

// --- paths and files ---------------------------------------------------------------------

FileAttributes WindowsPlatform::Attributes(const std::string& path) const {
    if (!Passable(path))
        return {};
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    FileAttributes result;
    result.exists = true;
    result.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    result.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    result.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    result.symlink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return result;
}

std::string WindowsPlatform::FullPath(const std::string& path) const {
    if (!Passable(path))
        return {};
    const std::wstring wide = Wide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    // A trailing "\" names the same folder; a drive root keeps its own ("C:\").
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    return Utf8(full);
}

std::optional<std::string> WindowsPlatform::EntryName(const std::string& path) const {
    if (!Passable(path))
        return std::nullopt;
    if (IsDriveRoot(path)) {
        if (!Attributes(path.substr(0, 2) + "\\").exists)
            return std::nullopt;
        return path.substr(0, 2);
    }
    std::wstring wide = Wide(FullPath(path));
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    return Utf8(found.cFileName);
}

std::unique_ptr<FileReplacement> WindowsPlatform::BeginReplaceFile(const std::string& path,
                                                                   std::string& error) {
    if (!Passable(path)) {
        error = "Cannot save a file without a name.";
        return nullptr;
    }
    return BeginFileReplacement(FullPath(path), error);
}

void WindowsPlatform::RemoveStaleReplacements(const std::string& path) {
    if (Passable(path))
        windesktop::RemoveStaleReplacements(FullPath(path));
}

std::unique_ptr<HeldLock> WindowsPlatform::LockExclusive(const std::string& lockPath, int waitMs) {
    return Passable(lockPath) ? LockFileExclusive(FullPath(lockPath), waitMs) : nullptr;
}

std::optional<std::vector<FolderEntry>>
WindowsPlatform::ListFolder(const std::string& folder) const {
    if (!Passable(folder))
        return std::nullopt;
    std::wstring pattern = Wide(folder);
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // An empty drive root has no entries at all, not even "." and "..".
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return std::vector<FolderEntry>{};
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FolderEntry entry;
        entry.name = Utf8(name);
        entry.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!entry.directory)
            entry.size =
                (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (found.ftLastWriteTime.dwHighDateTime != 0 || found.ftLastWriteTime.dwLowDateTime != 0)
            entry.modified = EpochSeconds(found.ftLastWriteTime);
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

std::vector<DriveEntry> WindowsPlatform::Drives() const {
    std::vector<DriveEntry> drives;
    const DWORD mask = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((mask & (1u << letter)) == 0)
            continue;
        const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":";
        DriveKind kind = DriveKind::Fixed;
        switch (GetDriveTypeW(Wide(root + "\\").c_str())) {
        case DRIVE_REMOVABLE:
        case DRIVE_CDROM:
            kind = DriveKind::Removable;
            break;
        case DRIVE_REMOTE:
            kind = DriveKind::Remote;
            break;
        default:
            break;
        }
        drives.push_back({root, root, kind});
    }
    return drives;
}

// --- shortcuts and programs ----------------------------------------------------------------

bool WindowsPlatform::IsShortcut(const std::string& path) const {
    return EndsWithNoCase(path, ".lnk");
}

bool WindowsPlatform::IsProgram(const std::string& path) const {
    return EndsWithNoCase(path, ".exe");
}

// --- the shell -----------------------------------------------------------------------------

int WindowsPlatform::Open(const std::string& path, const std::string& parameters,
                          const std::string& workingFolder) {
    if (!Passable(path))
        return open_result::kNotFound;
    return ShellOpen(Wide(path), Wide(parameters), Wide(workingFolder));
}

int WindowsPlatform::OpenWithArguments(const std::string& path,
                                       const std::vector<std::string>& arguments,
                                       const std::string& workingFolder) {
    std::string parameters;
    for (const std::string& argument : arguments) {
        if (!parameters.empty())
            parameters += ' ';
        parameters += QuoteArgument(argument);
    }
    return Open(path, parameters, workingFolder);
}

int WindowsPlatform::OpenAddress(const std::string& address) {
    // A scheme is a letter and then letters, digits, "+", "-" or ".", before a ":"; a single
    // letter is a drive ("C:"), not a scheme. Nothing else is handed to the shell, which
    // would open a path or run a program.
    const std::size_t colon = address.find(':');
    const bool scheme =
        colon != std::string::npos && colon >= 2 &&
        std::isalpha(static_cast<unsigned char>(address[0])) &&
        std::all_of(address.begin(), address.begin() + static_cast<long>(colon), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
        });
    if (!scheme || address.find('\0') != std::string::npos)
        return open_result::kNotFound;
    return ShellOpen(Wide(address), L"", L"");
}

} // namespace tavolin
