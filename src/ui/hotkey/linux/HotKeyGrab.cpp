// The hot key on Linux: a passive grab on the X server's root window where the program runs
// on X11 (XWayland included), else the GlobalShortcuts portal where the desktop offers it.
#include "ui/hotkey/NativeKeyGrab.h"
#include "ui/hotkey/linux/PortalShortcut.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace tavolin {

namespace {

constexpr std::uint32_t kNumLockKeysym = 0xff7f;

// The X keysym of a Qt key, or 0 for a key that has none here.
std::uint32_t KeysymOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint32_t>(key - Qt::Key_A + 'a');
    if (key >= 0x20 && key <= 0xff)
        return static_cast<std::uint32_t>(key); // Latin-1 keys are their own keysyms
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + static_cast<std::uint32_t>(key - Qt::Key_F1);
    struct Pair {
        int key;
        std::uint32_t keysym;
    };
    static constexpr Pair kSpecial[] = {
        {Qt::Key_Escape, 0xff1b}, {Qt::Key_Tab, 0xff09},      {Qt::Key_Backspace, 0xff08},
        {Qt::Key_Return, 0xff0d}, {Qt::Key_Enter, 0xff8d},    {Qt::Key_Insert, 0xff63},
        {Qt::Key_Delete, 0xffff}, {Qt::Key_Pause, 0xff13},    {Qt::Key_Print, 0xff61},
        {Qt::Key_Home, 0xff50},   {Qt::Key_End, 0xff57},      {Qt::Key_Left, 0xff51},
        {Qt::Key_Up, 0xff52},     {Qt::Key_Right, 0xff53},    {Qt::Key_Down, 0xff54},
        {Qt::Key_PageUp, 0xff55}, {Qt::Key_PageDown, 0xff56}, {Qt::Key_Menu, 0xff67},
    };
    for (const Pair& p : kSpecial) {
        if (p.key == key)
            return p.keysym;
    }
    return 0;
}

// The modifier masks of the X server for a Qt key combination.
std::uint16_t ModifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> Owned(T* reply) {
    return Reply<T>(reply, &std::free);
}

// A passive grab of one key on the root window, once for each state of NumLock and CapsLock,
// so that the key works whatever lock is on. The key presses reach Qt's event stream, where
// a native event filter picks them out.
class X11Grab : public NativeKeyGrab {
public:
    X11Grab(xcb_connection_t* connection, QObject* parent)
        : NativeKeyGrab(parent), m_connection(connection) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    }
    ~X11Grab() override { Release(); }

    State GrabCombination(QKeyCombination combination) override {
        const std::optional<xcb_keycode_t> code = KeycodeOf(KeysymOf(combination.key()));
        if (!code)
            return State::Invalid;
        const std::uint16_t mods = ModifierMask(combination.keyboardModifiers());
        const std::uint16_t numLock = NumLockMask();
        const std::array<std::uint16_t, 4> locks{
            0, XCB_MOD_MASK_LOCK, numLock, static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
        std::vector<xcb_void_cookie_t> cookies;
        for (const std::uint16_t lock : locks) {
            cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root, mods | lock, *code,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
        bool taken = false;
        for (const xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                taken = true; // BadAccess: another client grabs the key
                std::free(error);
            }
        }
        m_keycode = *code;
        m_mods = mods;
        m_ignored = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock);
        if (taken) {
            Release(); // none of the combinations, not a half of them
            return State::Taken;
        }
        return State::Held;
    }

    void RememberActiveWindow() override { m_previous = ActiveWindow(); }

    bool ActivateRememberedWindow() override {
        if (m_previous == XCB_NONE)
            return false;
        // _NET_ACTIVE_WINDOW as a pager would send it: the window manager activates it.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = m_previous;
        message.type = Atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2; // source: a pager, which the user acted through
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
        m_previous = XCB_NONE;
        return true;
    }

    Press PressIn(const QByteArray& type, void* message) const override {
        if (m_keycode == 0 || type != "xcb_generic_event_t")
            return Press::Other;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return Press::Other;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        if (press->event != m_root || press->detail != m_keycode ||
            (press->state & ~m_ignored & 0xff) != m_mods) {
            return Press::Other;
        }
        // Qt still sees the press (it takes the server time from it, which the activation
        // that follows needs), but no window of its own is the event's window.
        return Press::Passed;
    }

    void Release() override {
        if (m_keycode == 0)
            return;
        xcb_ungrab_key(m_connection, m_keycode, m_root, XCB_MOD_MASK_ANY);
        xcb_flush(m_connection);
        m_keycode = 0;
    }

private:
    std::optional<xcb_keycode_t> KeycodeOf(std::uint32_t keysym) const {
        if (keysym == 0)
            return std::nullopt;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
            m_connection,
            xcb_get_keyboard_mapping(m_connection, setup->min_keycode,
                                     static_cast<std::uint8_t>(count)),
            nullptr));
        if (!mapping)
            return std::nullopt;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int per = mapping->keysyms_per_keycode;
        const std::uint32_t upper = keysym >= 'a' && keysym <= 'z' ? keysym - 'a' + 'A' : keysym;
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < per && j < 2; ++j) {
                const xcb_keysym_t sym = syms[i * per + j];
                if (sym == keysym || sym == upper)
                    return static_cast<xcb_keycode_t>(setup->min_keycode + i);
            }
        }
        return std::nullopt;
    }

    // The modifier NumLock sets (Mod2 on nearly every keyboard map).
    std::uint16_t NumLockMask() const {
        const std::optional<xcb_keycode_t> numLock = KeycodeOf(kNumLockKeysym);
        const auto map = Owned(xcb_get_modifier_mapping_reply(
            m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
        if (!numLock || !map)
            return XCB_MOD_MASK_2;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int per = map->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int k = 0; k < per; ++k) {
                if (codes[modifier * per + k] == *numLock)
                    return static_cast<std::uint16_t>(1u << modifier);
            }
        }
        return XCB_MOD_MASK_2;
    }

    xcb_atom_t Atom(const char* name) const {
        const auto reply = Owned(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    xcb_window_t ActiveWindow() const {
        const auto reply = Owned(xcb_get_property_reply(m_connection,
                                                        xcb_get_property(m_connection, 0, m_root,
                                                                         Atom("_NET_ACTIVE_WINDOW"),
                                                                         XCB_ATOM_WINDOW, 0, 1),
                                                        nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) < 4)
            return XCB_NONE;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_keycode_t m_keycode = 0;
    std::uint16_t m_mods = 0;
    std::uint16_t m_ignored = 0;
    xcb_window_t m_previous = XCB_NONE;
};

// A session where nothing can grab a key (a Wayland desktop without the portal).
class NoGrab : public HotKeyGrab {
public:
    using HotKeyGrab::HotKeyGrab;
    State Grab(const QKeySequence& key) override {
        return key.isEmpty() ? State::Off : State::Unsupported;
    }
};

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

} // namespace

std::unique_ptr<HotKeyGrab> CreateHotKeyGrab(QObject* parent) {
    if (xcb_connection_t* connection = X11Connection())
        return std::make_unique<X11Grab>(connection, parent);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        PortalShortcut::Available(QDBusConnection::sessionBus())) {
        return std::make_unique<PortalShortcut>(QDBusConnection::sessionBus(), parent);
    }
    return std::make_unique<NoGrab>(parent);
}

bool HotKeysSupported() {
    if (X11Connection() != nullptr)
        return true;
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           PortalShortcut::Available(QDBusConnection::sessionBus());
}

} // namespace tavolin
