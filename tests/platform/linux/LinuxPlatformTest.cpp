// The Linux platform against the real file system, real processes and real desktop
// conventions, in a temporary HOME and XDG tree that this program sets up before GLib reads
// it: .desktop files and a mimeapps.list whose handlers are a script that records how it was
// started, and private D-Bus daemons with a stand-in file manager.

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/CommandLine.h"
#include "platform/linux/DesktopTestSupport.h"
#include "platform/linux/SystemErrors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gio/gio.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// --- the temporary desktop ------------------------------------------------------------------

fs::path g_root; // everything the tests create lives below it

fs::path Root() {
    return g_root;
}
fs::path Out() {
    return g_root / "out";
}
fs::path Recorder() {
    return g_root / "bin" / "record";
}

void WriteFile(const fs::path& path, const std::string& content, mode_t mode = 0644) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileUri(const fs::path& path) {
    // Enough for the names used here: spaces and bytes outside ASCII are escaped.
    std::string uri = "file://";
    for (const unsigned char c : path.string()) {
        if (std::isalnum(c) != 0 || std::strchr("/-._~", c) != nullptr) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

// A .desktop file for an application that records its arguments under `record`.
std::string RecorderEntry(const std::string& name, const std::string& record,
                          const std::string& fieldCode, const std::string& mimeTypes = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + Recorder().string() +
           " " + record + " " + fieldCode + "\n" +
           (mimeTypes.empty() ? "" : "MimeType=" + mimeTypes + "\n");
}

// Sets HOME and XDG_* to a fresh tree before anything calls GLib (which reads them once per
// process), so that no test sees the developer's own desktop or the system's applications.
class DesktopTree : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/tavolin-linuxplatform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        g_root = pattern;
        umask(022);

        const fs::path home = g_root / "home";
        const fs::path config = g_root / "config";
        const fs::path data = g_root / "data";
        const fs::path runtime = g_root / "run";
        for (const fs::path& folder : {home, config, data, runtime, g_root / "cache",
                                       g_root / "sysconfig", g_root / "sysdata", Out()}) {
            fs::create_directories(folder);
        }
        chmod(runtime.c_str(), 0700);
        // The MIME database of shared-mime-info, but none of the system's applications.
        fs::create_symlink("/usr/share/mime", g_root / "sysdata" / "mime");

        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        setenv("XDG_CACHE_HOME", (g_root / "cache").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (g_root / "sysconfig").c_str(), 1);
        setenv("XDG_DATA_DIRS", (g_root / "sysdata").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("GIO_USE_VFS", "local", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("LANG", "C.UTF-8", 1);
        unsetenv("LANGUAGE");
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("XDG_CURRENT_DESKTOP");

        // record NAME ARG...: stores the working folder, the session id and the arguments,
        // each ended by a NUL byte, in out/NAME. While out/NAME.hold exists it waits first
        // (at most 20 s), so a test can see that the launcher did not wait for it.
        WriteFile(Recorder(),
                  "#!/bin/sh\n"
                  "name=$1\n"
                  "shift\n"
                  "out=\"${0%/bin/record}/out\"\n"
                  "i=0\n"
                  "while [ -e \"$out/$name.hold\" ] && [ $i -lt 400 ]; do\n"
                  "    sleep 0.05\n"
                  "    i=$((i + 1))\n"
                  "done\n"
                  "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
                  "printf '%s\\0' \"$(pwd -P)\" \"$sid\" \"$@\" > \"$out/$name.part\"\n"
                  "mv \"$out/$name.part\" \"$out/$name\"\n",
                  0755);

        const fs::path applications = data / "applications";
        WriteFile(applications / "tavolin-test-documents.desktop",
                  RecorderEntry("Documents", "documents", "%f", "text/plain;"));
        WriteFile(applications / "tavolin-test-folders.desktop",
                  RecorderEntry("Folders", "folders", "%f", "inode/directory;"));
        WriteFile(applications / "tavolin-test-web.desktop",
                  RecorderEntry("Web", "web", "%u", "x-scheme-handler/https;"));
        WriteFile(config / "mimeapps.list", "[Default Applications]\n"
                                            "text/plain=tavolin-test-documents.desktop\n"
                                            "inode/directory=tavolin-test-folders.desktop\n"
                                            "x-scheme-handler/https=tavolin-test-web.desktop\n");
        WriteFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n");
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    }
};

[[maybe_unused]] const auto* const g_desktopTree =
    ::testing::AddGlobalTestEnvironment(new DesktopTree);

// A record of the recorder script: working folder, session id, arguments.
struct Record {
    std::string folder;
    pid_t session = 0;
    std::vector<std::string> arguments;
};

// Waits for the recorder to have written out/NAME (a started program runs on its own, so
// its record appears some time after the launch returns) and takes the record away.
std::optional<Record> WaitForRecord(const std::string& name) {
    const fs::path file = Out() / name;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(file)) {
        if (std::chrono::steady_clock::now() > limit) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string text = ReadFile(file);
    fs::remove(file);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end = text.find('\0'); end != std::string::npos;
         start = end + 1, end = text.find('\0', start)) {
        fields.push_back(text.substr(start, end - start));
    }
    if (fields.size() < 2) {
        return std::nullopt;
    }
    Record record;
    record.folder = fields[0];
    record.session = static_cast<pid_t>(std::stol(fields[1]));
    record.arguments.assign(fields.begin() + 2, fields.end());
    return record;
}

// Each test gets an empty work folder and no records left over from another test.
class LinuxPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work = Root() / "work" / name;
        fs::create_directories(work);
        for (const auto& entry : fs::directory_iterator(Out())) {
            fs::remove(entry.path());
        }
    }

    LinuxPlatform platform;
    fs::path work;
};

