#pragma once

#include "core/Platform.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tavolin::testing {

// A platform whose answers the test scripts. Paths the script does not know are looked up
// on the real file system when `realFiles` is on (the default), so tests can mix real
// temporary files with scripted Windows paths. Every shell call is recorded.
class FakePlatform : public Platform {
public:
    // The path style of the system the tests run on, for tests that work on real temporary
    // files, whose paths must be read as the launcher there reads them.
    static constexpr PathStyle kHostStyle =
        std::filesystem::path::preferred_separator == '\\' ? PathStyle::Windows : PathStyle::Posix;
    explicit FakePlatform(PathStyle style = PathStyle::Posix) : style(style) {}

    struct OpenCall {
        std::string path;
        std::string parameters;
        std::string workingFolder;
        std::vector<std::string> arguments; // for OpenWithArguments
    };

    // --- scripting -----------------------------------------------------------------------
    void AddFile(const std::string& path) { attributes[path] = FileAttributes{true, false}; }
    void AddFolder(const std::string& path) { attributes[path] = FileAttributes{true, true}; }

    PathStyle style;
    bool realFiles = true;
    std::map<std::string, FileAttributes> attributes;
    std::map<std::string, std::string> entryNames;   // path -> stored (long) name
    std::map<std::string, ShortcutTarget> shortcuts; // shortcut path -> target
    std::string shortcutExtension = ".lnk";          // compared without case
    std::set<std::string> unreadableShortcuts;       // ResolveShortcut throws for these
    std::string currentFolder = "C:\\CURRENT";       // for FullPath in Windows style
    int openResult = open_result::kSuccess;
    bool showResult = true;
    std::optional<std::string> replaceFailure;       // ReplaceFile fails with this text
    std::map<std::string, std::string> refusedFiles; // path -> error: not even begun (read-only)
    // Another program at work while a replacement is written: run once, at its first write.
    std::function<void()> whileWriting;
    std::map<SpecialFolder, std::string> specialFolders;
    std::map<std::string, std::string> deleteFailures;        // path -> error
    std::map<std::string, std::vector<FolderEntry>> listings; // folder -> its entries
    std::vector<DriveEntry> drives;

    std::vector<OpenCall> opens;
    std::set<std::string> programs; // paths IsProgram answers true for
    std::vector<std::string> cleanedReplacements;
    std::vector<std::string> shownFolders, shownItems;
    std::vector<std::string> openedAddresses;
    int computerShown = 0, recycleBinShown = 0;
    std::vector<std::pair<std::vector<std::string>, DeleteMode>> deletes;
    std::vector<std::string> replacedFiles;

    // The real file system's name of a path: the Windows style stores a drive root as the
    // folder "C:", which is "C:\" to the system ("C:" alone is that drive's current folder).
    // A path the host cannot name (bytes that are not UTF-8, on Windows) names nothing.
    std::filesystem::path RealPath(const std::string& path) const {
        try {
            if (style == PathStyle::Windows && path.size() == 2 && path[1] == ':')
                return FromUtf8(path + "\\");
            return FromUtf8(path);
        } catch (const std::filesystem::filesystem_error&) {
            return {};
        }
    }

    // --- Platform ------------------------------------------------------------------------
    PathStyle Style() const override { return style; }

    FileAttributes Attributes(const std::string& path) const override {
        if (auto it = attributes.find(path); it != attributes.end())
            return it->second;
        if (!realFiles || path.empty())
            return {};
        std::error_code ec;
        const auto st = std::filesystem::status(RealPath(path), ec);
        if (ec || !std::filesystem::exists(st))
            return {};
        return FileAttributes{true, std::filesystem::is_directory(st)};
    }

    std::string FullPath(const std::string& path) const override {
        if (style == PathStyle::Windows) {
            if (path.size() >= 2 && path[1] == ':')
                return path;
            if (!path.empty() && path[0] == '\\')
                return currentFolder.substr(0, 2) + path;
            return currentFolder + "\\" + path;
        }
        if (!path.empty() && path[0] == '/')
            return path;
        return (std::filesystem::current_path() / path).string();
    }

    std::optional<std::string> EntryName(const std::string& path) const override {
        if (auto it = entryNames.find(path); it != entryNames.end())
            return it->second;
        if (!Attributes(path).exists)
            return std::nullopt;
        const char sep = style == PathStyle::Windows ? '\\' : '/';
        const auto pos = path.find_last_of(sep);
        return pos == std::string::npos ? path : path.substr(pos + 1);
    }

    // Collects the new content and writes the real file at Commit; with `replaceFailure` set
    // the commit fails, as a full disk would, and the old file stays.
    class Replacement : public FileReplacement {
    public:
        Replacement(FakePlatform& owner, std::string path)
            : m_owner(owner), m_path(std::move(path)) {}
        bool Write(std::string_view bytes) override {
            if (auto other = std::exchange(m_owner.whileWriting, nullptr))
                other();
            m_bytes.append(bytes);
            return true;
        }
        bool Commit(std::string& error) override {
            if (m_owner.replaceFailure) {
                error = *m_owner.replaceFailure;
                return false;
            }
            std::ofstream out(FromUtf8(m_path), std::ios::binary | std::ios::trunc);
            out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
            out.close();
            if (!out) {
                error = "cannot write " + m_path;
                return false;
            }
            m_owner.replacedFiles.push_back(m_path);
            return true;
        }

    private:
        FakePlatform& m_owner;
        std::string m_path;
        std::string m_bytes;
    };

