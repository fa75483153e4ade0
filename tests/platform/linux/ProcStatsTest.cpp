#include "platform/linux/ProcStats.h"
#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"

#include <gtest/gtest.h>

namespace tavolin::linuxdesktop {
namespace {

using testing::ReadText;

const auto& g_desktop = testing::IsolatedDesktop::Instance();

std::string Fixture(const std::string& name) {
    return ReadText(std::string(TAVOLIN_TEST_DATA) + "/proc/" + name);
}

TEST(ProcStat, BusyIsTotalWithoutIdleAndIoWaitAndGuestTimeIsNotCountedTwice) {
    std::optional<CpuTimes> first = ParseProcStat(Fixture("stat_first.txt"));
    std::optional<CpuTimes> second = ParseProcStat(Fixture("stat_second.txt"));
    ASSERT_TRUE(first && second);
    // user nice system idle iowait irq softirq steal = 95500; idle + iowait = 81500.
    EXPECT_EQ(first->total, 95500u);
    EXPECT_EQ(first->busy, 14000u);
    // 100 ticks later, 25 of them busy; guest time rose by 1700 ticks, already in user.
    EXPECT_EQ(CpuUsagePercent(*first, *second), 25);
}

TEST(ProcStat, CountersThatDidNotMoveOrWentBackGiveZero) {
    CpuTimes reading = *ParseProcStat(Fixture("stat_first.txt"));
    EXPECT_EQ(CpuUsagePercent(reading, reading), 0);
    CpuTimes later = *ParseProcStat(Fixture("stat_second.txt"));
    EXPECT_EQ(CpuUsagePercent(later, reading), 0);
    // Busy fell while the total rose (an idle counter that jumped): not a negative figure.
    EXPECT_EQ(CpuUsagePercent({100, 50}, {200, 40}), 0);
    EXPECT_EQ(CpuUsagePercent({100, 50}, {200, 150}), 100);
    EXPECT_EQ(CpuUsagePercent({0, 0}, {3, 2}), 67);
}

TEST(ProcStat, OldKernelLinesAndDamagedText) {
    // Kernels before 2.6 have only user, nice, system and idle.
    std::optional<CpuTimes> old = ParseProcStat("cpu  10 20 30 40\ncpu0 10 20 30 40\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->total, 100u);
    EXPECT_EQ(old->busy, 60u);
    EXPECT_FALSE(ParseProcStat(""));
    EXPECT_FALSE(ParseProcStat("cpu0 1 2 3 4\n"));   // per-processor lines only
    EXPECT_FALSE(ParseProcStat("cpu  1 2 x 4 5\n")); // not a number
    EXPECT_FALSE(ParseProcStat("cpu  1 2 3\n"));     // too short
}

TEST(MemInfo, AvailableMemoryAndItsEstimateOnOlderKernels) {
    std::optional<MemInfo> modern = ParseMemInfo(Fixture("meminfo_with_memavailable.txt"));
    ASSERT_TRUE(modern);
    EXPECT_EQ(modern->totalBytes, 16303904ull * 1024);
    EXPECT_EQ(modern->availableBytes, 4075976ull * 1024);
    EXPECT_EQ(FreeMemoryPercent(*modern), 25);

    // Without MemAvailable: MemFree + Buffers + Cached = 1024000 of 2048000 kB.
    std::optional<MemInfo> old = ParseMemInfo(Fixture("meminfo_without_memavailable.txt"));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->totalBytes, 2048000ull * 1024);
    EXPECT_EQ(old->availableBytes, 1024000ull * 1024);
    EXPECT_EQ(FreeMemoryPercent(*old), 50);

    EXPECT_FALSE(ParseMemInfo("MemFree: 100 kB\n"));               // no total
    EXPECT_FALSE(ParseMemInfo("MemTotal: 0 kB\nMemFree: 0 kB\n")); // nothing to share
    EXPECT_FALSE(ParseMemInfo("MemTotal: 1000 kB\n"));             // nothing available
    EXPECT_FALSE(ParseMemInfo("garbage\n\n"));
}

TEST(FreeResources, FileHandlesAndTaskSlots) {
    // 1000 allocated, 200 of them unused, 10000 at most: 9200 free.
    EXPECT_EQ(FreeFileHandlesPercent("1000\t200\t10000\n"), 92);
    // file-max is LONG_MAX on many systems; the arithmetic must not overflow.
    EXPECT_EQ(FreeFileHandlesPercent("12000\t0\t9223372036854775807\n"), 99);
    EXPECT_EQ(FreeFileHandlesPercent("10000\t0\t10000\n"), 0);
    EXPECT_FALSE(FreeFileHandlesPercent("1000 200\n"));
    EXPECT_FALSE(FreeFileHandlesPercent("1 0 0\n"));

    // 500 tasks against the smaller limit, threads-max 2000: 75% free.
    EXPECT_EQ(FreeTaskSlotsPercent("0.17 0.09 0.02 1/500 9114\n", "32768\n", "2000\n"), 75);
    EXPECT_EQ(FreeTaskSlotsPercent("0.17 0.09 0.02 1/500 9114\n", "1000\n", "2000\n"), 50);
    EXPECT_EQ(FreeTaskSlotsPercent("0.17 0.09 0.02 1/500 9114\n", "", "1000\n"), 50);
    EXPECT_EQ(FreeTaskSlotsPercent("1.00 1.00 1.00 3/4000 1\n", "4000\n", "9999\n"), 0);
    EXPECT_FALSE(FreeTaskSlotsPercent("0.17 0.09 0.02 9114\n", "32768\n", "2000\n"));
    EXPECT_FALSE(FreeTaskSlotsPercent("0.17 0.09 0.02 1/500 9114\n", "", ""));
}

TEST(LinuxPlatformFigures, ReadThisMachinesFigures) {
    LinuxPlatform platform;
    // The first reading compares with boot; later ones with the reading before.
    for (int i = 0; i < 3; ++i) {
        std::optional<int> usage = platform.ProcessorUsage();
        ASSERT_TRUE(usage);
        EXPECT_GE(*usage, 0);
        EXPECT_LE(*usage, 100);
    }
    std::optional<MemoryStatus> memory = platform.Memory();
    ASSERT_TRUE(memory);
    EXPECT_GT(memory->totalBytes, 0u);
    EXPECT_LE(memory->availableBytes, memory->totalBytes);
    for (ResourceKind kind : {ResourceKind::System, ResourceKind::Gdi, ResourceKind::User}) {
        std::optional<int> free = platform.FreeResource(kind);
        ASSERT_TRUE(free) << static_cast<int>(kind);
        EXPECT_GE(*free, 0);
        EXPECT_LE(*free, 100);
    }
}

} // namespace
} // namespace tavolin::linuxdesktop
