// What loading GIO on first use costs the first launch of a document through its default
// application. Each run is a fresh process (the library loads once per process):
//   warm  GIO is loaded before the clock starts, as when it was linked and loaded at start;
//   cold  the launch loads it, as the launcher now does on its first command;
//   load  loading GIO and resolving its functions alone.
// The default application for text/plain is a .desktop entry of a temporary data home that
// runs `true`, so the figure is GIO's lookup and spawn, not an application's start.
//
//   ./GioFirstUseBench [RUNS]      (RUNS defaults to 21)

#include "core/Platform.h"
#include "platform/linux/GioLibrary.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One measurement in this process; prints milliseconds, or fails with a message.
int Child(const std::string& mode, const std::string& document) {
    std::string whyNot;
    if (mode == "load") {
        const auto start = Clock::now();
        const bool loaded = tavolin::linuxdesktop::LoadGio(whyNot);
        const double ms = MillisecondsSince(start);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", whyNot.c_str());
            return 1;
        }
        std::printf("%.3f\n", ms);
        return 0;
    }
    if (mode == "warm" && !tavolin::linuxdesktop::LoadGio(whyNot)) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 1;
    }
    const auto platform = tavolin::CreatePlatform();
    const auto start = Clock::now();
    const int code = platform->Open(document, "", fs::path(document).parent_path().string());
    const double ms = MillisecondsSince(start);
    if (code <= 32) {
        std::fprintf(stderr, "the launch failed with code %d\n", code);
        return 1;
    }
    std::printf("%.3f\n", ms);
    return 0;
}

double RunChild(const std::string& mode, const std::string& document) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl("/proc/self/exe", "GioFirstUseBench", "--child", mode.c_str(), document.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[64];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty())
        return -1;
    return std::strtod(text.c_str(), nullptr);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child")
        return Child(argv[2], argv[3]);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;

    char pattern[] = "/tmp/gio-first-use.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    fs::create_directories(work / "data/applications");
    fs::create_directories(work / "config");
    std::ofstream(work / "data/applications/tavolin-bench-viewer.desktop")
        << "[Desktop Entry]\nType=Application\nName=Bench viewer\nExec=true %f\n"
           "MimeType=text/plain;\n";
    std::ofstream(work / "config/mimeapps.list")
        << "[Default Applications]\ntext/plain=tavolin-bench-viewer.desktop\n";
    std::ofstream(work / "note.txt") << "a document\n";
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    const std::string document = (work / "note.txt").string();

    const char* modes[] = {"warm", "cold", "load"};
    std::vector<double> times[3];
    bool failed = false;
    for (int run = 0; run < runs && !failed; ++run) {
        for (int i = 0; i < 3; ++i) {
            const double ms = RunChild(modes[i], document);
            if (ms < 0) {
                std::fprintf(stderr, "the %s run failed\n", modes[i]);
                failed = true;
                break;
            }
            times[i].push_back(ms);
        }
    }
    fs::remove_all(work);
    if (failed)
        return 1;
    std::printf("medians of %d fresh processes each:\n", runs);
    std::printf("  first launch, GIO loaded beforehand: %8.3f ms\n", Median(times[0]));
    std::printf("  first launch, loading GIO itself:    %8.3f ms\n", Median(times[1]));
    std::printf("  loading GIO and resolving it alone:  %8.3f ms\n", Median(times[2]));
    return 0;
}