// --- splitting parameters -----------------------------------------------------------------

struct SplitRow {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

class CommandLineTest : public ::testing::TestWithParam<SplitRow> {};

TEST_P(CommandLineTest, SplitsLikeAShellWithoutRunningOne) {
    EXPECT_EQ(linuxdesktop::SplitCommandLine(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineTest,
    ::testing::Values(SplitRow{"empty", "", {}}, SplitRow{"blanks_only", " \t\r\n ", {}},
                      SplitRow{"blanks_separate", "  a  b\tc\r\nd ", {"a", "b", "c", "d"}},
                      SplitRow{
                          "quotes_group", "'two three' \"four five\"", {"two three", "four five"}},
                      SplitRow{"substitution_stays_literal",
                               "\"a b $(touch x).txt\" `id` $HOME",
                               {"a b $(touch x).txt", "`id`", "$HOME"}},
                      SplitRow{"operators_are_text", "a;b|c>d&e <f *", {"a;b|c>d&e", "<f", "*"}},
                      SplitRow{"hash_is_no_comment", "x#y #z", {"x#y", "#z"}},
                      SplitRow{"empty_quotes_are_arguments", "\"\" ''", {"", ""}},
                      SplitRow{"adjacent_parts_join", "pre\"mid dle\"'post'", {"premid dlepost"}},
                      SplitRow{"backslash_outside_quotes", "a\\ b c\\\\d", {"a b", "c\\d"}},
                      SplitRow{"backslash_in_double_quotes",
                               "\"q\\\"uote\" \"keep\\n\" 'single\\'",
                               {"q\"uote", "keep\\n", "single\\"}},
                      SplitRow{"open_quote_runs_to_the_end", "a \"open quote", {"a", "open quote"}},
                      SplitRow{"trailing_backslash", "end\\", {"end\\"}},
                      SplitRow{"utf8_passes", "\"作業 フォルダ\" ソ", {"作業 フォルダ", "ソ"}}),
    [](const ::testing::TestParamInfo<SplitRow>& info) { return info.param.name; });

// --- paths and attributes ---------------------------------------------------------------------

TEST_F(LinuxPlatformTest, FullPathIsAbsoluteAndLexicallyNormal) {
    const fs::path current = fs::current_path();
    EXPECT_EQ(platform.FullPath("a/./b/../c/"), (current / "a" / "c").string());
    EXPECT_EQ(platform.FullPath("//x///y//"), "/x/y");
    EXPECT_EQ(platform.FullPath("/../.."), "/");
    EXPECT_EQ(platform.FullPath("/"), "/");
    EXPECT_EQ(platform.FullPath("/no/such/thing/"), "/no/such/thing");
    EXPECT_EQ(platform.FullPath(""), "");
    EXPECT_EQ(platform.Style(), PathStyle::Posix);
}

TEST_F(LinuxPlatformTest, AttributesFollowLinksAndReportDanglingOnesAsMissing) {
    WriteFile(work / "file.txt", "x");
    WriteFile(work / ".hidden", "x");
    fs::create_directory(work / "folder");
    fs::create_directory_symlink(work / "folder", work / "link-to-folder");
    fs::create_symlink(work / "gone", work / "dangling");

    const FileAttributes file = platform.Attributes((work / "file.txt").string());
    EXPECT_TRUE(file.exists);
    EXPECT_FALSE(file.directory);
    EXPECT_FALSE(file.hidden);
    EXPECT_FALSE(file.symlink);
    EXPECT_FALSE(file.readOnly);

    EXPECT_TRUE(platform.Attributes((work / ".hidden").string()).hidden);

    const FileAttributes folder = platform.Attributes((work / "folder/").string());
    EXPECT_TRUE(folder.exists);
    EXPECT_TRUE(folder.directory);

    const FileAttributes link = platform.Attributes((work / "link-to-folder").string());
    EXPECT_TRUE(link.exists);
    EXPECT_TRUE(link.directory);
    EXPECT_TRUE(link.symlink);

    EXPECT_FALSE(platform.Attributes((work / "dangling").string()).exists);
    EXPECT_FALSE(platform.Attributes((work / "missing").string()).exists);
    EXPECT_FALSE(platform.Attributes((work / "file.txt/").string()).exists); // not a folder
    EXPECT_FALSE(platform.Attributes("").exists);

    // Kind, the one-call form, agrees on existence and folders for every one of them.
    for (const std::string name :
         {"file.txt", ".hidden", "folder/", "link-to-folder", "dangling", "missing", "file.txt/"}) {
        const std::string path = (work / name).string();
        const FileAttributes full = platform.Attributes(path);
        const FileAttributes kind = platform.Kind(path);
        EXPECT_EQ(kind.exists, full.exists) << name;
        EXPECT_EQ(kind.directory, full.directory) << name;
    }
    EXPECT_FALSE(platform.Kind("").exists);
}

TEST_F(LinuxPlatformTest, ReadOnlyMeansTheUserCannotWrite) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write anything; permissions do not make files read-only";
    }
    WriteFile(work / "locked.txt", "x", 0444);
    EXPECT_TRUE(platform.Attributes((work / "locked.txt").string()).readOnly);
}

TEST_F(LinuxPlatformTest, EntryNameIsTheStoredNameOfAnExistingEntry) {
    WriteFile(work / "MiXeD Case ソ.TxT", "x");
    fs::create_symlink(work / "gone", work / "dangling");
    EXPECT_EQ(platform.EntryName((work / "MiXeD Case ソ.TxT").string()), "MiXeD Case ソ.TxT");
    EXPECT_EQ(platform.EntryName(work.string() + "/"), work.filename().string());
    EXPECT_EQ(platform.EntryName((work / "dangling").string()), "dangling"); // the entry exists
    EXPECT_EQ(platform.EntryName((work / "mixed case ソ.txt").string()), std::nullopt);
    EXPECT_EQ(platform.EntryName((work / "missing" / "deeper").string()), std::nullopt);
}

// --- replacing files ------------------------------------------------------------------------

TEST_F(LinuxPlatformTest, ReplaceFileWritesEveryByteAndKeepsPermissions) {
    // Binary-safe: NUL, CR LF and code page 932 bytes stay as they are.
    const std::string bytes = std::string("a\0b\r\n", 5) + "\x83\x5C\x82\xA0\r\n";
    std::string error;

    const fs::path fresh = work / "new.txt";
    ASSERT_TRUE(platform.ReplaceFile(fresh.string(), bytes, error)) << error;
    EXPECT_EQ(ReadFile(fresh), bytes);
    EXPECT_EQ(ModeOf(fresh), 0644u); // 0666 less the umask, not mkstemp's 0600

    const fs::path old = work / "old.ini";
    WriteFile(old, "old content", 0640);
    ASSERT_TRUE(platform.ReplaceFile(old.string(), "new content", error)) << error;
    EXPECT_EQ(ReadFile(old), "new content");
    EXPECT_EQ(ModeOf(old), 0640u);

    // A link stays a link; the file behind it gets the new content.
    fs::create_directory(work / "real");
    WriteFile(work / "real" / "data.txt", "before", 0600);
    fs::create_symlink(work / "real" / "data.txt", work / "link.txt");
    ASSERT_TRUE(platform.ReplaceFile((work / "link.txt").string(), "after", error)) << error;
    EXPECT_TRUE(fs::is_symlink(work / "link.txt"));
    EXPECT_EQ(ReadFile(work / "real" / "data.txt"), "after");
    EXPECT_EQ(ModeOf(work / "real" / "data.txt"), 0600u);

    // No temporary file is left anywhere.
    EXPECT_THAT(NamesIn(work), ElementsAre("link.txt", "new.txt", "old.ini", "real"));
    EXPECT_THAT(NamesIn(work / "real"), ElementsAre("data.txt"));
}

TEST_F(LinuxPlatformTest, ReplacementInPiecesAppearsOnlyAtCommit) {
    const fs::path file = work / "data.txt";
    WriteFile(file, "old", 0644);
    std::string error;
    {
        // Given up half way (the program stopped reading, say): the old file stays whole.
        auto replacement = platform.BeginReplaceFile(file.string(), error);
        ASSERT_TRUE(replacement) << error;
        ASSERT_TRUE(replacement->Write("new "));
        EXPECT_EQ(ReadFile(file), "old");
    }
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_THAT(NamesIn(work), ElementsAre("data.txt"));

    auto replacement = platform.BeginReplaceFile(file.string(), error);
    ASSERT_TRUE(replacement) << error;
    for (const char* piece : {"one ", "two ", "three"})
        ASSERT_TRUE(replacement->Write(piece));
    EXPECT_EQ(ReadFile(file), "old");
    ASSERT_TRUE(replacement->Commit(error)) << error;
    EXPECT_EQ(ReadFile(file), "one two three");
    EXPECT_FALSE(replacement->Commit(error)); // once only
    EXPECT_THAT(NamesIn(work), ElementsAre("data.txt"));
}

// A program that opened the old file just before the replacement and writes into it after
// loses nothing: what it wrote is read from the old file and added to the new one. The
// program's copies take turns through the lock.
TEST_F(LinuxPlatformTest, WhatReachesTheReplacedFileIsKeptAndCopiesTakeTurns) {
    const fs::path file = work / "data.txt";
    WriteFile(file, "old\n", 0644);
    std::ofstream late(file, std::ios::binary | std::ios::app);
    std::string error;
    auto replacement = platform.BeginReplaceFile(file.string(), error);
    ASSERT_TRUE(replacement) << error;
    ASSERT_TRUE(replacement->Write("new\n"));
    ASSERT_TRUE(replacement->Commit(error)) << error;
    late << "late\n" << std::flush;
    const std::string tail = replacement->ReplacedTail(4, 0);
    EXPECT_EQ(tail, "late\n");
    ASSERT_TRUE(replacement->Append(tail, error)) << error;
    EXPECT_EQ(ReadFile(file), "new\nlate\n");

    const std::string lock = (work / "data.txt.lock").string();
    auto first = platform.LockExclusive(lock, 0);
    ASSERT_TRUE(first);
    EXPECT_FALSE(platform.LockExclusive(lock, 20));
    first.reset();
    EXPECT_TRUE(platform.LockExclusive(lock, 0));
}

TEST_F(LinuxPlatformTest, ANameWithANulByteNamesNoFileAndRunsNothing) {
    const fs::path program = work / "prog";
    const fs::path marker = work / "ran";
    WriteFile(program, "#!/bin/sh\ntouch '" + marker.string() + "'\n", 0755);
    const std::string withNul = program.string() + std::string("\0.txt", 5);
    EXPECT_FALSE(platform.Attributes(withNul).exists);
    EXPECT_EQ(platform.Open(withNul, "", work.string()), open_result::kNotFound);
    EXPECT_EQ(platform.OpenWithArguments(withNul, {}, work.string()), open_result::kNotFound);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(LinuxPlatformTest, OnlyStaleTemporaryFilesOfThisFileAreRemoved) {
    const fs::path file = work / "data.txt";
    WriteFile(file, "old", 0644);
    for (const char* name : {".data.txt.ab12CD", ".data.txt.zz99zz", ".data.txt.keep",
                             ".data.txt.abcdefg", ".other.txt.abcdef"}) {
        WriteFile(work / name, "left over", 0600);
    }
    // A save in progress: its writer holds the lock on its temporary file.
    std::string error;
    auto writing = platform.BeginReplaceFile(file.string(), error);
    ASSERT_TRUE(writing) << error;

    platform.RemoveStaleReplacements(file.string());
    const std::vector<std::string> names = NamesIn(work);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".data.txt.ab12CD"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".data.txt.zz99zz"), 0);
    // The file, three that are not leftovers, and the one being written.
    EXPECT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
    ASSERT_TRUE(writing->Write("new"));
    ASSERT_TRUE(writing->Commit(error)) << error;
    EXPECT_EQ(ReadFile(file), "new");
}

