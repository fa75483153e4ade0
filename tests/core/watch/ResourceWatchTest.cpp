#include "core/watch/ResourceWatch.h"

#include "core/settings/Settings.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tavolin;
using namespace tavolin::watch;
using tavolin::testing::FakePlatform;
using tavolin::testing::FakeView;

namespace {

class FakePanel : public PanelWindow {
public:
    void ShowFigures(const PanelFigures& f) override { shown.push_back(f); }
    void Flash(FlashPart part) override { flashes.push_back(part); }
    void PauseSampling() override { events.push_back("pause"); }
    void ResumeSampling() override { events.push_back("resume"); }
    void BringToFront() override { events.push_back("front"); }

    std::vector<PanelFigures> shown;
    std::vector<FlashPart> flashes;
    std::vector<std::string> events;
};

// Monday 5 January 2026, 09:07:03.
constexpr LocalTime kMonday{2026, 1, 5, 1, 9, 7, 3};

class ResourceWatchTest : public ::testing::Test {
protected:
    ResourceWatchTest() { SetResources(50, 50, 50); }

    void SetResources(int sys, int gdi, int user) {
        platform.freeResources[0] = sys;
        platform.freeResources[1] = gdi;
        platform.freeResources[2] = user;
    }

    FakePlatform platform{FakePlatform::kHostStyle}; // real temporary files
    FakeView view;
    FakePanel panel;
    WindowSettings settings;
    ResourceWatch watch{platform, view, panel, settings, [] { return kMonday; }};
};

} // namespace

TEST(DatePicture, LettersOfThePicture) {
    struct Row {
        const char* picture;
        const char* expected;
    };
    const Row rows[] = {
        {"yyyy/m/d(aaa) hh:nn", "2026/1/5(月) 09:07"},
        {"yyyy-mm-dd hh:nn:ss", "2026-01-05 09:07:03"},
        {"m月d日 aaa曜日", "1月5日 月曜日"},
        {"ddd mmm", "055 011"},         // the longest letters first, then the rest
        {"yy h n s aa", "yy h n s aa"}, // not letters of the picture: copied
        {"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatDate(row.picture, kMonday), row.expected) << row.picture;

    const char* weekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int day = 0; day < 7; ++day) {
        LocalTime t = kMonday;
        t.weekday = day;
        EXPECT_EQ(FormatDate("aaa", t), weekdays[day]);
    }
    EXPECT_EQ(FormatDate("hh:nn", LocalTime{2026, 12, 31, 4, 23, 59, 0}), "23:59");
}

TEST(DatePicture, KilobytesRoundHalfToEvenAndGroupDigits) {
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0, "0KB"},
        {511, "0KB"},
        {512, "0KB"},  // half: to the even 0
        {1536, "2KB"}, // half: to the even 2
        {2560, "2KB"}, // half: to the even 2
        {2561, "3KB"},
        {1023 * 1024, "1,023KB"},
        {999999ull * 1024, "999,999KB"},
        {1073741824ull, "1,048,576KB"},
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(FormatKilobytes(bytes), text) << bytes;
}

TEST_F(ResourceWatchTest, HiddenPartsAreSampledOnlyWhenSomethingNeedsThem) {
    platform.processorUsage = 12;
    platform.memory = MemoryStatus{2048, 1024};
    settings.ShowDate = false;

    // Resources hidden but watched: still sampled.
    settings.ShowRes = false;
    SetResources(10, 50, 50);
    watch.ResTimer();
    EXPECT_EQ(watch.Figures().sys, 10);
    EXPECT_EQ(panel.flashes.size(), 1u);
    // Neither shown nor watched: the gauges, the processor and the memory keep their figures;
    // the hidden clock is still written.
    settings.ResWatch = false;
    settings.ShowMem = false;
    SetResources(90, 90, 90);
    platform.processorUsage = 99;
    platform.memory = MemoryStatus{4096, 4096};
    watch.ResTimer();
    EXPECT_EQ(watch.Figures().sys, 10);
    EXPECT_EQ(watch.Figures().cpu, 12);
    EXPECT_EQ(watch.Figures().totalMem, "2KB");
    EXPECT_EQ(watch.Figures().now, "2026/1/5(月) 09:07");
}

