#include "core/settings/ProfileFile.h"

#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_path = (m_dir / "tavolin.ini").string(); }

    void WriteFile(const std::string& bytes) const { testing::WriteBytes(m_path, bytes); }
    std::string FileBytes() const { return testing::ReadBytes(m_path); }
    // Changes the file through one object and saves it; the test fails when the save does.
    template <typename Change> void Edit(Change change) {
        ProfileFile file(m_path);
        change(file);
        std::string error;
        ASSERT_TRUE(file.Save(m_platform, error)) << error;
    }

    // One-key operations, each a load and, for a change, one save; false with `error` saying
    // why when the change was refused or could not be saved.
    bool WriteKey(const std::string& section, const std::string& key, const std::string& value,
                  std::string* error = nullptr) {
        ProfileFile file(m_path);
        std::string why = "refused";
        if (file.WriteString(section, key, value) && file.Save(m_platform, why))
            return true;
        if (error)
            *error = why;
        return false;
    }
    bool EraseKeySection(const std::string& section) {
        ProfileFile file(m_path);
        file.EraseSection(section);
        std::string error;
        return file.Save(m_platform, error);
    }
    std::string ReadKey(const std::string& section, const std::string& key,
                        const std::string& defaultValue) const {
        return ProfileFile(m_path).ReadString(section, key, defaultValue);
    }

    testing::TempDir m_temp{"tavolin-profile"};
    fs::path m_dir = m_temp.Path();
    std::string m_path;
    testing::FakePlatform m_platform;
};

TEST_F(ProfileFileTest, NamesCompareWithoutAsciiCaseAndBlanks) {
    // UTF-8 with a byte-order mark, for the non-ASCII names.
    WriteFile(
        "\xEF\xBB\xBF[ Window ]\r\n  Height = 200 \r\nwIdTh=\t300\t\r\n[\xC3\xA9t\xC3\xA9]\r\n"
        "\xC3\xA9=lower\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("WINDOW", "height", "x"), "200");
    EXPECT_EQ(file.ReadInteger("window", "WIDTH", 0), 300);
    EXPECT_TRUE(file.HasSection("wInDoW"));
    // Only ASCII letters fold: "é" and "É" share their first UTF-8 byte but are other names.
    EXPECT_EQ(file.ReadString("\xC3\xA9t\xC3\xA9", "\xC3\xA9", "x"), "lower");
    EXPECT_EQ(file.ReadString("\xC3\x89T\xC3\x89", "\xC3\xA9", "x"), "x");
    EXPECT_EQ(file.ReadString("\xC3\xA9t\xC3\xA9", "\xC3\x89", "x"), "x");

    Edit([](ProfileFile& f) { EXPECT_TRUE(f.WriteInteger("window", "HEIGHT", 250)); });
    EXPECT_EQ(FileBytes(),
              "\xEF\xBB\xBF[ Window ]\r\nHeight=250\r\nwIdTh=\t300\t\r\n[\xC3\xA9t\xC3\xA9]\r\n"
              "\xC3\xA9=lower\r\n");
}

TEST_F(ProfileFileTest, QuotesAndBlanksAroundValues) {
    WriteFile("[S]\r\ndq = \"  both  \" \r\nsq='single'\r\nmixed=\"a'\r\nlone=\"\r\n"
              "inner=a \"b\" c\r\nempty=\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("S", "dq", "x"), "  both  ");
    EXPECT_EQ(file.ReadString("S", "sq", "x"), "single");
    EXPECT_EQ(file.ReadString("S", "mixed", "x"), "\"a'");
    EXPECT_EQ(file.ReadString("S", "lone", "x"), "\"");
    EXPECT_EQ(file.ReadString("S", "inner", "x"), "a \"b\" c");
    EXPECT_EQ(file.ReadString("S", "empty", "x"), "");

    // Values that reading would change are quoted when written, so they read back whole.
    const std::vector<std::string> values = {" lead", "trail\t", "\"quoted\"", "'q'", "plain"};
    Edit([&](ProfileFile& f) {
        for (std::size_t i = 0; i < values.size(); ++i)
            f.WriteString("T", std::to_string(i), values[i]);
    });
    ProfileFile reread(m_path);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(reread.ReadString("T", std::to_string(i), "x"), values[i]) << i;
    }
    EXPECT_THAT(FileBytes(), ::testing::HasSubstr("\r\n0=\" lead\"\r\n"));
    EXPECT_THAT(FileBytes(), ::testing::HasSubstr("\r\n4=plain\r\n"));
}

TEST_F(ProfileFileTest, UnknownLinesStayInPlaceThroughWrites) {
    const std::string before = "; leading comment\r\n"
                               "orphan=before any section\r\n"
                               "\r\n"
                               "[Window]\r\n"
                               "  ; indented comment with key=value inside\r\n"
                               "garbage without equals\r\n"
                               "=no key\r\n"
                               "[broken section\r\n"
                               "Top=1\r\n"
                               "\t \r\n"
                               "[Other]\r\n"
                               "x=1\r\n";
    WriteFile(before);
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("Window", "Top", "x"), "1"); // "[broken" starts no section
    EXPECT_EQ(file.ReadString("Window", "; indented comment with key", "x"), "x");
    EXPECT_EQ(file.ReadSection("Window"), (Entries{{"Top", "1"}}));

    Edit([](ProfileFile& f) { f.WriteString("Window", "Top", "2"); });
    std::string expected = before;
    expected.replace(expected.find("Top=1"), 5, "Top=2");
    EXPECT_EQ(FileBytes(), expected);
}