TEST(SystemErrorTexts, CommonFaultsInOurWordsWithTheSystemsAfterThem) {
    const std::string noPermission = "アクセス権がありません。";
    const std::string noSpace = "ディスクの空き容量が不足しています。";
    const std::string readOnly = "読み取り専用のファイルシステムです。";
    const std::string notFound = "ファイルまたはフォルダが存在しません。";
    const std::string notAFile = "通常のファイルではありません。";
    const auto errnoText = [](int error) { return linuxdesktop::ErrnoText(error); };
    const auto gerrorText = [](GQuark domain, int code) {
        GError* error = g_error_new_literal(domain, code, "the system's words");
        std::string text = linuxdesktop::GErrorText(error);
        g_error_free(error);
        return text;
    };
    const auto detail = [](int error) { return std::string("(") + std::strerror(error) + ")"; };
    struct Row {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"EACCES", errnoText(EACCES), noPermission + detail(EACCES)},
        {"EPERM", errnoText(EPERM), noPermission + detail(EPERM)},
        {"ENOSPC", errnoText(ENOSPC), noSpace + detail(ENOSPC)},
        {"EDQUOT", errnoText(EDQUOT), noSpace + detail(EDQUOT)},
        {"EROFS", errnoText(EROFS), readOnly + detail(EROFS)},
        {"ENOENT", errnoText(ENOENT), notFound + detail(ENOENT)},
        {"EISDIR", errnoText(EISDIR), notAFile + detail(EISDIR)},
        {"EIO-as-the-system-says", errnoText(EIO), std::strerror(EIO)},
        {"io-permission", gerrorText(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED),
         noPermission + "(the system's words)"},
        {"io-no-space", gerrorText(G_IO_ERROR, G_IO_ERROR_NO_SPACE),
         noSpace + "(the system's words)"},
        {"io-read-only", gerrorText(G_IO_ERROR, G_IO_ERROR_READ_ONLY),
         readOnly + "(the system's words)"},
        {"io-not-found", gerrorText(G_IO_ERROR, G_IO_ERROR_NOT_FOUND),
         notFound + "(the system's words)"},
        {"io-is-directory", gerrorText(G_IO_ERROR, G_IO_ERROR_IS_DIRECTORY),
         notAFile + "(the system's words)"},
        {"io-not-regular", gerrorText(G_IO_ERROR, G_IO_ERROR_NOT_REGULAR_FILE),
         notAFile + "(the system's words)"},
        {"io-other", gerrorText(G_IO_ERROR, G_IO_ERROR_FAILED), "the system's words"},
        {"file-access", gerrorText(G_FILE_ERROR, G_FILE_ERROR_ACCES),
         noPermission + "(the system's words)"},
        {"file-no-space", gerrorText(G_FILE_ERROR, G_FILE_ERROR_NOSPC),
         noSpace + "(the system's words)"},
        {"file-read-only", gerrorText(G_FILE_ERROR, G_FILE_ERROR_ROFS),
         readOnly + "(the system's words)"},
        {"file-not-found", gerrorText(G_FILE_ERROR, G_FILE_ERROR_NOENT),
         notFound + "(the system's words)"},
        {"file-is-directory", gerrorText(G_FILE_ERROR, G_FILE_ERROR_ISDIR),
         notAFile + "(the system's words)"},
        {"key-file-parse", gerrorText(G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_PARSE),
         "the system's words"},
        {"no-error", linuxdesktop::GErrorText(nullptr), "unknown error"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.text, row.expected) << row.name;
    }
}

