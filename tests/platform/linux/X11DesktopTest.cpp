#include "platform/linux/X11Desktop.h"
#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/DesktopTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include <unistd.h>

#include <xcb/xcb.h>

namespace tavolin::linuxdesktop {
namespace {

using namespace tavolin::testing;

const IsolatedDesktop& g_desktop = IsolatedDesktop::Instance();

// An X server of our own on a free display number.
class XServer {
public:
    XServer() : m_output(m_folder.Path() / "xvfb.out") {
        // -noreset: a server that resets whenever its last client leaves refuses the next
        // connection for a moment and drops the root window's properties.
        m_xvfb.Start({"Xvfb", "-displayfd", "1", "-noreset", "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp"},
                     {}, m_output.string());
        // Xvfb writes the display number it took once it accepts connections.
        WaitUntil([&] { return !Number().empty() || !m_xvfb.Running(); }, 20s);
        if (!Number().empty())
            m_display = ":" + Number();
    }
    const std::string& Display() const { return m_display; }

private:
    std::string Number() const {
        std::istringstream lines(ReadText(m_output));
        std::string number;
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
                number = line;
        }
        return number;
    }

    TempFolder m_folder;
    fs::path m_output;
    ChildProcess m_xvfb;
    std::string m_display;
};

std::string Xprop(const std::string& display, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"xprop", "-display", display};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunCommand(argv).value_or("");
}

bool WindowManagerReady(const std::string& display) {
    std::string check = Xprop(display, {"-root", "_NET_SUPPORTING_WM_CHECK"});
    std::size_t hash = check.find("# ");
    if (hash == std::string::npos)
        return false;
    std::string window = check.substr(hash + 2, check.find_first_of(" \n,", hash + 2) - hash - 2);
    return Xprop(display, {"-id", window, "_NET_SUPPORTING_WM_CHECK"}).find("# " + window) !=
           std::string::npos;
}

// A window manager on the display: openbox unless another command is given.
class WindowManager {
public:
    explicit WindowManager(const std::string& display,
                           const std::vector<std::string>& command = {"openbox", "--sm-disable"}) {
        // Now and then openbox never gets as far as announcing itself on a fresh server (seen
        // under load); such a start is ended and made again.
        for (int attempt = 0; attempt < 3 && !m_ready; ++attempt) {
            if (attempt > 0)
                m_process.Kill();
            m_process.Start(command, {{"DISPLAY", display}}, (m_folder.Path() / "wm.out").string());
            m_ready = WaitUntil([&] { return WindowManagerReady(display); }, 10s);
        }
    }
    bool Ready() const { return m_ready; }
    void SetReady(bool ready) { m_ready = ready; }
    void Kill() { m_process.Kill(); }

private:
    TempFolder m_folder;
    ChildProcess m_process;
    bool m_ready = false;
};

// A top-level window made by the test itself, as the launcher makes its own.
class TestWindow {
public:
    TestWindow(const std::string& display, bool map) {
        m_connection = xcb_connect(display.c_str(), nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 10, 10, 200,
                          100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const char title[] = "tavolin test window";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, sizeof title - 1, title);
        if (map)
            Map();
        xcb_flush(m_connection);
    }
    ~TestWindow() { xcb_disconnect(m_connection); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Destroys the window and waits until the server has done so.
    void Destroy() {
        xcb_destroy_window(m_connection, m_window);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    void Map() {
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    // Gives a window not mapped yet a state for the window manager to find when it appears.
    void SetState(const char* name) {
        xcb_intern_atom_reply_t* state = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, 13, "_NET_WM_STATE"), nullptr);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, state->atom,
                            XCB_ATOM_ATOM, 32, 1, &atom->atom);
        free(state);
        free(atom);
        xcb_flush(m_connection);
    }
    // Marks the window as one of process `pid`, as toolkits do.
    void SetPid(std::uint32_t pid) {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, 11, "_NET_WM_PID"), nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, atom->atom,
                            XCB_ATOM_CARDINAL, 32, 1, &pid);
        free(atom);
        xcb_flush(m_connection);
    }
    // Minimises the window as its own program would (ICCCM WM_CHANGE_STATE).
    void Iconify() {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, 15, "WM_CHANGE_STATE"), nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = atom->atom;
        event.data.data32[0] = 3; // IconicState
        free(atom);
        xcb_send_event(m_connection, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }
    NativeWindow Id() const { return m_window; }
    std::string IdText() const { return std::to_string(m_window); }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
};

