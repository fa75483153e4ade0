#include "core/commands/ButtonCommands.h"
#include "core/commands/ButtonMenuModel.h"

#include "core/launcher/Launcher.h"
#include "core/text/Cp932.h"
#include "fakes/FakeLauncherWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tavolin;
using namespace tavolin::commands;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;
namespace fs = std::filesystem;

namespace {

using FakeWindow = tavolin::testing::FakeLauncherWindow;

// The data file's text.
std::string ReadText(const fs::path& path) {
    return text::DecodeCp932(tavolin::testing::ReadBytes(path));
}

class ButtonCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tavolin-commands-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "tools");
        files = DataFiles{(dir / "t.txt").string(), (dir / "t.ini").string(),
                          (dir / "t.tmp").string(), (dir / "t.tmp2").string()};
        launcher = std::make_unique<Launcher>(platform, view, window, files);
        launcher->LoadSettings("");
        commands = std::make_unique<ButtonCommands>(*launcher, platform, view, window);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Make(const std::string& relative) {
        const fs::path p = dir / relative;
        std::ofstream(p) << "x";
        return p.string();
    }
    ButtonStore& Store() { return launcher->Store(); }
    ButtonMenuState Menu(int n) {
        return MenuForButton(Store(), platform, n, launcher->ButtonClipboard().empty());
    }
    void ShowPage(const std::string& page) {
        Store().SetCurrentPage(page);
        launcher->LoadPage();
    }

    fs::path dir;
    DataFiles files;
    FakePlatform platform;
    FakeView view;
    FakeWindow window;
    std::unique_ptr<Launcher> launcher;
    std::unique_ptr<ButtonCommands> commands;
};

} // namespace

TEST_F(ButtonCommandsTest, MenuOfAUsedAnEmptyButtonAndTheWindow) {
    launcher->AssignButton(Make("tools/editor.sh") + " <TS>Editor<TE>", 5);

    const ButtonMenuState used = Menu(5);
    EXPECT_EQ(used.buttonTag, 5);
    EXPECT_EQ(used.detailsTag, 5);
    EXPECT_EQ(used.runCaption, "ボタン (Editor) 実行");
    EXPECT_EQ(used.editCaption, "ボタン (Editor) 編集");
    EXPECT_EQ(used.browseCaption, "ボタン (Editor) 参照...");
    EXPECT_EQ(used.detailsCaption, "ボタン (Editor) 詳細設定...");
    EXPECT_EQ(used.folder, (dir / "tools").string());
    EXPECT_EQ(FolderCaption(used.folder), "フォルダを開く (" + (dir / "tools").string() + ")");
    EXPECT_TRUE(used.run && used.edit && used.removeCopyCut && used.browse && used.rename &&
                used.openFolder);
    EXPECT_FALSE(used.paste || used.attached || used.help || used.readme);

    const ButtonMenuState empty = Menu(6);
    EXPECT_EQ(empty.buttonTag, 6);
    EXPECT_EQ(empty.runCaption, "ボタン 実行");
    EXPECT_EQ(empty.browseCaption, "ボタン 参照...");
    EXPECT_EQ(FolderCaption(empty.folder), "フォルダを開く");
    EXPECT_FALSE(empty.run || empty.removeCopyCut || empty.rename || empty.openFolder ||
                 empty.paste);
    EXPECT_TRUE(empty.edit && empty.browse);

    commands->Copy(5);
    EXPECT_TRUE(Menu(6).paste);

    // Browsing to replace starts at the button's target; an empty button forgets the start.
    commands->PrepareBrowse(5);
    EXPECT_EQ(launcher->BrowseStartPath(), (dir / "tools/editor.sh").string());
    commands->PrepareBrowse(6);
    EXPECT_EQ(launcher->BrowseStartPath(), "");

    const ButtonMenuState window = MenuForWindow();
    EXPECT_EQ(window.buttonTag, 0);
    EXPECT_EQ(window.detailsTag, 1);
    EXPECT_FALSE(window.run || window.edit || window.removeCopyCut || window.paste ||
                 window.browse || window.rename || window.openFolder || window.attached);
}

TEST_F(ButtonCommandsTest, AttachedFilesOnlyBesideAProgram) {
    struct Row {
        const char* name;
        const char* target;
        std::vector<const char*> beside;
        bool attached, help, readme;
    };
    const Row rows[] = {
        {"document", "a/notes.txt", {"a/notes.hlp", "a/Readme.txt"}, false, false, false},
        {"program alone", "b/TOOL.EXE", {}, true, false, false},
        {"help beside", "c/tool.exe", {"c/tool.hlp"}, true, true, false},
        {"readme any case", "d/tool.exe", {"d/README.TXT"}, true, false, true},
        {"README.md", "e/tool.exe", {"e/README.md"}, true, false, true},
        {"other readme", "f/tool.exe", {"f/readme.rst"}, true, false, false},
    };
    int slot = 1;
    for (const Row& row : rows) {
        fs::create_directories(dir / fs::path(row.target).parent_path());
        Make(row.target);
        for (const char* f : row.beside)
            Make(f);
        // The platform decides what a program is ("*.exe" here, as on Windows).
        if (row.attached)
            platform.programs.insert((dir / row.target).string());
        launcher->AssignButton((dir / row.target).string(), slot);
        const ButtonMenuState m = Menu(slot);
        EXPECT_EQ(m.attached, row.attached) << row.name;
        EXPECT_EQ(m.help, row.help) << row.name;
        EXPECT_EQ(m.readme, row.readme) << row.name;
        ++slot;
    }
    // The read-me item opens the file found.
    commands->OpenReadme(4);
    ASSERT_EQ(platform.opens.size(), 1u);
    EXPECT_EQ(platform.opens[0].path, (dir / "d/README.TXT").string());
    commands->OpenHelp(3);
    EXPECT_EQ(platform.opens.back().path, (dir / "c/tool.hlp").string());
}