TEST_F(LinuxPlatformTest, ReplaceFileFailsCleanlyAndSaysWhy) {
    std::string error;

    fs::create_directory(work / "folder");
    WriteFile(work / "folder" / "inside.txt", "kept");
    EXPECT_FALSE(platform.ReplaceFile((work / "folder").string(), "x", error));
    EXPECT_THAT(error, HasSubstr("通常のファイルではありません。"));
    EXPECT_EQ(ReadFile(work / "folder" / "inside.txt"), "kept");

    error.clear();
    EXPECT_FALSE(platform.ReplaceFile((work / "no-folder" / "file.txt").string(), "x", error));
    EXPECT_THAT(error, HasSubstr("ファイルまたはフォルダが存在しません。"));
    EXPECT_THAT(error, HasSubstr(std::strerror(ENOENT)));
    EXPECT_THAT(error, HasSubstr("no-folder/file.txt"));

    error.clear();
    WriteFile(work / "plain", "x");
    EXPECT_FALSE(platform.ReplaceFile((work / "plain" / "file.txt").string(), "x", error));
    EXPECT_THAT(error, HasSubstr(std::strerror(ENOTDIR)));

    EXPECT_FALSE(platform.ReplaceFile("", "x", error));

    EXPECT_THAT(NamesIn(work), ElementsAre("folder", "plain"));
    EXPECT_THAT(NamesIn(work / "folder"), ElementsAre("inside.txt"));
}

