#include "core/store/ButtonStore.h"

#include "core/text/Cp932.h"
#include "core/text/TextFile.h"
#include "fakes/FakePlatform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::FromUtf8;
using ::testing::HasSubstr;
using testing::HostSeparators;
using ::testing::Not;
using testing::Utf8;
using namespace std::string_literals;

// Code page 932 bytes of a UTF-8 text.
std::string Sj(const std::string& utf8) {
    return *text::EncodeCp932(utf8);
}

std::string CrLf(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

class ButtonStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir);
        m_txt = Utf8(m_dir / "tavolin.txt");
        // Windows-style targets scripted on the fake platform.
        m_win.AddFile("C:\\WINDOWS\\NOTEPAD.EXE");
        m_win.AddFolder("C:\\WINDOWS");
        m_win.AddFolder("C:\\My Documents");
        m_win.AddFile("D:\\Tools\\grep.exe");
    }

    void WriteData(const std::string& bytes) const { WriteBytes(m_txt, bytes); }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream out(FromUtf8(path), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string DataBytes() const {
        std::ifstream in(FromUtf8(m_txt), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // A real file in the temporary folder.
    std::string MakeFile(const std::string& name) const {
        const std::string path = Utf8(m_dir / FromUtf8(name));
        WriteBytes(path, "x");
        return path;
    }

    // A store on Windows-style paths, its category and page set and the page loaded.
    ButtonStore& Windows(const std::string& category = "無題カテゴリ",
                         const std::string& page = "1") {
        m_store = std::make_unique<ButtonStore>(m_win, m_txt);
        Keep(m_store->LoadCategoryList());
        m_store->SetCurrentCategory(category);
        m_store->SetCurrentPage(page);
        Keep(m_store->LoadPage());
        return *m_store;
    }
    ButtonStore& Posix(const std::string& category = "無題カテゴリ",
                       const std::string& page = "1") {
        return Load(m_posix, category, page);
    }
    // A store on the real temporary files, in the host's path style.
    ButtonStore& Host(const std::string& category = "無題カテゴリ", const std::string& page = "1") {
        return Load(m_host, category, page);
    }
    ButtonStore& Load(testing::FakePlatform& platform, const std::string& category,
                      const std::string& page) {
        m_store = std::make_unique<ButtonStore>(platform, m_txt);
        Keep(m_store->LoadCategoryList());
        m_store->SetCurrentCategory(category);
        m_store->SetCurrentPage(page);
        Keep(m_store->LoadPage());
        return *m_store;
    }
    // The store's outcomes, their notices kept in the order met.
    void Keep(const StoreNotices& notices) {
        m_notices.insert(m_notices.end(), notices.begin(), notices.end());
    }
    bool Saved(const ButtonStore::Saved& saved) {
        Keep(saved.notices);
        return saved.saved;
    }
    int Assign(ButtonStore& store, const std::string& value, int n) {
        const ButtonStore::Assigned assigned = store.AssignButton(value, n);
        Keep(assigned.notices);
        if (assigned.fault)
            std::rethrow_exception(assigned.fault);
        return assigned.slot;
    }
    static std::vector<int> UsedSlots(const ButtonStore& store) {
        std::vector<int> used;
        for (int n = 1; n <= ButtonStore::kSlotCount; ++n) {
            if (store.IsUsed(n))
                used.push_back(n);
        }
        return used;
    }

    testing::TempDir m_temp{"tavolin-store"};
    // A folder name beyond ASCII, which a path read in the ANSI code page would miss.
    fs::path m_dir = m_temp.Path() / u8"データ";
    std::string m_txt;
    testing::FakePlatform m_win{PathStyle::Windows};
    testing::FakePlatform m_posix{PathStyle::Posix};
    testing::FakePlatform m_host{testing::FakePlatform::kHostStyle};
    StoreNotices m_notices;
    std::unique_ptr<ButtonStore> m_store;
};

// --- category list ----------------------------------------------------------------------

TEST_F(ButtonStoreTest, CategoryListFallsBackToTheDefaultName) {
    ButtonStore store(m_posix, m_txt);
    Keep(store.LoadCategoryList()); // no file
    EXPECT_THAT(store.CategoryNames(), ElementsAre("無題カテゴリ"));

    for (const std::string& bytes :
         {std::string(), std::string("no category\r\n1:1=/x\r\n{[c]\r\n")}) {
        WriteData(bytes);
        Keep(store.LoadCategoryList());
        EXPECT_THAT(store.CategoryNames(), ElementsAre("無題カテゴリ"));
    }
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(ButtonStoreTest, CategoryNamesInFileOrderFromEitherEncoding) {
    // The name is the line without its first and last character, whatever they are.
    // A name's last character may end in the byte of "]" (0x81 0x5D is one character): the
    // name is still the bytes between the first and the last byte.
    WriteData(Sj("[無題カテゴリ]\r\n1:1=x\r\n[ゲーム]\n[Tools\r\n[]\r\n[ソ]\r\n") + "[\x81]\r\n");
    ButtonStore store(m_posix, m_txt);
    Keep(store.LoadCategoryList());
    EXPECT_THAT(store.CategoryNames(),
                ElementsAre("無題カテゴリ", "ゲーム", "Tool", "", "ソ", text::DecodeCp932("\x81")));

    WriteData("\xEF\xBB\xBF[Résumés]\r\n[日本]\r\n");
    Keep(store.LoadCategoryList());
    EXPECT_THAT(store.CategoryNames(), ElementsAre("Résumés", "日本"));
}

// --- loading a page ---------------------------------------------------------------------

TEST_F(ButtonStoreTest, LoadPageFillsTheSlotsOfTheCurrentPageOnly) {
    WriteData(Sj(CrLf({
        "[無題カテゴリ]",
        "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>",
        "1:13=C:\\My Documents <TS>My Documents<TE>",
        "2:2=D:\\Tools\\grep.exe <TS>grep.exe<TE>",
        "{ lines starting with a brace are ignored",
        "[ゲーム]",
        "1:24=C:\\Program Files\\Game\\game.exe <TS>ゲーム<TE>",
    })));
    ButtonStore& store = Windows();
    EXPECT_THAT(UsedSlots(store), ElementsAre(1, 13));
    EXPECT_EQ(store.BtnTitle(1), "メモ帳");
    EXPECT_EQ(store.BtnPath(1), "C:\\WINDOWS");
    EXPECT_EQ(store.BtnFile(1), "NOTEPAD.EXE");
    EXPECT_EQ(store.Icon(1), (ButtonIcon{"C:\\WINDOWS\\NOTEPAD.EXE", -1}));
    EXPECT_EQ(store.BtnPath(13), "C:\\My Documents");
    EXPECT_EQ(store.BtnFile(13), "");

    store.SetCurrentPage("2");
    Keep(store.LoadPage());
    EXPECT_THAT(UsedSlots(store), ElementsAre(2));

    // A missing target is still a button: all folder, no file name, the missing-target icon.
    store.SetCurrentCategory("ゲーム");
    store.SetCurrentPage("1");
    Keep(store.LoadPage());
    EXPECT_THAT(UsedSlots(store), ElementsAre(24));
    EXPECT_EQ(store.BtnPath(24), "C:\\Program Files\\Game\\game.exe");
    EXPECT_EQ(store.BtnFile(24), "");
    EXPECT_EQ(store.BtnTitle(24), "ゲーム");
    EXPECT_EQ(store.Icon(24), (ButtonIcon{"", ButtonStore::kMissingTargetImage}));

    // No section: an empty page. Loading is off: nothing happens at all.
    store.SetCurrentCategory("nowhere");
    Keep(store.LoadPage());
    EXPECT_TRUE(UsedSlots(store).empty());
    store.SetCurrentCategory("無題カテゴリ");
    store.SetPageLoadEnabled(false);
    Keep(store.LoadPage());
    EXPECT_TRUE(UsedSlots(store).empty());
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(ButtonStoreTest, HandEditedLinesLoadTheWayTheFormatSays) {
    WriteData(CrLf({
        "[c]",
        "01:5=C:\\WINDOWS\\NOTEPAD.EXE",                // page 01 is not page 1
        "1:x=C:\\WINDOWS\\NOTEPAD.EXE",                 // not a number: skipped
        "1:0=D:\\Tools\\grep.exe",                      // 0 and 25: first free slot
        "1:25=C:\\WINDOWS\\NOTEPAD.EXE <TS>Pad   <TE>", // trailing blanks of a title go
        "1:03=C:\\WINDOWS\\NOTEPAD.EXE <TS>no end",     // "<TS>" without "<TE>"
        "no colon or equals", "1:4", "1=4:x", "[c]",
        "1:6=C:\\WINDOWS\\NOTEPAD.EXE", // second section of the name: not read
    }));
    ButtonStore& store = Windows("c");
    EXPECT_THAT(UsedSlots(store), ElementsAre(1, 2, 3));
    EXPECT_EQ(store.BtnTitle(1), "grep.exe"); // file-name part of the target
    EXPECT_EQ(store.BtnTitle(2), "Pad");
    EXPECT_EQ(store.BtnTitle(3), "C:\\WINDOWS\\NOTEPAD.EXE <TS>no end");
    EXPECT_EQ(store.BtnPath(3), "C:\\WINDOWS");
    EXPECT_EQ(store.BtnFile(3), "NOTEPAD.EXE");

    store.SetCurrentPage("01");
    Keep(store.LoadPage());
    EXPECT_THAT(UsedSlots(store), ElementsAre(5));
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(ButtonStoreTest, DriveRootRoundTripsAsDriveAndTitle) {
    m_win.AddFolder("C:\\");
    m_win.AddFolder("C:");
    ButtonStore& store = Windows();
    EXPECT_EQ(Assign(store, "C:\\", 0), 1);
    EXPECT_EQ(store.BtnPath(1), "C:");
    EXPECT_EQ(store.BtnFile(1), "");
    EXPECT_EQ(store.BtnTitle(1), "C:\\");
    EXPECT_EQ(store.Icon(1).path, "C:\\");
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(), Sj(CrLf({"[無題カテゴリ]", "1:1=C: <TS>C:\\<TE>"})));

    Keep(store.LoadPage());
    EXPECT_EQ(store.BtnPath(1), "C:");
    EXPECT_EQ(store.BtnFile(1), "");
    EXPECT_EQ(store.BtnTitle(1), "C:\\");
    EXPECT_EQ(store.Icon(1).path, "C:\\");
}

TEST_F(ButtonStoreTest, ShortcutsAndShortNamesAreResolvedOnAssignment) {
    m_win.AddFile("C:\\DESKTOP\\NOTEPAD.LNK");
    m_win.shortcuts["C:\\DESKTOP\\NOTEPAD.LNK"] = {"C:\\PROGRA~1\\EDITOR\\EDIT.EXE", ""};
    m_win.AddFile("C:\\PROGRA~1\\EDITOR\\EDIT.EXE");
    m_win.AddFolder("C:\\PROGRA~1\\EDITOR");
    m_win.AddFolder("C:\\PROGRA~1");
    m_win.entryNames["C:\\PROGRA~1"] = "Program Files";
    m_win.AddFile("C:\\Program Files\\EDITOR\\EDIT.EXE");
    m_win.AddFolder("C:\\Program Files\\EDITOR");
    ButtonStore& store = Windows();
    EXPECT_EQ(Assign(store, "C:\\DESKTOP\\NOTEPAD.LNK", 0), 1);
    EXPECT_EQ(store.BtnPath(1), "C:\\Program Files\\EDITOR");
    EXPECT_EQ(store.BtnFile(1), "EDIT.EXE");
    EXPECT_EQ(store.BtnTitle(1), "EDIT.EXE");

    // A short name that does not expand stays as it is, without a message.
    EXPECT_EQ(Assign(store, "C:\\GONE~1\\X.EXE <TS>x<TE>", 0), 2);
    EXPECT_EQ(store.BtnPath(2), "C:\\GONE~1\\X.EXE");
    EXPECT_EQ(store.BtnTitle(2), "x");

    // A shortcut carrying its own title (a desktop entry) gives it to an untitled button.
    const std::string entry = MakeFile("editor.desktop");
    m_host.shortcutExtension = ".desktop";
    m_host.shortcuts[entry] = {entry, "Text Editor"};
    ButtonStore& host = Host();
    EXPECT_EQ(Assign(host, entry, 3), 3);
    EXPECT_EQ(host.BtnTitle(3), "Text Editor");
    EXPECT_EQ(host.BtnFile(3), "editor.desktop");
    EXPECT_EQ(Assign(host, entry + " <TS>Mine<TE>", 4), 4);
    EXPECT_EQ(host.BtnTitle(4), "Mine");
}

TEST_F(ButtonStoreTest, LineBreaksFromOutsideNeverReachTheDataFile) {
    const std::string bin = HostSeparators("/bin/true");
    WriteData(
        CrLf({Sj("[無題カテゴリ]"), "1:1=" + bin + " <TS>old<TE>", "[Other]", "2:5=/x <TS>y<TE>"}));
    m_host.shortcutExtension = ".desktop";
    // A desktop entry whose escaped name GLib turns into a real line break.
    const std::string evil = MakeFile("evil.desktop");
    m_host.shortcuts[evil] = {evil, "Evil\n2:5=/bin/sh <TS>planted"};
    // One that points at a file whose name holds a line break.
    const std::string link = MakeFile("link.desktop");
    m_host.shortcuts[link] = {Utf8(m_dir / "a\nb.txt"), "Link"};
    ButtonStore& store = Host();

    EXPECT_EQ(Assign(store, evil, 2), 2);
    EXPECT_EQ(store.BtnTitle(2), "Evil 2:5=/bin/sh <TS>planted");
    const std::string named = MakeFile("a\nb.txt");
    for (const std::string& refused : {named, link, "/tmp/nul\0x"s, named + " <TS>t<TE>"}) {
        m_notices.clear();
        EXPECT_EQ(Assign(store, refused, 3), 0) << refused;
        ASSERT_EQ(m_notices.size(), 1u) << refused;
        EXPECT_EQ(m_notices[0].kind, StoreNotice::Kind::LineBreak);
        EXPECT_FALSE(store.IsUsed(3));
    }
    store.SetTitle(1, "two\r\nlines");
    EXPECT_EQ(store.BtnTitle(1), "two  lines");
    ASSERT_TRUE(Saved(store.SavePage()));

    const std::string after = DataBytes();
    EXPECT_EQ(after, CrLf({Sj("[無題カテゴリ]"), "1:1=" + bin + " <TS>two  lines<TE>",
                           Sj("1:2=" + evil + " <TS>Evil 2:5=/bin/sh <TS>planted<TE>"), "[Other]",
                           "2:5=/x <TS>y<TE>"}));
}

TEST_F(ButtonStoreTest, CaptionIsCutToCodePage932Bytes) {
    EXPECT_EQ(CutCaption("ABCDEFGHIJ", 10), "ABCDEFGHIJ");
    EXPECT_EQ(CutCaption("ABCDEFGHIJK", 10), "ABCDEFG...");
    // The 7th byte starts a double-byte character: 6 bytes stay.
    EXPECT_EQ(CutCaption("あいうえおか", 10), "あいう...");
    EXPECT_EQ(CutCaption("Aあいうえおか", 10), "Aあいう...");
    // A character without a code page 932 code counts as two bytes.
    EXPECT_EQ(CutCaption("ééééé", 10), "ééééé");
    EXPECT_EQ(CutCaption("éééééé", 10), "ééé...");
    // The length is kept within 4 to 99 whatever the settings said.
    EXPECT_EQ(CutCaption("ABCDEF", 1), "A...");

    WriteData(CrLf({"[c]", "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>ABCDEFGHIJK<TE>"}));
    ButtonStore& store = Windows("c");
    EXPECT_EQ(store.Caption(1), "ABCDEFG...");
    store.SetCaptionLength(20);
    Keep(store.LoadPage());
    EXPECT_EQ(store.Caption(1), "ABCDEFGHIJK");
    // A rename changes the title; the caption follows at the next load.
    store.SetTitle(1, "New");
    EXPECT_EQ(store.BtnTitle(1), "New");
    EXPECT_EQ(store.Caption(1), "ABCDEFGHIJK");
}

TEST_F(ButtonStoreTest, ChangesAreAnnouncedOncePerLoad) {
    WriteData(CrLf({"[c]", "1:1=C:\\WINDOWS\\NOTEPAD.EXE", "1:2=D:\\Tools\\grep.exe"}));
    ButtonStore& store = Windows("c");
    int calls = 0;
    store.SetChangedHandler([&] { ++calls; });
    const auto before = store.Revision();
    Keep(store.LoadPage());
    EXPECT_EQ(calls, 1);
    store.ClearButton(2);
    EXPECT_EQ(calls, 2);
    EXPECT_GT(store.Revision(), before);
}

// --- saving a page ----------------------------------------------------------------------

TEST_F(ButtonStoreTest, SavePageRewritesOnlyThePagesOwnLines) {
    const std::string before = Sj(CrLf({
        "before any category",
        "1:1=not in a section",
        "[無題カテゴリ]",
        "2:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>other page<TE>",
        "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>old<TE>",
        "{ comment",
        "",
        "1:2=D:\\Tools\\grep.exe <TS>old2<TE>",
        "[ゲーム]",
        "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>other category<TE>",
        "[無題カテゴリ]",
        "1:5=D:\\Tools\\grep.exe <TS>duplicate section<TE>",
        "3:3=D:\\Tools\\grep.exe",
    }));
    WriteData(before);
    ButtonStore& store = Windows();
    // The first section is read; the second's page 1 line is never shown.
    EXPECT_THAT(UsedSlots(store), ElementsAre(1, 2));
    store.ClearButton(1);
    EXPECT_EQ(Assign(store, "C:\\My Documents", 0), 1);
    EXPECT_EQ(Assign(store, "C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>", 20), 20);
    ASSERT_TRUE(Saved(store.SavePage()));
    // The page's lines end the first section; the second section is left as it is.
    EXPECT_EQ(DataBytes(), Sj(CrLf({
                               "before any category",
                               "1:1=not in a section",
                               "[無題カテゴリ]",
                               "2:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>other page<TE>",
                               "{ comment",
                               "",
                               "1:1=C:\\My Documents <TS>My Documents<TE>",
                               "1:2=D:\\Tools\\grep.exe <TS>old2<TE>",
                               "1:20=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>",
                               "[ゲーム]",
                               "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>other category<TE>",
                               "[無題カテゴリ]",
                               "1:5=D:\\Tools\\grep.exe <TS>duplicate section<TE>",
                               "3:3=D:\\Tools\\grep.exe",
                           })));
    EXPECT_TRUE(m_notices.empty());

    // An emptied page leaves no line; a page of a category without a section gets one at the end.
    for (int n = 1; n <= ButtonStore::kSlotCount; ++n)
        store.ClearButton(n);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_THAT(DataBytes(), HasSubstr(Sj("[無題カテゴリ]\r\n2:1=")));
    EXPECT_THAT(DataBytes(), Not(HasSubstr("1:2=")));
    store.SetCurrentCategory("新しい");
    store.SetCurrentPage("7");
    Keep(store.LoadPage());
    Assign(store, "D:\\Tools\\grep.exe", 0);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_THAT(DataBytes(),
                ::testing::EndsWith(Sj(CrLf({"3:3=D:\\Tools\\grep.exe", "[新しい]",
                                             "7:1=D:\\Tools\\grep.exe <TS>grep.exe<TE>"}))));
}

// Another program that writes the file between the page's read and its replacement loses
// nothing: a change is merged with again, appended lines are carried over. An unchanged page
// is not written at all.
TEST_F(ButtonStoreTest, ASaveKeepsWhatAnotherWriterDidMeanwhile) {
    const std::string a = MakeFile("a"), b = MakeFile("b");
    WriteData(Sj("[無題カテゴリ]\r\n1:1=" + a + "\r\n"));
    ButtonStore& store = Host();
    ASSERT_TRUE(Saved(store.SaveChangedPage()));
    EXPECT_TRUE(m_host.replacedFiles.empty());

    Assign(store, b, 2);
    m_host.whileWriting = [&] { WriteData(Sj("[先頭]\r\n[無題カテゴリ]\r\n1:1=" + a + "\r\n")); };
    ASSERT_TRUE(Saved(store.SaveChangedPage()));
    EXPECT_EQ(DataBytes(), Sj("[先頭]\r\n[無題カテゴリ]\r\n1:1=" + a + " <TS>a<TE>\r\n1:2=" + b +
                              " <TS>b<TE>\r\n"));

    store.SetTitle(2, "B");
    m_host.whileWriting = [&] { WriteBytes(m_txt, DataBytes() + Sj("1:3=" + a + "\r\n")); };
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(), Sj("[先頭]\r\n[無題カテゴリ]\r\n1:1=" + a + " <TS>a<TE>\r\n1:2=" + b +
                              " <TS>B<TE>\r\n1:3=" + a + "\r\n"));
    EXPECT_TRUE(m_notices.empty());
}

// A start and a close (load, save, save again) change nothing the page did not hold: a later
// section of the same name, the file's encoding and its category names all stay. Only the
// page's own lines are rewritten.
TEST_F(ButtonStoreTest, LoadAndSaveKeepWhatThePageDidNotShow) {
    struct Case {
        const char* name;
        std::string category, before;
        std::vector<std::string> titles; // slots 1, 2, ... as shown
        std::string after;
    };
    const std::string cp932Name = "A" + text::DecodeCp932("\x85");
    const Case cases[] = {
        {"same-slot-twice",
         "c",
         "[c]\r\n1:2=/a <TS>A<TE>\r\n1:2=/b <TS>B<TE>\r\n",
         {"", "B"},
         "[c]\r\n1:2=/b <TS>B<TE>\r\n"},
        {"unnumbered-slot-after-numbered",
         "c",
         "[c]\r\n1:-1=/x <TS>X<TE>\r\n1:1=/y <TS>Y<TE>\r\n",
         {"Y", "X"},
         "[c]\r\n1:1=/y <TS>Y<TE>\r\n1:2=/x <TS>X<TE>\r\n"},
        {"second-section",
         "c",
         "[c]\r\n1:1=/a <TS>A<TE>\r\n[d]\r\n[c]\r\n1:1=/b <TS>B<TE>\r\n",
         {"A"},
         "[c]\r\n1:1=/a <TS>A<TE>\r\n[d]\r\n[c]\r\n1:1=/b <TS>B<TE>\r\n"},
        {"trail-byte-5d",
         cp932Name,
         "[A\x85]\r\n1:1=/a <TS>A<TE>\r\n",
         {"A"},
         "[A\x85]\r\n1:1=/a <TS>A<TE>\r\n"},
        {"lone-cr",
         "c",
         "[c]\r1:1=/a <TS>A<TE>\r[d]\r1:1=/d\r",
         {"A"},
         "[c]\r\n1:1=/a <TS>A<TE>\r\n[d]\r\n1:1=/d\r\n"},
        {"utf8-without-mark",
         "カテ",
         "[カテ]\n1:1=/a <TS>真<TE>\n",
         {"真"},
         "[カテ]\r\n1:1=/a <TS>真<TE>\r\n"},
        {"overridden-copy-of-the-saved-line",
         "c",
         "[c]\r\n1:6=/p6 <TS>p6<TE>\r\n2:1=/o <TS>O<TE>\r\n1:6=/p6\r\n",
         {"", "", "", "", "", "p6"},
         "[c]\r\n2:1=/o <TS>O<TE>\r\n1:6=/p6 <TS>p6<TE>\r\n"},
        {"bracket-alone-names-the-empty-category",
         "",
         "[\r\n1:1=/a <TS>A<TE>\r\n",
         {"A"},
         "[\r\n1:1=/a <TS>A<TE>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteData(c.before);
        ButtonStore& store = Posix(c.category);
        EXPECT_EQ(store.CategoryNames().front(), c.category);
        for (std::size_t n = 0; n < c.titles.size(); ++n)
            EXPECT_EQ(store.BtnTitle(static_cast<int>(n + 1)), c.titles[n]) << "slot " << n + 1;
        EXPECT_EQ(UsedSlots(store).size(),
                  static_cast<std::size_t>(std::count_if(
                      c.titles.begin(), c.titles.end(), [](const auto& t) { return !t.empty(); })));
        ASSERT_TRUE(Saved(store.SavePage()));
        EXPECT_EQ(DataBytes(), c.after);
        ASSERT_TRUE(Saved(store.SavePage()));
        EXPECT_EQ(DataBytes(), c.after) << "second save";
    }
    EXPECT_TRUE(m_notices.empty());

    // Deleting a button removes the line it overrode as well: no older button comes back.
    WriteData("[c]\r\n1:2=/a <TS>A<TE>\r\n1:2=/b <TS>B<TE>\r\n");
    ButtonStore& store = Posix("c");
    store.ClearButton(2);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(), "[c]\r\n");
    EXPECT_FALSE(Posix("c").IsUsed(2));
}

// Many lines for few slots: the page's slots get one line each (the lines a later one
// overrode go with it); lines without a slot of their own all stay.
TEST_F(ButtonStoreTest, CrowdedCategoryLosesNoLine) {
    std::string before = "[c]\r\n";
    for (int i = 0; i < 3000; ++i)
        before += "1:" + std::to_string(i % 30) + "=/p" + std::to_string(i) + " <TS>t<TE>\r\n";
    WriteData(before);
    ButtonStore& store = Posix("c");
    EXPECT_EQ(UsedSlots(store).size(), 24u);
    ASSERT_TRUE(Saved(store.SavePage()));
    const std::string after = DataBytes();
    std::multiset<std::string> kept;
    for (auto line : text::SplitLines(after))
        kept.emplace(line);
    EXPECT_EQ(kept.size(), 1u + 24u + 600u);
    for (int i = 0; i < 3000; ++i) {
        const int number = i % 30;
        const std::string value = "=/p" + std::to_string(i) + " <TS>t<TE>";
        // The last line for a slot shows, and comes back as the page's line for it.
        const bool held = number >= 1 && number <= 24;
        EXPECT_EQ(kept.contains("1:" + std::to_string(number) + value), !held || i >= 2970)
            << "line " << i;
    }
}

TEST_F(ButtonStoreTest, SaveIntoAMissingOrEmptyFileAppendsTheSection) {
    ButtonStore& store = Windows();
    EXPECT_FALSE(fs::exists(FromUtf8(m_txt)));
    Assign(store, "C:\\WINDOWS\\NOTEPAD.EXE", 0);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(),
              Sj(CrLf({"[無題カテゴリ]", "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>NOTEPAD.EXE<TE>"})));

    WriteData("");
    ButtonStore& again = Windows();
    EXPECT_TRUE(UsedSlots(again).empty());
    ASSERT_TRUE(Saved(again.SavePage())); // even an empty page gets its section
    EXPECT_EQ(DataBytes(), Sj(CrLf({"[無題カテゴリ]"})));
    EXPECT_FALSE(fs::exists(m_dir / "tavolin.tmp"));
}

TEST_F(ButtonStoreTest, LinesThePageCouldNotShowSurviveASave) {
    std::vector<std::string> lines{"[c]", "1:x=C:\\WINDOWS\\NOTEPAD.EXE <TS>unreadable number<TE>"};
    for (int n = 1; n <= 24; ++n)
        lines.push_back("1:" + std::to_string(n) + "=D:\\Tools\\grep.exe");
    lines.push_back("1:0=C:\\WINDOWS\\NOTEPAD.EXE <TS>no room<TE>");
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    WriteData(bytes);

    ButtonStore& store = Windows("c");
    // The full page during a load never rewrites the file.
    EXPECT_TRUE(m_win.replacedFiles.empty());
    EXPECT_EQ(UsedSlots(store).size(), 24u);
    EXPECT_EQ(store.CurrentPage(), "1");
    store.ClearButton(24);
    ASSERT_TRUE(Saved(store.SavePage()));
    const std::string after = DataBytes();
    EXPECT_THAT(after, HasSubstr("\r\n1:x=C:\\WINDOWS\\NOTEPAD.EXE <TS>unreadable number<TE>\r\n"));
    EXPECT_THAT(after, HasSubstr("\r\n1:0=C:\\WINDOWS\\NOTEPAD.EXE <TS>no room<TE>\r\n"));
    EXPECT_THAT(after, Not(HasSubstr("1:24=")));
    // The line that found no room now has one.
    Keep(store.LoadPage());
    EXPECT_EQ(store.BtnTitle(24), "no room");
}

// Every damaged file loads, and a save afterwards keeps every line it does not own.
TEST_F(ButtonStoreTest, DamagedFilesLoadAndKeepForeignLinesThroughASave) {
    const std::string longLine = "1:7=" + std::string(1 << 20, 'a');
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases{
        {"empty", ""},
        {"no_category", "1:1=/x\r\nplain\r\n"},
        {"no_separators", "[c]\r\nno colon no equals\r\n:=\r\n"},
        {"page_written_as_01", "[c]\r\n01:1=/x\r\n"},
        {"numbers_0_25_x", "[c]\r\n1:0=/a\r\n1:25=/b\r\n1:x=/c\r\n1:-1=/d\r\n1:99999999999=/e\r\n"},
        {"title_without_end", "[c]\r\n1:2=/x <TS>title\r\n"},
        {"trailing_blanks", "[c]  \r\n1:3=/x <TS>t  <TE>   \r\n  \r\n"},
        {"two_sections", "[c]\r\n1:1=/a\r\n[d]\r\n[c]\r\n1:1=/b\r\n1:x=/d\r\n2:1=/c\r\n"},
        {"invalid_cp932", "[c]\r\n1:1=/\x81\xFF\xA0x <TS>\xFC\xFC<TE>\r\n\x80\x81\r\n[\xEF]\r\n"},
        {"one_mb_line", "[c]\r\n" + longLine + "\r\n" + std::string(1 << 20, 'b') + "\r\n"},
        {"nul_bytes", "[c]\r\n1:1=/a\0b\r\n\0\0\r\n"s},
        {"lf_line_ends", "[c]\n1:1=/a\n{c\n[d]\n2:2=/b"},
        {"lone_cr", "[c]\r\n1:1=/a\rb\r\nend\r"},
        {"utf8_bom", "\xEF\xBB\xBF[c]\r\n1:1=/é <TS>é<TE>\r\n\xC3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteData(c.bytes);
        ButtonStore& store = Posix("c");
        const std::vector<int> used = UsedSlots(store);
        ASSERT_TRUE(Saved(store.SavePage()));

        // Lines of the old file that are not page 1 button lines of a section [c] that the
        // load placed on screen: each must be in the new file, byte for byte, in order.
        const bool bom = c.bytes.rfind("\xEF\xBB\xBF", 0) == 0;
        const std::string body(text::BodyOf(c.bytes));
        const std::string after(text::BodyOf(DataBytes()));
        std::vector<std::string> newLines;
        for (auto line : text::SplitLines(after))
            newLines.emplace_back(line);
        std::size_t at = 0;
        bool inC = false;
        for (auto line : text::SplitLines(body)) {
            const std::string l(line);
            if (!l.empty() && l[0] == '[')
                inC = l == "[c]";
            const bool owned = inC && l.rfind("1:", 0) == 0 && l.find('=') != std::string::npos &&
                               l.substr(2, l.find('=') - 2).find_first_not_of("0123456789-") ==
                                   std::string::npos &&
                               l.substr(2, l.find('=') - 2).size() < 9;
            if (owned)
                continue;
            while (at < newLines.size() && newLines[at] != l)
                ++at;
            ASSERT_LT(at, newLines.size()) << "lost line: " << l.substr(0, 60);
            ++at;
        }
        // The page saved is the page loaded, and the file keeps its encoding.
        EXPECT_EQ(DataBytes().rfind("\xEF\xBB\xBF", 0) == 0, bom);
        ButtonStore& reloaded = Posix("c");
        EXPECT_EQ(UsedSlots(reloaded), used);
        for (std::size_t i = 0; i + 1 < after.size(); ++i) {
            if (after[i + 1] == '\n') {
                EXPECT_EQ(after[i], '\r') << "line end without CR";
            }
        }
    }
    EXPECT_TRUE(m_notices.empty());
}

// A file of several megabytes, read in pieces: category lines at every place of a piece,
// "[" inside lines, LF-only and CR LF lines mixed, a line longer than a piece. Saving the
// page as it was loaded gives the same lines, all ended by CR LF.
TEST_F(ButtonStoreTest, LargeMixedFileSurvivesASaveLineForLine) {
    std::string bytes = "head [not a category]\n";
    std::mt19937 random(7);
    int categories = 0;
    for (int c = 0; bytes.size() < (5u << 20); ++c) {
        if (c == 5) {
            bytes += "[c]\r\n1:1=/nope/a <TS>A<TE>\r\n1:7=/nope/[b] <TS>B [x]<TE>\n2:1=/p\r\n";
        }
        bytes += "[cat" + std::to_string(c) + "]" + (c % 3 == 0 ? "\n" : "\r\n");
        categories += 1 + (c == 5);
        const int lines = static_cast<int>(random() % 4000);
        for (int i = 0; i < lines; ++i) {
            bytes +=
                "1:" + std::to_string(i % 24 + 1) + "=/opt/[" + std::to_string(i) + "]/x <TS>t<TE>";
            bytes += random() % 5 == 0 ? "\n" : "\r\n";
        }
        if (c == 10)
            bytes += std::string(3 << 20, 'L') + "\r\n";
    }
    bytes += "[c]\r\n1:1=/second/section\r\ntail without line end";
    WriteData(bytes);

    ButtonStore& store = Posix("c");
    EXPECT_EQ(store.CategoryNames().size(), static_cast<std::size_t>(categories + 1));
    EXPECT_THAT(UsedSlots(store), ElementsAre(1, 7));
    EXPECT_EQ(store.BtnTitle(7), "B [x]");
    ASSERT_TRUE(Saved(store.SavePage()));

    // The page's two lines move to the end of their section; nothing else changes.
    std::string expected;
    for (auto line : text::SplitLines(bytes)) {
        if (line.starts_with("1:1=/nope/") || line.starts_with("1:7=/nope/"))
            continue;
        expected.append(line).append("\r\n");
        if (line == "2:1=/p")
            expected += "1:1=/nope/a <TS>A<TE>\r\n1:7=/nope/[b] <TS>B [x]<TE>\r\n";
    }
    const std::string after = DataBytes();
    ASSERT_EQ(after.size(), expected.size());
    EXPECT_TRUE(after == expected);
}

TEST_F(ButtonStoreTest, Cp932FileBecomesUtf8OnlyWhenAButtonNeedsIt) {
    const std::string so = HostSeparators("/ソ");
    const std::string foreign = Sj("[ゲーム]\r\n1:1=" + so + "\r\n") + "\x81\xFF junk\r\n";
    WriteData(foreign);
    ButtonStore& store = Host("ゲーム");
    const std::string plain = MakeFile("plain.txt");
    Assign(store, plain, 0);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(),
              Sj("[ゲーム]\r\n") + "\x81\xFF junk\r\n" +
                  Sj("1:1=" + so + " <TS>ソ<TE>\r\n1:2=" + plain + " <TS>plain.txt<TE>\r\n"));

    const std::string resume = MakeFile("Résumé.pdf");
    Assign(store, resume, 0);
    ASSERT_TRUE(Saved(store.SavePage()));
    const std::string after = DataBytes();
    // The whole file is UTF-8 now; the undecodable bytes are still the same bytes.
    EXPECT_EQ(after, "\xEF\xBB\xBF[ゲーム]\r\n\x81\xFF junk\r\n1:1=" + so + " <TS>ソ<TE>\r\n1:2=" +
                         plain + " <TS>plain.txt<TE>\r\n1:3=" + resume + " <TS>Résumé.pdf<TE>\r\n");
    ButtonStore& reloaded = Host("ゲーム");
    EXPECT_EQ(reloaded.BtnTitle(3), "Résumé.pdf");
    EXPECT_THAT(reloaded.CategoryNames(), ElementsAre("ゲーム"));

    // Code page 932 bytes that the next read would take for UTF-8 ("ﾃｽ" is C3 BD, UTF-8's
    // "ý") are written as UTF-8 with a mark instead.
    WriteData("[c]\r\n");
    ButtonStore& ascii = Posix("c");
    Assign(ascii, "/x <TS>ﾃｽ<TE>", 1);
    ASSERT_TRUE(Saved(ascii.SavePage()));
    EXPECT_EQ(DataBytes(), "\xEF\xBB\xBF[c]\r\n1:1=/x <TS>ﾃｽ<TE>\r\n");
    EXPECT_EQ(Posix("c").BtnTitle(1), "ﾃｽ");

    // (File names that are bytes are POSIX only.)
#ifndef _WIN32
    // A path is bytes: a name that is not UTF-8 (Shift-JIS, as archives made on Windows
    // unpack) makes the file UTF-8 with a mark and comes back as the same bytes, and so does
    // a name holding the character the codec escapes bytes with; neither is ever a NUL.
    for (const std::string& name : {"sjis\x95\x5c\x83\x76"s, "esc\xF4\x8F\xB8\x80"s}) {
        SCOPED_TRACE(name);
        WriteData("[c]\r\n");
        const std::string path = MakeFile(name);
        Assign(Host("c"), path, 1);
        ASSERT_TRUE(Saved(m_store->SavePage()));
        EXPECT_EQ(DataBytes(), "\xEF\xBB\xBF[c]\r\n1:1=" + path + " <TS>" + name + "<TE>\r\n");
        ButtonStore& again = Host("c");
        EXPECT_EQ(again.BtnFile(1), name);
        EXPECT_EQ(again.Icon(1), (ButtonIcon{path, -1})); // found, not "missing"
    }
#endif
}

// --- failures -----------------------------------------------------------------------------

TEST_F(ButtonStoreTest, FailedWriteLeavesTheOldFileAndSaysSo) {
    const std::string before =
        Sj(CrLf({"[無題カテゴリ]", "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>"}));
    WriteData(before);
    ButtonStore& store = Windows();
    store.ClearButton(1);
    m_win.replaceFailure = "No space left on device";
    EXPECT_FALSE(Saved(store.SavePage()));
    EXPECT_EQ(DataBytes(), before);
    ASSERT_EQ(m_notices.size(), 1u);
    EXPECT_EQ(m_notices[0].kind, StoreNotice::Kind::WriteFailed);
    EXPECT_THAT(m_notices[0].detail, HasSubstr("No space left on device"));
}

// Only a regular file is read or written: a folder, a named pipe (opening it would wait for
// a writer forever) and a link to a device (reading it would never end) are reported.
TEST_F(ButtonStoreTest, DataFileThatIsNotARegularFileIsReportedAndLeftAlone) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* fault;
    };
    const Case cases[] = {
        {"folder", [](const std::string& path) { fs::create_directory(FromUtf8(path)); },
         "フォルダ"},
#ifndef _WIN32
        {"named-pipe", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); },
         "通常のファイルではありません"},
        {"link-to-dev-zero", [](const std::string& path) { fs::create_symlink("/dev/zero", path); },
         "通常のファイルではありません"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(FromUtf8(m_txt));
        c.make(m_txt);
        const fs::file_type type = fs::symlink_status(FromUtf8(m_txt)).type();
        m_notices.clear();
        ButtonStore& store = Posix();
        EXPECT_THAT(store.CategoryNames(), ElementsAre("無題カテゴリ"));
        Assign(store, MakeFile("a"), 0);
        EXPECT_FALSE(Saved(store.SavePage()));
        EXPECT_EQ(fs::symlink_status(FromUtf8(m_txt)).type(), type);
        // Told once at the load, once by the save.
        ASSERT_EQ(m_notices.size(), 2u);
        EXPECT_EQ(m_notices[0].kind, StoreNotice::Kind::Unreadable);
        EXPECT_EQ(m_notices[1].kind, StoreNotice::Kind::NotSaved);
        for (const auto& notice : m_notices)
            EXPECT_THAT(notice.detail, HasSubstr(c.fault));
        EXPECT_TRUE(m_posix.replacedFiles.empty());
    }
}

