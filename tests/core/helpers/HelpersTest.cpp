#include "core/Errors.h"
#include "core/helpers/Convert.h"
#include "core/helpers/FileHelpers.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tavolin {
namespace {

namespace fs = std::filesystem;
using testing::FakePlatform;
using testing::FakeView;
using testing::TempDir;

Colour Rgb(int red, int green, int blue) {
    Colour colour;
    colour.red = static_cast<std::uint8_t>(red);
    colour.green = static_cast<std::uint8_t>(green);
    colour.blue = static_cast<std::uint8_t>(blue);
    return colour;
}

TEST(MessageBoxHelper, BeepsThenShowsAndReturnsTheButton) {
    FakeView view;
    view.answers = {MsgResult::Yes, MsgResult::No};
    EXPECT_EQ(ShowMessageBox(view, "q?", MsgKind::Information, msg_buttons::kYesNo),
              MsgResult::Yes);
    EXPECT_EQ(ShowMessageBox(view, "q?", MsgKind::Information, msg_buttons::kYesNo), MsgResult::No);
    ASSERT_EQ(view.beeps.size(), 2u);
    EXPECT_EQ(view.beeps[0], MsgKind::Information);
    EXPECT_EQ(view.messages[0].buttons, 3u);
    EXPECT_EQ(static_cast<int>(MsgResult::Yes), 6);
    EXPECT_EQ(static_cast<int>(MsgResult::No), 7);
    EXPECT_EQ(msg_buttons::kCancelRetry, 40u);
    EXPECT_EQ(msg_buttons::kYesNoCancel, 11u);
    EXPECT_EQ(MessageTitle(MsgKind::Warning), "警告");
    EXPECT_EQ(MessageTitle(MsgKind::Error), "エラー");
    EXPECT_EQ(MessageTitle(MsgKind::Information), "情報");
    EXPECT_EQ(MessageTitle(MsgKind::Confirmation), "確認");
    EXPECT_EQ(MessageTitle(MsgKind::Custom), "Tavolin");
}

TEST(ExistenceChecks, WarnWhenMissing) {
    TempDir dir;
    const auto file = dir.Write("a.txt").string();
    FakePlatform platform;
    FakeView view;
    // A file is not a folder for the path check, but is for the file check.
    EXPECT_FALSE(CheckPath(view, platform, file));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "パスが存在しません。");
    EXPECT_EQ(view.messages[0].kind, MsgKind::Warning);
    EXPECT_TRUE(CheckFile(view, platform, dir.Path().string()));
    EXPECT_TRUE(CheckPath(view, platform, dir.Path().string()));
    EXPECT_FALSE(CheckFile(view, platform, (dir.Path() / "none").string()));
    EXPECT_EQ(view.messages.back().text, "ファイルが存在しません。");
    EXPECT_EQ(view.messages.size(), 2u);
}

// Makes one entry impossible to remove, for root too: the immutable attribute when we are
// root (chattr), a read-only folder otherwise. Returns false when neither is possible here.
bool MakeUndeletable(const fs::path& entry, fs::path& undo) {
    const std::string quoted = "'" + entry.string() + "'";
    if (std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) == 0) {
        undo = entry;
        return true;
    }
    fs::permissions(entry.parent_path(), fs::perms::owner_write, fs::perm_options::remove);
    std::error_code ec;
    const bool stuck = !fs::remove(entry, ec) || ec;
    if (!stuck)
        return false;
    undo = entry.parent_path();
    return true;
}

void Undo(const fs::path& undo) {
    std::system(("chattr -i '" + undo.string() + "' 2>/dev/null").c_str());
    fs::permissions(undo, fs::perms::owner_all, fs::perm_options::add);
}

TEST(FileDelete, AbortsSilently) {
    TempDir dir;
    const auto target = dir.Write("dst.txt", "old").string();
    EXPECT_TRUE(DeleteFileOrAbort(target));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(DeleteFileOrAbort(target)); // already gone

    const fs::path stuck = dir.Write("stuck/s.txt");
    fs::path undo;
    if (!MakeUndeletable(stuck, undo))
        GTEST_SKIP() << "no way to make a file undeletable here";
    EXPECT_THROW(DeleteFileOrAbort(stuck.string()), SilentAbort);
    Undo(undo);
}