TEST_F(LinuxPlatformTest, ReplaceFileKeepsTheOldFileWhenWritingFails) {
    // A file-size limit makes the write itself fail, as a full disk would, also for root.
    const fs::path target = work / "data.txt";
    WriteFile(target, "the old content", 0640);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {};
    struct sigaction savedAction {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &savedAction), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    std::string error;
    const bool replaced = platform.ReplaceFile(target.string(), std::string(100000, 'n'), error);

    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &savedAction, nullptr);

    EXPECT_FALSE(replaced);
    EXPECT_THAT(error, HasSubstr(std::strerror(EFBIG)));
    EXPECT_EQ(ReadFile(target), "the old content");
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_THAT(NamesIn(work), ElementsAre("data.txt"));
}

TEST_F(LinuxPlatformTest, ReplaceFileRespectsPermissions) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write into any folder and any file";
    }
    fs::create_directory(work / "locked");
    WriteFile(work / "locked" / "file.txt", "old");
    chmod((work / "locked").c_str(), 0555);
    std::string error;
    EXPECT_FALSE(platform.ReplaceFile((work / "locked" / "file.txt").string(), "new", error));
    chmod((work / "locked").c_str(), 0755);
    EXPECT_THAT(error, HasSubstr(std::strerror(EACCES)));
    EXPECT_EQ(ReadFile(work / "locked" / "file.txt"), "old");

    // A read-only file in a writable folder is not renamed over either.
    WriteFile(work / "read-only.txt", "old", 0444);
    EXPECT_FALSE(platform.ReplaceFile((work / "read-only.txt").string(), "new", error));
    EXPECT_EQ(ReadFile(work / "read-only.txt"), "old");
    EXPECT_THAT(NamesIn(work), ElementsAre("locked", "read-only.txt"));
}

// --- shortcuts --------------------------------------------------------------------------------

TEST_F(LinuxPlatformTest, DesktopFilesAreTheShortcuts) {
    EXPECT_TRUE(platform.IsShortcut("/a/b/Editor.desktop"));
    EXPECT_TRUE(platform.IsShortcut("EDITOR.DESKTOP"));
    EXPECT_TRUE(platform.IsShortcut("x.Desktop"));
    EXPECT_FALSE(platform.IsShortcut("x.desktop.txt"));
    EXPECT_FALSE(platform.IsShortcut("desktop"));
    EXPECT_FALSE(platform.IsShortcut("/home/u/.desktop"));
    EXPECT_FALSE(platform.IsShortcut("x.lnk"));
}

TEST_F(LinuxPlatformTest, ResolveShortcutGivesTheLinkedFileAndTheLocalizedName) {
    const fs::path document = work / "a b ソ.txt";
    WriteFile(document, "x");
    const fs::path shortcut = work / "link.desktop";
    WriteFile(shortcut, "# a comment\n"
                        "[Desktop Entry]\n"
                        "Type=Link\n"
                        "Name=Plain name\n"
                        "Name[ja]=日本語の名前\n"
                        "Name[de_DE]=Deutscher Name\n"
                        "URL=" +
                            FileUri(document) +
                            "\n"
                            "[Other Group]\n"
                            "Name=not this one\n");

    ShortcutTarget resolved = platform.ResolveShortcut(shortcut.string());
    EXPECT_EQ(resolved.target, document.string());
    EXPECT_EQ(resolved.title, "Plain name");

    setenv("LANGUAGE", "ja", 1);
    resolved = platform.ResolveShortcut(shortcut.string());
    EXPECT_EQ(resolved.title, "日本語の名前");
    setenv("LANGUAGE", "de_DE", 1);
    EXPECT_EQ(platform.ResolveShortcut(shortcut.string()).title, "Deutscher Name");
    unsetenv("LANGUAGE");
    setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(platform.ResolveShortcut(shortcut.string()).title, "日本語の名前");
    setenv("LANG", "C.UTF-8", 1);

    // An escaped line break in a name arrives as a real one: the store blanks it.
    const fs::path evil = work / "evil.desktop";
    WriteFile(evil, "[Desktop Entry]\nType=Application\nName=Evil\\n2:5=/bin/sh <TS>planted\n"
                    "Exec=true\n");
    EXPECT_EQ(platform.ResolveShortcut(evil.string()).title, "Evil\n2:5=/bin/sh <TS>planted");
}

TEST_F(LinuxPlatformTest, ResolveShortcutKeepsApplicationsAndWebLinksAsTheShortcut) {
    const fs::path application = work / "app.desktop";
    WriteFile(application, RecorderEntry("My \\sRecorder", "app", "%F"));
    EXPECT_EQ(platform.ResolveShortcut(application.string()).target, application.string());
    EXPECT_EQ(platform.ResolveShortcut(application.string()).title, "My  Recorder");

    const fs::path web = work / "web.desktop";
    WriteFile(web, "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org/a\n");
    EXPECT_EQ(platform.ResolveShortcut(web.string()).target, web.string());
    EXPECT_EQ(platform.ResolveShortcut(web.string()).title, "Site");

    const fs::path untitled = work / "untitled.desktop";
    WriteFile(untitled, "[Desktop Entry]\nType=Directory\n");
    EXPECT_EQ(platform.ResolveShortcut(untitled.string()).target, untitled.string());
    EXPECT_EQ(platform.ResolveShortcut(untitled.string()).title, "");
}

