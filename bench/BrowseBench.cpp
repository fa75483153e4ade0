// The browse dialog's listing, timed on generated folders of 1,000 and 10,000 files (a tenth
// of them folders, names of mixed case, sizes and times spread out), beside the floor of the
// same work:
//   ListFolder : the platform's readdir() + stat() of every entry, the system calls alone;
//   ls         : `ls -l --time-style=long-iso folder > /dev/null`, a process listing with
//                sizes and times, sorted by name, as a user would time it;
//   Refresh    : what the dialog does for a folder: listing, the column texts and the sort
//                by name;
//   SortByTime : a click on the time column of an already listed folder.
//
//   ./BrowseBench --benchmark_counters_tabular=true

#include "core/Platform.h"
#include "core/View.h"
#include "core/browse/Browser.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace tavolin;
namespace fs = std::filesystem;

class SilentView : public View {
public:
    void Beep(MsgKind) override {}
    MsgResult ShowMessage(const std::string& text, MsgKind, unsigned, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        std::abort();
    }
    void SetBusy(bool) override {}
};

// A folder of `count` entries under the temporary folder, made once per size.
std::string Folder(int count) {
    const fs::path folder =
        fs::temp_directory_path() / ("tavolin-browse-bench-" + std::to_string(count));
    if (fs::exists(folder / "done"))
        return folder.string();
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string name = (i % 3 == 0 ? "File" : "file") + std::to_string(i * 7919 % count);
        if (i % 10 == 0) {
            fs::create_directory(folder / (name + ".d"));
            continue;
        }
        const fs::path file = folder / (name + (i % 4 == 0 ? ".txt" : ".dat"));
        std::ofstream(file) << std::string(static_cast<std::size_t>(i % 3000), 'x');
        const timeval times[2] = {{1'600'000'000 + i * 3607L, 0}, {1'600'000'000 + i * 3607L, 0}};
        utimes(file.c_str(), times);
    }
    std::ofstream(folder / "done");
    return folder.string();
}

void ListFolder(benchmark::State& state) {
    const std::string folder = Folder(static_cast<int>(state.range(0)));
    const auto platform = CreatePlatform();
    for (auto _ : state)
        benchmark::DoNotOptimize(platform->ListFolder(folder));
}

void Ls(benchmark::State& state) {
    const std::string command = "ls -l --time-style=long-iso '" +
                                Folder(static_cast<int>(state.range(0))) + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            std::abort();
    }
}

void Refresh(benchmark::State& state) {
    const std::string folder = Folder(static_cast<int>(state.range(0)));
    const auto platform = CreatePlatform();
    SilentView view;
    browse::CurrentDirectories directories;
    browse::Browser browser(*platform, view, directories);
    browser.Create(folder, folder);
    for (auto _ : state) {
        browser.Refresh();
        benchmark::DoNotOptimize(browser.Rows().data());
    }
    state.counters["rows"] = static_cast<double>(browser.Rows().size());
}

void SortByTime(benchmark::State& state) {
    const std::string folder = Folder(static_cast<int>(state.range(0)));
    const auto platform = CreatePlatform();
    SilentView view;
    browse::CurrentDirectories directories;
    browse::Browser browser(*platform, view, directories);
    browser.Create(folder, folder);
    browser.Refresh();
    for (auto _ : state)
        browser.ColumnClick(browse::kTime); // reverses the order each time
}

} // namespace

BENCHMARK(ListFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Ls)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Refresh)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SortByTime)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
