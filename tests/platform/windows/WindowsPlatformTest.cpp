// The Win32 platform on the real services, run under Wine in CI (in the Wine prefix of the
// test run) and on Windows itself. Where Wine does not implement a service, the test says so
// and checks that the platform reports the failure instead of pretending success.

#include "platform/windows/WindowsPlatform.h"
#include "platform/windows/WideText.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#undef ReplaceFile // windows.h's name for ReplaceFileW, not Platform::ReplaceFile

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// UTF-8 text of a path, as the platform takes it.
std::string U8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

fs::path FromU8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

bool WaitFor(const fs::path& file) {
    for (int i = 0; i < 200; ++i) {
        if (fs::exists(file))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A shortcut made as the shell makes it, with IShellLinkW and IPersistFile.
void MakeShortcut(const fs::path& link, const fs::path& target) {
    IShellLinkW* shellLink = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkW,
                                              reinterpret_cast<void**>(&shellLink)));
    shellLink->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    EXPECT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
    file->Release();
    shellLink->Release();
}

class WindowsPlatformTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { CoUninitialize(); }

    // A file below the temporary folder; the name is a path, since a narrow string would be
    // read in the ANSI code page here.
    fs::path Write(const fs::path& name, const std::string& bytes = "x") const {
        const fs::path file = dir.Path() / name;
        fs::create_directories(file.parent_path());
        WriteBytes(file, bytes);
        return file;
    }

    WindowsPlatform platform;
    TempDir dir{"tavolin-win"};
};

// --- paths, names and files -------------------------------------------------------------------

TEST_F(WindowsPlatformTest, PathsAttributesAndLongNames) {
    EXPECT_EQ(platform.Style(), PathStyle::Windows);
    const fs::path folder = dir.Path() / u8"長い名前のフォルダ with blanks";
    fs::create_directories(folder);
    const fs::path file = Write(folder.filename() / u8"Résumé 2026.txt");

    EXPECT_TRUE(platform.Attributes(U8(folder)).directory);
    const FileAttributes attributes = platform.Attributes(U8(file));
    EXPECT_TRUE(attributes.exists);
    EXPECT_FALSE(attributes.directory);
    EXPECT_FALSE(platform.Attributes(U8(dir.Path() / "missing")).exists);
    EXPECT_FALSE(platform.Attributes(std::string("a\0b", 3)).exists);

    // A short (8.3) name of the file leads back to the name it is stored under.
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(file.c_str(), shortName, MAX_PATH), 0u);
    const std::string shortPath = U8(fs::path(shortName));
    EXPECT_NE(shortPath, U8(file));
    EXPECT_EQ(platform.EntryName(shortPath), "Résumé 2026.txt");
    EXPECT_EQ(platform.EntryName(U8(folder)), U8(folder.filename()));
    EXPECT_EQ(platform.EntryName(U8(dir.Path() / "missing")), std::nullopt);
    EXPECT_EQ(platform.EntryName("C:\\"), "C:");

    // Full paths: made absolute and normalised, a drive root keeps its backslash.
    EXPECT_EQ(platform.FullPath("C:\\a\\b\\..\\c\\"), "C:\\a\\c");
    EXPECT_EQ(platform.FullPath("C:\\"), "C:\\");
    EXPECT_EQ(platform.FullPath(""), "");

    EXPECT_TRUE(platform.IsShortcut("C:\\x\\Mail.LNK"));
    EXPECT_FALSE(platform.IsShortcut("C:\\x\\Mail.lnk.txt"));
    EXPECT_TRUE(platform.IsProgram("C:\\x\\NOTEPAD.EXE"));
    EXPECT_FALSE(platform.IsProgram("C:\\x\\run.bat"));
}

TEST_F(WindowsPlatformTest, ListsFoldersAndDrives) {
    Write(u8"a.txt", "12345");
    fs::create_directory(dir.Path() / u8"フォルダ");
    const auto entries = platform.ListFolder(U8(dir.Path()));
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    for (const FolderEntry& entry : *entries) {
        EXPECT_TRUE(entry.modified.has_value());
        if (entry.name == "a.txt") {
            EXPECT_FALSE(entry.directory);
            EXPECT_EQ(entry.size, 5u);
        } else {
            EXPECT_EQ(entry.name, "フォルダ");
            EXPECT_TRUE(entry.directory);
        }
    }
    EXPECT_EQ(platform.ListFolder(U8(dir.Path() / "missing")), std::nullopt);

    const std::vector<DriveEntry> drives = platform.Drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(),
                            [](const DriveEntry& d) { return d.root == "C:" && d.name == "C:"; }));
    EXPECT_TRUE(
        std::is_sorted(drives.begin(), drives.end(),
                       [](const DriveEntry& a, const DriveEntry& b) { return a.root < b.root; }));
}