TEST_F(ProfileFileTest, NewKeysAndSectionsGoWhereTheyBelong) {
    WriteFile("[A]\r\na1=1\r\n; a comment after the keys\r\n\r\n"
              "[Empty]\r\n; nothing here yet\r\n\r\n"
              "[B]\r\nb1=1\r\n");
    Edit([](ProfileFile& f) {
        f.WriteString("a", "a2", "2");
        f.WriteString("empty", "e1", "1");
        f.WriteString("B", "b2", "2");
        f.WriteString("New", "n1", "1");
        f.WriteString("New", "n2", "2");
    });
    EXPECT_EQ(FileBytes(), "[A]\r\na1=1\r\na2=2\r\n; a comment after the keys\r\n\r\n"
                           "[Empty]\r\ne1=1\r\n; nothing here yet\r\n\r\n"
                           "[B]\r\nb1=1\r\nb2=2\r\n"
                           "\r\n[New]\r\nn1=1\r\nn2=2\r\n");
}

TEST_F(ProfileFileTest, FirstOfDuplicateKeysAndSectionsIsReadAndChanged) {
    WriteFile("[S]\r\nk=first\r\nK=second\r\n[s]\r\nk=other\r\nonly=there\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("S", "k", "x"), "first");
    EXPECT_EQ(file.ReadString("S", "only", "x"), "x");
    EXPECT_EQ(file.ReadSection("S"), (Entries{{"k", "first"}, {"K", "second"}}));

    Edit([](ProfileFile& f) {
        f.WriteString("s", "K", "changed");
        f.WriteString("s", "only", "new");
    });
    EXPECT_EQ(FileBytes(),
              "[S]\r\nk=changed\r\nK=second\r\nonly=new\r\n[s]\r\nk=other\r\nonly=there\r\n");

    // Erasing takes the first too, which uncovers the next one.
    Edit([](ProfileFile& f) { f.EraseSection("S"); });
    EXPECT_EQ(FileBytes(), "[s]\r\nk=other\r\nonly=there\r\n");
}

TEST_F(ProfileFileTest, EraseSectionAndReadSection) {
    WriteFile("[Category]\r\n0=Tools\r\n1=Games\r\n"
              "[Category:Tools]\r\n1:2=C:\\b.exe <TS>b<TE>\r\n; note\r\n1:1 = C:\\a.exe <TS>a<TE> "
              "\r\n\r\n"
              "[Category:a]b]\r\n1:1=C:\\c.exe\r\n"
              "[Window]\r\nTop=1\r\n");
    ProfileFile file(m_path);
    // A category name may hold "]": the name runs to the last one.
    EXPECT_EQ(file.ReadSection("Category:a]b"), (Entries{{"1:1", "C:\\c.exe"}}));
    // File order, keys as spelt, values exactly as written after "=".
    EXPECT_EQ(file.ReadSection("category:tools"),
              (Entries{{"1:2", "C:\\b.exe <TS>b<TE>"}, {"1:1", " C:\\a.exe <TS>a<TE> "}}));
    EXPECT_TRUE(file.ReadSection("Category:Games").empty());

    EXPECT_TRUE(EraseKeySection("Category:Tools"));
    EXPECT_TRUE(EraseKeySection("Category"));
    EXPECT_TRUE(EraseKeySection("Category:a]b"));
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=1\r\n");

    // Erasing what is not there does not touch the file.
    m_platform.replacedFiles.clear();
    EXPECT_TRUE(EraseKeySection("Category"));
    EXPECT_TRUE(m_platform.replacedFiles.empty());
}

TEST_F(ProfileFileTest, IntegersFallBackToTheDefault) {
    WriteFile("[W]\r\nabc=abc\r\nempty=\r\npartial=12abc\r\nhuge=99999999999\r\n"
              "neg= -5 \r\nquoted=\"42\"\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadInteger("W", "abc", 7), 7);
    EXPECT_EQ(file.ReadInteger("W", "empty", 7), 7);
    EXPECT_EQ(file.ReadInteger("W", "missing", 7), 7);
    EXPECT_EQ(file.ReadInteger("NoSection", "abc", 7), 7);
    EXPECT_EQ(file.ReadInteger("W", "partial", 7), 7);
    EXPECT_EQ(file.ReadInteger("W", "huge", 7), 7);
    EXPECT_EQ(file.ReadInteger("W", "neg", 7), -5);
    EXPECT_EQ(file.ReadInteger("W", "quoted", 7), 42);
}

TEST_F(ProfileFileTest, MissingFileReadsAsDefaultsAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(ReadKey("Window", "DateFormat", "yyyy"), "yyyy");
    ProfileFile file(m_path);
    EXPECT_TRUE(file.LoadError().empty());
    EXPECT_FALSE(file.HasSection("Window"));
    std::string error;
    EXPECT_TRUE(file.Save(m_platform, error)); // nothing to write: no file made
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_TRUE(EraseKeySection("Category"));
    EXPECT_FALSE(fs::exists(m_path));

    EXPECT_TRUE(WriteKey("Window", "Top", "5"));
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=5\r\n");
}

TEST_F(ProfileFileTest, FailedSaveLeavesTheFileAndSaysSo) {
    const std::string before = "[Window]\r\nTop=1\r\n";
    WriteFile(before);
    m_platform.replaceFailure = "disk full";
    std::string error;
    EXPECT_FALSE(WriteKey("Window", "Top", "2", &error));
    EXPECT_EQ(error, "disk full");
    EXPECT_FALSE(EraseKeySection("Window"));

    ProfileFile file(m_path);
    file.WriteString("Window", "Top", "3");
    EXPECT_FALSE(file.Save(m_platform, error));
    EXPECT_TRUE(file.Modified()); // still unsaved, a retry can write it
    EXPECT_EQ(FileBytes(), before);
    m_platform.replaceFailure.reset();
    EXPECT_TRUE(file.Save(m_platform, error));
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=3\r\n");

    // The first half of a save puts nothing in place before its commit, and nothing at all
    // when it is dropped.
    file.WriteString("Window", "Top", "4");
    ASSERT_TRUE(file.BeginSave(m_platform, error));
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=3\r\n");
    const auto replacement = file.BeginSave(m_platform, error);
    ASSERT_TRUE(replacement);
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=3\r\n");
    ASSERT_TRUE(replacement->Commit(error)) << error;
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=4\r\n");
}

// A folder or a UTF-16 file (pipes and devices: see the text file tests) reads as empty,
// says why, and is never replaced.
TEST_F(ProfileFileTest, SomethingUnreadableAtThePathIsNeverReplaced) {
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* why;
    };
    const Case cases[] = {
        {"folder", [&] { fs::create_directory(m_path); }, "フォルダ"},
        {"utf-16", [&] { WriteFile("\xFF\xFE[\0W\0]\0"s); }, "UTF-16 LE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_path);
        c.make();
        const fs::file_type type = fs::symlink_status(m_path).type();
        ProfileFile file(m_path);
        EXPECT_THAT(file.LoadError(), ::testing::HasSubstr(c.why));
        EXPECT_EQ(file.ReadString("Window", "Top", "d"), "d");
        std::string error;
        EXPECT_FALSE(WriteKey("Window", "Top", "1", &error));
        EXPECT_THAT(error, ::testing::HasSubstr(m_path));
        error.clear();
        EXPECT_FALSE(file.BeginSave(m_platform, error));
        EXPECT_THAT(error, ::testing::HasSubstr(c.why));
        EXPECT_TRUE(m_platform.replacedFiles.empty());
        EXPECT_EQ(fs::symlink_status(m_path).type(), type);
    }
}

TEST_F(ProfileFileTest, TextThatCannotBeOneLineIsRefused) {
    WriteFile("[Window]\r\nTop=1\r\n");
    ProfileFile file(m_path);
    EXPECT_FALSE(file.WriteString("Window", "Top", "1\r\n[Evil]"));
    EXPECT_FALSE(file.WriteString("Window", "a=b", "1"));
    EXPECT_FALSE(file.WriteString("Window", "", "1"));
    EXPECT_FALSE(file.WriteString(" ", "Top", "1"));
    EXPECT_FALSE(file.WriteString("Win\ndow", "Top", "1"));
    EXPECT_FALSE(file.WriteString("Window", ";Top", "1"));
    EXPECT_FALSE(file.Modified());
    std::string error;
    EXPECT_FALSE(WriteKey("Window", "Top", "a\nb", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(FileBytes(), "[Window]\r\nTop=1\r\n");
}

// Code page 932 bytes of 設定 (section), 名前 (key), ソフト (value, 0x83 0x5C has a "\" as
// trail byte), 表示 (0x95 0x5C).
const std::string kSettei = "\x90\xDD\x92\xE8";
const std::string kNamae = "\x96\xBC\x91\x4F";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kHyouji = "\x95\x5C\x8E\xA6";

TEST_F(ProfileFileTest, CodePage932FileKeepsItsBytesThroughAnUnrelatedWrite) {
    // Lines no write touches: Japanese text, bytes that are no code page 932 at all (a
    // lead byte before an invalid trail, a lead byte at the end of a line), and characters
    // with two codes (0xED40 and 0xFA5C are both 纊, 0x8790 and 0x81E0 both ≒), whose
    // less usual code must not be swapped for the other.
    const std::string before = "[" + kSettei + "]\r\n" + kNamae + "=" + kSofuto + "\r\n" +
                               "; \x81\x7F broken \x82\r\n" + "dual=\xED\x40\xFA\x54\x87\x90\r\n" +
                               "[Window]\r\nTop=1\r\n";
    WriteFile(before);
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("設定", "名前", "x"), "ソフト");
    EXPECT_EQ(file.ReadString("設定", "dual", "x"), "纊￢≒");

    Edit([](ProfileFile& f) {
        f.WriteString("Window", "Top", "2");
        f.WriteString("Window", "表示", "ソフト");
    });
    std::string expected = before;
    expected.replace(expected.find("Top=1"), 5, "Top=2\r\n" + kHyouji + "=" + kSofuto);
    EXPECT_EQ(FileBytes(), expected);
    EXPECT_EQ(ProfileFile(m_path).FileEncoding(), text::Encoding::Cp932);
}

TEST_F(ProfileFileTest, TextOutsideCodePage932TurnsTheFileIntoUtf8AndLosesNothing) {
    WriteFile("[" + kSettei + "]\r\n" + kNamae + "=" + kSofuto + "\r\n" + "bytes=abc\x82\r\n");
    const std::string before = ProfileFile(m_path).ReadString("設定", "bytes", "x");

    ProfileFile file(m_path);
    file.WriteString("設定", "cafe", "café €");
    std::string error;
    ASSERT_TRUE(file.Save(m_platform, error)) << error;
    EXPECT_EQ(file.FileEncoding(), text::Encoding::Utf8Bom);

    const std::string bytes = FileBytes();
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_THAT(bytes, ::testing::HasSubstr("名前=ソフト\r\n"));
    // Undecodable bytes are carried over as they were.
    EXPECT_THAT(bytes, ::testing::HasSubstr("bytes=abc\x82\r\n"));

    ProfileFile reread(m_path);
    EXPECT_EQ(reread.ReadString("設定", "名前", "x"), "ソフト");
    EXPECT_EQ(reread.ReadString("設定", "cafe", "x"), "café €");
    EXPECT_EQ(reread.ReadString("設定", "bytes", "x"), before);

    // Once UTF-8, it stays UTF-8 even when the new text would fit code page 932.
    EXPECT_TRUE(WriteKey("設定", "cafe", "plain"));
    EXPECT_EQ(FileBytes().substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(ReadKey("設定", "名前", "x"), "ソフト");
}

// The encoding of a file without a mark is told from its bytes, so a write must not leave
// bytes that the next read takes for the other encoding.
TEST_F(ProfileFileTest, AWriteNeverChangesHowTheFileIsRead) {
    struct Case {
        const char* what;
        std::string file, key, value;
        std::string readKey; // a key whose text must read the same before and after
    };
    const Case cases[] = {
        // "ﾃｽ" is C3 BD in code page 932, which is "ý" in UTF-8.
        {"code page 932 bytes that are valid UTF-8", "[Window]\r\nTop=1\r\n", "DateFormat",
         "yyyyﾃｽ", "DateFormat"},
        // "\x85]" is an undecodable pair in code page 932 but "\x85" and "]" in UTF-8: the
        // section is "Window]x\x85" either way, never [Window], so the value written (which
        // makes the file UTF-8) goes to a [Window] of its own and reads back.
        {"a section closed by the trail byte of an undecodable pair", "[Window]x\x85]\r\nTop=1\r\n",
         "Top", "€", "Top"},
        // The only bytes that were not UTF-8 are replaced; the rest is valid UTF-8.
        {"the last bytes that were not UTF-8 replaced",
         "[Window]\r\nDateFormat=\xEF\xBB\xBFyyyy\r\nShowRes=\xCE\xF9\r\n", "ShowRes", "1",
         "DateFormat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.file);
        const std::string before = ProfileFile(m_path).ReadString("Window", c.readKey, "");
        Edit([&](ProfileFile& f) { f.WriteString("Window", c.key, c.value); });
        const ProfileFile reread(m_path);
        EXPECT_EQ(reread.ReadString("Window", c.key, ""), c.value);
        if (c.readKey != c.key) {
            EXPECT_EQ(reread.ReadString("Window", c.readKey, ""), before);
        }
    }
}

TEST_F(ProfileFileTest, Utf8FileWithoutAMarkStaysWithoutOne) {
    WriteFile("[設定]\r名前=ソフト\rx=1\r");
    Edit([](ProfileFile& f) { f.WriteString("設定", "x", "é"); });
    EXPECT_EQ(FileBytes(), "[設定]\r\n名前=ソフト\r\nx=é\r\n");
}

TEST_F(ProfileFileTest, LineFeedOnlyFileIsReadAndWrittenBackWithCrLf) {
    WriteFile("; c\n[Window]\nTop=1\nLeft = 2\n\n[Mem]\nx=y");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadInteger("Window", "Top", 0), 1);
    EXPECT_EQ(file.ReadInteger("Window", "Left", 0), 2);
    EXPECT_EQ(file.ReadString("Mem", "x", ""), "y");

    Edit([](ProfileFile& f) { f.WriteString("Mem", "x", "z"); });
    EXPECT_EQ(FileBytes(), "; c\r\n[Window]\r\nTop=1\r\nLeft = 2\r\n\r\n[Mem]\r\nx=z\r\n");
}

} // namespace
} // namespace tavolin
