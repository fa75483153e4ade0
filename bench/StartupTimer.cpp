// Process-level start-up timing: starts a program, waits for the X server to map its
// top-level window with the given title, and reports the time from the start of the process
// to the map and the process's resident and proportional memory (RSS, PSS) once it has been
// idle for a moment. PSS shares each page among the processes that map it, so the libraries
// every Qt program maps count for a fraction of their size.
//
//   StartupTimer TITLE RUNS IDLE_MS -- PROGRAM [ARGS...]
//
// Runs without a window manager (as on a bare Xvfb), where the program's own window is
// mapped as a child of the root window. Prints one line per run and the medians.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string WindowName(xcb_connection_t* c, xcb_window_t w) {
    const auto cookie =
        xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (reply == nullptr)
        return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return name;
}

// The first "Key:" line of a /proc file, in KiB.
long KiBOf(pid_t pid, const char* file, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    }
    return -1;
}

template <typename T> T Median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 6 || std::strcmp(argv[4], "--") != 0) {
        std::fprintf(stderr, "usage: %s TITLE RUNS IDLE_MS -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    const int idleMs = std::max(0, std::atoi(argv[3]));

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    std::vector<double> startMs;
    std::vector<long> rss;
    std::vector<long> pss;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execvp(argv[5], argv + 5);
            std::_Exit(127);
        }
        bool shown = false;
        const auto deadline = t0 + std::chrono::seconds(30);
        while (!shown && std::chrono::steady_clock::now() < deadline) {
            xcb_generic_event_t* e = xcb_poll_for_event(c);
            if (e == nullptr) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                shown = WindowName(c, map->window) == title;
            }
            std::free(e);
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        if (!shown) {
            std::fprintf(stderr, "run %d: no window titled %s within 30 s\n", run + 1,
                         title.c_str());
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        const long rssKiB = KiBOf(pid, "status", "VmRSS:");
        const long pssKiB = KiBOf(pid, "smaps_rollup", "Pss:");
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::printf("run %d: shown after %.1f ms, idle RSS %ld KiB, PSS %ld KiB\n", run + 1, ms,
                    rssKiB, pssKiB);
        startMs.push_back(ms);
        rss.push_back(rssKiB);
        pss.push_back(pssKiB);
        // Let the server settle before the next start.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        while (xcb_generic_event_t* e = xcb_poll_for_event(c))
            std::free(e);
    }
    std::printf("median: %.1f ms to the window, %ld KiB idle RSS, %ld KiB idle PSS\n",
                Median(startMs), Median(rss), Median(pss));
    xcb_disconnect(c);
    return 0;
}
