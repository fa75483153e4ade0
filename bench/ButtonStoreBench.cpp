// The button data file and the settings file, timed on generated files of 1,000, 100,000 and
// 1,000,000 button lines (100 categories, 20 buttons a page), each beside the floor of the
// same work:
//   loads  : reading the file, as `cat file > /dev/null` (a process, as a user would time it)
//            and as a read() loop in this process;
//   saves  : copying the file and flushing it, as `cp file copy && sync copy` and as
//            read() + write() + fsync() in this process.
// The heap counters show what an operation needs at its peak and what the store keeps.
// The category editor is timed on the 100,000-line file beside `cp` + `sync`: opening it,
// one press of an arrow, moving the last category to the top (99 presses) and OK.
//
//   ./ButtonStoreBench --benchmark_counters_tabular=true

#include "core/Platform.h"
#include "core/View.h"
#include "core/categories/WorkingCopy.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/Settings.h"
#include "core/store/ButtonStore.h"
#include "core/text/Cp932.h"

#include "CopyFloor.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <string>

// --- heap accounting --------------------------------------------------------------------

namespace {
std::size_t g_live = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + 16);
    if (block == nullptr)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    g_live += size;
    if (g_live > g_peak)
        g_peak = g_live;
    return static_cast<char*>(block) + 16;
}

void Release(void* p) noexcept {
    if (p == nullptr)
        return;
    void* block = static_cast<char*>(p) - 16;
    g_live -= *static_cast<std::size_t*>(block);
    std::free(block);
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

namespace fs = std::filesystem;
using namespace tavolin;

// A view that answers nothing: a benchmark run must show no message at all.
class SilentView : public View {
public:
    void Beep(MsgKind) override {}
    MsgResult ShowMessage(const std::string& text, MsgKind, unsigned, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        std::abort();
    }
    void SetBusy(bool) override {}
};

// The store tells no one: what it would have the launcher tell must be nothing as well.
void Silent(const StoreNotices& notices) {
    if (!notices.empty()) {
        std::fprintf(stderr, "unexpected notice: %s\n", notices.front().detail.c_str());
        std::abort();
    }
}

constexpr int kCategories = 100;
constexpr int kButtonsPerPage = 20;

fs::path BenchDir() {
    static const fs::path dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        fs::path d =
            fs::path(tmp != nullptr ? tmp : "/tmp") / ("tavolin-bench-" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

std::string CategoryName(int c) {
    return "カテゴリ" + std::to_string(c);
}

// A data file of `lines` button lines in code page 932, made once per size.
const std::string& DataFile(long lines) {
    static std::map<long, std::string> files;
    if (auto it = files.find(lines); it != files.end())
        return it->second;
    const std::string path = (BenchDir() / ("data-" + std::to_string(lines) + ".txt")).string();
    std::ofstream out(path, std::ios::binary);
    const long perCategory = lines / kCategories;
    long written = 0;
    out << *text::EncodeCp932("{ generated for the benchmark\r\n");
    for (int c = 1; c <= kCategories; ++c) {
        out << *text::EncodeCp932("[" + CategoryName(c) + "]\r\n");
        const long count = c == kCategories ? lines - written : perCategory;
        for (long i = 0; i < count; ++i, ++written) {
            const long page = i / kButtonsPerPage + 1;
            const long slot = i % kButtonsPerPage + 1;
            out << page << ':' << slot << "=/opt/vendor" << (written % 97) << "/app" << written
                << "/bin/program" << written
                << *text::EncodeCp932(" <TS>プログラム" + std::to_string(written) + "<TE>\r\n");
        }
    }
    out.close();
    return files.emplace(lines, path).first->second;
}

std::string SettingsFile() {
    const std::string path = (BenchDir() / "settings.ini").string();
    if (!fs::exists(path)) {
        std::ofstream out(path, std::ios::binary);
        out << "[Window]\r\nHeight=115\r\nWidth=377\r\nTop=10\r\nLeft=20\r\nWinPos=5\r\n"
               "ShowTime=6\r\nDateFont=clLime\r\nDateBack=$E1FFFF\r\nTaRMode=1\r\n"
               "[Mem]\r\nColor=clAqua\r\n[Adr]\r\nLeft=0\r\n";
        out << "[Address]\r\n";
        for (int i = 0; i < 20; ++i)
            out << i << "=http://example.org/" << i << "\r\n";
    }
    return path;
}

Platform& RealPlatform() {
    static std::unique_ptr<Platform> platform = CreatePlatform();
    return *platform;
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(100000)->Arg(1000000);
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        std::abort();
}

// --- floors -----------------------------------------------------------------------------

void BM_Floor_CatToDevNull(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    for (auto _ : state)
        Shell("cat '" + file + "' > /dev/null");
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(file)));
}
BENCHMARK(BM_Floor_CatToDevNull)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_Floor_ReadInProcess(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    std::string buffer(1 << 20, '\0');
    for (auto _ : state) {
        const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        while (read(fd, buffer.data(), buffer.size()) > 0) {
        }
        close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(file)));
}
BENCHMARK(BM_Floor_ReadInProcess)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_Floor_CpAndSync(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    const std::string copy = file + ".copy";
    for (auto _ : state)
        Shell("cp '" + file + "' '" + copy + "' && sync '" + copy + "'");
    fs::remove(copy);
}
BENCHMARK(BM_Floor_CpAndSync)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_Floor_CopyInProcess(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    const std::string copy = file + ".copy";
    for (auto _ : state)
        tavolin::bench::CopyAndSync(file, copy);
    fs::remove(copy);
}
BENCHMARK(BM_Floor_CopyInProcess)->Apply(Sizes)->Unit(benchmark::kMillisecond);

