#include "core/drop/DropFileTarget.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tavolin::drop;

namespace {

class Data : public DropData {
public:
    explicit Data(std::optional<std::vector<std::string>> files,
                  std::vector<std::string> mapped = {})
        : m_files(std::move(files)), m_mapped(std::move(mapped)) {}
    bool HasFileList() const override { return m_files.has_value(); }
    std::optional<std::vector<std::string>> FileList() const override { return m_files; }
    std::vector<std::string> MappedNames() const override { return m_mapped; }

private:
    std::optional<std::vector<std::string>> m_files;
    std::vector<std::string> m_mapped;
};

constexpr std::uint32_t kAll = effect::kCopy | effect::kMove | effect::kLink;

struct EffectRow {
    const char* name;
    TDragTypes types;
    TShiftState keys;
    std::uint32_t expected;
};

class EffectChoice : public ::testing::TestWithParam<EffectRow> {};

TEST_P(EffectChoice, FollowsTheKeysAndTheAcceptedTypes) {
    TDropFileTarget target;
    target.Dragtypes = GetParam().types;
    const auto data = std::make_shared<Data>(std::vector<std::string>{"/a"});
    EXPECT_EQ(target.DragEnter(data, GetParam().keys, {5, 5}, kAll), GetParam().expected);
    EXPECT_EQ(target.DragOver(GetParam().keys, {6, 6}, kAll), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EffectChoice,
    ::testing::Values(EffectRow{"all_no_keys",
                                {TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink},
                                0,
                                effect::kCopy},
                      EffectRow{"all_shift",
                                {TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink},
                                shift::kShift,
                                effect::kMove},
                      EffectRow{"all_ctrl",
                                {TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink},
                                shift::kCtrl,
                                effect::kCopy},
                      EffectRow{"all_shift_ctrl",
                                {TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink},
                                shift::kShift | shift::kCtrl,
                                effect::kLink},
                      EffectRow{"link_only_no_keys", {TDragType::dtLink}, 0, effect::kLink},
                      EffectRow{
                          "link_only_shift", {TDragType::dtLink}, shift::kShift, effect::kLink},
                      EffectRow{"none_accepted", {}, shift::kShift, effect::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DropFileTarget, EventsInOrderWithTheFileListOnlyWhileDropping) {
    TDropFileTarget target;
    std::vector<std::string> events;
    std::vector<std::string> seenAtDrop;
    target.OnEnter = [&](TShiftState, DropPoint, std::uint32_t&) { events.push_back("enter"); };
    target.OnDragOver = [&](TShiftState, DropPoint p, std::uint32_t& e) {
        events.push_back("over " + std::to_string(p.x) + "," +
                         std::to_string(target.Files().size()));
        e = effect::kLink; // the handler's choice is what the cursor shows
    };
    target.OnDrop = [&](TShiftState, DropPoint, std::uint32_t& e) {
        events.push_back("drop");
        seenAtDrop = target.Files();
        EXPECT_TRUE(target.MappedNames().empty()); // two names for three files
        e = effect::kNone;
    };
    target.OnLeave = [&] { events.push_back("leave"); };

    const auto data = std::make_shared<Data>(std::vector<std::string>{"/a", "/b c", "/d"},
                                             std::vector<std::string>{"x", "y"});
    target.DragEnter(data, 0, {1, 1}, kAll);
    EXPECT_EQ(target.DragOver(0, {7, 1}, kAll), effect::kLink);
    EXPECT_EQ(target.Drop(0, {7, 1}, kAll), effect::kNone);
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "over 7,0", "drop"}));
    EXPECT_EQ(seenAtDrop, (std::vector<std::string>{"/a", "/b c", "/d"}));
    EXPECT_TRUE(target.Files().empty());
    EXPECT_FALSE(target.Dragging());

    // Read at enter, the list is there while dragging; a leave empties it.
    target.GetDataOnEnter = true;
    target.DragEnter(
        std::make_shared<Data>(std::vector<std::string>{"/e"}, std::vector<std::string>{"shown"}),
        0, {1, 1}, kAll);
    EXPECT_EQ(target.Files(), std::vector<std::string>{"/e"});
    EXPECT_EQ(target.MappedNames(), std::vector<std::string>{"shown"});
    target.DragLeave();
    EXPECT_TRUE(target.Files().empty());
    EXPECT_EQ(events.back(), "leave");
}

TEST(DropFileTarget, DataWithoutAFileListRaisesNoEvent) {
    TDropFileTarget target;
    target.Dragtypes = {TDragType::dtCopy};
    int raised = 0;
    target.OnEnter = target.OnDragOver =
        target.OnDrop = [&](TShiftState, DropPoint, std::uint32_t&) { ++raised; };
    const auto text = std::make_shared<Data>(std::nullopt);
    EXPECT_EQ(target.DragEnter(text, 0, {1, 1}, kAll), effect::kNone);
    EXPECT_EQ(target.DragOver(0, {2, 2}, kAll), effect::kNone);
    EXPECT_EQ(target.Drop(0, {2, 2}, kAll), effect::kNone);
    // A list that turns out empty at the drop: no OnDrop either.
    target.DragEnter(std::make_shared<Data>(std::vector<std::string>{}), 0, {1, 1}, kAll);
    EXPECT_EQ(target.Drop(0, {2, 2}, kAll), effect::kNone);
    EXPECT_EQ(raised, 1); // the enter of the second drag only
}

TEST(DropFileTarget, ScrollsNearTheEdgesOfAWindowWithScrollBars) {
    TDropFileTarget target;
    target.Dragtypes = {TDragType::dtCopy};
    const ScrollableWindow list{false, true, 12, 200, 100};
    const auto data = std::make_shared<Data>(std::vector<std::string>{"/a"});
    target.DragEnter(data, 0, {50, 50}, kAll, list);
    EXPECT_EQ(target.DragOver(0, {50, 5}, kAll), effect::kCopy | effect::kScroll);
    EXPECT_TRUE(target.Scrolling());
    EXPECT_EQ(target.ScrollTick().vertical, -1);
    EXPECT_EQ(target.DragOver(0, {50, 95}, kAll), effect::kCopy | effect::kScroll);
    EXPECT_EQ(target.ScrollTick().vertical, 1);
    // No horizontal bar: the left edge does not scroll.
    EXPECT_EQ(target.DragOver(0, {2, 50}, kAll), effect::kCopy);
    EXPECT_FALSE(target.Scrolling());
    target.Drop(0, {2, 50}, kAll);
    EXPECT_FALSE(target.Scrolling());
}

} // namespace
