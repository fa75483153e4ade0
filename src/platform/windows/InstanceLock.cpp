#include "platform/InstanceLock.h"
#include "core/Platform.h"
#include "platform/windows/WideText.h"

#include <windows.h>

#include <sddl.h>

namespace tavolin {

namespace {

using windesktop::SystemErrorText;
using windesktop::Utf8;
using windesktop::Wide;

// The user's security identifier as text ("S-1-5-21-..."), or empty.
std::string UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    std::string sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
            sid = Utf8(text);
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

} // namespace

std::optional<InstanceNames> PrivateInstanceNames(const std::string& key,
                                                  const std::string& display, std::string& error) {
    const std::string sid = UserSid();
    DWORD session = 0;
    if (sid.empty() || !ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        error = "the user's security identifier or session is unknown: " +
                SystemErrorText(GetLastError());
        return std::nullopt;
    }
    // The mutex in the session's own namespace; the pipe namespace is the machine's, so the
    // pipe's name carries the session. Both carry the user, and both are made for the user
    // alone, so another user can neither open them nor make them first under these names.
    const std::string suffix = SafeName(sid) + (display.empty() ? "" : "-" + SafeName(display));
    return InstanceNames{"Local\\" + key + "-" + suffix,
                         key + "-" + std::to_string(session) + "-" + suffix};
}

std::unique_ptr<HeldLock> TakeInstanceLock(const std::string& name, LockState& state,
                                           std::string& error) {
    // Only the user may open the mutex.
    const std::string sid = UserSid();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (sid.empty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            Wide("D:P(A;;GA;;;" + sid + ")").c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        state = LockState::Failed;
        error = "no security descriptor for the lock: " + SystemErrorText(GetLastError());
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    // Never owned: it exists while a handle is open, and the system closes the handles of a
    // process that ends, however it ends.
    HANDLE mutex = CreateMutexW(&attributes, FALSE, Wide(name).c_str());
    const DWORD code = GetLastError();
    LocalFree(descriptor);
    if (mutex == nullptr) {
        state = LockState::Failed;
        error = name + ": " + SystemErrorText(code);
        return nullptr;
    }
    if (code == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        state = LockState::Held;
        return nullptr;
    }
    state = LockState::Taken;
    return std::make_unique<HandleLock>([mutex] { CloseHandle(mutex); });
}

std::unique_ptr<HeldLock> LockFileExclusive(const std::string& name, int waitMs) {
    // LockFileEx on a file of its own: every program may still read, write and delete it.
    const HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    for (int waited = 0;; waited += 5) {
        OVERLAPPED at{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            return std::make_unique<HandleLock>([file] { CloseHandle(file); });
        if (waited >= waitMs)
            break;
        Sleep(5);
    }
    CloseHandle(file);
    return nullptr;
}

std::optional<std::int64_t> AllowPeerToComeForward(std::intptr_t connection) {
    ULONG server = 0;
    if (!GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(connection), &server))
        return std::nullopt;
    // The program in front may pass its right to come forward on; the running copy needs it
    // to raise its window over the program the user started this copy from.
    AllowSetForegroundWindow(server);
    return static_cast<std::int64_t>(server);
}

} // namespace tavolin
