#pragma once

#include "core/Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavolin {

// Windows 10/11 behind the Platform interface, through the wide-character APIs: UTF-8 inside,
// UTF-16 at each call.
//
// Paths, files, listings and the shell's open in WindowsPlatform.cpp; the shell's services
// (delete, shortcuts, known folders, Explorer, minimise all, recent documents) in
// ShellServices.cpp; the figures and the session in SystemServices.cpp.
class WindowsPlatform final : public Platform {
public:
    WindowsPlatform();
    ~WindowsPlatform() override;

    PathStyle Style() const override { return PathStyle::Windows; }
    FileAttributes Attributes(const std::string& path) const override;
    std::string FullPath(const std::string& path) const override;
    std::optional<std::string> EntryName(const std::string& path) const override;
    std::unique_ptr<FileReplacement> BeginReplaceFile(const std::string& path,
                                                      std::string& error) override;
    void RemoveStaleReplacements(const std::string& path) override;
    std::unique_ptr<HeldLock> LockExclusive(const std::string& lockPath, int waitMs) override;
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) const override;
    std::vector<DriveEntry> Drives() const override;

    bool IsShortcut(const std::string& path) const override;
    ShortcutTarget ResolveShortcut(const std::string& path) const override;
    bool IsProgram(const std::string& path) const override;

    int Open(const std::string& path, const std::string& parameters,
             const std::string& workingFolder) override;
    int OpenWithArguments(const std::string& path, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) override;
    int OpenAddress(const std::string& address) override;
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
    std::optional<ScreenPoint> WindowOrigin(NativeWindow window) const override;
    std::optional<NativeWindow> ActiveWindow() const override;

    std::vector<RecentDocument> RecentDocuments() const override;
    bool ClearRecentDocuments() override;

private:
    // The previous GetSystemTimes reading, in 100 ns units, for the usage between two calls.
    struct CpuSample {
        std::uint64_t idle = 0;
        std::uint64_t busy = 0;
    };
    std::optional<CpuSample> m_lastCpu;
};

namespace windesktop {

// One argument quoted for a Windows command line so that the program's runtime
// (CommandLineToArgvW's rules) reads it back exactly: blanks, quotes and backslashes
// included.
std::string QuoteArgument(const std::string& argument);

// The shell's result code for a failed ShellExecuteExW: its own code where it gave one
// (2, 3, 5, 8, 31, ...), else the code of the system error (not found 2, path not found 3,
// no association 31, no memory 8, anything else 1).
int OpenFailureCode(std::intptr_t instance, unsigned long lastError);

} // namespace windesktop

} // namespace tavolin
