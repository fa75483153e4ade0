#include "core/categories/WorkingCopy.h"

#include "core/Platform.h"
#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace tavolin::categories {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::WriteBytes;
using namespace std::string_literals;

std::string Sj(const std::string& utf8) {
    return *text::EncodeCp932(utf8);
}

class WorkingCopyTest : public ::testing::Test {
protected:
    std::unique_ptr<WorkingCopy> Make(Platform& platform) {
        return std::make_unique<WorkingCopy>(platform, m_view, testing::Utf8(m_txt),
                                             testing::Utf8(m_tmp), testing::Utf8(m_tmp2));
    }
    // The data file written, and a working copy of it opened on the fake platform.
    WorkingCopy& OpenOn(const std::string& bytes) {
        WriteBytes(m_txt, bytes);
        m_copy = Make(m_platform);
        EXPECT_TRUE(m_copy->Open());
        return *m_copy;
    }

    void SetUp() override { fs::create_directory(m_dir); }

    testing::TempDir m_temp{"tavolin-categories"};
    // A folder name beyond ASCII, which a path read in the ANSI code page would miss.
    fs::path m_dir = m_temp.Path() / u8"カテゴリ";
    fs::path m_txt = m_dir / "tavolin.txt";
    fs::path m_tmp = m_dir / "tavolin.tmp";
    fs::path m_tmp2 = m_dir / "tavolin.tmp2";
    testing::FakePlatform m_platform;
    testing::FakeView m_view;
    std::unique_ptr<WorkingCopy> m_copy;
};

TEST_F(WorkingCopyTest, OpeningListsTheCategoriesAndCopiesTheFileOverAnyLeftover) {
    const std::string data = Sj("{ before the first category\r\n[無題カテゴリ]\r\n1:1=a\r\n") +
                             "[Tools\n[x]\r\n[[a]b]]\r\n[x]\r\n[\x81\xFF]";
    WriteBytes(m_tmp, "left by a crash");
    WriteBytes(m_tmp2, "left by a crash");
    WorkingCopy& copy = OpenOn(data);
    EXPECT_THAT(copy.Names(), ElementsAre("無題カテゴリ", "Tool", "x", "[a]b]", "x",
                                          text::DecodeCp932("\x81\xFF")));
    EXPECT_EQ(ReadBytes(m_tmp), data);
    EXPECT_FALSE(fs::exists(m_tmp2));
    EXPECT_TRUE(m_view.messages.empty());
    EXPECT_THAT(m_view.busyChanges, ElementsAre(true, false));
}

TEST_F(WorkingCopyTest, AFileOfAForeignEncodingIsNotOpened) {
    const std::string utf16 = "\xFF\xFE[\0a\0]\0"s;
    WriteBytes(m_txt, utf16);
    auto copy = Make(m_platform);
    EXPECT_FALSE(copy->Open());
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_THAT(m_view.messages[0].text, HasSubstr("UTF-16 LE"));
    EXPECT_EQ(ReadBytes(m_txt), utf16);
    EXPECT_FALSE(fs::exists(m_tmp));
}

TEST_F(WorkingCopyTest, AMissingDataFileStartsWithTheDefaultCategoryEvenOnCancel) {
    auto copy = Make(m_platform);
    ASSERT_TRUE(copy->Open());
    EXPECT_THAT(copy->Names(), ElementsAre("無題カテゴリ"));
    EXPECT_TRUE(copy->Add("new"));
    copy.reset(); // closed without OK
    EXPECT_EQ(ReadBytes(m_txt), Sj("[無題カテゴリ]\r\n"));
    EXPECT_FALSE(fs::exists(m_tmp));
}