TEST(ShellDeleteHelper, AsksWhenToldAndReportsFailures) {
    FakePlatform platform;
    FakeView view;
    platform.deleteFailures["/b"] = "permission denied";

    view.answers = {MsgResult::No};
    EXPECT_TRUE(
        ShellDelete(platform, view, {"/a", "/b"}, DeleteMode::Recycle, Confirm::Yes).empty());
    EXPECT_TRUE(platform.deletes.empty());
    EXPECT_EQ(view.messages.back().kind, MsgKind::Confirmation);

    const auto outcomes =
        ShellDelete(platform, view, {"/a", "/b"}, DeleteMode::Permanent, Confirm::No);
    ASSERT_EQ(platform.deletes.size(), 1u);
    EXPECT_EQ(platform.deletes[0].second, DeleteMode::Permanent);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_TRUE(outcomes[0].done);
    EXPECT_FALSE(outcomes[1].done);
    EXPECT_NE(view.messages.back().text.find("/b : permission denied"), std::string::npos);
    EXPECT_EQ(view.messages.back().kind, MsgKind::Warning);
}

TEST(Colours, NamesNumbersAndTheOldTable) {
    EXPECT_EQ(ColourFromText("13"), (Rgb(255, 0, 0)));
    EXPECT_EQ(ColourFromText("20"), (Rgb(0, 0, 255)));
    EXPECT_EQ(ColourFromText("0"), (Rgb(0, 255, 255)));
    EXPECT_EQ(ColourFromText("3"), ColourFromText("5"));
    EXPECT_EQ(ColourFromText("4"), ColourFromText("14"));
    EXPECT_EQ(ColourFromText("18").system, "clBtnFace");
    EXPECT_EQ(ColourFromText("19").system, "clBtnText");
    EXPECT_EQ(ColourFromText("clRed"), (Rgb(255, 0, 0)));
    EXPECT_EQ(ColourFromText("CLLIME"), (Rgb(0, 255, 0)));
    EXPECT_EQ(ColourFromText("clBtnFace").system, "clBtnFace");
    EXPECT_TRUE(ColourFromText("clNone").none);
    // "$" hexadecimal: blue in the third byte from the right, red in the lowest.
    EXPECT_EQ(ColourFromText("$FF0000"), (Rgb(0, 0, 255)));
    EXPECT_EQ(ColourFromText("$E1FFFF"), (Rgb(255, 255, 225)));
    EXPECT_EQ(ColourFromText("-16777216"), (Rgb(0, 0, 0)));
    EXPECT_THROW(ColourFromText("clPink"), ConversionError);
    EXPECT_THROW(ColourFromText("1x"), ConversionError);

    EXPECT_EQ(ColourToText(Rgb(0, 255, 0)), "clLime");
    EXPECT_EQ(ColourToText(Rgb(255, 255, 225)), "$00E1FFFF");
    EXPECT_EQ(ColourToText(ColourFromText("clInfoBk")), "clInfoBk");
    EXPECT_EQ(ColourFromText(ColourToText(Rgb(1, 2, 3))), (Rgb(1, 2, 3)));
}

TEST(Integers, TheProgramsConversion) {
    EXPECT_EQ(ToInteger("42"), 42);
    EXPECT_EQ(ToInteger("  -7"), -7);
    EXPECT_EQ(ToInteger("+7"), 7);
    EXPECT_EQ(ToInteger("$1F"), 31);
    EXPECT_EQ(ToInteger("0x1f"), 31);
    EXPECT_EQ(ToInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ToInteger("2147483647"), 2147483647);
    EXPECT_EQ(ToInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", " ", "-", "$", "12 ", "1.5", "abc", "2147483648", "$100000000"}) {
        EXPECT_FALSE(ToInteger(bad)) << bad;
    }
    try {
        StrToInt("abc");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' は整数ではありません");
    }
}

