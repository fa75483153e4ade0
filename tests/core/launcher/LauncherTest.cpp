#include "core/launcher/Launcher.h"

#include "core/Errors.h"
#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"
#include "fakes/FakeLauncherWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

using namespace tavolin;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;
namespace fs = std::filesystem;

namespace {

using FakeWindow = tavolin::testing::FakeLauncherWindow;

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tavolin-launcher-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        files = DataFiles{(dir / "tavolin.txt").string(), (dir / "tavolin.ini").string(),
                          (dir / "tavolin.tmp").string(), (dir / "tavolin.tmp2").string()};
    }
    void TearDown() override { fs::remove_all(dir); }

    Launcher& Make() {
        launcher = std::make_unique<Launcher>(platform, view, window, files);
        launcher->LoadSettings("");
        return *launcher;
    }

    std::string MakeFile(const std::string& name) {
        const fs::path p = dir / name;
        WriteAll(p, "x");
        return p.string();
    }

    fs::path dir;
    DataFiles files;
    FakePlatform platform{FakePlatform::kHostStyle}; // real temporary files
    FakeView view;
    FakeWindow window;
    std::unique_ptr<Launcher> launcher;
};

} // namespace

TEST_F(LauncherTest, FirstStartHasTheDefaultsAndOneEmptyCategory) {
    Launcher& l = Make();
    EXPECT_EQ(l.Store().CategoryNames(), std::vector<std::string>{"無題カテゴリ"});
    EXPECT_EQ(l.Store().CurrentCategory(), "無題カテゴリ");
    EXPECT_EQ(l.Store().CurrentPage(), "1");
    for (int n = 1; n <= 24; ++n)
        EXPECT_FALSE(l.Store().IsUsed(n));
    EXPECT_EQ(l.Settings(), WindowSettings{});
    EXPECT_EQ(layout::CurrentMode(l.Modes()), layout::DisplayMode::TaR);
    EXPECT_FALSE(fs::exists(files.txt));
    EXPECT_FALSE(fs::exists(files.ini));
}

TEST_F(LauncherTest, CloseWritesTheSettingsThenThePage) {
    Launcher& l = Make();
    EXPECT_TRUE(l.Close());
    ASSERT_EQ(platform.replacedFiles.size(), 2u);
    EXPECT_EQ(platform.replacedFiles[0], files.ini);
    EXPECT_EQ(platform.replacedFiles[1], files.txt);
    EXPECT_EQ(text::DecodeCp932(tavolin::testing::ReadBytes(files.txt)), "[無題カテゴリ]\r\n");

    ProfileFile ini(files.ini);
    EXPECT_EQ(ini.ReadInteger("Window", "Left", 0), 10);
    EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 20);
    EXPECT_EQ(ini.ReadInteger("Window", "Width", 0), 384);
    EXPECT_EQ(ini.ReadInteger("Window", "Height", 0), 136);
    EXPECT_EQ(ini.ReadInteger("Window", "TaRMode", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Window", "FrmStyle", 0), 1);

    // Nothing changed: nothing is written, so a read-only data file closes without a word.
    platform.refusedFiles[files.txt] = "read-only";
    EXPECT_TRUE(l.Close());
    EXPECT_EQ(platform.replacedFiles.size(), 2u);
    EXPECT_TRUE(view.messages.empty());
    // A changed page is written, and one that cannot be makes the close fail.
    l.AssignButton(MakeFile("a"), 1);
    EXPECT_FALSE(l.Close());
    EXPECT_EQ(view.messages.size(), 1u);
    platform.refusedFiles.clear();
    EXPECT_TRUE(l.Close());
    ASSERT_EQ(platform.replacedFiles.size(), 3u);
    EXPECT_EQ(platform.replacedFiles[2], files.txt);
}

TEST_F(LauncherTest, SettingsThatCannotBeWrittenAreReportedOncePerReason) {
    Launcher& l = Make();
    platform.replaceFailure = "disk full";
    EXPECT_FALSE(l.SaveSettings());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MsgKind::Warning);
    EXPECT_NE(view.messages[0].text.find("disk full"), std::string::npos);
    EXPECT_FALSE(l.SaveSettings());
    EXPECT_EQ(view.messages.size(), 1u);
    platform.replaceFailure = "read-only file system";
    EXPECT_FALSE(l.SaveSettings());
    EXPECT_EQ(view.messages.size(), 2u);
    // A save that works in between: the old reason is told again.
    platform.replaceFailure.reset();
    EXPECT_TRUE(l.SaveSettings());
    platform.replaceFailure = "read-only file system";
    l.Settings().ShowTitle = !l.Settings().ShowTitle;
    EXPECT_FALSE(l.SaveSettings());
    EXPECT_EQ(view.messages.size(), 3u);
}

