#include "core/areas/PendingBatch.h"

#include "core/settings/Settings.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tavolin;
using namespace tavolin::areas;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;

namespace {

class FakeAreas : public AreasWindow {
public:
    void ShowAreaPicture(AreaKind area, int picture) override {
        (area == AreaKind::Delete ? del : gom).push_back(picture);
    }
    void ShowWaitingHint(AreaKind area, bool waiting) override {
        (area == AreaKind::Delete ? delWaiting : gomWaiting) = waiting;
    }
    void SetCountdownRunning(bool on) override { running = on; }

    std::vector<int> del, gom;
    bool delWaiting = false, gomWaiting = false;
    bool running = false;
};

class PendingBatchTest : public ::testing::Test {
protected:
    // Ticks while the countdown runs; returns how many.
    int RunOut() {
        int ticks = 0;
        while (areas.running && ticks < 1000) {
            batch.tmDelTimer();
            ++ticks;
        }
        return ticks;
    }

    FakePlatform platform;
    FakeView view;
    FakeAreas areas;
    WindowSettings settings;
    PendingBatch batch{platform, view, areas, settings};
};

std::vector<std::string> Paths(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i)
        paths.push_back("/tmp/d/f" + std::to_string(i) + ".txt");
    return paths;
}

} // namespace

TEST_F(PendingBatchTest, DeleteBatchBlinksTenTicksThenGoesForGood) {
    batch.Append({"/tmp/a.txt", "/tmp/b.txt"}, AreaKind::Delete);
    EXPECT_EQ(batch.PendingList(), (std::vector<std::string>{"/tmp/a.txt", "/tmp/b.txt", "*Del*"}));
    EXPECT_EQ(batch.Countdown(), 10);
    EXPECT_TRUE(areas.running);
    EXPECT_TRUE(areas.delWaiting);
    EXPECT_FALSE(areas.gomWaiting);

    for (int tick = 1; tick < 10; ++tick)
        batch.tmDelTimer();
    EXPECT_TRUE(platform.deletes.empty()) << "nothing goes before the tenth tick";
    batch.tmDelTimer();

    // Plain ground on even counts (10, 8, .. 2), the symbol on odd ones, then the symbols.
    EXPECT_EQ(areas.del, (std::vector<int>{2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 0}));
    EXPECT_EQ(areas.gom, (std::vector<int>{1}));
    ASSERT_EQ(platform.deletes.size(), 1u);
    EXPECT_EQ(platform.deletes[0].first, (std::vector<std::string>{"/tmp/a.txt", "/tmp/b.txt"}));
    EXPECT_EQ(platform.deletes[0].second, DeleteMode::Permanent);
    EXPECT_TRUE(batch.PendingList().empty());
    EXPECT_EQ(batch.Countdown(), 0);
    EXPECT_FALSE(areas.running);
    EXPECT_FALSE(areas.delWaiting);
    EXPECT_TRUE(view.messages.empty()) << "DelMsg off: no confirmation";
}

TEST_F(PendingBatchTest, CountdownLengthFollowsTheSettings) {
    struct Row {
        AreaKind area;
        int flashes;
        int ticks; // after the drop; 0: carried out during the drop
    };
    const Row rows[] = {
        {AreaKind::Recycle, 3, 6}, {AreaKind::Recycle, 1, 2}, {AreaKind::Delete, 0, 0},
        {AreaKind::Recycle, 0, 0}, {AreaKind::Delete, -2, 0},
    };
    for (const Row& row : rows) {
        platform.deletes.clear();
        settings.DelFlash = settings.GomFlash = row.flashes;
        batch.Append({"/tmp/x"}, row.area);
        EXPECT_EQ(RunOut(), row.ticks) << row.flashes;
        ASSERT_EQ(platform.deletes.size(), 1u);
        EXPECT_EQ(platform.deletes[0].second,
                  row.area == AreaKind::Delete ? DeleteMode::Permanent : DeleteMode::Recycle);
    }
}

