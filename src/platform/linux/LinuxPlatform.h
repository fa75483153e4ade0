#pragma once

#include "core/Platform.h"

#include <cstdint>
#include <mutex>
#include <optional>

namespace tavolin {

// The Linux desktop behind the Platform interface: freedesktop conventions (XDG folders,
// .desktop files, the Trash, recently-used.xbel), GIO for applications and D-Bus for the
// file manager and the session, /proc for the system figures, EWMH on X11.
//
// The path and shell operations live in LinuxPlatform.cpp; the desktop services (trash,
// figures, session, recent documents, window manager) in LinuxDesktopServices.cpp.
class LinuxPlatform final : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    PathStyle Style() const override { return PathStyle::Posix; }
    FileAttributes Attributes(const std::string& path) const override;
    FileAttributes Kind(const std::string& path) const override;
    std::string FullPath(const std::string& path) const override;
    std::optional<std::string> EntryName(const std::string& path) const override;
    std::unique_ptr<FileReplacement> BeginReplaceFile(const std::string& path,
                                                      std::string& error) override;
    // In Drives.cpp.
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) const override;
    std::vector<DriveEntry> Drives() const override;

    bool IsShortcut(const std::string& path) const override;
    bool IsProgram(const std::string& path) const override;
    ShortcutTarget ResolveShortcut(const std::string& path) const override;

    int Open(const std::string& path, const std::string& parameters,
             const std::string& workingFolder) override;
    bool ShowFolder(const std::string& folder) override;
    bool ShowItem(const std::string& path) override;
    bool ShowComputer() override;
    bool ShowRecycleBin() override;
    std::optional<std::string> SpecialFolderPath(SpecialFolder folder) const override;

    std::vector<DeleteOutcome> Delete(const std::vector<std::string>& paths,
                                      DeleteMode mode) override;

    std::optional<int> ProcessorUsage() override;
    std::optional<MemoryStatus> Memory() const override;
    std::optional<int> FreeResource(ResourceKind kind) const override;
    std::string ResourceHint(ResourceKind kind) const override;

    bool EndSession(SessionEnd how) override;
    bool MinimizeAll(bool undo) override;
    bool SetTaskbarEntry(NativeWindow window, bool visible) override;
    bool SetStayOnTop(NativeWindow window, bool onTop) override;
    int OpenAddress(const std::string& address) override;
    void RemoveStaleReplacements(const std::string& path) override;
    std::unique_ptr<HeldLock> LockExclusive(const std::string& lockPath, int waitMs) override;
    int OpenWithArguments(const std::string& path, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) override;
    std::optional<ScreenPoint> WindowOrigin(NativeWindow window) const override;
    std::optional<NativeWindow> ActiveWindow() const override;

    std::vector<RecentDocument> RecentDocuments() const override;
    bool ClearRecentDocuments() override;

private:
    // The previous /proc/stat reading, for processor usage as a difference of two readings.
    struct CpuSample {
        std::uint64_t total = 0;
        std::uint64_t busy = 0;
    };
    std::optional<CpuSample> m_lastCpu;
    // The windows the last minimise-all minimised, which its undo restores.
    std::vector<NativeWindow> m_minimized;
};

} // namespace tavolin