TEST(SizeTexts, UnitAndCommasDropped) {
    EXPECT_EQ(ParseSizeText("12,345KB"), 12345);
    EXPECT_EQ(ParseSizeText("0KB"), 0);
    EXPECT_EQ(ParseSizeText("9,876,543,210KB"), 9876543210LL);
    EXPECT_EQ(ParseSizeText(""), -1);
    EXPECT_THROW(ParseSizeText("KB"), ConversionError);
    EXPECT_THROW(ParseSizeText("1x2KB"), ConversionError);
}

TEST(LaunchHelper, WorkingFolders) {
    EXPECT_EQ(WorkingFolderOf("C:\\prog.exe", PathStyle::Windows), "C:\\");
    EXPECT_EQ(WorkingFolderOf("C:\\Tools\\grep.exe", PathStyle::Windows), "C:\\Tools");
    EXPECT_EQ(WorkingFolderOf("Explorer.exe", PathStyle::Windows), "");
    EXPECT_EQ(WorkingFolderOf("C:prog.exe", PathStyle::Windows), "C:");
    EXPECT_EQ(WorkingFolderOf("/usr/bin/gedit", PathStyle::Posix), "/usr/bin");
    EXPECT_EQ(WorkingFolderOf("/vmlinuz", PathStyle::Posix), "/");
    EXPECT_EQ(WorkingFolderOf("gedit", PathStyle::Posix), "");
}

TEST(LaunchHelper, ResultCodesAndTheirMessages) {
    struct Row {
        const char* name;
        int code;
        bool result;
        const char* message; // empty: no message
        MsgKind kind;
    };
    const Row rows[] = {
        {"success", open_result::kSuccess, true, "", MsgKind::Error},
        {"32-is-success", 32, true, "", MsgKind::Error},
        {"not-found", 2, false, "C:\\Tools\\grep.exe\r\nが存在しません。", MsgKind::Error},
        {"out-of-memory", 8, false,
         "メモリが不足しています。\r\nいくつかアプリケーションを終了して再度、実行して下さい。",
         MsgKind::Error},
        {"no-association", 31, false, "関連付けされたアプリケーションがありません。",
         MsgKind::Error},
        {"entry-bad-command", open_result::kEntryBadCommand, false,
         "C:\\Tools\\grep.exe\r\nの Exec= の引用符が閉じていないため、実行できません。",
         MsgKind::Error},
        {"entry-no-command", open_result::kEntryNoCommand, false,
         "C:\\Tools\\grep.exe\r\nに Exec= がないため、実行できません。", MsgKind::Error},
        {"entry-try-exec-missing", open_result::kEntryTryExecMissing, false,
         "C:\\Tools\\grep.exe\r\nの TryExec= のプログラムが存在しないため、実行できません。",
         MsgKind::Error},
        {"entry-program-missing", open_result::kEntryProgramMissing, false,
         "C:\\Tools\\grep.exe\r\nの Exec= のプログラムが存在しないため、実行できません。",
         MsgKind::Error},
        {"access-denied", 5, true, "実行時にエラーが発生しました。(5)", MsgKind::Warning},
        {"zero", 0, true, "実行時にエラーが発生しました。(0)", MsgKind::Warning},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakePlatform platform(PathStyle::Windows);
        FakeView view;
        platform.openResult = row.code;
        EXPECT_EQ(LaunchFile(platform, view, "C:\\Tools\\grep.exe", "-n x"), row.result);
        ASSERT_EQ(platform.opens.size(), 1u);
        EXPECT_EQ(platform.opens[0].parameters, "-n x");
        EXPECT_EQ(platform.opens[0].workingFolder, "C:\\Tools");
        if (std::string(row.message).empty()) {
            EXPECT_TRUE(view.messages.empty());
        } else {
            ASSERT_EQ(view.messages.size(), 1u);
            EXPECT_EQ(view.messages[0].text, row.message);
            EXPECT_EQ(view.messages[0].kind, row.kind);
            EXPECT_EQ(view.messages[0].buttons, msg_buttons::kOkOnly);
        }
    }
}

} // namespace
} // namespace tavolin
