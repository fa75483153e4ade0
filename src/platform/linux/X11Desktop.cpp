#include "platform/linux/X11Desktop.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavolin::linuxdesktop {

namespace {

// EWMH client message actions for _NET_WM_STATE.
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
// Source indication: a normal application.
constexpr std::uint32_t kSourceApplication = 1;

class Display {
public:
    Display() {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
            if (i == screenNumber) {
                m_root = it.data->root;
                break;
            }
        }
    }
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool Ok() const { return !xcb_connection_has_error(m_connection) && m_root != XCB_NONE; }
    xcb_connection_t* Get() const { return m_connection; }
    xcb_window_t Root() const { return m_root; }

    xcb_atom_t Atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        free(reply);
        return atom;
    }

    // The 32-bit items of a property, or nothing when the window or property is missing
    // or of another type.
    std::optional<std::vector<std::uint32_t>> Property(xcb_window_t window, xcb_atom_t property,
                                                       xcb_atom_t type) const {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 4096),
            nullptr);
        if (!reply)
            return std::nullopt;
        std::optional<std::vector<std::uint32_t>> items;
        if (reply->type == type && reply->format == 32) {
            auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            int count = xcb_get_property_value_length(reply) / 4;
            items.emplace(data, data + count);
        }
        free(reply);
        return items;
    }

    // Sends a client message to the root window, where the window manager listens.
    bool SendToWindowManager(xcb_window_t window, xcb_atom_t type,
                             std::initializer_list<std::uint32_t> data) const {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        std::size_t i = 0;
        for (std::uint32_t value : data)
            event.data.data32[i++] = value;
        xcb_void_cookie_t cookie = xcb_send_event_checked(m_connection, 0, m_root,
                                                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT |
                                                              XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                                          reinterpret_cast<const char*>(&event));
        xcb_generic_error_t* failure = xcb_request_check(m_connection, cookie);
        free(failure);
        return failure == nullptr;
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
};

// Opens the display; false with `error` when there is none.
bool Open(const Display& display, std::string& error) {
    if (!HasX11Display()) {
        error = "not supported on this desktop: there is no X11 display";
        return false;
    }
    if (!display.Ok()) {
        error = "cannot connect to the X11 display";
        return false;
    }
    return true;
}

// True when an EWMH window manager runs and lists `feature` among what it supports.
bool WindowManagerSupports(const Display& display, xcb_atom_t feature, std::string& error) {
    xcb_atom_t check = display.Atom("_NET_SUPPORTING_WM_CHECK");
    auto rootCheck = display.Property(display.Root(), check, XCB_ATOM_WINDOW);
    bool running = false;
    if (rootCheck && !rootCheck->empty()) {
        // The window manager's check window points at itself; a stale property left by a
        // window manager that has gone does not.
        auto selfCheck = display.Property((*rootCheck)[0], check, XCB_ATOM_WINDOW);
        running = selfCheck && !selfCheck->empty() && (*selfCheck)[0] == (*rootCheck)[0];
    }
    if (!running) {
        error = "not supported: no EWMH window manager is running";
        return false;
    }
    auto supported =
        display.Property(display.Root(), display.Atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (!supported ||
        std::find(supported->begin(), supported->end(), feature) == supported->end()) {
        error = "not supported by the window manager";
        return false;
    }
    return true;
}

// Whether the window exists and is mapped (viewable or merely unmapped by the window
// manager, as when minimised), or nothing when it does not exist.
std::optional<bool> IsManaged(const Display& display, xcb_window_t window) {
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        display.Get(), xcb_get_window_attributes(display.Get(), window), nullptr);
    if (!attributes)
        return std::nullopt;
    free(attributes);
    // A window the window manager manages carries WM_STATE; a withdrawn one does not.
    xcb_atom_t wmState = display.Atom("WM_STATE");
    auto state = display.Property(window, wmState, wmState);
    return state && !state->empty() && (*state)[0] != 0; // 0 is WithdrawnState
}