TEST_F(LauncherTest, AFolderInTheSettingsFilesPlaceIsToldOnce) {
    fs::create_directory(files.ini);
    Launcher& l = Make();
    l.SaveSettings();
    l.SaveSettings();
    EXPECT_EQ(view.messages.size(), 1u);
}

// What the button store and the settings migration meet reaches the user as these messages,
// in the order met.
TEST_F(LauncherTest, StoreOutcomesAreToldWithTheirMessages) {
    struct Expected {
        MsgKind kind;
        unsigned buttons;
        std::vector<std::string> parts; // in the text, in this order
    };
    struct Row {
        const char* name;
        std::function<void()> before; // before the launcher starts
        std::function<void(Launcher&)> act;
        std::vector<Expected> messages;
    };
    const auto error = [](std::vector<std::string> parts) {
        return Expected{MsgKind::Error, msg_buttons::kOk, std::move(parts)};
    };
    const auto warning = [](std::string text) {
        return Expected{MsgKind::Warning, msg_buttons::kOkOnly, {std::move(text)}};
    };
    const std::string fullLastPage = [] {
        std::string bytes = "[c]\r\n";
        for (int n = 1; n <= 24; ++n)
            bytes += "32767:" + std::to_string(n) + "=/bin/true\r\n";
        return bytes;
    }();
    const Row rows[] = {
        {"write-failed",
         [] {},
         [&](Launcher& l) {
             l.AssignButton(MakeFile("a"), 1);
             platform.replaceFailure = "No space left on device";
             EXPECT_FALSE(l.SavePage());
         },
         {error({"データファイル(" + files.txt +
                 ")に書き込めませんでした。\r\n"
                 "No space left on device\r\n元のファイルは変更されていません。"})}},
        {"folder-in-its-place",
         [&] { fs::create_directory(files.txt); },
         [&](Launcher& l) { EXPECT_FALSE(l.SavePage()); },
         {error({"データファイル(" + files.txt + ")を読み込めませんでした。\r\n", "フォルダ"}),
          error({"データファイル(" + files.txt +
                     ")を読み込めないため、ページを保存できませんでした。\r\n",
                 "フォルダ"})}},
        {"foreign-encoding",
         [&] { WriteAll(files.txt, std::string("\xFF\xFE[\0c\0]\0", 8)); },
         [&](Launcher& l) {
             l.LoadPage();
             EXPECT_FALSE(l.SavePage());
         },
         {error({files.txt, "UTF-16 LE"})}},
        {"line-break",
         [] {},
         [&](Launcher& l) { EXPECT_EQ(l.AssignButton("/tmp/a\nb", 2), 0); },
         {warning("名前に改行文字が含まれているため、ボタンに登録できません。\r\n( /tmp/a b )")}},
        {"last-page-full",
         [&] { WriteAll(files.txt, fullLastPage); },
         [&](Launcher& l) {
             l.Store().SetCurrentPage("32767");
             l.LoadPage();
             EXPECT_EQ(l.AssignButton("/bin/sh <TS>Shell<TE>", 0), 0);
         },
         {warning("ページ 32767 に空きボタンがなく、次のページもないため、\r\n"
                  "ファイル( /bin/sh )を登録できませんでした。")}},
        {"categories-not-moved",
         [&] { WriteAll(files.ini, "[Category]\r\n0=A\r\n[Category:A]\r\n1:1=/x\r\n"); },
         [&](Launcher& l) {
             platform.replaceFailure = "read-only folder";
             l.MigrateIniCategories();
         },
         {error(
             {"データファイル(" + files.txt + ")を作成できませんでした。\r\nread-only folder"})}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        platform.replaceFailure.reset();
        row.before();
        view.messages.clear();
        row.act(Make());
        ASSERT_EQ(view.messages.size(), row.messages.size());
        for (std::size_t i = 0; i < row.messages.size(); ++i) {
            const Expected& expected = row.messages[i];
            EXPECT_EQ(view.messages[i].kind, expected.kind);
            EXPECT_EQ(view.messages[i].buttons, expected.buttons);
            std::size_t at = 0;
            for (const std::string& part : expected.parts) {
                at = view.messages[i].text.find(part, at);
                EXPECT_NE(at, std::string::npos) << view.messages[i].text << "\nlacks " << part;
            }
        }
    }
}

TEST_F(LauncherTest, LaunchingAFileOpensItPressedUnderTheHourglass) {
    Launcher& l = Make();
    const std::string target = MakeFile("script.sh");
    ASSERT_EQ(l.AssignButton(target, 17), 17);
    view.busyChanges.clear();

    l.ExecuteButton(17);
    ASSERT_EQ(platform.opens.size(), 1u);
    EXPECT_EQ(platform.opens[0].path, target);
    EXPECT_EQ(platform.opens[0].parameters, "");
    EXPECT_EQ(platform.opens[0].workingFolder, dir.string());
    EXPECT_EQ(window.pressed, (std::vector<std::pair<int, bool>>{{17, true}, {17, false}}));
    EXPECT_EQ(view.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LauncherTest, FolderButtonOpensTheFileManager) {
    Launcher& l = Make();
    const fs::path folder = dir / "a folder";
    fs::create_directories(folder);
    ASSERT_EQ(l.AssignButton(folder.string(), 3), 3);
    ASSERT_TRUE(l.Store().BtnFile(3).empty());

    l.ExecuteButton(3);
    EXPECT_EQ(platform.shownFolders, std::vector<std::string>{folder.string()});
    EXPECT_TRUE(platform.opens.empty());

    // A file manager that shows nothing: the folder is opened with its default application.
    platform.showResult = false;
    l.ExecuteButton(3);
    ASSERT_EQ(platform.opens.size(), 1u);
    EXPECT_EQ(platform.opens[0].path, folder.string());
}

TEST_F(LauncherTest, MissingTargetShowsItsMessageAndNothingElse) {
    Launcher& l = Make();
    const std::string target = MakeFile("gone.sh");
    ASSERT_EQ(l.AssignButton(target, 5), 5);
    ASSERT_TRUE(l.SavePage());
    fs::remove(target);
    l.LoadPage(); // the target is gone: its whole path is the slot's folder
    ASSERT_EQ(l.Store().BtnPath(5), target);
    ASSERT_TRUE(l.Store().BtnFile(5).empty());
    platform.openResult = open_result::kNotFound;

    l.ExecuteButton(5);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, target + "\r\nが存在しません。");
    EXPECT_EQ(view.messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(platform.shownFolders.empty());
    EXPECT_EQ(window.pressed.back(), (std::pair<int, bool>{5, false}));
    EXPECT_EQ(view.busyChanges.back(), false);
}

TEST_F(LauncherTest, EmptyButtonGoesToTheBrowseHandlerOnly) {
    Launcher& l = Make();
    l.ExecuteButton(9);
    EXPECT_TRUE(platform.opens.empty());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(window.pressed.empty());

    int asked = 0;
    l.SetEmptyButtonHandler([&](int slot) { asked = slot; });
    l.SetBrowseStartPath((dir / "no such file").string());
    l.ExecuteButton(9);
    EXPECT_EQ(asked, 9);
    EXPECT_TRUE(l.BrowseStartPath().empty());

    const std::string kept = MakeFile("start.txt");
    l.SetBrowseStartPath(kept);
    l.ExecuteButton(9);
    EXPECT_EQ(l.BrowseStartPath(), kept);

    l.ExecuteButton(0);
    l.ExecuteButton(25);
    EXPECT_EQ(asked, 9);
}

TEST_F(LauncherTest, PageFieldIsCorrectedIntoRange) {
    Launcher& l = Make();
    EXPECT_EQ(l.PageTextChanged(""), "1");
    EXPECT_EQ(l.PageTextChanged("0"), "1");
    EXPECT_EQ(l.PageTextChanged("40000"), "32767");
    EXPECT_EQ(l.PageTextChanged("007"), "7");
    EXPECT_EQ(l.Store().CurrentPage(), "1"); // corrections load nothing themselves

    view.busyChanges.clear();
    EXPECT_EQ(l.PageTextChanged("32767"), std::nullopt);
    EXPECT_EQ(l.Store().CurrentPage(), "32767");
    EXPECT_EQ(view.busyChanges, (std::vector<bool>{true, false}));

    EXPECT_THROW(l.PageTextChanged("12a"), ConversionError);
    EXPECT_THROW(l.PageTextChanged("99999999999"), ConversionError);
    EXPECT_EQ(l.Store().CurrentPage(), "32767");
}

TEST_F(LauncherTest, PagesStepWithinOneTo32767AndLoadTheirButtons) {
    WriteAll(files.txt, "[無題カテゴリ]\r\n8:2=" + MakeFile("eight.sh") + " <TS>eight<TE>\r\n");
    Launcher& l = Make();
    l.StepPage(-1);
    EXPECT_EQ(l.Store().CurrentPage(), "1");

    ASSERT_EQ(l.PageTextChanged("7"), std::nullopt);
    EXPECT_FALSE(l.Store().IsUsed(2));
    l.StepPage(+1);
    EXPECT_EQ(l.Store().CurrentPage(), "8");
    EXPECT_EQ(l.Store().BtnTitle(2), "eight");

    ASSERT_EQ(l.PageTextChanged("32767"), std::nullopt);
    l.StepPage(+1);
    EXPECT_EQ(l.Store().CurrentPage(), "32767");
}

TEST_F(LauncherTest, CategoriesStepInFileOrderAndBeepAtTheEnds) {
    const std::string a = MakeFile("a.sh");
    WriteAll(files.txt, "[one]\r\n[two]\r\n1:1=" + a + " <TS>A<TE>\r\n2:1=" + a +
                            " <TS>A2<TE>\r\n[three]\r\n");
    Launcher& l = Make();
    EXPECT_EQ(l.CategoryMenu(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(l.Store().CurrentCategory(), "one");

    l.PreviousCategory();
    EXPECT_EQ(view.beeps.size(), 1u);
    EXPECT_EQ(l.Store().CurrentCategory(), "one");

    l.NextCategory();
    EXPECT_EQ(l.Store().CurrentCategory(), "two");
    EXPECT_EQ(l.Store().BtnTitle(1), "A");

    // A category switch always shows page 1, also of the category on screen.
    ASSERT_EQ(l.PageTextChanged("2"), std::nullopt);
    EXPECT_EQ(l.Store().BtnTitle(1), "A2");
    l.ChooseCategory("two");
    EXPECT_EQ(l.Store().CurrentPage(), "1");
    EXPECT_EQ(l.Store().BtnTitle(1), "A");

    l.NextCategory();
    EXPECT_EQ(l.Store().CurrentCategory(), "three");
    EXPECT_FALSE(l.Store().IsUsed(1));
    l.NextCategory();
    EXPECT_EQ(view.beeps.size(), 2u);
    EXPECT_EQ(l.Store().CurrentCategory(), "three");

    // A category that is not in the list (gone since): both directions beep.
    l.Store().SetCurrentCategory("gone");
    l.NextCategory();
    l.PreviousCategory();
    EXPECT_EQ(view.beeps.size(), 4u);
}

TEST_F(LauncherTest, ReloadingSettingsKeepsTheCategoryWhileItExists) {
    WriteAll(files.txt, "[one]\r\n[two]\r\n");
    Launcher& l = Make();
    l.ChooseCategory("two");
    l.LoadSettings("two");
    EXPECT_EQ(l.Store().CurrentCategory(), "two");
    WriteAll(files.txt, "[one]\r\n[three]\r\n");
    l.LoadSettings("two");
    EXPECT_EQ(l.Store().CurrentCategory(), "one");
}

TEST_F(LauncherTest, DisplayModeCycleLaysOutAndSavesEachStep) {
    Launcher& l = Make();
    const char* keys[] = {"NomalMode", "SmallMode", "TitleMode", "TimeMode", "TaRMode"};
    for (int step = 0; step < 5; ++step) {
        SCOPED_TRACE(step);
        l.CycleDisplayMode();
        EXPECT_EQ(window.arranged, step + 1);
        ProfileFile ini(files.ini);
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(ini.ReadInteger("Window", keys[k], -1), k == step ? 1 : 0) << keys[k];
        }
    }
    EXPECT_EQ(layout::CurrentMode(l.Modes()), layout::DisplayMode::TaR);

    // Choosing the mode in force does nothing.
    const std::size_t saves = platform.replacedFiles.size();
    EXPECT_FALSE(l.SelectDisplayMode(layout::DisplayMode::TaR));
    EXPECT_EQ(platform.replacedFiles.size(), saves);
    EXPECT_EQ(window.arranged, 5);
}

TEST_F(LauncherTest, LayoutFlagsFollowTheSettings) {
    WriteAll(files.ini, "[Window]\r\nShowTitle=0\r\nShowMem=0\r\nWinPos=3\r\nTaRMode=0\r\n"
                        "SmallMode=1\r\nTaRRight=1\r\n");
    Launcher& l = Make();
    const layout::LayoutFlags f = l.LayoutFlags(false);
    EXPECT_FALSE(f.showTitle);
    EXPECT_TRUE(f.showRes);
    EXPECT_FALSE(f.showMem);
    EXPECT_TRUE(f.taRRight);
    EXPECT_EQ(f.winPos, 3);
    EXPECT_TRUE(f.modes.small);
    EXPECT_FALSE(f.modes.taR);
    EXPECT_FALSE(f.active);
}

TEST_F(LauncherTest, EachToggleChangesItsSettingTellsTheWindowAndSaves) {
    using Told = std::vector<std::string>;
    struct Row {
        const char* key;
        bool WindowSettings::*field;
        void (Launcher::*toggle)();
        Told told;
        bool underHourglass;
    };
    const Row rows[] = {
        {"FrmStyle",
         &WindowSettings::FrmStyle,
         &Launcher::ToggleStayOnTop,
         {"ApplyStayOnTop"},
         false},
        {"ShowRes",
         &WindowSettings::ShowRes,
         &Launcher::ToggleInfo,
         {"UpdateToggleButtons", "ApplyInfoVisibility"},
         false},
        {"ShowMem",
         &WindowSettings::ShowMem,
         &Launcher::ToggleInfo,
         {"UpdateToggleButtons", "ApplyInfoVisibility"},
         false},
        {"ShowOpt",
         &WindowSettings::ShowOpt,
         &Launcher::ToggleOpt,
         {"UpdateToggleButtons", "ArrangeLayout"},
         false},
        {"BtnSize",
         &WindowSettings::BtnSize,
         &Launcher::ToggleIconSize,
         {"ButtonLookChanged"},
         true},
        {"BtnCaption",
         &WindowSettings::BtnCaption,
         &Launcher::ToggleCaptions,
         {"ButtonLookChanged"},
         true},
    };
    Launcher& l = Make();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        // Twice: each press turns the setting over and writes what it now is.
        for (int press = 0; press < 2; ++press) {
            const bool before = l.Settings().*row.field;
            window.told.clear();
            view.busyChanges.clear();
            (l.*row.toggle)();
            EXPECT_EQ(l.Settings().*row.field, !before);
            EXPECT_EQ(window.told, row.told);
            EXPECT_EQ(ProfileFile(files.ini).ReadInteger("Window", row.key, -1), before ? 0 : 1);
            const std::vector<bool> busy =
                row.underHourglass ? std::vector<bool>{true, false} : std::vector<bool>{};
            EXPECT_EQ(view.busyChanges, busy);
        }
    }
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LauncherTest, ACornerChosenBecomesTheWinPosSettingAndTheWindowMoves) {
    Launcher& l = Make();
    l.PlaceAtCorner(3);
    EXPECT_EQ(l.Settings().WinPos, 3);
    // The nearest corner: the window measures which one it is and records it.
    l.PlaceAtCorner(0);
    EXPECT_EQ(l.Settings().WinPos, 3);
    EXPECT_EQ(window.told, (std::vector<std::string>{"PlaceAtCorner 3", "PlaceAtCorner 0"}));
}