// A line longer than 16 MiB is not held in memory: the load stops and says so, the save
// leaves the file as it is.
TEST_F(ButtonStoreTest, OverlongLineIsReportedNotHeld) {
    const std::string bytes = "[c]\r\n1:1=/a <TS>A<TE>\r\n" + std::string((16u << 20) + 4096, 'x');
    WriteData(bytes);
    ButtonStore& store = Posix("c");
    ASSERT_FALSE(m_notices.empty());
    EXPECT_EQ(m_notices.back().kind, StoreNotice::Kind::Unreadable);
    EXPECT_THAT(m_notices.back().detail, HasSubstr("16 MiB"));
    EXPECT_FALSE(Saved(store.SavePage()));
    EXPECT_TRUE(DataBytes() == bytes);
}

// UTF-16 and UTF-32 files are not the program's: the user is told once which file and which
// encoding, the launcher runs with an empty page, and the file is never written.
TEST_F(ButtonStoreTest, FileOfAForeignEncodingIsToldOnceAndNeverWritten) {
    const std::string utf16 = "\xFF\xFE[\0c\0]\0\r\0\n\0"s;
    const std::string cases[] = {utf16, "\xFE\xFF\0[\0c\0]"s, "\xFF\xFE\0\0[\0\0\0"s};
    const char* names[] = {"UTF-16 LE", "UTF-16 BE", "UTF-32 LE"};
    const text::Encoding encodings[] = {text::Encoding::Utf16Le, text::Encoding::Utf16Be,
                                        text::Encoding::Utf32Le};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(names[i]);
        WriteData(cases[i]);
        m_notices.clear();
        ButtonStore& store = Posix("c");
        EXPECT_THAT(store.CategoryNames(), ElementsAre("無題カテゴリ"));
        EXPECT_TRUE(UsedSlots(store).empty());
        Assign(store, MakeFile("a"), 0);
        EXPECT_FALSE(Saved(store.SavePage()));
        EXPECT_FALSE(Saved(store.SavePage()));
        EXPECT_TRUE(DataBytes() == cases[i]);
        ASSERT_EQ(m_notices.size(), 1u);
        EXPECT_EQ(m_notices[0].kind, StoreNotice::Kind::Foreign);
        EXPECT_EQ(m_notices[0].encoding, encodings[i]);
        EXPECT_TRUE(m_posix.replacedFiles.empty());
    }
}

