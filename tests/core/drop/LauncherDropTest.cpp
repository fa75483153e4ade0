#include "core/drop/LauncherDrop.h"

#include "core/launcher/Launcher.h"
#include "core/text/TextFile.h"
#include "fakes/FakeLauncherWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace tavolin;
using namespace tavolin::drop;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class FakeWindow : public tavolin::testing::FakeLauncherWindow, public DropWindow {
public:
    FakeWindow() {
        // Two rows of twelve 23 x 22 buttons in a bar at (10, 20); the areas right of it.
        rects.bar = {10, 20, 12 * 23, 2 * 22};
        for (int i = 0; i < 24; ++i) {
            rects.buttons[static_cast<std::size_t>(i)] = {10 + (i % 12) * 23, 20 + (i / 12) * 22,
                                                          23, 22};
        }
        rects.del = {300, 20, 36, 45};
        rects.gom = {340, 20, 36, 45};
    }
    DropRects Rects() const override { return rects; }
    void BringToFront() override { ++broughtForward; }

    // The centre of button n.
    DropPoint On(int n) const {
        const layout::Rect& r = rects.buttons[static_cast<std::size_t>(n - 1)];
        return {r.left + r.width / 2, r.top + r.height / 2};
    }

    DropRects rects;
    int broughtForward = 0;
};

class LauncherDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = DataFiles{
            (dir.Path() / "tavolin.txt").string(), (dir.Path() / "tavolin.ini").string(),
            (dir.Path() / "tavolin.tmp").string(), (dir.Path() / "tavolin.tmp2").string()};
        launcher = std::make_unique<Launcher>(platform, view, window, files);
        launcher->LoadSettings("");
        launcher->LoadPage();
        drop = std::make_unique<LauncherDrop>(*launcher, platform, view, window);
    }

    std::string MakeFile(const std::string& name) {
        const fs::path p = dir.Path() / name;
        std::ofstream(p) << "x";
        return p.string();
    }
    std::vector<std::string> MakeFiles(int count, const std::string& stem = "f") {
        std::vector<std::string> made;
        for (int i = 0; i < count; ++i)
            made.push_back(MakeFile(stem + std::to_string(i)));
        return made;
    }
    void Drop(DropPoint at, const std::vector<std::string>& paths, TShiftState keys = 0) {
        std::uint32_t effect = effect::kCopy;
        drop->DropFileTarget1Drop(keys, at, effect, paths);
        EXPECT_EQ(effect, effect::kNone); // the source never moves its files
    }
    std::vector<std::string> DataLines() {
        std::vector<std::string> lines;
        std::ifstream in(files.txt, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    ButtonStore& Store() { return launcher->Store(); }

    tavolin::testing::TempDir dir;
    DataFiles files;
    FakePlatform platform{FakePlatform::kHostStyle}; // real temporary files
    FakeView view;
    FakeWindow window;
    std::unique_ptr<Launcher> launcher;
    std::unique_ptr<LauncherDrop> drop;
};

TEST_F(LauncherDropTest, DragOverShowsCopyLinkOrMoveAndBringsTheWindowForward) {
    struct Row {
        DropPoint at;
        TShiftState keys;
        std::uint32_t expected;
    };
    const Row rows[] = {
        {window.On(5), 0, effect::kCopy},           {window.On(5), shift::kShift, effect::kLink},
        {{200, 100}, shift::kShift, effect::kCopy}, {{310, 30}, 0, effect::kMove},
        {{350, 30}, shift::kShift, effect::kMove},  {{10, 20}, shift::kShift, effect::kCopy},
    };
    for (const Row& row : rows) {
        std::uint32_t effect = effect::kNone;
        drop->DropFileTarget1DragOver(row.keys, row.at, effect);
        EXPECT_EQ(effect, row.expected) << row.at.x << "," << row.at.y;
    }
    // The default clock-and-information mode comes forward; the normal mode does not.
    EXPECT_EQ(window.broughtForward, 6);
    launcher->SelectDisplayMode(layout::DisplayMode::Nomal);
    std::uint32_t effect = effect::kNone;
    drop->DropFileTarget1DragOver(0, window.On(1), effect);
    EXPECT_EQ(window.broughtForward, 6);
}

TEST_F(LauncherDropTest, FilesFillEmptyButtonsFromTheDropPointAndNeverReplaceOne) {
    const std::string used = MakeFile("used");
    launcher->AssignButton(used, 6);
    launcher->AssignButton(used, 24);
    const std::vector<std::string> three = MakeFiles(3);
    Drop(window.On(5), three);
    EXPECT_EQ(Store().BtnFile(5), "f0");
    EXPECT_EQ(Store().BtnFile(6), "used");
    EXPECT_EQ(Store().BtnFile(7), "f1");
    EXPECT_EQ(Store().BtnFile(8), "f2");

    // On a used button with no empty one after it: the first empty button of the page.
    const std::string late = MakeFile("late");
    Drop(window.On(24), {late});
    EXPECT_EQ(Store().BtnFile(1), "late");
    EXPECT_THAT(DataLines(), ::testing::Contains("1:1=" + late + " <TS>late<TE>"));
    EXPECT_EQ(window.broughtForward, 2);
}

TEST_F(LauncherDropTest, AFullPageOverflowsPageAfterPageSavingOncePerPage) {
    const std::vector<std::string> many = MakeFiles(50);
    platform.replacedFiles.clear();
    Drop({200, 100}, many);
    EXPECT_EQ(Store().CurrentPage(), "3");
    EXPECT_EQ(Store().BtnFile(1), "f48");
    EXPECT_EQ(Store().BtnFile(2), "f49");
    // Pages 1 and 2 when each filled up, page 3 at the end.
    EXPECT_EQ(platform.replacedFiles.size(), 3u);
    const std::vector<std::string> lines = DataLines();
    EXPECT_THAT(lines, ::testing::Contains("1:24=" + many[23] + " <TS>f23<TE>"));
    EXPECT_THAT(lines, ::testing::Contains("2:1=" + many[24] + " <TS>f24<TE>"));
    EXPECT_THAT(lines, ::testing::Contains("3:2=" + many[49] + " <TS>f49<TE>"));
}

TEST_F(LauncherDropTest, TheLastPageFullTellsOnceWhichFilesWereNotPlaced) {
    Store().SetCurrentPage("32767");
    launcher->LoadPage();
    const std::vector<std::string> first = MakeFiles(23, "a");
    Drop({200, 100}, first);
    const std::vector<std::string> rest = MakeFiles(3, "b");
    view.messages.clear();
    Drop({200, 100}, rest);
    EXPECT_EQ(Store().CurrentPage(), "32767");
    EXPECT_EQ(Store().BtnFile(24), "b0");
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0].text, HasSubstr(rest[1]));
    EXPECT_THAT(view.messages[0].text, HasSubstr(rest[2]));
    EXPECT_THAT(DataLines(), ::testing::Contains("32767:24=" + rest[0] + " <TS>b0<TE>"));
}