// --- the store --------------------------------------------------------------------------

// Heap counters of one run of `op` after the warm-up: the peak above what was live before,
// and what stays live after it.
template <typename Op> void CountHeap(benchmark::State& state, Op op) {
    const std::size_t before = g_live;
    g_peak = g_live;
    op();
    state.counters["heap_peak_KiB"] = static_cast<double>(g_peak - before) / 1024.0;
    state.counters["heap_kept_KiB"] = static_cast<double>(g_live - before) / 1024.0;
}

void BM_LoadCategoryList(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    ButtonStore store(RealPlatform(), file);
    for (auto _ : state)
        Silent(store.LoadCategoryList());
    if (store.CategoryNames().size() != kCategories)
        std::abort();
    ButtonStore fresh(RealPlatform(), file);
    CountHeap(state, [&] { Silent(fresh.LoadCategoryList()); });
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(file)));
}
BENCHMARK(BM_LoadCategoryList)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_LoadPageOfTheLastCategory(benchmark::State& state) {
    const std::string& file = DataFile(state.range(0));
    ButtonStore store(RealPlatform(), file);
    store.SetCurrentCategory(CategoryName(kCategories));
    store.SetCurrentPage("1");
    for (auto _ : state)
        Silent(store.LoadPage());
    if (!store.IsUsed(1) || store.IsUsed(kButtonsPerPage + 1))
        std::abort();
    // What a new store needs and keeps for the names and one page.
    std::unique_ptr<ButtonStore> fresh;
    CountHeap(state, [&] {
        fresh = std::make_unique<ButtonStore>(RealPlatform(), file);
        Silent(fresh->LoadCategoryList());
        fresh->SetCurrentCategory(CategoryName(kCategories));
        fresh->SetCurrentPage("1");
        Silent(fresh->LoadPage());
    });
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(file)));
}
BENCHMARK(BM_LoadPageOfTheLastCategory)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_SavePageOfTheLastCategory(benchmark::State& state) {
    const std::string& original = DataFile(state.range(0));
    const std::string file = original + ".save.txt";
    fs::copy_file(original, file, fs::copy_options::overwrite_existing);
    ButtonStore store(RealPlatform(), file);
    store.SetCurrentCategory(CategoryName(kCategories));
    store.SetCurrentPage("1");
    Silent(store.LoadPage());
    for (auto _ : state) {
        const ButtonStore::Saved saved = store.SavePage();
        Silent(saved.notices);
        if (!saved.saved)
            std::abort();
    }
    CountHeap(state, [&] { Silent(store.SavePage().notices); });
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(file)));
    fs::remove(file);
}
BENCHMARK(BM_SavePageOfTheLastCategory)->Apply(Sizes)->Unit(benchmark::kMillisecond);