    std::unique_ptr<FileReplacement> BeginReplaceFile(const std::string& path,
                                                      std::string& error) override {
        if (const auto refused = refusedFiles.find(path); refused != refusedFiles.end()) {
            error = refused->second;
            return nullptr;
        }
        return std::make_unique<Replacement>(*this, path);
    }

    bool IsShortcut(const std::string& path) const override {
        if (path.size() < shortcutExtension.size())
            return false;
        auto tail = path.substr(path.size() - shortcutExtension.size());
        for (auto& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return tail == shortcutExtension;
    }

    ShortcutTarget ResolveShortcut(const std::string& path) const override {
        if (unreadableShortcuts.count(path) > 0) {
            throw std::runtime_error(path + " を読み込めません。");
        }
        if (auto it = shortcuts.find(path); it != shortcuts.end())
            return it->second;
        return ShortcutTarget{path, {}};
    }

    int Open(const std::string& path, const std::string& parameters,
             const std::string& workingFolder) override {
        opens.push_back({path, parameters, workingFolder, {}});
        return openResult;
    }
    void RemoveStaleReplacements(const std::string& path) override {
        cleanedReplacements.push_back(path);
    }
    int OpenWithArguments(const std::string& path, const std::vector<std::string>& arguments,
                          const std::string& workingFolder) override {
        opens.push_back({path, {}, workingFolder, arguments});
        return openResult;
    }
    int OpenAddress(const std::string& address) override {
        openedAddresses.push_back(address);
        return openResult;
    }
    // The scripted programs, and on Windows-style paths any ".exe".
    bool IsProgram(const std::string& path) const override {
        if (programs.count(path) > 0)
            return true;
        if (style != PathStyle::Windows || path.size() < 4)
            return false;
        std::string tail = path.substr(path.size() - 4);
        for (char& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return tail == ".exe";
    }
    bool ShowFolder(const std::string& folder) override {
        shownFolders.push_back(folder);
        return showResult;
    }
    bool ShowItem(const std::string& path) override {
        shownItems.push_back(path);
        return showResult;
    }
    bool ShowComputer() override {
        ++computerShown;
        return showResult;
    }
    bool ShowRecycleBin() override {
        ++recycleBinShown;
        return showResult;
    }
    // Scripted listings first; otherwise the real folder when `realFiles` is on.
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) const override {
        if (auto it = listings.find(folder); it != listings.end())
            return it->second;
        if (!realFiles)
            return std::nullopt;
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::directory_iterator it(RealPath(folder), ec);
        if (ec)
            return std::nullopt;
        std::vector<FolderEntry> entries;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            FolderEntry e{Utf8(it->path().filename()), it->is_directory(ec), 0, std::nullopt};
            if (!e.directory)
                e.size = it->file_size(ec);
            const auto written = it->last_write_time(ec);
            if (!ec) {
                e.modified = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::file_clock::to_sys(written).time_since_epoch())
                                 .count();
            }
            entries.push_back(e);
        }
        return entries;
    }
    std::vector<DriveEntry> Drives() const override { return drives; }

    std::optional<std::string> SpecialFolderPath(SpecialFolder folder) const override {
        if (auto it = specialFolders.find(folder); it != specialFolders.end())
            return it->second;
        return std::nullopt;
    }

    std::vector<DeleteOutcome> Delete(const std::vector<std::string>& paths,
                                      DeleteMode mode) override {
        deletes.emplace_back(paths, mode);
        std::vector<DeleteOutcome> outcomes;
        for (const auto& p : paths) {
            auto it = deleteFailures.find(p);
            outcomes.push_back(it == deleteFailures.end() ? DeleteOutcome{p, true, {}}
                                                          : DeleteOutcome{p, false, it->second});
        }
        return outcomes;
    }

    std::optional<int> ProcessorUsage() override { return processorUsage; }
    std::optional<MemoryStatus> Memory() const override { return memory; }
    std::string ResourceHint(ResourceKind kind) const override {
        return "hint " + std::to_string(static_cast<int>(kind));
    }
    std::optional<int> FreeResource(ResourceKind kind) const override {
        return freeResources[static_cast<int>(kind)];
    }
    bool EndSession(SessionEnd how) override {
        sessionEnds.push_back(how);
        return endSessionResult;
    }
    bool MinimizeAll(bool undo) override {
        minimizeCalls.push_back(undo);
        return true;
    }
    bool SetTaskbarEntry(NativeWindow, bool visible) override {
        taskbarVisible = visible;
        return true;
    }
    bool SetStayOnTop(NativeWindow, bool onTop) override {
        stayOnTop = onTop;
        return true;
    }
    std::optional<ScreenPoint> WindowOrigin(NativeWindow) const override { return windowOrigin; }
    std::optional<NativeWindow> ActiveWindow() const override { return activeWindow; }
    std::vector<RecentDocument> RecentDocuments() const override { return recent; }
    bool ClearRecentDocuments() override {
        if (!clearRecentResult)
            return false;
        recent.clear();
        return true;
    }

    std::optional<int> processorUsage;
    std::optional<MemoryStatus> memory;
    // Plenty of every resource unless a test says otherwise: the panel samples at start-up.
    std::optional<int> freeResources[3] = {80, 80, 80};
    std::vector<SessionEnd> sessionEnds;
    bool endSessionResult = true;
    std::vector<bool> minimizeCalls;
    std::optional<bool> taskbarVisible;
    std::optional<bool> stayOnTop;
    std::optional<ScreenPoint> windowOrigin;
    std::optional<NativeWindow> activeWindow;
    std::vector<RecentDocument> recent;
    bool clearRecentResult = true;
};

} // namespace tavolin::testing