TEST_F(WindowsPlatformTest, ReplacesFilesWholeOrNotAtAll) {
    const fs::path file = Write(u8"ボタン.txt", "old");
    std::string error;
    ASSERT_TRUE(platform.ReplaceFile(U8(file), "new content", error)) << error;
    EXPECT_EQ(ReadBytes(file), "new content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Held by a reader that lets others delete it (as editors do): Windows may put the new
    // file in its place, Wine refuses the move; either way the file is whole, old or new.
    HANDLE shared = CreateFileW(file.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    error.clear();
    const bool replaced = platform.ReplaceFile(U8(file), "third", error);
    CloseHandle(shared);
    EXPECT_EQ(ReadBytes(file), replaced ? "third" : "new content");
    EXPECT_EQ(error.empty(), replaced) << error;
    if (!replaced) {
        EXPECT_TRUE(platform.ReplaceFile(U8(file), "third", error)) << error;
    }

    // Held without delete sharing: the save fails, says so in Japanese as on Linux, and the
    // old file stays whole.
    HANDLE exclusive = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    error.clear();
    EXPECT_FALSE(platform.ReplaceFile(U8(file), "lost", error));
    EXPECT_THAT(error, ::testing::StartsWith(U8(file) + ": アクセス権がありません。("));
    CloseHandle(exclusive);
    EXPECT_EQ(ReadBytes(file), "third");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Dropped without Commit: nothing changes and nothing is left behind.
    {
        auto replacement = platform.BeginReplaceFile(U8(file), error);
        ASSERT_TRUE(replacement);
        replacement->Write("never");
    }
    EXPECT_EQ(ReadBytes(file), "third");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // A folder or a read-only file in its place is refused at the start.
    fs::create_directory(dir.Path() / "folder");
    EXPECT_FALSE(platform.BeginReplaceFile(U8(dir.Path() / "folder"), error));
    const fs::path readOnly = Write(u8"ro.txt", "keep");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform.ReplaceFile(U8(readOnly), "x", error));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(readOnly), "keep");
}

TEST_F(WindowsPlatformTest, RemovesOnlyStaleReplacementsNobodyWrites) {
    const fs::path file = Write(u8"data.txt", "x");
    const fs::path stale = Write(u8"~data.txt.abc123.tmp");
    const fs::path other = Write(u8"~data.txt.notours.tmp");
    // Ten seconds old at least.
    FILETIME old{};
    GetSystemTimeAsFileTime(&old);
    ULARGE_INTEGER ticks{{old.dwLowDateTime, old.dwHighDateTime}};
    ticks.QuadPart -= 60ULL * 10000000ULL;
    old = {ticks.LowPart, ticks.HighPart};
    for (const fs::path& f : {stale, other}) {
        HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        SetFileTime(h, nullptr, nullptr, &old);
        CloseHandle(h);
    }
    std::string error;
    auto writing = platform.BeginReplaceFile(U8(file), error); // a copy writing right now
    ASSERT_TRUE(writing);
    platform.RemoveStaleReplacements(U8(file));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3);
}

// --- the shell
// ------------------------------------------------------------------------------------

TEST_F(WindowsPlatformTest, OpensABatchFileThatWritesAMarker) {
    const fs::path marker = dir.Path() / "marker.txt";
    const fs::path script = Write(u8"書く.bat", "@echo off\r\necho %~1> marker.txt\r\n");
    const int code = platform.Open(U8(script), "\"hello there\"", U8(dir.Path()));
    EXPECT_GT(code, 32);
    ASSERT_TRUE(WaitFor(marker));
    // The shell makes the file before it writes the line: a loaded machine shows the gap.
    for (int i = 0; i < 200 && ReadBytes(marker).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_THAT(ReadBytes(marker), ::testing::StartsWith("hello there"));

    EXPECT_EQ(platform.Open(U8(dir.Path() / "missing.bat"), "", ""), open_result::kNotFound);
    EXPECT_EQ(platform.Open(std::string("a\0b", 3), "", ""), open_result::kNotFound);
    // A text without a scheme is never given to the shell.
    EXPECT_EQ(platform.OpenAddress("C:\\Windows\\notepad.exe"), open_result::kNotFound);
    EXPECT_EQ(platform.OpenAddress("notepad.exe"), open_result::kNotFound);
}

TEST(WindowsCommandLine, QuotesArgumentsAsTheRuntimeReadsThem) {
    struct Case {
        std::string argument;
        std::string quoted;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\dir with blank\\", "\"C:\\dir with blank\\\\\""},
        {"C:\\no\\blank\\", "C:\\no\\blank\\"},
        {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windesktop::QuoteArgument(c.argument), c.quoted) << c.argument;
        // And the system's own parser gives the argument back.
        int count = 0;
        const std::wstring line = L"x.exe " + std::wstring(c.quoted.begin(), c.quoted.end());
        wchar_t** parsed = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_EQ(count, 2) << c.argument;
        EXPECT_EQ(std::wstring(parsed[1]), std::wstring(c.argument.begin(), c.argument.end()));
        LocalFree(parsed);
    }
}