void BM_LoadAndSaveSettings(benchmark::State& state) {
    const std::string path = SettingsFile();
    std::string error;
    for (auto _ : state) {
        WindowSettings settings = LoadSettings(ProfileFile(path));
        settings.Left += 1;
        if (!SaveSettingsFile(RealPlatform(), path, settings, error))
            std::abort();
    }
}
BENCHMARK(BM_LoadAndSaveSettings)->Unit(benchmark::kMillisecond);

void BM_LoadSettingsOnly(benchmark::State& state) {
    const std::string path = SettingsFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadSettings(ProfileFile(path)));
}
BENCHMARK(BM_LoadSettingsOnly)->Unit(benchmark::kMicrosecond);

void BM_Floor_SettingsCatAndCpSync(benchmark::State& state) {
    const std::string path = SettingsFile();
    for (auto _ : state)
        Shell("cat '" + path + "' > /dev/null && cp '" + path + "' '" + path + ".copy' && sync '" +
              path + ".copy'");
}
BENCHMARK(BM_Floor_SettingsCatAndCpSync)->Unit(benchmark::kMillisecond);

// --- the category editor ----------------------------------------------------------------

void EditorSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(100000);
}

// An editor on a copy of the generated file, so that its commits leave the original alone.
struct Editor {
    explicit Editor(long lines)
        : file(DataFile(lines) + ".categories.txt"),
          copy(RealPlatform(), view, file, file + ".tmp", file + ".tmp2") {
        fs::copy_file(DataFile(lines), file, fs::copy_options::overwrite_existing);
    }
    ~Editor() { fs::remove(file); }
    std::string file;
    SilentView view;
    categories::WorkingCopy copy;
};

void BM_CategoryEditorOpen(benchmark::State& state) {
    Editor editor(state.range(0));
    for (auto _ : state) {
        if (!editor.copy.Open())
            std::abort();
        state.PauseTiming();
        editor.copy.Close();
        state.ResumeTiming();
    }
    CountHeap(state, [&] { editor.copy.Open(); });
    if (editor.copy.Names().size() != kCategories)
        std::abort();
}
BENCHMARK(BM_CategoryEditorOpen)->Apply(EditorSizes)->Unit(benchmark::kMillisecond);

void BM_CategoryEditorMoveUpOnce(benchmark::State& state) {
    Editor editor(state.range(0));
    if (!editor.copy.Open())
        std::abort();
    for (auto _ : state) {
        if (!editor.copy.MoveUp(kCategories - 1))
            std::abort();
    }
    CountHeap(state, [&] { editor.copy.MoveUp(kCategories - 1); });
}
BENCHMARK(BM_CategoryEditorMoveUpOnce)->Apply(EditorSizes)->Unit(benchmark::kMillisecond);

void BM_CategoryEditorMoveLastToTop(benchmark::State& state) {
    Editor editor(state.range(0));
    if (!editor.copy.Open())
        std::abort();
    for (auto _ : state) {
        for (std::size_t i = kCategories - 1; i > 0; --i) {
            if (!editor.copy.MoveUp(i))
                std::abort();
        }
    }
    if (editor.copy.Names().size() != kCategories)
        std::abort();
}
BENCHMARK(BM_CategoryEditorMoveLastToTop)->Apply(EditorSizes)->Unit(benchmark::kMillisecond);

void BM_CategoryEditorOk(benchmark::State& state) {
    Editor editor(state.range(0));
    // OK ends the editor: each one is timed on an editor opened on the file as it is then.
    const auto open = [&] {
        if (!editor.copy.Open() || !editor.copy.MoveUp(kCategories - 1))
            std::abort();
    };
    for (auto _ : state) {
        state.PauseTiming();
        open();
        state.ResumeTiming();
        if (editor.copy.Commit() != datafile::Placed::Done)
            std::abort();
    }
    open();
    CountHeap(state, [&] { editor.copy.Commit(); });
    state.SetBytesProcessed(state.iterations() * static_cast<long>(fs::file_size(editor.file)));
}
BENCHMARK(BM_CategoryEditorOk)->Apply(EditorSizes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(BenchDir());
    return 0;
}