std::string MapState(const std::string& display, const TestWindow& window) {
    std::string info =
        RunCommand({"xwininfo", "-display", display, "-id", window.IdText()}).value_or("");
    std::size_t at = info.find("Map State: ");
    return at == std::string::npos ? "" : info.substr(at + 11, info.find('\n', at) - at - 11);
}

std::string States(const std::string& display, const TestWindow& window) {
    return Xprop(display, {"-id", window.IdText(), "_NET_WM_STATE"});
}

bool Managed(const std::string& display, const TestWindow& window) {
    return Xprop(display, {"-id", window.IdText(), "WM_STATE"}).find("Normal") != std::string::npos;
}

bool Has(const std::string& text, const std::string& atom) {
    // Atom names are listed separated by ", ", so the name with its end is unambiguous.
    return text.find(atom + ",") != std::string::npos ||
           text.find(atom + "\n") != std::string::npos;
}

// Sets DISPLAY (and WAYLAND_DISPLAY) for one test and puts the old values back.
class DisplayEnvironment {
public:
    DisplayEnvironment() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    ~DisplayEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    DisplayEnvironment(const DisplayEnvironment&) = delete;
    DisplayEnvironment& operator=(const DisplayEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// One X server with openbox for the tests of a running window manager.
class X11DesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new XServer;
        if (s_server->Display().empty())
            return;
        s_openbox = new WindowManager(s_server->Display());
        // Announcing itself is not taking windows on: openbox still loads its theme and
        // fonts (seconds while the font caches are rebuilt), and a window mapped meanwhile
        // may never be managed. Ready means that a window mapped now is taken on; a probe
        // that is not is replaced by a new one.
        if (s_openbox->Ready()) {
            s_openbox->SetReady(WaitUntil(
                [] {
                    TestWindow probe(s_server->Display(), true);
                    return WaitUntil([&] { return Managed(s_server->Display(), probe); }, 2s);
                },
                60s));
        }
    }
    static void TearDownTestSuite() {
        delete s_openbox;
        delete s_server;
        s_openbox = nullptr;
        s_server = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(s_server->Display().empty()) << "Xvfb did not start";
        ASSERT_TRUE(s_openbox->Ready()) << "openbox did not start";
        setenv("DISPLAY", Display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
    }
    // A test's windows are off the window manager's list before the next test makes its own:
    // the server hands their ids out again, and a window manager letting go of an old window
    // late would clear the state of a new one with its id.
    void TearDown() override {
        WaitUntil([&] {
            return Xprop(Display(), {"-root", "_NET_CLIENT_LIST"}).find("0x") == std::string::npos;
        });
    }
    const std::string& Display() const { return s_server->Display(); }

    // A mapped window that the window manager has taken on.
    std::unique_ptr<TestWindow> ShownWindow() {
        auto window = std::make_unique<TestWindow>(Display(), true);
        EXPECT_TRUE(WaitUntil([&] { return Managed(Display(), *window); }));
        return window;
    }

    DisplayEnvironment m_environment;
    LinuxPlatform m_platform;
    static XServer* s_server;
    static WindowManager* s_openbox;
};
XServer* X11DesktopTest::s_server = nullptr;
WindowManager* X11DesktopTest::s_openbox = nullptr;

TEST_F(X11DesktopTest, MinimisesTheOtherWindowsAndRestoresExactlyThose) {
    auto own = ShownWindow();
    own->SetPid(static_cast<std::uint32_t>(getpid()));
    auto other = ShownWindow();
    // A window its user minimised himself stays minimised after the undo.
    auto alreadyMinimised = ShownWindow();
    alreadyMinimised->Iconify();
    ASSERT_TRUE(WaitUntil([&] { return MapState(Display(), *alreadyMinimised) == "IsUnMapped"; }));

    EXPECT_TRUE(m_platform.MinimizeAll(false));
    EXPECT_TRUE(WaitUntil([&] { return MapState(Display(), *other) == "IsUnMapped"; }));
    EXPECT_EQ(MapState(Display(), *own), "IsViewable");
    EXPECT_EQ(Xprop(Display(), {"-root", "_NET_SHOWING_DESKTOP"}).find("= 1"), std::string::npos);

    EXPECT_TRUE(m_platform.MinimizeAll(true));
    EXPECT_TRUE(WaitUntil([&] { return MapState(Display(), *other) == "IsViewable"; }));
    EXPECT_EQ(MapState(Display(), *own), "IsViewable");
    EXPECT_EQ(MapState(Display(), *alreadyMinimised), "IsUnMapped");
    // A second undo has nothing left to restore.
    EXPECT_TRUE(m_platform.MinimizeAll(true));
}

TEST_F(X11DesktopTest, HidesAndShowsTheTaskbarEntryKeepingOtherStates) {
    auto window = ShownWindow();
    std::string error;
    ASSERT_TRUE(SetStackLayer(window->Id(), StackLayer::Above, error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return Has(States(Display(), *window), "_NET_WM_STATE_ABOVE"); }));

