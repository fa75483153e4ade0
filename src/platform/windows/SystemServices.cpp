// The system figures, the end of the session and the window requests.

#include "platform/windows/Com.h"
#include "platform/windows/WindowsPlatform.h"

#include <windows.h>

#include <shobjidl.h>

#include <algorithm>

namespace tavolin {

using namespace windesktop;

namespace {

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

int Percent(std::uint64_t part, std::uint64_t whole) {
    if (whole == 0)
        return 0;
    return static_cast<int>(std::min<std::uint64_t>(100, part * 100 / whole));
}

// Every session has room for 65,536 GDI objects and as many USER objects; GR_GLOBAL asks
// for the whole session's count.
constexpr std::uint64_t kSessionObjects = 65536;
const HANDLE kAllProcesses = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

// Ending the session needs the shutdown privilege, which a process holds but has disabled.
bool EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled =
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return enabled;
}

} // namespace

std::optional<int> WindowsPlatform::ProcessorUsage() {
    FILETIME idle{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetSystemTimes(&idle, &kernel, &user))
        return std::nullopt;
    // Kernel time includes the idle time.
    const CpuSample now{Ticks(idle), Ticks(kernel) + Ticks(user) - Ticks(idle)};
    // The first reading has nothing to compare with: it gives the usage since the start.
    const CpuSample previous = m_lastCpu.value_or(CpuSample{});
    m_lastCpu = now;
    if (now.idle < previous.idle || now.busy < previous.busy)
        return 0;
    const std::uint64_t busy = now.busy - previous.busy;
    return Percent(busy, busy + (now.idle - previous.idle));
}

std::optional<MemoryStatus> WindowsPlatform::Memory() const {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return std::nullopt;
    return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys};
}

std::string WindowsPlatform::ResourceHint(ResourceKind kind) const {
    switch (kind) {
    case ResourceKind::System:
        return "システムリソース (コミット上限の空きの割合: メモリとページファイル)";
    case ResourceKind::Gdi:
        return "GDIリソース (セッションのGDIオブジェクトの空きの割合)";
    case ResourceKind::User:
        return "ユーザーリソース (セッションのUSERオブジェクトの空きの割合)";
    }
    return {};
}

std::optional<int> WindowsPlatform::FreeResource(ResourceKind kind) const {
    if (kind == ResourceKind::System) {
        // The free share of the commit limit (memory and page file together).
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status) || status.ullTotalPageFile == 0)
            return std::nullopt;
        return Percent(status.ullAvailPageFile, status.ullTotalPageFile);
    }
    SetLastError(ERROR_SUCCESS);
    const DWORD used =
        GetGuiResources(kAllProcesses, kind == ResourceKind::Gdi ? GR_GDIOBJECTS : GR_USEROBJECTS);
    if (used == 0 && GetLastError() != ERROR_SUCCESS)
        return std::nullopt;
    return Percent(kSessionObjects - std::min<std::uint64_t>(used, kSessionObjects),
                   kSessionObjects);
}

bool WindowsPlatform::EndSession(SessionEnd how) {
    UINT flags = EWX_LOGOFF;
    if (how == SessionEnd::Reboot)
        flags = EWX_REBOOT;
    if (how == SessionEnd::PowerOff)
        flags = EWX_SHUTDOWN | EWX_POWEROFF;
    if (how != SessionEnd::RestartShell && !EnableShutdownPrivilege())
        return false;
    return ExitWindowsEx(flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED) != FALSE;
}

bool WindowsPlatform::SetTaskbarEntry(NativeWindow window, bool visible) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!IsWindow(hwnd))
        return false;
    ComScope com;
    ComPtr<ITaskbarList> taskbar;
    HRESULT result = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskbarList, taskbar.OutVoid());
    if (SUCCEEDED(result))
        result = taskbar->HrInit();
    if (SUCCEEDED(result))
        result = visible ? taskbar->AddTab(hwnd) : taskbar->DeleteTab(hwnd);
    return SUCCEEDED(result);
}

bool WindowsPlatform::SetStayOnTop(NativeWindow window, bool onTop) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!IsWindow(hwnd))
        return false;
    return SetWindowPos(hwnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != FALSE;
}

std::optional<ScreenPoint> WindowsPlatform::WindowOrigin(NativeWindow window) const {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    POINT origin{0, 0};
    if (!IsWindow(hwnd) || !ClientToScreen(hwnd, &origin))
        return std::nullopt;
    return ScreenPoint{origin.x, origin.y};
}

std::optional<NativeWindow> WindowsPlatform::ActiveWindow() const {
    const HWND hwnd = GetForegroundWindow();
    if (hwnd == nullptr)
        return std::nullopt;
    return reinterpret_cast<NativeWindow>(hwnd);
}

} // namespace tavolin
