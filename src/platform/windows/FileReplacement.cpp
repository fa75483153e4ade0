#include "platform/windows/FileReplacement.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <random>

namespace tavolin::windesktop {

namespace {

// A file whose old copy another program holds open is busy for a moment (a virus scanner,
// an indexer); the move is tried again a few times before it fails.
constexpr int kMoveAttempts = 5;
constexpr DWORD kMoveRetryMs = 20;

std::wstring FolderOf(const std::wstring& full) {
    const std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    return full.substr(0, slash == 2 && full[1] == L':' ? 3 : slash);
}

std::wstring NameOf(const std::wstring& full) {
    const std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// The temporary files of a replacement are "~<name>.<six letters or digits>.tmp", hidden.
std::wstring TemporaryPrefix(const std::wstring& target) {
    return L"~" + NameOf(target).substr(0, 200) + L".";
}
constexpr std::size_t kTailLength = 6;

std::wstring RandomTail() {
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::wstring tail;
    for (std::size_t i = 0; i < kTailLength; ++i)
        tail += kLetters[random() % 36];
    return tail;
}

std::string SaveError(const std::wstring& target, DWORD code) {
    return Utf8(target) + ": " + SystemErrorText(code);
}

class WindowsFileReplacement final : public FileReplacement {
public:
    WindowsFileReplacement(HANDLE file, std::wstring temporary, std::wstring target)
        : m_file(file), m_temporary(std::move(temporary)), m_target(std::move(target)) {}
    ~WindowsFileReplacement() override {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
        if (!m_committed)
            DeleteFileW(m_temporary.c_str());
    }

    bool Write(std::string_view bytes) override {
        while (m_writeError == 0 && !bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
            DWORD written = 0;
            if (!WriteFile(m_file, bytes.data(), chunk, &written, nullptr)) {
                m_writeError = GetLastError();
                break;
            }
            bytes.remove_prefix(written);
        }
        return m_writeError == 0;
    }

    bool Commit(std::string& error) override {
        if (m_committed || m_file == INVALID_HANDLE_VALUE) {
            error = "Cannot save \"" + Utf8(m_target) + "\": it was already saved.";
            return false;
        }
        DWORD code = m_writeError;
        if (code == 0 && !FlushFileBuffers(m_file))
            code = GetLastError();
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        for (int attempt = 0; code == 0; ++attempt) {
            if (MoveFileExW(m_temporary.c_str(), m_target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                break;
            code = GetLastError();
            const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
                              code == ERROR_LOCK_VIOLATION;
            if (!busy || attempt + 1 >= kMoveAttempts)
                break;
            code = 0;
            Sleep(kMoveRetryMs);
        }
        if (code != 0) {
            error = SaveError(m_target, code);
            return false;
        }
        m_committed = true;
        // The temporary file was hidden; the file in place is not.
        const DWORD attributes = GetFileAttributesW(m_target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0 &&
            !m_wasHidden)
            SetFileAttributesW(m_target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN});
        return true;
    }

    void KeepHidden(bool hidden) { m_wasHidden = hidden; }

private:
    HANDLE m_file;
    std::wstring m_temporary;
    std::wstring m_target;
    DWORD m_writeError = 0;
    bool m_committed = false;
    bool m_wasHidden = false;
};

} // namespace

std::unique_ptr<FileReplacement> BeginFileReplacement(const std::string& path, std::string& error) {
    const std::wstring target = Wide(path);
    const DWORD old = GetFileAttributesW(target.c_str());
    if (old != INVALID_FILE_ATTRIBUTES) {
        if ((old & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            error = "Cannot save \"" + path + "\": a folder of that name is in its place.";
            return nullptr;
        }
        if ((old & FILE_ATTRIBUTE_READONLY) != 0) {
            error = SaveError(target, ERROR_ACCESS_DENIED);
            return nullptr;
        }
    }
    const std::wstring folder = FolderOf(target);
    for (int attempt = 0;; ++attempt) {
        const std::wstring temporary =
            Joined(folder, TemporaryPrefix(target) + RandomTail() + L".tmp");
        // No sharing: while it is written nobody else opens or removes it.
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            auto replacement = std::make_unique<WindowsFileReplacement>(file, temporary, target);
            replacement->KeepHidden(old != INVALID_FILE_ATTRIBUTES &&
                                    (old & FILE_ATTRIBUTE_HIDDEN) != 0);
            return replacement;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS || attempt >= 16) {
            error = SaveError(target, code);
            return nullptr;
        }
    }
}

int RemoveStaleReplacements(const std::string& path) {
    const std::wstring target = Wide(path);
    const std::wstring folder = FolderOf(target);
    const std::wstring prefix = TemporaryPrefix(target);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Joined(folder, prefix + L"*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    int removed = 0;
    do {
        const std::wstring name = found.cFileName;
        // The pattern also matches longer names; only the replacement's own form counts.
        if (name.size() != prefix.size() + kTailLength + 4 ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            !std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end() - 4,
                         [](wchar_t c) { return std::iswalnum(c) != 0; }))
            continue;
        const std::uint64_t age = ticks(now) - std::min(ticks(now), ticks(found.ftLastWriteTime));
        if (age < static_cast<std::uint64_t>(kStaleAfterSeconds) * 10000000ULL)
            continue;
        if (DeleteFileW(Joined(folder, name).c_str()))
            ++removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

} // namespace tavolin::windesktop