TEST_F(ButtonCommandsTest, HelpFileAndShortenedFolderNames) {
    EXPECT_EQ(HelpFileOf("C:\\Tools\\prog.exe", PathStyle::Windows), "C:\\Tools\\prog.hlp");
    EXPECT_EQ(HelpFileOf("C:\\v1.2\\prog", PathStyle::Windows), "C:\\v1.2\\prog.hlp");
    EXPECT_EQ(HelpFileOf("/usr/bin/gimp", PathStyle::Posix), "/usr/bin/gimp.hlp");
    EXPECT_EQ(HelpFileOf("/opt/.hidden/tool", PathStyle::Posix), "/opt/.hidden/tool.hlp");

    // One unit of width per byte.
    const auto width = [](const std::string& s) { return static_cast<int>(s.size()); };
    struct Row {
        const char* path;
        PathStyle style;
        int max;
        const char* shown;
    };
    const Row rows[] = {
        {"C:\\Tools", PathStyle::Windows, 200, "C:\\Tools"},
        {"C:\\Program Files\\Vendor\\Tool\\Bin", PathStyle::Windows, 20, "C:\\...\\Tool\\Bin"},
        {"C:\\Program Files\\Vendor\\Tool\\Bin", PathStyle::Windows, 3, "C:\\...\\Bin"},
        {"\\\\server\\share\\a\\b\\c", PathStyle::Windows, 18, "\\\\server\\share\\...\\c"},
        {"/home/user/projects/tools/bin", PathStyle::Posix, 16, "/.../tools/bin"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShortenPath(row.path, row.style, row.max, width), row.shown) << row.path;
    }
}

TEST_F(ButtonCommandsTest, CutOnOnePageAndPasteOnAnotherSavesBothPages) {
    const std::string target = Make("tools/editor.sh");
    launcher->AssignButton(target + " <TS>Editor<TE>", 3);
    launcher->SavePage();

    commands->Cut(3);
    EXPECT_FALSE(Store().IsUsed(3));
    EXPECT_EQ(ReadText(files.txt).find("1:3="), std::string::npos);

    ShowPage("2");
    commands->Paste(7);
    EXPECT_EQ(Store().BtnTitle(7), "Editor");
    EXPECT_NE(ReadText(files.txt).find("2:7=" + target + " <TS>Editor<TE>"), std::string::npos);
    // The clipboard keeps the button for another paste, also in another category.
    Store().SetCurrentCategory("other");
    ShowPage("1");
    commands->Paste(1);
    EXPECT_EQ(Store().BtnTitle(1), "Editor");
    EXPECT_NE(ReadText(files.txt).find("[other]"), std::string::npos);

    commands->Delete(1);
    EXPECT_FALSE(Store().IsUsed(1));
    EXPECT_TRUE(view.messages.empty()); // delete, cut and paste never ask
}

TEST_F(ButtonCommandsTest, RenameAndReset) {
    const std::string target = Make("tools/editor.sh");
    launcher->AssignButton(target + " <TS>Editor<TE>", 2);
    launcher->AssignButton(Make("tools/other.sh"), 9);
    const auto saves = [&] { return platform.replacedFiles.size(); };

    EXPECT_EQ(commands->TitleOf(2), "Editor");
    std::size_t before = saves();
    EXPECT_FALSE(commands->Rename(2, std::nullopt)); // Cancel
    EXPECT_FALSE(commands->Rename(2, "Editor"));     // unchanged: nothing saved
    EXPECT_EQ(saves(), before);
    EXPECT_TRUE(commands->Rename(2, "エディタ"));
    EXPECT_EQ(Store().BtnTitle(2), "エディタ");
    EXPECT_TRUE(commands->Rename(2, ""));
    EXPECT_EQ(Store().BtnTitle(2), "editor.sh");
    EXPECT_NE(ReadText(files.txt).find("<TS>editor.sh<TE>"), std::string::npos);

    view.answers = {MsgResult::Cancel};
    before = saves();
    EXPECT_FALSE(commands->ResetPage());
    EXPECT_TRUE(Store().IsUsed(2) && Store().IsUsed(9));
    EXPECT_EQ(saves(), before);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "カテゴリー <無題カテゴリ> ページ <1> のボタンをすべてリセットしてもいいですか？");
    EXPECT_EQ(view.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(view.messages[0].buttons, msg_buttons::kOkCancel);

    EXPECT_TRUE(commands->ResetPage()); // OK
    for (int n = 1; n <= 24; ++n)
        EXPECT_FALSE(Store().IsUsed(n));
    EXPECT_EQ(ReadText(files.txt), "[無題カテゴリ]\r\n");
}

TEST_F(ButtonCommandsTest, OpenFolderSelectsTheTargetOrShowsTheFolderOfAMissingOne) {
    const std::string target = Make("tools/editor.sh");
    launcher->AssignButton(target, 4);
    commands->OpenFolder(4);
    EXPECT_EQ(platform.shownItems, std::vector<std::string>{target});
    EXPECT_EQ(window.pressed, (std::vector<std::pair<int, bool>>{{4, true}, {4, false}}));

    fs::remove(target);
    launcher->LoadPage(); // the missing target is now kept whole as the slot's folder
    commands->OpenFolder(4);
    EXPECT_EQ(platform.shownFolders, std::vector<std::string>{(dir / "tools").string()});

    // The file manager could not show it: the launch helper says what is wrong.
    platform.showResult = false;
    platform.openResult = open_result::kNotFound;
    commands->OpenFolder(4);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].text.find("が存在しません。"), std::string::npos);
}