// SHFileOperationW answers with the shell's DE_* codes, which FormatMessage would read as
// unrelated system errors; system error codes are worded as on Linux.
TEST(WindowsErrorTexts, ShellCodesAndSystemCodesInTheUsersWords) {
    using windesktop::ShellOperationErrorText;
    EXPECT_EQ(ShellOperationErrorText(0x78), "アクセス権がありません。");
    EXPECT_EQ(ShellOperationErrorText(0x7C), "ファイルまたはフォルダが存在しません。");
    EXPECT_EQ(ShellOperationErrorText(0x402), "ファイルまたはフォルダが存在しません。");
    EXPECT_EQ(ShellOperationErrorText(0x75), "操作は取り消されました。");
    EXPECT_EQ(ShellOperationErrorText(0x82), "ファイル操作が出来ませんでした。(DE 130)");
    EXPECT_THAT(ShellOperationErrorText(ERROR_ACCESS_DENIED),
                ::testing::StartsWith("アクセス権がありません。("));
    EXPECT_THAT(windesktop::SystemErrorText(ERROR_DISK_FULL),
                ::testing::StartsWith("ディスクの空き容量が不足しています。("));
}

TEST(WindowsOpenResult, FailureCodesAreTheShellsNumbers) {
    EXPECT_EQ(windesktop::OpenFailureCode(31, 0), open_result::kNoAssociation);
    EXPECT_EQ(windesktop::OpenFailureCode(8, 0), open_result::kOutOfMemory);
    EXPECT_EQ(windesktop::OpenFailureCode(0, ERROR_FILE_NOT_FOUND), open_result::kNotFound);
    EXPECT_EQ(windesktop::OpenFailureCode(0, ERROR_PATH_NOT_FOUND), 3);
    EXPECT_EQ(windesktop::OpenFailureCode(0, ERROR_NO_ASSOCIATION), open_result::kNoAssociation);
    EXPECT_EQ(windesktop::OpenFailureCode(42, ERROR_GEN_FAILURE), 1);
}

TEST_F(WindowsPlatformTest, ResolvesShortcutsMadeByTheShell) {
    const fs::path target = Write(u8"メモ帳の文書.txt");
    const fs::path link = dir.Path() / u8"文書.lnk";
    MakeShortcut(link, target);
    ASSERT_TRUE(fs::exists(link));
    const ShortcutTarget resolved = platform.ResolveShortcut(U8(link));
    EXPECT_EQ(FromU8(resolved.target), target);
    EXPECT_EQ(resolved.title, "");

    const fs::path broken = Write(u8"broken.lnk", "not a shortcut");
    EXPECT_THROW(platform.ResolveShortcut(U8(broken)), std::runtime_error);
}

TEST_F(WindowsPlatformTest, KnownFoldersExist) {
    for (const SpecialFolder folder : {SpecialFolder::RecentDocuments, SpecialFolder::SendTo,
                                       SpecialFolder::StartMenu, SpecialFolder::Desktop}) {
        const std::optional<std::string> path = platform.SpecialFolderPath(folder);
        ASSERT_TRUE(path.has_value()) << static_cast<int>(folder);
        EXPECT_TRUE(platform.Attributes(*path).directory) << *path;
    }
}

