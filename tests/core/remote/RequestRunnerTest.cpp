#include "core/remote/RequestRunner.h"

#include "core/launcher/Launcher.h"
#include "fakes/FakeLauncherWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tavolin;
using namespace tavolin::remote;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;
namespace fs = std::filesystem;

namespace {

using FakeWindow = tavolin::testing::FakeLauncherWindow;

Request Press(int slot, std::optional<std::string> category = {}, std::optional<int> page = {}) {
    Request r;
    r.press = slot;
    r.category = std::move(category);
    r.page = page;
    return r;
}

// Two categories: "仕事" with F5 on page 1, "遊び 2" with F5 and Shift+F5 on page 2.
class RequestRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tavolin-remote-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const char* name : {"work.sh", "play.sh", "play17.sh"}) {
            std::ofstream(dir / name) << "x";
        }
        files = DataFiles{(dir / "tavolin.txt").string(), (dir / "tavolin.ini").string(),
                          (dir / "tavolin.tmp").string(), (dir / "tavolin.tmp2").string()};
        std::ofstream(files.txt, std::ios::binary)
            << "\xEF\xBB\xBF[仕事]\r\n1:5=" << (dir / "work.sh").string()
            << " <TS>work<TE>\r\n[遊び 2]\r\n2:5=" << (dir / "play.sh").string()
            << " <TS>play<TE>\r\n2:17=" << (dir / "play17.sh").string() << " <TS>p17<TE>\r\n";
        launcher = std::make_unique<Launcher>(platform, view, window, files);
        launcher->LoadSettings("");
        launcher->LoadPage();
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    DataFiles files;
    FakePlatform platform{FakePlatform::kHostStyle}; // real temporary files
    FakeView view;
    FakeWindow window;
    std::unique_ptr<Launcher> launcher;
};

} // namespace

TEST_F(RequestRunnerTest, ChoosesThenChecksTheButtonWithoutAskingAnything) {
    struct Row {
        const char* name;
        Request request;
        int status;
        std::optional<int> press;
        const char* category; // on screen afterwards
        const char* page;
        const char* message;
    };
    const Row rows[] = {
        {"used button of the page on screen", Press(5), 0, 5, "仕事", "1", ""},
        {"empty button",
         Press(6),
         1,
         {},
         "仕事",
         "1",
         "F6 on page 1 of \"仕事\" is an empty button"},
        {"category and page first", Press(17, "遊び 2", 2), 0, 17, "遊び 2", "2", ""},
        {"category alone goes to its page 1",
         Press(5, "遊び 2"),
         1,
         {},
         "遊び 2",
         "1",
         "F5 on page 1 of \"遊び 2\" is an empty button"},
        {"no such category changes nothing",
         Press(5, "遊び", 2),
         1,
         {},
         "仕事",
         "1",
         "there is no category \"遊び\""},
        {"page of the category on screen",
         Press(5, {}, 7),
         1,
         {},
         "仕事",
         "7",
         "F5 on page 7 of \"仕事\" is an empty button"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        launcher->ChooseCategory("仕事");
        const Plan plan = PrepareRequest(*launcher, row.request);
        EXPECT_EQ(plan.answer.status, row.status);
        EXPECT_EQ(plan.answer.message, row.message);
        EXPECT_EQ(plan.press, row.press);
        EXPECT_EQ(launcher->Store().CurrentCategory(), row.category);
        EXPECT_EQ(launcher->Store().CurrentPage(), row.page);
    }
    // The plan is carried out by the window; nothing was launched, shown or asked here.
    EXPECT_TRUE(platform.opens.empty());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(RequestRunnerTest, ShowAndQuitFollowOnlyASuccess) {
    Request r = Press(5);
    r.show = true;
    r.quit = true;
    Plan plan = PrepareRequest(*launcher, r);
    EXPECT_EQ(plan.answer, Answer{});
    EXPECT_TRUE(plan.show);
    EXPECT_TRUE(plan.quit);

    r.press = 9;
    plan = PrepareRequest(*launcher, r);
    EXPECT_EQ(plan.answer.status, kExitFailed);
    EXPECT_FALSE(plan.show);
    EXPECT_FALSE(plan.quit);
}
