#include "core/auxwindow/AuxWindow.h"

#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavolin::auxwindow {
namespace {

using testing::FakePlatform;
using testing::TempDir;

std::string ReadAll(const std::filesystem::path& p) {
    return text::ReadFileBytes(p.string()).value_or("<missing>");
}

TEST(AuxWindow, EnterClassifiesTheTextByCaseSensitivePrefixThenByFileTests) {
    FakePlatform platform;
    platform.realFiles = false;
    platform.AddFolder("/home/u");
    platform.AddFile("/home/u/a.txt");
    platform.AddFolder("WWW.example.com"); // a folder that happens to be called so
    const struct {
        const char* text;
        AddressAction action;
        const char* opened;
    } rows[] = {
        {"http://example.com/", AddressAction::OpenAddress, "http://example.com/"},
        {"ftp://host/f", AddressAction::OpenAddress, "ftp://host/f"},
        {"telnet://host", AddressAction::OpenAddress, "telnet://host"},
        {"mailto:a@b.example", AddressAction::OpenAddress, "mailto:a@b.example"},
        {"www.example.com", AddressAction::OpenAddress, "http://www.example.com"},
        {"web.example.com", AddressAction::OpenAddress, "http://web.example.com"},
        {"WWW.example.com", AddressAction::ShowFolder, nullptr},
        {"HTTP://example.com", AddressAction::None, nullptr},
        {"/home/u", AddressAction::ShowFolder, nullptr},
        {"/home/u/a.txt", AddressAction::LaunchFile, nullptr},
        {"/home/u/missing", AddressAction::None, nullptr},
        {"", AddressAction::None, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ClassifyAddress(row.text, platform), row.action);
        if (row.opened) {
            EXPECT_EQ(AddressToOpen(row.text), row.opened);
        }
    }
}

TEST(AuxWindow, HistoryKeepsThirtyDistinctEntriesNewestFirst) {
    AddressHistory h;
    h.Insert("http://a.example");
    h.Insert("http://b.example");
    h.Insert("HTTP://A.example"); // the same without regard to case: moved up as it was spelt
    ASSERT_EQ(h.Entries().size(), 2u);
    EXPECT_EQ(h.Entries()[0], "http://a.example");
    EXPECT_EQ(h.Entries()[1], "http://b.example");

    AddressHistory full;
    for (int i = 1; i <= 31; ++i)
        full.Insert("e" + std::to_string(i));
    ASSERT_EQ(full.Entries().size(), 30u);
    EXPECT_EQ(full.Entries().front(), "e31");
    EXPECT_EQ(full.Entries().back(), "e2"); // the oldest fell out
}

TEST(AuxWindow, HistoryRoundTripsThroughTheAddressSection) {
    TempDir dir;
    const std::string ini = dir.Write("t.ini", "[Address]\r\nTop=old\r\n3=z\r\n0=x\r\n1=\r\n"
                                               "[Adr]\r\nWidth=500\r\n")
                                .string();
    FakePlatform platform;
    ModeSettings opening = LoadModeSettings(ini, Mode::Adr);
    AddressHistory& h = opening.history;
    ASSERT_EQ(h.Entries(), (std::vector<std::string>{"x", "z"})); // key order, empty skipped
    EXPECT_EQ(opening.addressTop, "old");
    h.Insert("y");
    std::string error;
    ASSERT_TRUE(
        SaveClosingSettings(platform, ini, Mode::Adr, layout::Rect{1, 2, 450, 32}, h, "", error))
        << error;
    EXPECT_EQ(ReadAll(ini), "[Adr]\r\nWidth=450\r\nHeight=32\r\nTop=2\r\nLeft=1\r\n\r\n"
                            "[Address]\r\n0=y\r\n1=x\r\n2=z\r\n");
}

TEST(AuxWindow, OpeningRectFirstSizesCursorPlacementAndLastPlace) {
    const layout::Rect work{0, 0, 1280, 770}; // a panel below
    const Size fitted{220, 180};
    ModeSettings none; // no section yet
    none.sectionExists = false;
    ModeSettings stored;
    stored.sectionExists = true;
    stored.width = 400;
    stored.height = 250;
    stored.top = 40;
    stored.left = 50;
    ModeSettings last = stored;
    last.position = 0;
    ModeSettings lastWithoutPlace = last;
    lastWithoutPlace.top.reset();
    const struct {
        const char* name;
        Mode mode;
        const ModeSettings* s;
        int x, y;
        layout::Rect expected;
    } rows[] = {
        {"mem first", Mode::Mem, &none, 100, 100, {97, 97, 350, 150}},
        {"adr first", Mode::Adr, &none, 100, 100, {97, 97, 450, kAdrHeight}},
        {"cal first", Mode::Cal, &none, 100, 100, {97, 97, 220, 180}},
        {"mem stored size", Mode::Mem, &stored, 100, 100, {97, 97, 400, 250}},
        {"adr height fixed", Mode::Adr, &stored, 100, 100, {97, 97, 400, kAdrHeight}},
        {"near right and bottom", Mode::Mem, &stored, 1270, 760, {880, 520, 400, 250}},
        {"above and left", Mode::Cal, &stored, 1, 2, {0, 0, 400, 250}},
        {"last place", Mode::Mem, &last, 1270, 760, {50, 40, 400, 250}},
        {"last place half stored", Mode::Mem, &lastWithoutPlace, 1270, 760, {50, 520, 400, 250}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const layout::Rect r = OpeningRect(row.mode, *row.s, row.x, row.y, work, fitted);
        EXPECT_EQ(r.left, row.expected.left);
        EXPECT_EQ(r.top, row.expected.top);
        EXPECT_EQ(r.width, row.expected.width);
        EXPECT_EQ(r.height, row.expected.height);
    }
}

TEST(AuxWindow, ModeSettingsReadWithDefaultsAndGeometryWritten) {
    TempDir dir;
    const std::string ini =
        dir.Write("t.ini", "[Mem]\r\nPosition=0\r\nHBar=1\r\nColor=clAqua\r\nTop=x\r\n").string();
    const ModeSettings m = LoadModeSettings(ini, Mode::Mem);
    EXPECT_TRUE(m.sectionExists);
    EXPECT_EQ(m.position, 0);
    EXPECT_TRUE(m.hBar);
    EXPECT_FALSE(m.vBar);
    EXPECT_EQ(m.color, "clAqua");
    EXPECT_EQ(m.fontColor, "clBlack");
    EXPECT_FALSE(m.top.has_value()); // not a number: the cursor place stands in
    EXPECT_EQ(m.width, 300);
    const ModeSettings c = LoadModeSettings(ini, Mode::Cal);
    EXPECT_FALSE(c.sectionExists);
    EXPECT_EQ(c.position, 1);

    // Only the address bar keeps a history; a failed write is worded for the user.
    FakePlatform platform;
    std::string error;
    ASSERT_TRUE(SaveClosingSettings(platform, ini, Mode::Cal, layout::Rect{10, 20, 30, 40},
                                    AddressHistory{}, "typed", error))
        << error;
    const std::string written = ReadAll(ini);
    EXPECT_NE(written.find("[Cal]\r\nHeight=40\r\nWidth=30\r\nTop=20\r\nLeft=10\r\n"),
              std::string::npos);
    EXPECT_EQ(written.find("[Address]"), std::string::npos);
    platform.replaceFailure = "disk full";
    EXPECT_FALSE(SaveClosingSettings(platform, ini, Mode::Cal, layout::Rect{1, 1, 30, 40},
                                     AddressHistory{}, "", error));
    EXPECT_EQ(error, "設定を保存できませんでした。\ndisk full");
    EXPECT_EQ(ReadAll(ini), written);
}

TEST(AuxWindow, MemoOfBlanksIsDeletedAndAnyOtherCharacterKeepsIt) {
    const struct {
        const char* name;
        const char* file;
        const char* text; // none: closed as it was read
        bool kept;
    } rows[] = {
        {"empty", "old\r\n", "", false},
        {"spaces and empty lines", "old\r\n", "  \n\n \n", false},
        {"a tab", "old\r\n", "\t", true},
        {"a full-width space", "old\r\n", "\xE3\x80\x80", true},
        {"text after blank lines", "old\r\n", "\n\n  a", true},
        {"blanks left as they were", " \r\n\r\n", nullptr, false},
        {"an empty file left as it was", "", nullptr, false},
    };
    TempDir dir;
    FakePlatform platform;
    const std::string path = (dir.Path() / "Memo.txt").string();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("Memo.txt", row.file);
        std::string error;
        MemoFile memo(platform, path, "", error);
        ASSERT_TRUE(memo.Save(row.text ? row.text : memo.Text(), error)) << error;
        EXPECT_EQ(std::filesystem::exists(path), row.kept);
    }
}

TEST(AuxWindow, MemoReadsAndWritesBackItsOwnEncodingLosslessly) {
    TempDir dir;
    FakePlatform platform;
    const struct {
        const char* name;
        std::string bytes; // on disk
        std::string text;  // in the memo
    } rows[] = {
        {"code page 932 with a 0x5C trail byte", "\x83\x5C\x83\x74\x83\x67\r\nb\r\n",
         "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\nb"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF\xE2\x82\xAC\r\n", "\xE2\x82\xAC"},
        {"bytes that are not code page 932", "a\x80z\r\n", ""},
        {"UTF-8 from an editor, without a mark", "\xE2\x82\xAC\r\nb\r\n", "\xE2\x82\xAC\nb"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.Write("Memo.txt", row.bytes).string();
        std::string error;
        MemoFile memo(platform, path, "", error);
        if (!row.text.empty()) {
            EXPECT_EQ(memo.Text(), row.text);
        }
        ASSERT_TRUE(memo.Save(memo.Text(), error)) << error;
        EXPECT_EQ(ReadAll(path), row.bytes);
    }
    // A character without a code page 932 code turns the file into UTF-8 with a mark.
    const std::string path = dir.Write("Memo.txt", "a\r\n").string();
    std::string error;
    MemoFile memo(platform, path, "", error);
    ASSERT_TRUE(memo.Save("a\n\xF0\x9F\x98\x80", error)) << error;
    EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF"
                             "a\r\n\xF0\x9F\x98\x80\r\n");
}

// A memo file the program cannot read is shown empty and never written over or deleted.
TEST(AuxWindow, MemoThatCannotBeReadIsLeftAlone) {
    TempDir dir;
    FakePlatform platform;
    const std::string utf16("\xFF\xFE"
                            "a\0",
                            4);
    const std::string path = dir.Write("Memo.txt", utf16).string();
    std::string error;
    MemoFile memo(platform, path, "", error);
    EXPECT_NE(error.find("UTF-16 LE"), std::string::npos);
    EXPECT_EQ(memo.Text(), "");
    for (const char* text : {"typed", " "}) {
        error.clear();
        EXPECT_FALSE(memo.Save(text, error));
        EXPECT_NE(error.find(path), std::string::npos);
        EXPECT_EQ(ReadAll(path), utf16);
    }
    // Closed as it showed (empty), it is not taken for a blank memo.
    EXPECT_TRUE(memo.Save("", error));
    EXPECT_EQ(ReadAll(path), utf16);
}

// Older copies kept the memo beside the executable: it is copied beside the data files and
// stays where it was, and a memo cleared since is not copied in again.
TEST(AuxWindow, MemoBesideTheExecutableIsCopiedAndStays) {
    TempDir dir;
    FakePlatform platform;
    const std::string oldPath = dir.Write("bin/Memo.txt", "kept\r\n").string();
    const std::string path = (dir.Path() / "data" / "Memo.txt").string();
    std::filesystem::create_directories(dir.Path() / "data");
    EXPECT_TRUE(MemoExists(path, oldPath));
    std::string error;
    MemoFile memo(platform, path, oldPath, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(memo.Text(), "kept");
    EXPECT_EQ(ReadAll(path), "kept\r\n");

    // Cleared, it stays empty rather than coming back from the old place.
    ASSERT_TRUE(memo.Save("", error)) << error;
    EXPECT_EQ(ReadAll(path), "");
    MemoFile cleared(platform, path, oldPath, error);
    EXPECT_EQ(cleared.Text(), "");
    ASSERT_TRUE(cleared.Save("", error)) << error;
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(ReadAll(oldPath), "kept\r\n");

    // A failed copy shows the old memo from where it is, and a change goes beside the data.
    std::filesystem::remove(path);
    platform.replaceFailure = "disk full";
    error.clear();
    MemoFile failed(platform, path, oldPath, error);
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(failed.Text(), "kept");
    EXPECT_FALSE(failed.Save("", error));
    EXPECT_EQ(failed.Path(), path);
    EXPECT_EQ(ReadAll(oldPath), "kept\r\n");

    // Where the executable's folder is the data folder, a cleared memo goes.
    platform.replaceFailure.reset();
    MemoFile portable(platform, oldPath, oldPath, error);
    ASSERT_TRUE(portable.Save(" ", error)) << error;
    EXPECT_FALSE(std::filesystem::exists(oldPath));
}

TEST(AuxWindow, MemoPathLiesBesideTheSettingsFile) {
    EXPECT_EQ(
        MemoPath(DataFiles{"/opt/t/tavolin.txt", "/opt/t/tavolin.ini", "", ""}, PathStyle::Posix),
        "/opt/t/Memo.txt");
    EXPECT_EQ(MemoPath(DataFiles{"", "C:\\T\\Tavolin.ini", "", ""}, PathStyle::Windows),
              "C:\\T\\Memo.txt");
}

} // namespace
} // namespace tavolin::auxwindow