// --- page overflow ----------------------------------------------------------------------

TEST_F(ButtonStoreTest, FullPageOverflowsToTheNextPageWithTheTargetAlone) {
    std::string bytes = "[c]\r\n";
    for (int n = 1; n <= 24; ++n)
        bytes += "5:" + std::to_string(n) + "=D:\\Tools\\grep.exe\r\n";
    bytes += "6:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>taken<TE>\r\n";
    WriteData(bytes);
    ButtonStore& store = Windows("c", "5");
    int changes = 0;
    store.SetChangedHandler([&] { ++changes; });
    EXPECT_EQ(Assign(store, "C:\\WINDOWS\\NOTEPAD.EXE <TS>dropped title<TE>", 0), 2);
    EXPECT_EQ(store.CurrentPage(), "6");
    EXPECT_EQ(store.BtnTitle(1), "taken");
    EXPECT_EQ(store.BtnTitle(2), "NOTEPAD.EXE");
    EXPECT_GT(changes, 0);
    ASSERT_TRUE(Saved(store.SavePage()));
    EXPECT_THAT(DataBytes(), HasSubstr("6:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>taken<TE>\r\n"
                                       "6:2=C:\\WINDOWS\\NOTEPAD.EXE <TS>NOTEPAD.EXE<TE>\r\n"));
    EXPECT_THAT(DataBytes(), HasSubstr("5:24=D:\\Tools\\grep.exe <TS>grep.exe<TE>\r\n"));
}