TEST_F(PendingBatchTest, ClickOffersToCancelOnlyOnItsOwnArea) {
    batch.Append({"/tmp/a.txt"}, AreaKind::Recycle);
    batch.tmDelTimer();
    batch.tmDelTimer(); // countdown 6 -> 4

    batch.AreaClick(AreaKind::Delete); // the other area: nothing
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(areas.running);

    // No: the count goes on from 4, not from the start.
    view.answers.push_back(MsgResult::No);
    batch.AreaClick(AreaKind::Recycle);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "ファイルのごみ箱行きを取り消しますか？\r\n\r\na.txt\r\n");
    EXPECT_EQ(view.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(view.messages[0].buttons, msg_buttons::kYesNo);
    EXPECT_EQ(areas.gom.back(), kGomPicture);
    EXPECT_TRUE(areas.running);
    EXPECT_EQ(batch.Countdown(), 4);
    EXPECT_EQ(RunOut(), 4);
    EXPECT_EQ(platform.deletes.size(), 1u);

    // Yes: nothing is touched, and the area is idle again.
    batch.Append({"/tmp/b.txt"}, AreaKind::Delete);
    batch.tmDelTimer();
    view.answers.push_back(MsgResult::Yes);
    batch.AreaClick(AreaKind::Delete);
    EXPECT_TRUE(batch.PendingList().empty());
    EXPECT_EQ(batch.Countdown(), 0);
    EXPECT_FALSE(areas.running);
    EXPECT_FALSE(areas.delWaiting);
    EXPECT_EQ(areas.del.back(), kDelPicture);
    EXPECT_EQ(platform.deletes.size(), 1u);
    batch.AreaClick(AreaKind::Delete); // nothing pending: nothing asked
    EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(PendingBatchTest, QuestionNamesAtMostTenFiles) {
    auto list = [](int count, std::string_view marker) {
        auto paths = Paths(count);
        paths.emplace_back(marker);
        return paths;
    };
    const std::string twelve = PendingBatch::CancelQuestion(list(12, kDelMarker), PathStyle::Posix);
    std::string expected = "ファイルの削除を取り消しますか？\r\n\r\n";
    for (int i = 1; i <= 10; ++i)
        expected += "f" + std::to_string(i) + ".txt\r\n";
    EXPECT_EQ(twelve, expected + "※残り 2 個省略");
    EXPECT_EQ(PendingBatch::CancelQuestion(list(10, kDelMarker), PathStyle::Posix), expected);
    EXPECT_EQ(PendingBatch::CancelQuestion(list(11, kDelMarker), PathStyle::Posix),
              expected + "※残り 1 個省略");
    EXPECT_EQ(PendingBatch::CancelQuestion({"C:\\dir\\a b.txt", "*Gom*"}, PathStyle::Windows),
              "ファイルのごみ箱行きを取り消しますか？\r\n\r\na b.txt\r\n");
}

TEST_F(PendingBatchTest, DropsWhileABatchIsPendingWaitBehindIt) {
    settings.DelFlash = 1;
    settings.GomFlash = 1;
    batch.Append({"/tmp/a"}, AreaKind::Delete);
    batch.Append({"/tmp/b"}, AreaKind::Recycle); // the other area
    batch.Append({"/tmp/c"}, AreaKind::Delete);  // the same area
    EXPECT_EQ(batch.PendingList(), (std::vector<std::string>{"/tmp/a", "*Del*"}));
    EXPECT_EQ(batch.QueuedBatches(), 2u);

    // A cancelled batch lets the next one start at once.
    view.answers.push_back(MsgResult::Yes);
    batch.AreaClick(AreaKind::Delete);
    EXPECT_EQ(batch.PendingList(), (std::vector<std::string>{"/tmp/b", "*Gom*"}));
    EXPECT_EQ(batch.Countdown(), 2);
    EXPECT_TRUE(areas.running);
    EXPECT_TRUE(areas.gomWaiting);

    EXPECT_EQ(RunOut(), 4);
    ASSERT_EQ(platform.deletes.size(), 2u);
    EXPECT_EQ(platform.deletes[0].first, (std::vector<std::string>{"/tmp/b"}));
    EXPECT_EQ(platform.deletes[0].second, DeleteMode::Recycle);
    EXPECT_EQ(platform.deletes[1].first, (std::vector<std::string>{"/tmp/c"}));
    EXPECT_EQ(platform.deletes[1].second, DeleteMode::Permanent);
    EXPECT_EQ(batch.QueuedBatches(), 0u);

    // Closing with a batch and a queue: nothing is deleted.
    batch.Append({"/tmp/d"}, AreaKind::Delete);
    batch.Append({"/tmp/e"}, AreaKind::Delete);
    batch.Discard();
    EXPECT_TRUE(batch.PendingList().empty());
    EXPECT_EQ(batch.QueuedBatches(), 0u);
    EXPECT_FALSE(areas.running);
    EXPECT_EQ(platform.deletes.size(), 2u);
}

TEST_F(PendingBatchTest, FailuresAreReportedByNameAndConfirmationIsAsked) {
    settings.GomFlash = 0;
    platform.deleteFailures["/tmp/locked.txt"] = "許可がありません";
    batch.Append({"/tmp/ok.txt", "/tmp/locked.txt"}, AreaKind::Recycle);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].text.find("/tmp/locked.txt : 許可がありません"), std::string::npos);
    EXPECT_EQ(view.messages[0].text.find("/tmp/ok.txt"), std::string::npos);
    EXPECT_TRUE(batch.PendingList().empty());

    // GomMsg on: the user is asked, and No touches nothing.
    settings.GomMsg = true;
    view.answers.push_back(MsgResult::No);
    batch.Append({"/tmp/ok.txt"}, AreaKind::Recycle);
    EXPECT_EQ(view.messages.back().kind, MsgKind::Confirmation);
    EXPECT_EQ(platform.deletes.size(), 1u);
    EXPECT_TRUE(batch.PendingList().empty());
}

TEST_F(PendingBatchTest, DoubleClicksOpenTheComputerAndTheTrash) {
    batch.AreaDoubleClick(AreaKind::Delete);
    batch.AreaDoubleClick(AreaKind::Recycle);
    EXPECT_EQ(platform.computerShown, 1);
    EXPECT_EQ(platform.recycleBinShown, 1);
    EXPECT_EQ(view.busyChanges, (std::vector<bool>{true, false, true, false}));
    platform.showResult = false;
    batch.AreaDoubleClick(AreaKind::Recycle);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MsgKind::Warning);
}