// Adds and removes _NET_WM_STATE atoms of a window.
bool ChangeWindowState(NativeWindow nativeWindow, const std::vector<const char*>& add,
                       const std::vector<const char*>& remove, std::string& error) {
    Display display;
    if (!Open(display, error))
        return false;
    auto window = static_cast<xcb_window_t>(nativeWindow);
    if (window == XCB_NONE || window != nativeWindow) {
        error = "no such window";
        return false;
    }
    std::optional<bool> managed = IsManaged(display, window);
    if (!managed) {
        error = "no such window";
        return false;
    }
    xcb_atom_t netWmState = display.Atom("_NET_WM_STATE");
    std::vector<xcb_atom_t> addAtoms, removeAtoms;
    for (const char* name : add)
        addAtoms.push_back(display.Atom(name));
    for (const char* name : remove)
        removeAtoms.push_back(display.Atom(name));

    if (!*managed) {
        // Not mapped: the window manager is not looking yet; set the property it reads
        // when the window appears.
        std::vector<std::uint32_t> state = display.Property(window, netWmState, XCB_ATOM_ATOM)
                                               .value_or(std::vector<std::uint32_t>{});
        for (xcb_atom_t atom : removeAtoms)
            state.erase(std::remove(state.begin(), state.end(), atom), state.end());
        for (xcb_atom_t atom : addAtoms) {
            if (std::find(state.begin(), state.end(), atom) == state.end())
                state.push_back(atom);
        }
        xcb_void_cookie_t cookie = xcb_change_property_checked(
            display.Get(), XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
            static_cast<std::uint32_t>(state.size()), state.data());
        xcb_generic_error_t* failure = xcb_request_check(display.Get(), cookie);
        free(failure);
        if (failure) {
            error = "cannot set the window's state";
            return false;
        }
        return true;
    }

    for (xcb_atom_t atom : addAtoms) {
        if (!WindowManagerSupports(display, atom, error))
            return false;
    }
    for (xcb_atom_t atom : removeAtoms) {
        if (!WindowManagerSupports(display, atom, error))
            return false;
    }
    // One message carries at most two atoms.
    auto send = [&](std::uint32_t action, const std::vector<xcb_atom_t>& atoms) {
        for (std::size_t i = 0; i < atoms.size(); i += 2) {
            std::uint32_t second = i + 1 < atoms.size() ? atoms[i + 1] : xcb_atom_t{XCB_ATOM_NONE};
            if (!display.SendToWindowManager(window, netWmState,
                                             {action, atoms[i], second, kSourceApplication}))
                return false;
        }
        return true;
    };
    if (!send(kStateRemove, removeAtoms) || !send(kStateAdd, addAtoms)) {
        error = "cannot send the request to the window manager";
        return false;
    }
    return true;
}

// A window manager of the older GNOME conventions (icewm) keeps a layer of its own beside
// _NET_WM_STATE: a window mapped with _NET_WM_STATE_ABOVE in its state stays in the top
// layer when the state is removed later. Where the window manager announces that request
// (_WIN_LAYER in _WIN_PROTOCOLS), the layer is asked for as well.
void RequestLayer(NativeWindow window, StackLayer layer) {
    Display display;
    if (!display.Ok())
        return;
    const xcb_atom_t request = display.Atom("_WIN_LAYER");
    const auto protocols =
        display.Property(display.Root(), display.Atom("_WIN_PROTOCOLS"), XCB_ATOM_ATOM);
    if (!protocols || std::find(protocols->begin(), protocols->end(), request) == protocols->end())
        return;
    // The layers of those conventions: below 2, normal 4, on top 6.
    std::uint32_t number = 4;
    if (layer == StackLayer::Above)
        number = 6;
    else if (layer == StackLayer::Below)
        number = 2;
    display.SendToWindowManager(static_cast<xcb_window_t>(window), request, {number});
}

} // namespace

bool HasX11Display() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

bool ShowDesktop(bool show, std::string& error) {
    Display display;
    if (!Open(display, error))
        return false;
    xcb_atom_t showing = display.Atom("_NET_SHOWING_DESKTOP");
    if (!WindowManagerSupports(display, showing, error))
        return false;
    if (!display.SendToWindowManager(display.Root(), showing, {show ? 1u : 0u})) {
        error = "cannot send the request to the window manager";
        return false;
    }
    return true;
}

std::optional<std::vector<NativeWindow>> MinimizeOtherWindows(std::uint32_t ownPid,
                                                              std::string& error) {
    Display display;
    if (!Open(display, error))
        return std::nullopt;
    const xcb_atom_t clientList = display.Atom("_NET_CLIENT_LIST");
    if (!WindowManagerSupports(display, clientList, error))
        return std::nullopt;
    const xcb_atom_t wmState = display.Atom("WM_STATE");
    const xcb_atom_t changeState = display.Atom("WM_CHANGE_STATE");
    const xcb_atom_t pidAtom = display.Atom("_NET_WM_PID");
    const xcb_atom_t typeAtom = display.Atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t normalType = display.Atom("_NET_WM_WINDOW_TYPE_NORMAL");
    constexpr std::uint32_t kNormalState = 1;
    constexpr std::uint32_t kIconicState = 3;

    std::vector<NativeWindow> minimised;
    const auto clients = display.Property(display.Root(), clientList, XCB_ATOM_WINDOW)
                             .value_or(std::vector<std::uint32_t>{});
    for (const std::uint32_t window : clients) {
        const auto pid = display.Property(window, pidAtom, XCB_ATOM_CARDINAL);
        if (pid && !pid->empty() && (*pid)[0] == ownPid)
            continue;
        const auto state = display.Property(window, wmState, wmState);
        if (!state || state->empty() || (*state)[0] != kNormalState)
            continue;
        const auto types = display.Property(window, typeAtom, XCB_ATOM_ATOM);
        if (types && !types->empty() &&
            std::find(types->begin(), types->end(), normalType) == types->end())
            continue; // docks, panels, the desktop, menus
        if (display.SendToWindowManager(window, changeState, {kIconicState}))
            minimised.push_back(window);
    }
    xcb_flush(display.Get());
    return minimised;
}

