#include "core/options/ButtonList.h"

#include "core/Platform.h"

#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tavolin::options {
namespace {

std::string Sj(const std::string& utf8) {
    return *text::EncodeCp932(utf8);
}

using namespace std::string_literals;

class ButtonListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_platform.AddFolder("C:\\WINDOWS");
        m_platform.AddFile("C:\\WINDOWS\\NOTEPAD.EXE");
        m_platform.AddFile("C:\\WINDOWS\\CALC.EXE");
        m_platform.AddFolder("D:\\Tools");
        m_platform.AddFile("D:\\Tools\\grep.exe");
    }
    void WriteData(const std::string& bytes) const {
        std::ofstream(m_txt, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string DataBytes() const {
        std::ifstream in(m_txt, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    ButtonList& Loaded(const std::string& bytes) {
        WriteData(bytes);
        m_list = std::make_unique<ButtonList>(m_platform, m_view, m_txt);
        EXPECT_TRUE(m_list->Load());
        return *m_list;
    }
    // What OK does with the list alone: write, put in place, and take the file as written.
    static bool Save(ButtonList& list, std::string* error = nullptr) {
        std::string why;
        if (!list.BeginSave(why) || list.Commit(why) != datafile::Placed::Done) {
            if (error != nullptr)
                *error = why;
            return false;
        }
        return true;
    }
    static std::vector<std::string> Columns(const ButtonRow& row) {
        return {row.category, row.page, row.number, row.title, row.folder, row.file};
    }

    tavolin::testing::TempDir m_temp{"tavolin-options"};
    std::string m_txt = (m_temp.Path() / "tavolin.txt").string();
    tavolin::testing::FakePlatform m_platform{PathStyle::Windows};
    tavolin::testing::FakeView m_view;
    std::unique_ptr<ButtonList> m_list;
};

// A file with a line before the first category, comments, an empty line, a value without a
// title marker and a line without "=": the odd lines a user's hand leaves.
const std::string kFile = Sj("{top comment}\r\n"
                             "[ツール]\r\n"
                             "{tools}\r\n"
                             "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>\r\n"
                             "1:3=D:\\Tools\\grep.exe\r\n"
                             "\r\n"
                             "2:1=C:\\WINDOWS <TS>Windows<TE>\r\n"
                             "[空]\r\n"
                             "odd line\r\n"
                             "{end}\r\n");

TEST_F(ButtonListTest, LoadListsCategoriesAndButtonsInFileOrder) {
    const auto& rows = Loaded(kFile).Rows();
    using Cols = std::vector<std::string>;
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(Columns(rows[0]), (Cols{"ツール", "--", "--", "", "", ""}));
    EXPECT_EQ(Columns(rows[1]), (Cols{"ツール", "1", "1", "メモ帳", "C:\\WINDOWS", "NOTEPAD.EXE"}));
    EXPECT_EQ(Columns(rows[2]), (Cols{"ツール", "1", "3", "grep.exe", "D:\\Tools", "grep.exe"}));
    EXPECT_EQ(Columns(rows[3]), (Cols{"ツール", "2", "1", "Windows", "C:\\WINDOWS", ""}));
    EXPECT_EQ(Columns(rows[4]), (Cols{"空", "--", "--", "", "", ""}));
    EXPECT_EQ(rows[5].category, "空");
    EXPECT_EQ(rows[5].page, ""); // no ":", so no page
    EXPECT_TRUE(rows[4].IsCategory());
    EXPECT_FALSE(rows[1].IsCategory());

    EXPECT_EQ(m_list->FindButtonRow("ツール", "1", "3"), 2);
    EXPECT_EQ(m_list->FindButtonRow("空", "--", "--"), 4);
    EXPECT_EQ(m_list->FindButtonRow("ツール", "01", "3"), -1);
}

TEST_F(ButtonListTest, MissingFileIsCreatedWithTheDefaultCategory) {
    ButtonList list(m_platform, m_view, m_txt);
    ASSERT_TRUE(list.Load());
    EXPECT_EQ(DataBytes(), Sj("[無題カテゴリ]\r\n"));
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].category, "無題カテゴリ");
}

TEST_F(ButtonListTest, SetReplacesRemovesInsertsOrRefuses) {
    struct Case {
        const char* name;
        ButtonBoxes boxes;
        SetOutcome outcome;
        int row;             // the row reported
        std::size_t rows;    // rows afterwards
        const char* message; // the check's message, or ""
    };
    const Case cases[] = {
        {"replace",
         {"ツール", "1", "3", "g", "D:\\Tools", "grep.exe"},
         SetOutcome::Replaced,
         2,
         6,
         ""},
        {"clear the folder removes",
         {"ツール", "1", "3", "", "", ""},
         SetOutcome::Removed,
         -1,
         5,
         ""},
        {"no row, no folder", {"ツール", "1", "9", "", "", ""}, SetOutcome::Unchanged, -1, 6, ""},
        {"after the nearest lower number",
         {"ツール", "1", "7", "", "C:\\WINDOWS", ""},
         SetOutcome::Inserted,
         3,
         7,
         ""},
        {"after number 1 of page 2",
         {"ツール", "2", "24", "", "C:\\WINDOWS", ""},
         SetOutcome::Inserted,
         4,
         7,
         ""},
        {"after the category row",
         {"空", "5", "2", "", "C:\\WINDOWS", ""},
         SetOutcome::Inserted,
         5,
         7,
         ""},
        {"a category of its own at the end",
         {"新", "1", "1", "", "C:\\WINDOWS", ""},
         SetOutcome::Inserted,
         7,
         8,
         ""},
        {"missing folder",
         {"ツール", "1", "3", "", "C:\\NONE", ""},
         SetOutcome::MissingFolder,
         -1,
         6,
         "パスが存在しません。"},
        {"missing file",
         {"ツール", "1", "3", "", "C:\\WINDOWS", "NONE.EXE"},
         SetOutcome::MissingFile,
         -1,
         6,
         "ファイルが存在しません。"},
        {"empty page box", {"ツール", "", "3", "", "", ""}, SetOutcome::Stopped, -1, 6, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_view.messages.clear();
        auto& list = Loaded(kFile);
        int row = -2;
        EXPECT_EQ(list.Set(c.boxes, &row), c.outcome);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(list.Rows().size(), c.rows);
        if (row >= 0) {
            const auto& r = list.Rows()[static_cast<std::size_t>(row)];
            EXPECT_EQ(Columns(r),
                      (std::vector<std::string>{c.boxes.category, c.boxes.page, c.boxes.number,
                                                c.boxes.title, c.boxes.folder, c.boxes.file}));
        }
        if (*c.message != '\0') {
            ASSERT_EQ(m_view.messages.size(), 1u);
            EXPECT_EQ(m_view.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(m_view.messages.empty());
        }
        // The file changes only at OK: leaving the dialog here (Cancel) keeps it as it was.
        EXPECT_EQ(DataBytes(), kFile);
    }
}

TEST_F(ButtonListTest, SaveKeepsUntouchedLinesAndCommentsAndComposesChangedRows) {
    // Nothing changed: the file comes back byte for byte, comments and odd lines included,
    // also after ↓セット of a row with what it holds (its line has no title marker).
    auto& list = Loaded(kFile);
    list.Set({"ツール", "1", "3", "grep.exe", "D:\\Tools", "grep.exe"});
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(DataBytes(), kFile);

    // One row replaced, one removed (the empty line before it stays), one added.
    list.Set({"ツール", "1", "1", "エディタ", "C:\\WINDOWS", "NOTEPAD.EXE"});
    list.Set({"ツール", "2", "1", "", "", ""});
    list.Set({"空", "1", "1", "", "C:\\WINDOWS", "CALC.EXE"});
    list.Set({"新", "1", "2", "W", "C:\\WINDOWS", ""}); // never under another category
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(DataBytes(), Sj("{top comment}\r\n"
                              "[ツール]\r\n"
                              "{tools}\r\n"
                              "1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>エディタ<TE>\r\n"
                              "1:3=D:\\Tools\\grep.exe\r\n"
                              "\r\n"
                              "[空]\r\n"
                              "1:1=C:\\WINDOWS\\CALC.EXE <TS>CALC.EXE<TE>\r\n"
                              "odd line\r\n"
                              "{end}\r\n"
                              "[新]\r\n"
                              "1:2=C:\\WINDOWS <TS>W<TE>\r\n"));
    EXPECT_TRUE(m_view.messages.empty());
}

TEST_F(ButtonListTest, FailedSaveLeavesTheFileAndTheEditsAndSaysWhy) {
    auto& list = Loaded(kFile);
    list.Set({"ツール", "1", "3", "", "", ""});
    m_platform.replaceFailure = "ディスクがいっぱいです";
    std::string error;
    EXPECT_FALSE(Save(list, &error));
    EXPECT_EQ(DataBytes(), kFile);
    EXPECT_EQ(error, "ディスクがいっぱいです");
    EXPECT_EQ(list.Rows().size(), 5u);

    m_platform.replaceFailure.reset();
    EXPECT_TRUE(Save(list));
    EXPECT_EQ(DataBytes().find("1:3="), std::string::npos);
}

TEST_F(ButtonListTest, ATitleOutsideCodePage932TurnsTheWholeFileIntoUtf8) {
    auto& list = Loaded(kFile);
    list.Set({"ツール", "1", "1", "😀", "C:\\WINDOWS", "NOTEPAD.EXE"});
    ASSERT_TRUE(Save(list));
    const std::string bytes = DataBytes();
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF{top comment}\r\n[ツール]\r\n", 0), 0u);
    EXPECT_NE(bytes.find("1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>😀<TE>\r\n"), std::string::npos);

    // A second OK writes the same UTF-8 file, its kept lines included.
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(DataBytes(), bytes);
}

// A file a user's editor wrote in UTF-8 without a mark is read and written back as such; a
// file is never written in bytes the next read would take for another encoding; a UTF-16
// file is not read, and not written.
TEST_F(ButtonListTest, EncodingsReadBackAsWrittenAndUtf16IsRefused) {
    const std::string utf8 = "[ツール]\n1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>メモ帳<TE>\r1:2=x\n";
    auto& list = Loaded(utf8);
    ASSERT_EQ(list.Rows().size(), 3u);
    EXPECT_EQ(list.Rows()[1].title, "メモ帳");
    list.Set({"ツール", "1", "1", "é", "C:\\WINDOWS", "NOTEPAD.EXE"});
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(DataBytes(), "[ツール]\r\n1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>é<TE>\r\n1:2=x\r\n");

    // Half-width "ﾃｽ" in code page 932 is C3 BD, UTF-8's "ý": such a file goes out as UTF-8
    // with a mark, so that it reads back as written.
    auto& ascii = Loaded("[a]\r\n");
    ascii.Set({"a", "1", "1", "ﾃｽ", "C:\\WINDOWS", "NOTEPAD.EXE"});
    ASSERT_TRUE(Save(ascii));
    EXPECT_EQ(DataBytes(), "\xEF\xBB\xBF[a]\r\n1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>ﾃｽ<TE>\r\n");

    const std::string utf16 = "\xFF\xFE[\0a\0]\0"s;
    WriteData(utf16);
    ButtonList refused(m_platform, m_view, m_txt);
    EXPECT_FALSE(refused.Load());
    ASSERT_EQ(m_view.messages.size(), 1u);
    EXPECT_NE(m_view.messages[0].text.find("UTF-16 LE"), std::string::npos);
    EXPECT_EQ(DataBytes(), utf16);
}

TEST_F(ButtonListTest, PendingEditsAskAndFollowTheAnswer) {
    struct Case {
        const char* name;
        ButtonBoxes boxes;
        std::optional<MsgResult> answer; // none: no question
        bool goOn;
        bool applied;
    };
    const ButtonBoxes edited{"ツール", "1", "1", "新しい ", "C:\\WINDOWS", "NOTEPAD.EXE"};
    const Case cases[] = {
        {"unchanged",
         {"ツール", "1", "1", "メモ帳  ", "C:\\WINDOWS", "NOTEPAD.EXE"},
         {},
         true,
         false},
        {"empty folder", {"ツール", "1", "1", "x", "", ""}, {}, true, false},
        {"yes applies", edited, MsgResult::Yes, true, true},
        {"no drops", edited, MsgResult::No, true, false},
        {"cancel stays", edited, MsgResult::Cancel, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& list = Loaded(kFile);
        m_view.messages.clear();
        if (c.answer)
            m_view.answers.push_back(*c.answer);
        ButtonBoxes boxes = c.boxes;
        const bool goOn = ConfirmPendingEdit(boxes, list, m_view, [&] { list.Set(boxes); });
        EXPECT_EQ(goOn, c.goOn);
        EXPECT_EQ(m_view.messages.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(m_view.messages[0].text,
                      "ボタン内容が変更されています。反映(セット)しますか？");
            EXPECT_EQ(m_view.messages[0].buttons, msg_buttons::kYesNoCancel);
        }
        EXPECT_EQ(list.Rows()[1].title, c.applied ? "新しい" : "メモ帳");
    }
}

TEST_F(ButtonListTest, BoxesFollowRowsNumbersAndTheClipboardValue) {
    auto& list = Loaded(kFile);
    ButtonBoxes boxes;
    ShowRow(boxes, list.Rows()[4]);
    EXPECT_EQ(boxes.category + boxes.page + boxes.number + boxes.folder, "空11");
    ShowRow(boxes, list.Rows()[1]);
    EXPECT_EQ(boxes.folder, "C:\\WINDOWS");

    boxes.number = "3";
    ShowNumber(boxes, list, m_platform);
    EXPECT_EQ(boxes.title + "|" + boxes.folder + "|" + boxes.file, "grep.exe|D:\\Tools|grep.exe");
    boxes.number = "4";
    ShowNumber(boxes, list, m_platform);
    EXPECT_EQ(boxes.title + boxes.folder + boxes.file, "");

    // Copy with an empty folder box gives nothing, so the clipboard is left as it was.
    EXPECT_EQ(BoxesValue(boxes, PathStyle::Windows), "");
    ShowButtonEntry(boxes, "C:\\WINDOWS\\CALC.EXE <TS>電卓<TE>", m_platform);
    EXPECT_EQ(BoxesValue(boxes, PathStyle::Windows), "C:\\WINDOWS\\CALC.EXE <TS>電卓<TE>");
}

// OK never writes over lines another writer added after the list was read: it asks, and
// はい reads the file again while いいえ keeps the dialog's edits; neither writes.
TEST_F(ButtonListTest, AFileChangedSinceLoadingIsNeverWrittenOver) {
    const std::string added = kFile + Sj("[ほか]\r\n");
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        SCOPED_TRACE(answer == MsgResult::Yes ? "reload" : "keep");
        ButtonList& list = Loaded(kFile);
        list.Set({"ツール", "1", "3", "", "", ""}); // an edit in the dialog
        EXPECT_EQ(list.Recheck(), datafile::Unchanged::Yes);
        WriteData(added);
        m_view.messages.clear();
        m_view.answers = {answer};
        const auto outcome = list.Recheck();
        ASSERT_EQ(m_view.messages.size(), 1u);
        EXPECT_EQ(
            m_view.messages[0].text,
            "データファイルは、このダイアログを開いた後でほかのプログラムに変更されました。"
            "\r\n変更されたファイルを読み込み直しますか？（このダイアログでの変更は失われます）");
        EXPECT_EQ(m_view.messages[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(DataBytes(), added);
        if (answer == MsgResult::Yes) {
            EXPECT_EQ(outcome, datafile::Unchanged::Reload);
            EXPECT_EQ(list.Rows().back().category, "ほか");
            EXPECT_EQ(list.FindButtonRow("ツール", "1", "3"), 2); // the edit is gone
            ASSERT_TRUE(Save(list));
            EXPECT_EQ(DataBytes(), added);
        } else {
            EXPECT_EQ(outcome, datafile::Unchanged::Keep);
            EXPECT_EQ(list.FindButtonRow("ツール", "1", "3"), -1); // the edit stays
        }
    }
}

// Lines appended while OK writes are kept: a new section is carried into the new file, a
// line that would land in another section stops the write, and Recheck asks.
TEST_F(ButtonListTest, OkKeepsWhatIsAppendedWhileItWrites) {
    ButtonList& list = Loaded(kFile);
    list.Set({"ツール", "1", "3", "", "", ""});
    std::string error;
    ASSERT_TRUE(list.BeginSave(error));
    std::ofstream(m_txt, std::ios::binary | std::ios::app) << Sj("[ほか]\r\n");
    ASSERT_EQ(list.Commit(error), datafile::Placed::Done) << error;
    const std::string written = DataBytes();
    EXPECT_EQ(written.find(Sj("1:3=")), std::string::npos);
    EXPECT_TRUE(written.ends_with(Sj("{end}\r\n[ほか]\r\n")));

    list.Set({"ツール", "1", "1", "", "", ""});
    ASSERT_TRUE(list.BeginSave(error));
    std::ofstream(m_txt, std::ios::binary | std::ios::app) << "1:1=C:\\WINDOWS\r\n";
    EXPECT_EQ(list.Commit(error), datafile::Placed::Changed);
    EXPECT_EQ(DataBytes(), written + "1:1=C:\\WINDOWS\r\n");
    m_view.answers = {MsgResult::No};
    EXPECT_EQ(list.Recheck(), datafile::Unchanged::Keep);
}

// Two sections of one name: the row the boxes were filled from is the one ↓セット changes.
TEST_F(ButtonListTest, SetChangesTheRowTheBoxesCameFrom) {
    ButtonList& list = Loaded("[Dup]\r\n1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>first<TE>\r\n[Other]\r\n"
                              "[Dup]\r\n1:1=C:\\WINDOWS\\CALC.EXE <TS>second<TE>\r\n");
    ButtonBoxes boxes;
    ShowRow(boxes, list.Rows()[4]);
    boxes.row = 4;
    boxes.title = "EDITED second";
    EXPECT_TRUE(HasPendingEdit(boxes, list));
    int row = -1;
    EXPECT_EQ(list.Set(boxes, &row), SetOutcome::Replaced);
    EXPECT_EQ(row, 4);
    ASSERT_TRUE(Save(list));
    EXPECT_EQ(DataBytes(), "[Dup]\r\n1:1=C:\\WINDOWS\\NOTEPAD.EXE <TS>first<TE>\r\n[Other]\r\n"
                           "[Dup]\r\n1:1=C:\\WINDOWS\\CALC.EXE <TS>EDITED second<TE>\r\n");
}

} // namespace
} // namespace tavolin::options