TEST_F(ButtonStoreTest, OverflowStopsAtTheLastPage) {
    std::string bytes = "[c]\r\n";
    for (int n = 1; n <= 24; ++n)
        bytes += "32767:" + std::to_string(n) + "=D:\\Tools\\grep.exe\r\n";
    WriteData(bytes);
    ButtonStore& store = Windows("c", "32767");
    const ButtonStore::Assigned last = store.AssignButton("C:\\WINDOWS\\NOTEPAD.EXE", 0);
    EXPECT_EQ(last.slot, 0);
    EXPECT_TRUE(last.noRoom);
    EXPECT_TRUE(last.notices.empty());
    EXPECT_EQ(store.CurrentPage(), "32767");
    EXPECT_EQ(DataBytes(), bytes);
    EXPECT_TRUE(m_win.replacedFiles.empty());

    // A failed save on the way stops the overflow on the page it was on.
    WriteData("[c]\r\n" + bytes.substr(5));
    ButtonStore& other = Windows("c", "32767");
    other.SetCurrentPage("9");
    for (int n = 1; n <= 24; ++n)
        Assign(other, "D:\\Tools\\grep.exe", n);
    m_win.replaceFailure = "read-only";
    const ButtonStore::Assigned failed = other.AssignButton("C:\\WINDOWS\\NOTEPAD.EXE", 0);
    EXPECT_EQ(failed.slot, 0);
    EXPECT_TRUE(failed.saveFailed);
    EXPECT_FALSE(failed.noRoom);
    EXPECT_EQ(other.CurrentPage(), "9");
    EXPECT_EQ(UsedSlots(other).size(), 24u);
}

} // namespace
} // namespace tavolin
