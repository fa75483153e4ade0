// One sampling tick of the information panel (the three free-resource figures, the processor,
// the memory and the clock text, with the watch) on this machine's /proc, beside the floor:
// reading the same files, each once, with open() + read() + close() and nothing parsed.
//
//   ./PanelTickBench
// The figure to compare is the CPU time per iteration.

#include "core/Platform.h"
#include "core/View.h"
#include "core/settings/Settings.h"
#include "core/watch/ResourceWatch.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <memory>

namespace {

using namespace tavolin;

class QuietView : public View {
public:
    void Beep(MsgKind) override {}
    MsgResult ShowMessage(const std::string&, MsgKind, unsigned, int) override {
        return MsgResult::Ok;
    }
    void SetBusy(bool) override {}
};

class NoPanel : public watch::PanelWindow {
public:
    void ShowFigures(const watch::PanelFigures& f) override { benchmark::DoNotOptimize(f.cpu); }
    void Flash(watch::FlashPart) override {}
    void PauseSampling() override {}
    void ResumeSampling() override {}
    void BringToFront() override {}
};

void BM_SamplingTick(benchmark::State& state) {
    const std::unique_ptr<Platform> platform = CreatePlatform();
    QuietView view;
    NoPanel panel;
    WindowSettings settings; // the defaults: everything shown, the watch on
    watch::ResourceWatch tick(*platform, view, panel, settings);
    for (auto _ : state)
        tick.ResTimer();
}
BENCHMARK(BM_SamplingTick);

void BM_ReadTheSameFiles(benchmark::State& state) {
    static constexpr std::array<const char*, 6> kFiles{"/proc/stat",
                                                       "/proc/meminfo",
                                                       "/proc/sys/fs/file-nr",
                                                       "/proc/loadavg",
                                                       "/proc/sys/kernel/pid_max",
                                                       "/proc/sys/kernel/threads-max"};
    char buffer[16384];
    for (auto _ : state) {
        for (const char* file : kFiles) {
            const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_ReadTheSameFiles);

} // namespace

BENCHMARK_MAIN();