TEST_F(LinuxPlatformTest, ResolveShortcutThrowsForFilesItCannotRead) {
    WriteFile(work / "garbage.desktop", "this is not a key file\n");
    WriteFile(work / "nogroup.desktop", "[Something Else]\nType=Link\n");
    WriteFile(work / "binary.desktop", std::string("[Desktop Entry]\nName=\xff\xfe\n"));
    // The message names the file and what is wrong with it.
    const std::pair<const char*, const char*> rows[] = {
        {"garbage.desktop", "\r\nを読み込めませんでした。\r\nKey file contains line"},
        {"nogroup.desktop", "\r\nに [Desktop Entry] がないため"},
        {"binary.desktop", "\r\nの Name= を読み取れませんでした。"},
        {"missing.desktop",
         "\r\nを読み込めませんでした。\r\nファイルまたはフォルダが存在しません。("},
    };
    for (const auto& [name, fault] : rows) {
        const std::string path = (work / name).string();
        try {
            platform.ResolveShortcut(path);
            ADD_FAILURE() << name << " was resolved";
        } catch (const std::runtime_error& error) {
            EXPECT_THAT(error.what(), HasSubstr(path + fault));
        }
    }
}

// --- opening ------------------------------------------------------------------------------------

TEST_F(LinuxPlatformTest, OpenReportsMissingPathsAsNotFound) {
    fs::create_symlink(work / "gone", work / "dangling");
    EXPECT_EQ(platform.Open((work / "missing.txt").string(), "", ""), open_result::kNotFound);
    EXPECT_EQ(platform.Open((work / "dangling").string(), "", ""), open_result::kNotFound);
    EXPECT_EQ(platform.Open("", "", ""), open_result::kNotFound);
}

TEST_F(LinuxPlatformTest, OpenStartsAProgramDetachedWithSplitParametersAndWorkingFolder) {
    const fs::path folder = work / "作業 フォルダ";
    fs::create_directory(folder);
    WriteFile(Out() / "program.hold", "");

    // The program waits for the hold file: Open must return while it still runs.
    ASSERT_EQ(platform.Open(Recorder().string(), "program one 'two three' \"four five\" $HOME #six",
                            folder.string()),
              open_result::kSuccess);
    EXPECT_FALSE(fs::exists(Out() / "program"));
    fs::remove(Out() / "program.hold");

    const std::optional<Record> record = WaitForRecord("program");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->folder, fs::canonical(folder).string());
    EXPECT_THAT(record->arguments, ElementsAre("one", "two three", "four five", "$HOME", "#six"));
    EXPECT_NE(record->session, getsid(0)); // a session of its own

    // No child is left for the launcher to reap.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(LinuxPlatformTest, OpenNeverLetsAShellSeeTheParameters) {
    // The name of a file passed as a parameter reaches every kind of target as one argument,
    // literally; "x" would appear if anything ran the command substitution.
    const std::string name = "a b $(touch x).txt";
    const fs::path document = work / name;
    WriteFile(document, "text");
    const std::string quoted = "\"" + document.string() + "\"";
    const fs::path cwd = fs::current_path();

    ASSERT_EQ(platform.Open(Recorder().string(), "program " + quoted, work.string()),
              open_result::kSuccess);
    std::optional<Record> record = WaitForRecord("program");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(document.string()));

    const fs::path application = work / "app.desktop";
    WriteFile(application, RecorderEntry("Recorder", "app", "%F"));
    ASSERT_EQ(platform.Open(application.string(), quoted, work.string()), open_result::kSuccess);
    record = WaitForRecord("app");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(document.string()));

    ASSERT_EQ(platform.Open(document.string(), "", work.string()), open_result::kSuccess);
    record = WaitForRecord("documents");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(document.string()));

    for (const fs::path& folder : {work, cwd, Recorder().parent_path(), Out()}) {
        EXPECT_FALSE(fs::exists(folder / "x")) << folder;
    }
}

TEST_F(LinuxPlatformTest, OpenGivesDocumentsToTheirDefaultApplication) {
    const fs::path document = work / "notes.txt";
    WriteFile(document, "plain text\n");
    ASSERT_EQ(platform.Open(document.string(), "ignored parameters", ""), open_result::kSuccess);
    std::optional<Record> record = WaitForRecord("documents");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(document.string()));

    // A document with an execute bit (as on a FAT mount) opens; it is not run as a script.
    const fs::path executableText = work / "script-looking.txt";
    WriteFile(executableText, "touch ran-as-script\n", 0755);
    ASSERT_EQ(platform.Open(executableText.string(), "", work.string()), open_result::kSuccess);
    record = WaitForRecord("documents");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(executableText.string()));
    EXPECT_FALSE(fs::exists(work / "ran-as-script"));

    // Content without a registered application.
    const fs::path binary = work / "data.bin";
    WriteFile(binary, std::string("\x00\x01\x02\x03\xfe\xff", 6));
    EXPECT_EQ(platform.Open(binary.string(), "", ""), open_result::kNoAssociation);
}