TEST_F(LauncherDropTest, AFullPageThatCannotBeSavedIsToldOnceAndStaysOnScreen) {
    Drop({200, 100}, MakeFiles(24, "a"));
    const std::vector<std::string> before = DataLines();
    platform.replaceFailure = "read-only file system";
    Drop({200, 100}, MakeFiles(5, "b"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0].text, HasSubstr("read-only file system"));
    EXPECT_EQ(Store().CurrentPage(), "1");
    EXPECT_EQ(Store().BtnFile(24), "a23");
    EXPECT_EQ(DataLines(), before);
}

TEST_F(LauncherDropTest, ShiftDropPassesEachFileToAProgramAsOneArgument) {
    const std::string program = MakeFile("tool");
    platform.programs.insert(program);
    launcher->AssignButton(program, 3);
    const std::string document = MakeFile("notes.txt");
    launcher->AssignButton(document, 4);
    const std::vector<std::string> dropped = {"/tmp/a b \"c\".txt", "/tmp/$(touch x)"};

    Drop(window.On(3), dropped, shift::kShift);
    ASSERT_EQ(platform.opens.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(platform.opens[i].path, program);
        EXPECT_EQ(platform.opens[i].arguments, std::vector<std::string>{dropped[i]});
    }
    EXPECT_TRUE(view.messages.empty());

    // A document, an empty button or the background: one message per file, nothing runs.
    for (DropPoint at : {window.On(4), window.On(9), DropPoint{200, 100}}) {
        view.messages.clear();
        Drop(at, dropped, shift::kShift);
        ASSERT_EQ(view.messages.size(), 2u);
        EXPECT_EQ(view.messages[1].text,
                  "ファイル( /tmp/$(touch x) )を\r\nパラメータとして渡せませんでした。");
        EXPECT_EQ(view.messages[1].kind, MsgKind::Information);
    }
    EXPECT_EQ(platform.opens.size(), 2u);
    EXPECT_FALSE(Store().IsUsed(9));
}

TEST_F(LauncherDropTest, AreaDropsGoToTheAreasBatchesUntouched) {
    std::vector<std::pair<areas::AreaKind, std::vector<std::string>>> batches;
    drop->SetAreaSink([&](areas::AreaKind area, const std::vector<std::string>& paths) {
        batches.emplace_back(area, paths);
    });
    const std::vector<std::string> two = MakeFiles(2);
    Drop({300, 20}, two);                     // the delete area's corner: borders count
    Drop({376, 65}, {two[0]}, shift::kShift); // the recycle-bin area's far corner
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].first, areas::AreaKind::Delete);
    EXPECT_EQ(batches[0].second, two);
    EXPECT_EQ(batches[1].first, areas::AreaKind::Recycle);
    for (int n = 1; n <= 24; ++n)
        EXPECT_FALSE(Store().IsUsed(n));
    EXPECT_FALSE(fs::exists(files.txt)); // nothing was saved
}

TEST_F(LauncherDropTest, AnUnreadableFileEndsTheDropKeepingTheFilesBeforeIt) {
    platform.shortcutExtension = ".desktop";
    const std::string good = MakeFile("good");
    const std::string broken = MakeFile("broken.desktop");
    const std::string after = MakeFile("after");
    platform.unreadableShortcuts.insert(broken);
    const std::string newline = MakeFile("new\nline");

    Drop({200, 100}, {good, newline, broken, after});
    EXPECT_EQ(Store().BtnFile(1), "good");
    EXPECT_FALSE(Store().IsUsed(2));
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_THAT(view.messages[0].text, HasSubstr("改行文字"));
    EXPECT_EQ(view.messages[1].kind, MsgKind::Error);
    EXPECT_THAT(DataLines(), ::testing::Contains("1:1=" + good + " <TS>good<TE>"));
    EXPECT_EQ(DataLines().size(), 2u);
}

} // namespace
