// The desktop services of the Linux platform: trash and delete, system figures, ending the
// session, window-manager requests and the recent-documents list. Each is built from a
// piece of its own (Trash, ProcStats, SessionEnd, X11Desktop, RecentFiles).

#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/ProcStats.h"
#include "platform/linux/RecentFiles.h"
#include "platform/linux/SessionEnd.h"
#include "platform/linux/Trash.h"
#include "platform/linux/X11Desktop.h"

#include <unistd.h>

namespace tavolin {

using namespace linuxdesktop;

std::vector<DeleteOutcome> LinuxPlatform::Delete(const std::vector<std::string>& paths,
                                                 DeleteMode mode) {
    std::vector<DeleteOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const std::string& path : paths)
        outcomes.push_back(mode == DeleteMode::Recycle ? MoveToTrash(path) : DeleteForGood(path));
    return outcomes;
}

std::optional<int> LinuxPlatform::ProcessorUsage() {
    std::optional<std::string> text = ReadProcFile("/proc/stat");
    std::optional<CpuTimes> now = text ? ParseProcStat(*text) : std::nullopt;
    if (!now)
        return std::nullopt;
    // The first reading has nothing to compare with: it gives the usage since boot.
    CpuTimes previous = m_lastCpu ? CpuTimes{m_lastCpu->total, m_lastCpu->busy} : CpuTimes{};
    m_lastCpu = CpuSample{now->total, now->busy};
    return CpuUsagePercent(previous, *now);
}

std::optional<MemoryStatus> LinuxPlatform::Memory() const {
    std::optional<std::string> text = ReadProcFile("/proc/meminfo");
    std::optional<MemInfo> info = text ? ParseMemInfo(*text) : std::nullopt;
    if (!info)
        return std::nullopt;
    return MemoryStatus{info->totalBytes, info->availableBytes};
}

std::string LinuxPlatform::ResourceHint(ResourceKind kind) const {
    switch (kind) {
    case ResourceKind::System:
        return "システムリソース (空きメモリの割合)";
    case ResourceKind::Gdi:
        return "GDIリソース (カーネルの空きファイルハンドルの割合)";
    case ResourceKind::User:
        return "ユーザーリソース (空きプロセス枠の割合)";
    }
    return {};
}

std::optional<int> LinuxPlatform::FreeResource(ResourceKind kind) const {
    switch (kind) {
    case ResourceKind::System: {
        std::optional<std::string> text = ReadProcFile("/proc/meminfo");
        std::optional<MemInfo> info = text ? ParseMemInfo(*text) : std::nullopt;
        return info ? FreeMemoryPercent(*info) : std::nullopt;
    }
    case ResourceKind::Gdi: {
        std::optional<std::string> text = ReadProcFile("/proc/sys/fs/file-nr");
        return text ? FreeFileHandlesPercent(*text) : std::nullopt;
    }
    case ResourceKind::User: {
        std::optional<std::string> loadAvg = ReadProcFile("/proc/loadavg");
        if (!loadAvg)
            return std::nullopt;
        return FreeTaskSlotsPercent(*loadAvg, ReadProcFile("/proc/sys/kernel/pid_max").value_or(""),
                                    ReadProcFile("/proc/sys/kernel/threads-max").value_or(""));
    }
    }
    return std::nullopt;
}

bool LinuxPlatform::EndSession(SessionEnd how) {
    std::string error;
    SessionEndTimeouts timeouts;
    switch (how) {
    case SessionEnd::RestartShell:
        return LogOut(SessionBusAddress(), timeouts, error);
    case SessionEnd::Reboot:
        return RequestPowerAction(PowerAction::Reboot, SystemBusAddress(), timeouts, error);
    case SessionEnd::PowerOff:
        return RequestPowerAction(PowerAction::PowerOff, SystemBusAddress(), timeouts, error);
    }
    return false;
}

bool LinuxPlatform::MinimizeAll(bool undo) {
    // Showing the desktop would hide the launcher too under most window managers, and with
    // it the button that undoes this: the other windows are minimised one by one instead,
    // and exactly those come back.
    std::string error;
    if (undo) {
        const std::vector<NativeWindow> windows = std::move(m_minimized);
        m_minimized.clear();
        return RestoreWindows(windows, error);
    }
    auto minimised = MinimizeOtherWindows(static_cast<std::uint32_t>(getpid()), error);
    if (!minimised)
        return false;
    // A second minimise before an undo adds to what the undo brings back.
    m_minimized.insert(m_minimized.end(), minimised->begin(), minimised->end());
    return true;
}

bool LinuxPlatform::SetTaskbarEntry(NativeWindow window, bool visible) {
    std::string error;
    return SetSkipTaskbar(window, !visible, error);
}

bool LinuxPlatform::SetStayOnTop(NativeWindow window, bool onTop) {
    std::string error;
    return SetStackLayer(window, onTop ? StackLayer::Above : StackLayer::Normal, error);
}

std::optional<ScreenPoint> LinuxPlatform::WindowOrigin(NativeWindow window) const {
    std::string error;
    return linuxdesktop::WindowOrigin(window, error);
}

std::optional<NativeWindow> LinuxPlatform::ActiveWindow() const {
    std::string error;
    return linuxdesktop::ActiveWindow(error);
}

std::vector<RecentDocument> LinuxPlatform::RecentDocuments() const {
    return ReadRecentList(RecentListFile());
}

bool LinuxPlatform::ClearRecentDocuments() {
    std::string error;
    return ClearRecentList(RecentListFile(), error);
}

} // namespace tavolin