TEST_F(LinuxPlatformTest, OpenFollowsDesktopEntries) {
    // A link to a file opens that file.
    const fs::path document = work / "linked.txt";
    WriteFile(document, "x");
    WriteFile(work / "file-link.desktop",
              "[Desktop Entry]\nType=Link\nName=L\nURL=" + FileUri(document) + "\n");
    ASSERT_EQ(platform.Open((work / "file-link.desktop").string(), "", ""), open_result::kSuccess);
    std::optional<Record> record = WaitForRecord("documents");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(document.string()));

    // A link to a web page goes to the handler of its scheme.
    WriteFile(work / "web.desktop",
              "[Desktop Entry]\nType=Link\nName=W\nURL=https://example.org/a%20b?q=1\n");
    ASSERT_EQ(platform.Open((work / "web.desktop").string(), "", ""), open_result::kSuccess);
    record = WaitForRecord("web");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre("https://example.org/a%20b?q=1"));

    WriteFile(work / "gopher.desktop",
              "[Desktop Entry]\nType=Link\nName=G\nURL=gopher://example.org/\n");
    EXPECT_EQ(platform.Open((work / "gopher.desktop").string(), "", ""),
              open_result::kNoAssociation);

    // Links that point at each other stop instead of looping.
    WriteFile(work / "ping.desktop",
              "[Desktop Entry]\nType=Link\nName=P\nURL=" + FileUri(work / "pong.desktop") + "\n");
    WriteFile(work / "pong.desktop",
              "[Desktop Entry]\nType=Link\nName=P\nURL=" + FileUri(work / "ping.desktop") + "\n");
    const int loop = platform.Open((work / "ping.desktop").string(), "", "");
    EXPECT_LT(loop, 32);
}

TEST_F(LinuxPlatformTest, OpenReportsProgramsThatCannotStart) {
    const fs::path noInterpreter = work / "orphan.sh";
    WriteFile(noInterpreter, "#!/no/such/interpreter\n", 0755);
    EXPECT_EQ(platform.Open(noInterpreter.string(), "", ""), open_result::kNotFound);

    // The program exists but the working folder does not: "path not found" (3).
    EXPECT_EQ(platform.Open(Recorder().string(), "program", (work / "gone").string()), 3);
}

TEST_F(LinuxPlatformTest, OpenSaysWhatIsWrongWithAnApplicationEntry) {
    // The entry is there, so "not found" would be wrong: the code names the faulty key.
    struct Row {
        const char* name;
        std::string keys; // after Type and Name
        int code;
    };
    const std::string recorder = Recorder().string() + " entry-row";
    const Row rows[] = {
        {"unbalanced-quote", "Exec=" + recorder + " \"one two %F\n", open_result::kEntryBadCommand},
        {"try-exec-missing", "TryExec=/no/such/checker\nExec=" + recorder + "\n",
         open_result::kEntryTryExecMissing},
        {"try-exec-not-on-path", "TryExec=tavolin-no-such-checker\nExec=" + recorder + "\n",
         open_result::kEntryTryExecMissing},
        {"exec-program-missing", "Exec=/no/such/program %F\n", open_result::kEntryProgramMissing},
        {"exec-program-not-on-path", "Exec=tavolin-no-such-program %F\n",
         open_result::kEntryProgramMissing},
        {"no-exec", "Comment=nothing to run\n", open_result::kEntryNoCommand},
        {"try-exec-present", "TryExec=/bin/sh\nExec=" + recorder + "\n", open_result::kSuccess},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path entry = work / (std::string(row.name) + ".desktop");
        WriteFile(entry, "[Desktop Entry]\nType=Application\nName=E\n" + row.keys);
        EXPECT_EQ(platform.Open(entry.string(), "", ""), row.code);
    }
    // Only the sound entry ran.
    ASSERT_TRUE(WaitForRecord("entry-row"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(Out() / "entry-row"));
}

// --- the file manager ---------------------------------------------------------------------------

// A private session bus for the duration of a scope, made the process's session bus. With
// `withFileManager`, it can activate the stand-in file manager.
class FileManagerBus {
public:
    FileManagerBus(const std::string& name, bool withFileManager) {
        const fs::path folder = Root() / "bus" / name;
        const fs::path services = folder / "services";
        fs::create_directories(services);
        m_log = folder / "calls.log";
        m_mode = folder / "mode";
        WriteFile(m_mode, "ok");
        if (withFileManager) {
            WriteFile(services / "org.freedesktop.FileManager1.service",
                      "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec=/usr/bin/python3 " +
                          std::string(TAVOLIN_SOURCE_DIR) +
                          "/tests/platform/linux/fake_file_manager.py " + m_log.string() + " " +
                          m_mode.string() + "\n");
        }
        m_bus.emplace(folder, "session", services);
        EXPECT_TRUE(m_bus->Ready()) << "dbus-daemon did not start listening";
        setenv("DBUS_SESSION_BUS_ADDRESS", m_bus->Address().c_str(), 1);
    }

    ~FileManagerBus() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

    FileManagerBus(const FileManagerBus&) = delete;
    FileManagerBus& operator=(const FileManagerBus&) = delete;

    void SetMode(const std::string& mode) const { WriteFile(m_mode, mode); }

    // The calls the file manager received, one "method<TAB>startup id<TAB>uri..." line each;
    // taken away, so the next look sees only newer calls.
    std::vector<std::string> TakeCalls() const {
        std::vector<std::string> lines;
        std::istringstream text(ReadFile(m_log));
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        std::error_code ignored;
        fs::remove(m_log, ignored);
        return lines;
    }

private:
    std::optional<testing::PrivateBus> m_bus;
    fs::path m_log;
    fs::path m_mode;
};

class FileManagerTest : public LinuxPlatformTest {
protected:
    static void SetUpTestSuite() { s_bus = new FileManagerBus("file-manager", true); }
    static void TearDownTestSuite() {
        delete s_bus;
        s_bus = nullptr;
    }
    void SetUp() override {
        LinuxPlatformTest::SetUp();
        s_bus->SetMode("ok");
        s_bus->TakeCalls();
    }

    static FileManagerBus* s_bus;
};
FileManagerBus* FileManagerTest::s_bus = nullptr;

TEST_F(FileManagerTest, FoldersAndItemsGoToTheFileManager) {
    const fs::path folder = work / "my folder ソ";
    fs::create_directory(folder);
    WriteFile(folder / "item one.txt", "x");

    // The first call starts the file manager through bus activation.
    EXPECT_TRUE(platform.ShowFolder(folder.string()));
    EXPECT_TRUE(platform.ShowItem((folder / "item one.txt").string()));
    EXPECT_EQ(platform.Open(folder.string(), "", ""), open_result::kSuccess);
    EXPECT_THAT(s_bus->TakeCalls(), ElementsAre("ShowFolders\t\t" + FileUri(folder),
                                                "ShowItems\t\t" + FileUri(folder / "item one.txt"),
                                                "ShowFolders\t\t" + FileUri(folder)));

    EXPECT_TRUE(platform.ShowComputer());
    EXPECT_TRUE(platform.ShowRecycleBin());
    EXPECT_THAT(s_bus->TakeCalls(),
                ElementsAre("ShowFolders\t\tcomputer:///", "ShowFolders\t\ttrash:///"));

    // Nothing went to the fallback.
    EXPECT_FALSE(fs::exists(Out() / "folders"));

    // A missing folder or item is not shown at all.
    EXPECT_FALSE(platform.ShowFolder((work / "missing").string()));
    EXPECT_FALSE(platform.ShowFolder((folder / "item one.txt").string()));
    EXPECT_FALSE(platform.ShowItem((work / "missing").string()));
    EXPECT_THAT(s_bus->TakeCalls(), IsEmpty());
}

TEST_F(FileManagerTest, AFileManagerThatRefusesLeavesItToTheFolderApplication) {
    const fs::path folder = work / "refused";
    fs::create_directory(folder);
    WriteFile(folder / "item.txt", "x");
    s_bus->SetMode("fail");

    EXPECT_TRUE(platform.ShowFolder(folder.string()));
    std::optional<Record> record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(folder.string()));

    EXPECT_TRUE(platform.ShowItem((folder / "item.txt").string()));
    record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(folder.string()));

    EXPECT_THAT(s_bus->TakeCalls(), ElementsAre("ShowFolders\t\t" + FileUri(folder),
                                                "ShowItems\t\t" + FileUri(folder / "item.txt")));
}