TEST_F(ResourceWatchTest, MessageWarnsOncePerFallAndRearmsAtTheHighThreshold) {
    settings.ResWatchType = 0;
    struct Step {
        int sys, gdi, user;
        bool message; // a new message on this tick
    };
    const Step steps[] = {
        {21, 50, 50, false}, // above the low threshold
        {50, 20, 50, true},  // exactly at the low threshold: warns
        {50, 10, 50, false}, // still low: latched
        {29, 30, 30, false}, // between the thresholds: still latched
        {50, 15, 50, false}, // low again without re-arming
        {30, 30, 30, false}, // exactly at the high threshold: re-armed
        {20, 30, 30, true},  // a new fall warns again
    };
    std::size_t messages = 0;
    for (const Step& step : steps) {
        SetResources(step.sys, step.gdi, step.user);
        watch.ResTimer();
        if (step.message)
            ++messages;
        ASSERT_EQ(view.messages.size(), messages) << step.sys << " " << step.gdi;
    }
    EXPECT_EQ(view.messages.back().text, "リソースが設定値(20%～30%)より下回りました。");
    EXPECT_EQ(view.messages.back().kind, MsgKind::Information);
    // The timer waits while the box is open, and the window comes forward first.
    EXPECT_EQ(panel.events,
              (std::vector<std::string>{"pause", "front", "resume", "pause", "front", "resume"}));
    EXPECT_TRUE(panel.flashes.empty());

    // A settings load re-arms it.
    SetResources(10, 10, 10);
    watch.ResTimer();
    EXPECT_EQ(view.messages.size(), messages);
    watch.ClearLatch();
    watch.ResTimer();
    EXPECT_EQ(view.messages.size(), messages + 1);
}

TEST_F(ResourceWatchTest, FlashingMethodsFlashOnEveryLowTick) {
    const std::pair<int, FlashPart> methods[] = {
        {1, FlashPart::Title}, {2, FlashPart::Clock}, {3, FlashPart::ResourceGauges}};
    for (const auto& [method, part] : methods) {
        panel.flashes.clear();
        settings.ResWatchType = method;
        SetResources(50, 50, 20);
        watch.ResTimer();
        watch.ResTimer();
        SetResources(50, 50, 21);
        watch.ResTimer();
        EXPECT_EQ(panel.flashes, (std::vector<FlashPart>{part, part})) << method;
        EXPECT_FALSE(watch.Latched());
    }
    EXPECT_TRUE(view.messages.empty());
    // An unknown method and a watch that is off do nothing.
    panel.flashes.clear();
    SetResources(0, 0, 0);
    settings.ResWatchType = 7;
    watch.ResTimer();
    settings.ResWatchType = 2;
    settings.ResWatch = false;
    watch.ResTimer();
    EXPECT_TRUE(panel.flashes.empty());
}

TEST_F(ResourceWatchTest, FailingReaderIsReportedOnceAndTheRestOfTheTickRuns) {
    settings.ResWatchType = 2;
    SetResources(15, 60, 60);
    platform.processorUsage = 5;
    watch.ResTimer();
    ASSERT_EQ(panel.flashes.size(), 1u);

    // The GDI figure cannot be read: one report, that gauge keeps its figure (and is still
    // watched with it); the figures that can be read, the processor, the memory and the clock
    // go on.
    platform.freeResources[1].reset();
    platform.freeResources[0] = 12;
    platform.processorUsage = 40;
    platform.memory = MemoryStatus{1024 * 1024, 512 * 1024};
    for (int i = 0; i < 3; ++i)
        watch.ResTimer();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MsgKind::Error);
    EXPECT_NE(view.messages[0].text.find("GDI"), std::string::npos);
    EXPECT_EQ(watch.Figures().sys, 12);
    EXPECT_EQ(watch.Figures().gdi, 60);
    EXPECT_EQ(watch.Figures().cpu, 40);
    EXPECT_EQ(watch.Figures().availMem, "512KB");
    EXPECT_EQ(panel.shown.size(), 4u);
    EXPECT_EQ(panel.flashes.size(), 4u);
    EXPECT_EQ(panel.events, (std::vector<std::string>{"pause", "resume"}));

    // It works again, then fails again: a second report.
    SetResources(70, 70, 70);
    watch.ResTimer();
    EXPECT_EQ(watch.Figures().gdi, 70);
    platform.freeResources[0].reset();
    watch.ResTimer();
    watch.ResTimer();
    EXPECT_EQ(view.messages.size(), 2u);
}
