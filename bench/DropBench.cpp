// Registering 1,000 dropped files on the launcher window's background: the files fill page
// after page (42 pages, each saved once when it fills and the last at the end), beside the
// floor of writing the resulting data file once, as `cp file copy && sync copy` and as
// read() + write() + fsync() in this process. The real platform and file system; the window
// is a stand-in that reports fixed rectangles.
//
//   ./DropBench --benchmark_counters_tabular=true

#include "core/Platform.h"
#include "core/View.h"
#include "core/drop/LauncherDrop.h"
#include "core/launcher/Launcher.h"

#include "CopyFloor.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tavolin;

class SilentView : public View {
public:
    void Beep(MsgKind) override {}
    MsgResult ShowMessage(const std::string&, MsgKind, unsigned, int) override {
        return MsgResult::Ok;
    }
    void SetBusy(bool) override {}
};

class StandInWindow : public LauncherWindow, public drop::DropWindow {
public:
    void ShowPressed(int, bool) override {}
    layout::Rect Geometry() const override { return {0, 0, 384, 136}; }
    void ArrangeLayout() override {}
    void ApplyStayOnTop() override {}
    void ApplyInfoVisibility() override {}
    void UpdateToggleButtons() override {}
    void ButtonLookChanged() override {}
    void PlaceAtCorner(int) override {}
    drop::DropRects Rects() const override {
        drop::DropRects r;
        r.bar = {19, 19, 276, 46};
        for (int i = 0; i < 24; ++i) {
            r.buttons[static_cast<std::size_t>(i)] = {19 + (i % 12) * 23, 19 + (i / 12) * 23, 23,
                                                      23};
        }
        r.del = {305, 89, 36, 45};
        r.gom = {342, 89, 36, 45};
        return r;
    }
    void BringToFront() override {}
};

struct Fixture {
    fs::path folder = fs::temp_directory_path() / "tavolin-drop-bench";
    std::vector<std::string> files;
    DataFiles data;

    Fixture() {
        fs::remove_all(folder);
        fs::create_directories(folder / "dropped");
        for (int i = 0; i < 1000; ++i) {
            const fs::path p = folder / "dropped" / ("document " + std::to_string(i) + ".txt");
            std::ofstream(p) << "x";
            files.push_back(p.string());
        }
        data = DataFiles{(folder / "tavolin.txt").string(), (folder / "tavolin.ini").string(),
                         (folder / "tavolin.tmp").string(), (folder / "tavolin.tmp2").string()};
    }
    ~Fixture() { fs::remove_all(folder); }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void DropAll(Platform& platform, const DataFiles& data, const std::vector<std::string>& files) {
    SilentView view;
    StandInWindow window;
    Launcher launcher(platform, view, window, data);
    launcher.LoadSettings("");
    launcher.LoadPage();
    drop::LauncherDrop rules(launcher, platform, view, window);
    std::uint32_t effect = drop::effect::kCopy;
    rules.DropFileTarget1Drop(0, {330, 10}, effect, files); // the background
    if (launcher.Store().CurrentPage() != "42")
        std::abort();
}

void BM_Drop1000FilesOnTheBackground(benchmark::State& state) {
    Fixture& f = TheFixture();
    const std::unique_ptr<Platform> platform = CreatePlatform();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(f.data.txt);
        fs::remove(f.data.ini);
        state.ResumeTiming();
        DropAll(*platform, f.data, f.files);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(f.data.txt));
}
BENCHMARK(BM_Drop1000FilesOnTheBackground)->Unit(benchmark::kMillisecond);

// The data file the drop leaves, written once.
const std::string& Result() {
    static const std::string result = [] {
        Fixture& f = TheFixture();
        const std::unique_ptr<Platform> platform = CreatePlatform();
        fs::remove(f.data.txt);
        DropAll(*platform, f.data, f.files);
        return f.data.txt;
    }();
    return result;
}

void BM_Floor_CpAndSyncOfTheResult(benchmark::State& state) {
    const std::string copy = Result() + ".copy";
    const std::string command = "cp '" + Result() + "' '" + copy + "' && sync '" + copy + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            std::abort();
    }
    fs::remove(copy);
}
BENCHMARK(BM_Floor_CpAndSyncOfTheResult)->Unit(benchmark::kMillisecond);

void BM_Floor_CopyInProcessOfTheResult(benchmark::State& state) {
    const std::string copy = Result() + ".copy";
    for (auto _ : state)
        tavolin::bench::CopyAndSync(Result(), copy);
    fs::remove(copy);
}
BENCHMARK(BM_Floor_CopyInProcessOfTheResult)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