TEST_F(WindowsPlatformTest, DeletesForGoodAndRecyclesOrLeavesTheFile) {
    const fs::path gone = Write(u8"gone.txt");
    const fs::path folder = dir.Path() / "tree";
    Write(fs::path(u8"tree") / u8"inner.txt");
    const auto forGood =
        platform.Delete({U8(gone), U8(folder), U8(dir.Path() / "missing")}, DeleteMode::Permanent);
    ASSERT_EQ(forGood.size(), 3u);
    EXPECT_TRUE(forGood[0].done) << forGood[0].error;
    EXPECT_TRUE(forGood[1].done) << forGood[1].error;
    EXPECT_FALSE(forGood[2].done);
    EXPECT_THAT(forGood[2].error, ::testing::HasSubstr("ファイルまたはフォルダが存在しません。"));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(folder));

    // The recycle bin goes through IFileOperation, which Wine does not implement: there the
    // file stays where it was and the outcome says so, never deleted for good instead.
    const fs::path recycled = Write(u8"ごみ箱へ.txt");
    const auto toBin = platform.Delete({U8(recycled)}, DeleteMode::Recycle);
    ASSERT_EQ(toBin.size(), 1u);
    if (RunningUnderWine()) {
        EXPECT_FALSE(toBin[0].done);
        EXPECT_THAT(toBin[0].error, ::testing::HasSubstr("ごみ箱に移動できません。"));
        EXPECT_TRUE(fs::exists(recycled));
    } else {
        EXPECT_TRUE(toBin[0].done) << toBin[0].error;
        EXPECT_FALSE(fs::exists(recycled));
    }
}

TEST_F(WindowsPlatformTest, RecentDocumentsAreTheShortcutsOfTheRecentFolder) {
    const std::optional<std::string> recent =
        platform.SpecialFolderPath(SpecialFolder::RecentDocuments);
    ASSERT_TRUE(recent);
    const fs::path document = Write(u8"報告.txt");
    MakeShortcut(FromU8(*recent) / u8"報告.txt.lnk", document);
    const std::vector<RecentDocument> documents = platform.RecentDocuments();
    const auto found =
        std::find_if(documents.begin(), documents.end(),
                     [&](const RecentDocument& d) { return FromU8(d.target) == document; });
    ASSERT_NE(found, documents.end());
    EXPECT_EQ(found->title, "報告.txt");
    EXPECT_GT(found->modified, 0);

    const bool cleared = platform.ClearRecentDocuments();
    // The result tells the truth: cleared exactly when no shortcut is left.
    bool left = false;
    for (const auto& entry : fs::directory_iterator(FromU8(*recent)))
        left = left || entry.path().extension() == ".lnk";
    EXPECT_EQ(cleared, !left);
    if (left)
        fs::remove(FromU8(*recent) / u8"報告.txt.lnk");
}

// --- figures and the session ---------------------------------------------------------------------

TEST_F(WindowsPlatformTest, FiguresAreInRange) {
    for (int i = 0; i < 2; ++i) {
        const std::optional<int> usage = platform.ProcessorUsage();
        ASSERT_TRUE(usage.has_value());
        EXPECT_GE(*usage, 0);
        EXPECT_LE(*usage, 100);
    }
    const std::optional<MemoryStatus> memory = platform.Memory();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(memory->totalBytes, 0u);
    EXPECT_LE(memory->availableBytes, memory->totalBytes);
    for (const ResourceKind kind : {ResourceKind::System, ResourceKind::Gdi, ResourceKind::User}) {
        const std::optional<int> free = platform.FreeResource(kind);
        // Wine's GetGuiResources is a stub that fails: the GDI and USER figures are unknown.
        if (kind != ResourceKind::System && RunningUnderWine()) {
            EXPECT_EQ(free, std::nullopt);
            continue;
        }
        ASSERT_TRUE(free.has_value()) << static_cast<int>(kind);
        EXPECT_GE(*free, 0);
        EXPECT_LE(*free, 100);
    }
}

TEST_F(WindowsPlatformTest, WindowRequests) {
    EXPECT_FALSE(platform.SetTaskbarEntry(0, false));
    EXPECT_FALSE(platform.SetStayOnTop(0, true));
    EXPECT_EQ(platform.WindowOrigin(0), std::nullopt);
    // A window of the test's own goes on top and back into the normal stack.
    const HWND window = CreateWindowExW(0, L"STATIC", L"tavolin", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const auto topmost = [&] {
        return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    };
    EXPECT_TRUE(platform.SetStayOnTop(reinterpret_cast<NativeWindow>(window), true));
    EXPECT_TRUE(topmost());
    EXPECT_TRUE(platform.SetStayOnTop(reinterpret_cast<NativeWindow>(window), false));
    EXPECT_FALSE(topmost());
    DestroyWindow(window);
    // Minimise all goes through Shell.Application; Wine's has no MinimizeAll, and then the
    // platform says it could not.
    const bool minimized = platform.MinimizeAll(false);
    if (RunningUnderWine()) {
        EXPECT_FALSE(minimized) << "Wine's Shell.Application does not minimise windows";
    } else {
        EXPECT_TRUE(minimized);
        EXPECT_TRUE(platform.MinimizeAll(true));
    }
}

} // namespace
} // namespace tavolin
