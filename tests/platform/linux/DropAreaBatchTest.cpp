// The drop areas' batch carried out by the real platform on a temporary tree: the recycle-bin
// area fills the real Trash of a private XDG_DATA_HOME, the delete area removes exactly the
// dropped paths.

#include "core/Platform.h"
#include "core/areas/PendingBatch.h"
#include "core/settings/Settings.h"
#include "fakes/FakeView.h"
#include "platform/linux/DesktopTestSupport.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

using namespace tavolin::testing;
using areas::AreaKind;

const IsolatedDesktop& g_desktop = IsolatedDesktop::Instance();

class NoAreas : public areas::AreasWindow {
public:
    void ShowAreaPicture(AreaKind, int) override {}
    void ShowWaitingHint(AreaKind, bool) override {}
    void SetCountdownRunning(bool on) override { running = on; }
    bool running = false;
};

class DropAreaBatchTest : public ::testing::Test {
protected:
    void CarryOut(std::vector<std::string> paths, AreaKind area) {
        batch.Append(std::move(paths), area);
        for (int i = 0; i < 100 && window.running; ++i)
            batch.tmDelTimer();
        ASSERT_TRUE(batch.PendingList().empty());
    }

    TempFolder dir{"tavolin-areas-"};
    std::unique_ptr<Platform> platform = CreatePlatform();
    FakeView view;
    NoAreas window;
    WindowSettings settings;
    areas::PendingBatch batch{*platform, view, window, settings};
};

TEST_F(DropAreaBatchTest, RecycleBinAreaMovesTheFilesToTheTrash) {
    const fs::path trash = g_desktop.DataHome() / "Trash";
    const fs::path a = dir.Path() / "a.txt";
    const fs::path folder = dir.Path() / "folder with space";
    WriteText(a, "a");
    WriteText(folder / "inside.txt", "inside");

    CarryOut({a.string(), folder.string()}, AreaKind::Recycle);

    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(ReadText(trash / "files" / "a.txt"), "a");
    EXPECT_EQ(ReadText(trash / "files" / "folder with space" / "inside.txt"), "inside");
    EXPECT_TRUE(fs::exists(trash / "info" / "a.txt.trashinfo"));
    const std::string info = ReadText(trash / "info" / "folder with space.trashinfo");
    EXPECT_NE(info.find("Path=" + dir.Path().string() + "/folder%20with%20space"),
              std::string::npos)
        << info;
}

TEST_F(DropAreaBatchTest, DeleteAreaRemovesExactlyTheDroppedPaths) {
    const fs::path target = dir.Path() / "target";
    const fs::path link = dir.Path() / "link-to-target";
    const fs::path gone = dir.Path() / "gone";
    const fs::path stays = dir.Path() / "stays.txt";
    WriteText(target / "kept.txt", "kept");
    WriteText(gone / "sub" / "x.txt", "x");
    WriteText(stays, "stays");
    fs::create_directory_symlink(target, link);

    CarryOut({link.string(), gone.string(), (dir.Path() / "missing").string()}, AreaKind::Delete);

    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_EQ(ReadText(target / "kept.txt"), "kept");
    EXPECT_EQ(ReadText(stays), "stays");
    // The path that was not there is reported by name; the others are not.
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].text.find("missing"), std::string::npos);
    EXPECT_EQ(view.messages[0].text.find("gone"), std::string::npos);
}

} // namespace
} // namespace tavolin
