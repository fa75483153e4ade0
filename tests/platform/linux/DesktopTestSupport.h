#pragma once

// Helpers for the desktop-service tests: a private HOME and XDG tree set up before any
// GLib call, child processes with bounded waits, and small file helpers.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace tavolin::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Polls `done` every 20 ms until it holds or `timeout` has passed.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

using TempFolder = ::tavolin::testing::TempDir;

// The process's own HOME and XDG folders in a temporary tree, made before main() runs so
// that GLib (which reads them once) never sees the real ones. The real buses are out of
// reach too: the session bus address is cleared and the system bus points nowhere until a
// test starts its own.
class IsolatedDesktop {
public:
    static IsolatedDesktop& Instance() {
        static IsolatedDesktop instance;
        return instance;
    }
    const fs::path& Root() const { return m_root.Path(); }
    fs::path Home() const { return Root() / "home"; }
    fs::path DataHome() const { return Home() / ".local/share"; }

private:
    IsolatedDesktop() : m_root("tavolin-home-") {
        fs::create_directories(DataHome());
        fs::create_directories(Home() / ".config");
        fs::create_directories(Home() / ".cache");
        fs::create_directories(Root() / "runtime");
        fs::permissions(Root() / "runtime", fs::perms::owner_all);
        setenv("HOME", Home().c_str(), 1);
        setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Home() / ".config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (Home() / ".cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (Root() / "runtime").c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        std::string nowhere = "unix:path=" + (Root() / "no-system-bus").string();
        setenv("DBUS_SYSTEM_BUS_ADDRESS", nowhere.c_str(), 1);
        // GIO must not look for remote volume monitors or other helpers on a bus.
        setenv("GIO_USE_VFS", "local", 1);
        setenv("GIO_USE_VOLUME_MONITOR", "unix", 1);
    }
    TempFolder m_root;
};

// A child process, ended (SIGTERM, then SIGKILL) when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::vector<std::string>& argv,
                 const std::vector<std::pair<std::string, std::string>>& env = {},
                 const std::string& outputFile = "") {
        Start(argv, env, outputFile);
    }
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Start(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, std::string>>& env = {},
               const std::string& outputFile = "") {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            bool replaced = false;
            for (const auto& [name, value] : env)
                replaced = replaced || entry.rfind(name + "=", 0) == 0;
            if (!replaced)
                environment.push_back(entry);
        }
        for (const auto& [name, value] : env)
            environment.push_back(name + "=" + value);

        std::vector<char*> args, envp;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string& e : environment)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        std::string output = outputFile.empty() ? "/dev/null" : outputFile;
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // Its own process group, so that helpers it starts end with it.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        pid_t pid = 0;
        int result = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (result != 0)
            throw std::runtime_error("cannot start " + argv[0]);
        m_pid = pid;
    }

    pid_t Pid() const { return m_pid; }
    bool Running() {
        if (m_pid <= 0)
            return false;
        int status = 0;
        pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_status = status;
            m_pid = -1;
            return false;
        }
        return true;
    }
    // The exit status once the process has ended within `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        if (!WaitUntil([this] { return !Running(); }, timeout))
            return std::nullopt;
        return m_status;
    }
    // Ends the process at once, as a crash would.
    void Kill() {
        if (m_pid <= 0)
            return;
        kill(-m_pid, SIGKILL);
        Wait(3s);
    }
    void Stop() {
        if (m_pid <= 0)
            return;
        kill(-m_pid, SIGTERM);
        if (!Wait(3s)) {
            kill(-m_pid, SIGKILL);
            Wait(3s);
        }
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// Runs a command to its end (at most `timeout`) and returns its output, or nothing when
// it failed or did not end in time.
inline std::optional<std::string> RunCommand(const std::vector<std::string>& argv,
                                             std::chrono::milliseconds timeout = 10s) {
    TempFolder scratch("tavolin-cmd-");
    fs::path output = scratch.Path() / "out";
    ChildProcess child(argv, {}, output.string());
    std::optional<int> status = child.Wait(timeout);
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return std::nullopt;
    return ReadText(output);
}

// Whether something listens on a Unix socket (the socket file appears at bind(), a moment
// before the listener accepts).
inline bool Accepts(const fs::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// A private message bus daemon of its own in `folder`, ended with the object. With a service
// folder it starts the services described there when they are first called.
class PrivateBus {
public:
    PrivateBus(const fs::path& folder, const std::string& name, const fs::path& services = {}) {
        const fs::path socket = folder / (name + ".socket");
        const fs::path config = folder / (name + ".conf");
        const std::string serviceDir =
            services.empty() ? "" : "  <servicedir>" + services.string() + "</servicedir>\n";
        WriteText(config,
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig>\n"
                  "  <type>session</type>\n"
                  "  <listen>unix:path=" +
                      socket.string() + "</listen>\n  <auth>EXTERNAL</auth>\n" + serviceDir +
                      "  <policy context=\"default\">\n"
                      "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                      "    <allow eavesdrop=\"true\"/>\n"
                      "    <allow own=\"*\"/>\n"
                      "  </policy>\n"
                      "</busconfig>\n");
        // The daemon's and its activated services' messages go to a log, not the test output.
        m_daemon.Start(
            {"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--nopidfile"}, {},
            (folder / (name + ".log")).string());
        m_ready = WaitUntil([&] { return Accepts(socket); });
        m_address = "unix:path=" + socket.string();
    }
    bool Ready() const { return m_ready; }
    const std::string& Address() const { return m_address; }

private:
    ChildProcess m_daemon;
    std::string m_address;
    bool m_ready = false;
};

} // namespace tavolin::testing