TEST_F(FileManagerTest, AFileManagerThatHangsIsGivenUpAfterTheTimeout) {
    const fs::path folder = work / "hung";
    fs::create_directory(folder);
    ASSERT_TRUE(platform.ShowComputer()); // the file manager runs: the short timeout applies
    s_bus->SetMode("hang");

    EXPECT_TRUE(platform.ShowFolder(folder.string()));
    const std::optional<Record> record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(folder.string()));
    EXPECT_THAT(s_bus->TakeCalls(),
                ElementsAre("ShowFolders\t\tcomputer:///", "ShowFolders\t\t" + FileUri(folder)));
}

TEST_F(LinuxPlatformTest, ABusWithoutAFileManagerLeavesItToTheFolderApplication) {
    const FileManagerBus bus("no-file-manager", false);
    WriteFile(work / "item.txt", "x");

    EXPECT_TRUE(platform.ShowFolder(work.string()));
    std::optional<Record> record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(work.string()));

    EXPECT_TRUE(platform.ShowItem((work / "item.txt").string()));
    record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(work.string()));
}

TEST_F(LinuxPlatformTest, WithoutABusFoldersOpenInTheFolderApplication) {
    ASSERT_EQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);

    EXPECT_TRUE(platform.ShowFolder(work.string()));
    std::optional<Record> record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(work.string()));

    EXPECT_EQ(platform.Open(work.string(), "", ""), open_result::kSuccess);
    record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(work.string()));

    EXPECT_TRUE(platform.ShowComputer());
    record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre("/"));

    const fs::path trash = Root() / "data" / "Trash" / "files";
    EXPECT_TRUE(platform.ShowRecycleBin());
    record = WaitForRecord("folders");
    ASSERT_TRUE(record);
    EXPECT_THAT(record->arguments, ElementsAre(trash.string()));
    EXPECT_TRUE(fs::is_directory(trash));
}

// --- special folders ----------------------------------------------------------------------------

TEST_F(LinuxPlatformTest, SpecialFoldersFollowTheXdgConventions) {
    const fs::path data = Root() / "data";
    EXPECT_EQ(platform.SpecialFolderPath(SpecialFolder::Desktop),
              (Root() / "home" / "デスクトップ").string());
    EXPECT_EQ(platform.SpecialFolderPath(SpecialFolder::RecentDocuments), data.string());

    EXPECT_EQ(platform.SpecialFolderPath(SpecialFolder::SendTo),
              (data / "tavolin" / "SendTo").string());
    EXPECT_TRUE(fs::is_directory(data / "tavolin" / "SendTo"));

    EXPECT_EQ(platform.SpecialFolderPath(SpecialFolder::StartMenu),
              (data / "applications").string());
    EXPECT_EQ(platform.SpecialFolderPath(static_cast<SpecialFolder>(99)), std::nullopt);
}

} // namespace
} // namespace tavolin