    EXPECT_TRUE(m_platform.SetTaskbarEntry(window->Id(), false));
    EXPECT_TRUE(
        WaitUntil([&] { return Has(States(Display(), *window), "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(Has(States(Display(), *window), "_NET_WM_STATE_ABOVE"));

    EXPECT_TRUE(m_platform.SetTaskbarEntry(window->Id(), true));
    EXPECT_TRUE(
        WaitUntil([&] { return !Has(States(Display(), *window), "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(Has(States(Display(), *window), "_NET_WM_STATE_ABOVE"));
}

TEST_F(X11DesktopTest, AManagedWindowsOriginIsWhereTheServerShowsIt) {
    // The window manager puts the window into a frame of its own and moves the frame.
    // Taken on is not yet placed: the frame may still move, so the two are compared until
    // the window has come to rest.
    auto window = ShownWindow();
    std::optional<ScreenPoint> origin;
    ScreenPoint shown{};
    const bool agree = WaitUntil([&] {
        const std::string info =
            RunCommand({"xwininfo", "-display", Display(), "-id", window->IdText()}).value_or("");
        auto absolute = [&](const char* label) {
            const std::size_t at = info.find(label);
            return at == std::string::npos ? -1 : std::stoi(info.substr(at + std::strlen(label)));
        };
        shown = ScreenPoint{absolute("Absolute upper-left X:"), absolute("Absolute upper-left Y:")};
        origin = m_platform.WindowOrigin(window->Id());
        return origin && *origin == shown;
    });
    ASSERT_TRUE(origin);
    EXPECT_TRUE(agree) << origin->x << "," << origin->y << " against " << shown.x << "," << shown.y;
}

TEST_F(X11DesktopTest, NamesTheWindowThatTheWindowManagerMadeActive) {
    auto first = ShownWindow();
    auto second = ShownWindow();
    for (const TestWindow* window : {first.get(), second.get(), first.get()}) {
        RunCommand({"xdotool", "windowactivate", window->IdText()});
        EXPECT_TRUE(WaitUntil([&] { return m_platform.ActiveWindow() == window->Id(); }));
    }
}

TEST_F(X11DesktopTest, KeepsAWindowOnTopOrAtTheBottom) {
    auto window = ShownWindow();
    std::string error;
    auto layerIs = [&](bool above, bool below) {
        return WaitUntil([&] {
            std::string states = States(Display(), *window);
            return Has(states, "_NET_WM_STATE_ABOVE") == above &&
                   Has(states, "_NET_WM_STATE_BELOW") == below;
        });
    };
    EXPECT_TRUE(SetStackLayer(window->Id(), StackLayer::Above, error)) << error;
    EXPECT_TRUE(layerIs(true, false));
    EXPECT_TRUE(SetStackLayer(window->Id(), StackLayer::Below, error)) << error;
    EXPECT_TRUE(layerIs(false, true));
    EXPECT_TRUE(SetStackLayer(window->Id(), StackLayer::Normal, error)) << error;
    EXPECT_TRUE(layerIs(false, false));
}

// A window shown on top from the start, as the launcher's is by default, leaves the top layer
// and joins it again, round after round.
void LeavesAndRejoinsTheTopLayer(const std::string& display, Platform& platform) {
    std::unique_ptr<TestWindow> window;
    const auto above = [&] { return Has(States(display, *window), "_NET_WM_STATE_ABOVE"); };
    // A window manager still settling in now and then takes a window on without the state it
    // was given: the window is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        window = std::make_unique<TestWindow>(display, false);
        window->SetState("_NET_WM_STATE_ABOVE");
        window->Map();
        ASSERT_TRUE(WaitUntil([&] { return Managed(display, *window); }));
        if (WaitUntil(above, 3s))
            break;
    }
    ASSERT_TRUE(above());
    for (int round = 1; round <= 3; ++round) {
        EXPECT_TRUE(platform.SetStayOnTop(window->Id(), false));
        EXPECT_TRUE(WaitUntil([&] { return !above(); })) << "round " << round;
        EXPECT_TRUE(platform.SetStayOnTop(window->Id(), true));
        EXPECT_TRUE(WaitUntil(above)) << "round " << round;
    }
}

TEST_F(X11DesktopTest, AWindowShownOnTopLeavesAndRejoinsTheTopLayer) {
    LeavesAndRejoinsTheTopLayer(Display(), m_platform);
}

// icewm keeps a layer of its own, which the state alone does not take a window out of.
TEST(X11DesktopUnderIcewm, AWindowShownOnTopLeavesAndRejoinsTheTopLayer) {
    if (!RunCommand({"sh", "-c", "command -v icewm"}))
        GTEST_SKIP() << "icewm is not installed";
    DisplayEnvironment environment;
    XServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    TestWindow client(server.Display(), false); // a client keeps the server from resetting
    WindowManager icewm(server.Display(), {"icewm"});
    ASSERT_TRUE(icewm.Ready()) << "icewm did not start";
    setenv("DISPLAY", server.Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    LinuxPlatform platform;
    LeavesAndRejoinsTheTopLayer(server.Display(), platform);
}

TEST_F(X11DesktopTest, AWindowNotShownYetKeepsItsTaskbarStateWhenItAppears) {
    TestWindow window(Display(), false);
    EXPECT_TRUE(m_platform.SetTaskbarEntry(window.Id(), false));
    EXPECT_TRUE(Has(States(Display(), window), "_NET_WM_STATE_SKIP_TASKBAR"));
    window.Map();
    ASSERT_TRUE(WaitUntil([&] { return Managed(Display(), window); }));
    EXPECT_TRUE(Has(States(Display(), window), "_NET_WM_STATE_SKIP_TASKBAR"));
}

TEST_F(X11DesktopTest, WorkAreaAndAWindowThatDoesNotExist) {
    std::string error;
    std::optional<WorkAreaRect> area = WorkArea(error);
    ASSERT_TRUE(area) << error;
    // No panels here: the whole screen.
    EXPECT_EQ(area->x, 0);
    EXPECT_EQ(area->y, 0);
    EXPECT_EQ(area->width, 1024);
    EXPECT_EQ(area->height, 768);

    TestWindow window(Display(), false);
    EXPECT_EQ(m_platform.WindowOrigin(window.Id()), (ScreenPoint{10, 10}));
    NativeWindow gone = window.Id();
    window.Destroy();
    EXPECT_FALSE(m_platform.WindowOrigin(gone));
    EXPECT_FALSE(m_platform.SetTaskbarEntry(gone, false));
    EXPECT_FALSE(SetStackLayer(gone, StackLayer::Above, error));
    EXPECT_EQ(error, "no such window");
}

TEST(X11DesktopWithoutWindowManager, NothingIsClaimedThatCannotBeDone) {
    DisplayEnvironment environment;
    LinuxPlatform platform;
    std::string error;

    // No X11 at all, as on a Wayland session without XWayland.
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_FALSE(platform.MinimizeAll(false));
    EXPECT_FALSE(platform.SetTaskbarEntry(0x400001, false));
    EXPECT_FALSE(ShowDesktop(true, error));
    EXPECT_EQ(error, "not supported on this desktop: there is no X11 display");
    unsetenv("WAYLAND_DISPLAY");

    // A display that cannot be reached.
    setenv("DISPLAY", ":9999", 1);
    EXPECT_FALSE(platform.MinimizeAll(false));

    // A bare X server: nobody to minimise the windows.
    XServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server.Display().c_str(), 1);
    EXPECT_FALSE(platform.MinimizeAll(false));
    EXPECT_FALSE(WorkArea(error));
    EXPECT_EQ(error, "not supported: no EWMH window manager is running");
    EXPECT_FALSE(platform.ActiveWindow());

    // A window manager that crashed leaves its check property on the root window; the
    // property is not trusted.
    TestWindow client(server.Display(), true); // a client keeps the server from resetting
    WindowManager openbox(server.Display());
    ASSERT_TRUE(openbox.Ready());
    EXPECT_TRUE(platform.MinimizeAll(false));
    EXPECT_TRUE(platform.MinimizeAll(true));
    openbox.Kill();
    EXPECT_TRUE(WaitUntil([&] { return !WindowManagerReady(server.Display()); }));
    EXPECT_NE(Xprop(server.Display(), {"-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id"),
              std::string::npos);
    EXPECT_FALSE(platform.MinimizeAll(false));
    EXPECT_EQ(ShowDesktop(true, error) ? "" : error,
              "not supported: no EWMH window manager is running");
}

} // namespace
} // namespace tavolin::linuxdesktop