// Each command, then OK: the data file as the editor leaves it.
TEST_F(WorkingCopyTest, CommandsRewriteTheFileByBlockPosition) {
    const std::string before = "{top\r\n";
    const std::string a = "[a]\r\n1:1=/a <TS>A<TE>\r\n\r\n";
    const std::string dup1 = "[d]\r\n1:1=first\r\n";
    const std::string dup2 = "[d]\n1:1=second\n";
    // Bytes that are not code page 932, and a last line without a line end.
    const std::string raw = "[r]\r\n1:1=\x81\xFF \x83\x5C<TS>\x82\xA0<TE>\r\nbroken line";
    const std::string start = before + a + dup1 + dup2 + raw;
    struct Case {
        const char* name;
        std::function<bool(WorkingCopy&)> command;
        std::string expected;
        std::vector<std::string> names;
        std::string start = {}; // when not the common start
    };
    const Case cases[] = {
        {"add at the end, ending the unfinished last line",
         [](WorkingCopy& c) { return c.Add("新規 [x]"); },
         start + "\r\n" + Sj("[新規 [x]]\r\n"),
         {"a", "d", "d", "r", "新規 [x]"}},
        {"add a name code page 932 cannot hold: the whole file in UTF-8",
         [](WorkingCopy& c) { return c.Add("é"); },
         "\xEF\xBB\xBF" + before + a + dup1 + dup2 +
             "[r]\r\n1:1=\x81\xFF ソ<TS>あ<TE>\r\nbroken line\r\n[é]\r\n",
         {"a", "d", "d", "r", "é"}},
        {"rename the second of two blocks of one name",
         [](WorkingCopy& c) { return c.Rename(2, "e"); },
         before + a + dup1 + "[e]\r\n1:1=second\n" + raw,
         {"a", "d", "e", "r"}},
        {"delete a middle block",
         [](WorkingCopy& c) { return c.Delete(1); },
         before + a + dup2 + raw,
         {"a", "d", "r"}},
        {"delete the last block",
         [](WorkingCopy& c) { return c.Delete(3); },
         before + a + dup1 + dup2,
         {"a", "d", "d"}},
        {"delete every block",
         [](WorkingCopy& c) { return c.Delete(0) && c.Delete(0) && c.Delete(0) && c.Delete(0); },
         before,
         {}},
        {"move the last block to the top",
         [](WorkingCopy& c) { return c.MoveUp(3) && c.MoveUp(2) && c.MoveUp(1); },
         before + raw + "\r\n" + a + dup1 + dup2,
         {"r", "a", "d", "d"}},
        {"move, then rename and add",
         [](WorkingCopy& c) { return c.MoveUp(3) && c.Rename(0, "z") && c.Add("n"); },
         before + "[z]\r\n1:1=/a <TS>A<TE>\r\n\r\n" + dup1 + raw + "\r\n" + dup2 + "[n]\r\n",
         {"z", "d", "r", "d", "n"}},
        {"move the first of two blocks of one name down",
         [](WorkingCopy& c) { return c.MoveDown(1); },
         before + a + dup2 + dup1 + raw,
         {"a", "d", "d", "r"}},
        {"a last category line without a line end, moved and renamed",
         [](WorkingCopy& c) { return c.MoveUp(1) && c.Rename(0, "c"); },
         "[c]\r\n[a]\r\n",
         {"c", "a"},
         "[a]\r\n[b]"},
        {"a last category line without a line end, added after and moved",
         [](WorkingCopy& c) { return c.Add("c") && c.MoveUp(2) && c.Rename(1, "d"); },
         "[a]\r\n[d]\r\n[b]\r\n",
         {"a", "d", "b"},
         "[a]\r\n[b]"},
        {"a UTF-8 file without a mark stays so",
         [](WorkingCopy& c) { return c.Add("é"); },
         "[カテ]\n1:1=/a\n[é]\r\n",
         {"カテ", "é"},
         "[カテ]\n1:1=/a\n"},
        {"lone CR line ends",
         [](WorkingCopy& c) { return c.MoveUp(1); },
         "[b]\r[a]\r1:1=/a\r",
         {"b", "a"},
         "[a]\r1:1=/a\r[b]\r"},
        {"code page 932 bytes that would read as UTF-8 go out as UTF-8 with a mark",
         [](WorkingCopy& c) { return c.Add("ﾃｽ"); },
         "\xEF\xBB\xBF[a]\r\n[ﾃｽ]\r\n",
         {"a", "ﾃｽ"},
         "[a]\r\n"},
        {"a name whose last trail byte is that of ]",
         [](WorkingCopy& c) { return c.Rename(1, "c"); },
         "[A\x85]\r\n[c]\r\n",
         {"A" + text::DecodeCp932("\x85"), "c"},
         "[A\x85]\r\n[b]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string& initial = c.start.empty() ? start : c.start;
        WorkingCopy& copy = OpenOn(initial);
        ASSERT_TRUE(c.command(copy));
        EXPECT_THAT(copy.Names(), ElementsAreArray(c.names));
        EXPECT_EQ(ReadBytes(m_txt), initial) << "the data file waits for OK";
        ASSERT_EQ(copy.Commit(), datafile::Placed::Done);
        EXPECT_EQ(ReadBytes(m_txt), c.expected);
        copy.Close();
        EXPECT_FALSE(fs::exists(m_tmp));
        EXPECT_FALSE(fs::exists(m_tmp2));
    }
}

TEST_F(WorkingCopyTest, CommandsThatCannotApplyChangeNothing) {
    const std::string start = "[a]\r\n[b]\r\n";
    WorkingCopy& copy = OpenOn(start);
    EXPECT_FALSE(copy.Add(""));
    EXPECT_FALSE(copy.Add("a"));
    EXPECT_FALSE(copy.Rename(0, "a"));
    EXPECT_FALSE(copy.Rename(0, "b"));
    EXPECT_FALSE(copy.Rename(0, ""));
    EXPECT_FALSE(copy.Rename(2, "c"));
    EXPECT_FALSE(copy.MoveUp(0));
    EXPECT_FALSE(copy.MoveDown(1));
    EXPECT_FALSE(copy.MoveUp(5));
    EXPECT_FALSE(copy.Delete(2));
    EXPECT_TRUE(m_view.messages.empty());

    // A name the file cannot hold is refused, with a message each time.
    for (const std::string& bad : {"x\ny"s, "x\r"s, "x\0y"s}) {
        EXPECT_FALSE(copy.Add(bad));
        EXPECT_FALSE(copy.Rename(0, bad));
    }
    EXPECT_EQ(m_view.messages.size(), 6u);
    EXPECT_EQ(m_view.messages[0].kind, MsgKind::Warning);

    // Deleting asks; any answer but OK keeps the category.
    m_view.messages.clear();
    m_view.answers = {MsgResult::Cancel};
    EXPECT_FALSE(copy.Delete(0));
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_EQ(m_view.messages[0].text,
              "カテゴリーを削除するとその中の全てのページの内容もクリアされます。よろしいですか？");
    EXPECT_EQ(m_view.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(m_view.messages[0].buttons, msg_buttons::kOkCancel);

    EXPECT_THAT(copy.Names(), ElementsAre("a", "b"));
    EXPECT_EQ(ReadBytes(m_tmp), start);

    // Case and width make different names.
    EXPECT_TRUE(copy.Add("A"));
    EXPECT_TRUE(copy.Add("ａ"));
}

TEST_F(WorkingCopyTest, CancelLeavesTheDataFileAsItWas) {
    const std::string start = Sj("[無題カテゴリ]\r\n1:1=x\r\n[b]\r\n");
    WorkingCopy& copy = OpenOn(start);
    ASSERT_TRUE(copy.Add("c") && copy.MoveUp(2) && copy.Rename(0, "z") && copy.Delete(1));
    copy.Close();
    EXPECT_EQ(ReadBytes(m_txt), start);
    EXPECT_FALSE(fs::exists(m_tmp));
    EXPECT_FALSE(copy.Add("d"));
}

TEST_F(WorkingCopyTest, AFailedCommitReportsAndKeepsTheDataFile) {
    const std::string start = "[a]\r\n[b]\r\n";
    WorkingCopy& copy = OpenOn(start);
    ASSERT_TRUE(copy.MoveDown(0));
    m_platform.replaceFailure = "Permission denied";
    EXPECT_EQ(copy.Commit(), datafile::Placed::Failed);
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_THAT(m_view.messages[0].text, HasSubstr("Permission denied"));
    EXPECT_THAT(m_view.messages[0].text, HasSubstr("元のファイルは変更されていません。"));
    EXPECT_EQ(ReadBytes(m_txt), start);

    // The editor stays usable: the next OK goes through.
    m_platform.replaceFailure.reset();
    ASSERT_EQ(copy.Commit(), datafile::Placed::Done);
    EXPECT_EQ(ReadBytes(m_txt), "[b]\r\n[a]\r\n");
}

// POSIX only: the file-size limit and a folder's permission bits.
#ifndef _WIN32
TEST_F(WorkingCopyTest, AMoveThatCannotBeWrittenStopsTheEditorButNotTheDataFile) {
    // The file-size limit stops the move that lengthens the file (the last block gets a line
    // end), part way, as a full disk would.
    const std::string start = "[a]\r\n[b]";
    WorkingCopy& copy = OpenOn(start);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = start.size();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool moved = copy.MoveUp(1);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(moved);
    EXPECT_FALSE(copy.Add("c"));
    EXPECT_EQ(copy.Commit(), datafile::Placed::Failed);
    EXPECT_EQ(m_view.messages.size(), 3u);
    EXPECT_THAT(copy.Names(), ElementsAre("a", "b"));
    EXPECT_EQ(ReadBytes(m_txt), start);
    copy.Close();
    EXPECT_FALSE(fs::exists(m_tmp));
}

TEST_F(WorkingCopyTest, AReadOnlyFolderIsReportedOnTheRealFileSystem) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    const auto platform = CreatePlatform();
    WriteBytes(m_txt, "[a]\r\n[b]\r\n");
    auto copy = Make(*platform);
    ASSERT_TRUE(copy->Open() && copy->MoveUp(1));
    fs::permissions(m_dir, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(copy->Commit(), datafile::Placed::Failed);
    fs::permissions(m_dir, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadBytes(m_txt), "[a]\r\n[b]\r\n");
    EXPECT_EQ(m_view.messages.size(), 1u);
}
#endif

// The real platform, with the process ending at one step of replacing the data file.
class CrashingPlatform : public testing::FakePlatform {
public:
    CrashingPlatform(std::string dataFile, int crashAt)
        : m_real(CreatePlatform()), m_dataFile(std::move(dataFile)), m_crashAt(crashAt) {}

    class Replacement : public FileReplacement {
    public:
        Replacement(std::unique_ptr<FileReplacement> real, int crashAt)
            : m_real(std::move(real)), m_crashAt(crashAt) {}
        bool Write(std::string_view bytes) override {
            Step();
            return m_real->Write(bytes);
        }
        bool Commit(std::string& error) override {
            Step();
            const bool done = m_real->Commit(error);
            Step();
            return done;
        }

    private:
        void Step() {
            if (m_step++ == m_crashAt)
                std::_Exit(3);
        }
        std::unique_ptr<FileReplacement> m_real;
        int m_crashAt;
        int m_step = 0;
    };

    std::unique_ptr<FileReplacement> BeginReplaceFile(const std::string& path,
                                                      std::string& error) override {
        auto real = m_real->BeginReplaceFile(path, error);
        if (path != m_dataFile || !real)
            return real;
        return std::make_unique<Replacement>(std::move(real), m_crashAt);
    }

private:
    std::unique_ptr<Platform> m_real;
    std::string m_dataFile;
    int m_crashAt;
};

TEST_F(WorkingCopyTest, ACrashDuringCommitLeavesTheOldOrTheNewFileWhole) {
    // The child is a fork, so that it works on this test's files. On Windows it is this
    // program started again for this test alone, which finds the parent's folder in its
    // environment and works on the parent's files.
    GTEST_FLAG_SET(death_test_style, "fast");
#ifdef _WIN32
    const wchar_t* const kParentFolder = L"TAVOLIN_TEST_CRASH_FOLDER";
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
        ASSERT_EQ(_wputenv_s(kParentFolder, m_dir.c_str()), 0);
    } else {
        const wchar_t* parent = _wgetenv(kParentFolder);
        ASSERT_NE(parent, nullptr);
        fs::remove_all(m_temp.Path()); // this child's own, which its end would leave behind
        m_txt = fs::path(parent) / m_txt.filename();
        m_tmp = fs::path(parent) / m_tmp.filename();
        m_tmp2 = fs::path(parent) / m_tmp2.filename();
    }
#endif
    const std::string block(3 << 20, 'x');
    const std::string before = "[a]\r\n" + block + "\r\n[b]\r\n";
    const std::string after = "[b]\r\n[a]\r\n" + block + "\r\n";
    // A commit of this file in pieces of 1 MiB: four writes, then the rename, then after it.
    for (int crashAt = 0; crashAt <= 5; ++crashAt) {
        SCOPED_TRACE(crashAt);
        WriteBytes(m_txt, before);
        EXPECT_EXIT(
            {
                CrashingPlatform platform(testing::Utf8(m_txt), crashAt);
                auto copy = Make(platform);
                if (copy->Open() && copy->MoveUp(1))
                    copy->Commit();
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(3), "");
        const std::string now = ReadBytes(m_txt);
        EXPECT_TRUE(now == (crashAt < 5 ? before : after)) << now.size() << now.substr(0, 12);
    }
}

// OK never writes over a category another writer added after the editor opened: it asks,
// and はい opens the editor again on the file as it is now; いいえ keeps the editor's list.
TEST_F(WorkingCopyTest, AFileChangedSinceOpeningIsNeverWrittenOver) {
    const std::string data = Sj("[無題カテゴリ]\r\n1:1=a\r\n");
    const std::string added = data + Sj("[ほか]\r\n");
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        WorkingCopy& copy = OpenOn(data);
        ASSERT_TRUE(copy.Add("新しい"));
        WriteBytes(m_txt, added);
        m_view.answers = {answer};
        if (answer == MsgResult::Yes) {
            EXPECT_EQ(copy.Recheck(), datafile::Unchanged::Reload);
            EXPECT_THAT(copy.Names(), ElementsAre("無題カテゴリ", "ほか"));
            ASSERT_TRUE(copy.Add("新しい"));
            EXPECT_EQ(copy.Recheck(), datafile::Unchanged::Yes);
            ASSERT_EQ(copy.Commit(), datafile::Placed::Done);
            EXPECT_EQ(ReadBytes(m_txt), added + Sj("[新しい]\r\n"));
        } else {
            EXPECT_EQ(copy.Recheck(), datafile::Unchanged::Keep);
            EXPECT_THAT(copy.Names(), ElementsAre("無題カテゴリ", "新しい"));
            EXPECT_EQ(ReadBytes(m_txt), added);
        }
    }
}

} // namespace
} // namespace tavolin::categories