bool RestoreWindows(const std::vector<NativeWindow>& windows, std::string& error) {
    Display display;
    if (!Open(display, error))
        return false;
    const xcb_atom_t wmState = display.Atom("WM_STATE");
    constexpr std::uint32_t kIconicState = 3;
    for (const NativeWindow nativeWindow : windows) {
        const auto window = static_cast<xcb_window_t>(nativeWindow);
        const auto state = display.Property(window, wmState, wmState);
        if (!state || state->empty() || (*state)[0] != kIconicState)
            continue;
        // An iconic window comes back when it is mapped again: the window manager sees the
        // map request and restores it (ICCCM 4.1.4).
        xcb_map_window(display.Get(), window);
    }
    free(xcb_get_input_focus_reply(display.Get(), xcb_get_input_focus(display.Get()), nullptr));
    return true;
}

bool SetSkipTaskbar(NativeWindow window, bool skip, std::string& error) {
    const char* atom = "_NET_WM_STATE_SKIP_TASKBAR";
    return skip ? ChangeWindowState(window, {atom}, {}, error)
                : ChangeWindowState(window, {}, {atom}, error);
}

bool SetStackLayer(NativeWindow window, StackLayer layer, std::string& error) {
    const char* above = "_NET_WM_STATE_ABOVE";
    const char* below = "_NET_WM_STATE_BELOW";
    bool changed = false;
    switch (layer) {
    case StackLayer::Above:
        changed = ChangeWindowState(window, {above}, {below}, error);
        break;
    case StackLayer::Below:
        changed = ChangeWindowState(window, {below}, {above}, error);
        break;
    case StackLayer::Normal:
        changed = ChangeWindowState(window, {}, {above, below}, error);
        break;
    }
    if (changed)
        RequestLayer(window, layer);
    return changed;
}

std::optional<ScreenPoint> WindowOrigin(NativeWindow nativeWindow, std::string& error) {
    Display display;
    if (!Open(display, error))
        return std::nullopt;
    auto window = static_cast<xcb_window_t>(nativeWindow);
    if (window == XCB_NONE || window != nativeWindow) {
        error = "no such window";
        return std::nullopt;
    }
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        display.Get(), xcb_translate_coordinates(display.Get(), window, display.Root(), 0, 0),
        nullptr);
    if (!reply) {
        error = "no such window";
        return std::nullopt;
    }
    const ScreenPoint origin{reply->dst_x, reply->dst_y};
    free(reply);
    return origin;
}

std::optional<NativeWindow> ActiveWindow(std::string& error) {
    Display display;
    if (!Open(display, error))
        return std::nullopt;
    const xcb_atom_t active = display.Atom("_NET_ACTIVE_WINDOW");
    if (!WindowManagerSupports(display, active, error))
        return std::nullopt;
    const auto window = display.Property(display.Root(), active, XCB_ATOM_WINDOW);
    if (!window || window->empty() || (*window)[0] == XCB_NONE) {
        error = "the window manager names no active window";
        return std::nullopt;
    }
    return NativeWindow{(*window)[0]};
}

std::optional<WorkAreaRect> WorkArea(std::string& error) {
    Display display;
    if (!Open(display, error))
        return std::nullopt;
    xcb_atom_t workArea = display.Atom("_NET_WORKAREA");
    if (!WindowManagerSupports(display, workArea, error))
        return std::nullopt;
    auto areas = display.Property(display.Root(), workArea, XCB_ATOM_CARDINAL);
    auto current =
        display.Property(display.Root(), display.Atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
    std::size_t desktop = current && !current->empty() ? (*current)[0] : 0;
    if (!areas || areas->size() < 4) {
        error = "the window manager publishes no work area";
        return std::nullopt;
    }
    if ((desktop + 1) * 4 > areas->size())
        desktop = 0;
    const std::uint32_t* a = areas->data() + desktop * 4;
    WorkAreaRect rect;
    rect.x = static_cast<int>(static_cast<std::int32_t>(a[0]));
    rect.y = static_cast<int>(static_cast<std::int32_t>(a[1]));
    rect.width = static_cast<int>(a[2]);
    rect.height = static_cast<int>(a[3]);
    return rect;
}

} // namespace tavolin::linuxdesktop
