// The hot key on Windows: RegisterHotKey for the thread, whose WM_HOTKEY messages Qt's event
// dispatcher hands to a native event filter.
#include "ui/hotkey/NativeKeyGrab.h"

#include <windows.h>

namespace tavolin {

namespace {

constexpr int kHotKeyId = 0x5441; // any id of 0 to 0xBFFF, unique within the program

// The virtual-key code of a Qt key, or 0 for a key that has none here.
UINT VirtualKeyOf(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key); // 'A'..'Z', '0'..'9'
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<UINT>(VK_F1 + (key - Qt::Key_F1));
    struct Pair {
        int key;
        UINT vk;
    };
    static constexpr Pair kSpecial[] = {
        {Qt::Key_Space, VK_SPACE},    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Tab, VK_TAB},
        {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
        {Qt::Key_Insert, VK_INSERT},  {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},
        {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Home, VK_HOME},     {Qt::Key_End, VK_END},
        {Qt::Key_Left, VK_LEFT},      {Qt::Key_Up, VK_UP},         {Qt::Key_Right, VK_RIGHT},
        {Qt::Key_Down, VK_DOWN},      {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
        {Qt::Key_Menu, VK_APPS},
    };
    for (const Pair& p : kSpecial) {
        if (p.key == key)
            return p.vk;
    }
    return 0;
}

class WindowsGrab : public NativeKeyGrab {
public:
    using NativeKeyGrab::NativeKeyGrab;
    ~WindowsGrab() override { Release(); }

    State GrabCombination(QKeyCombination combination) override {
        const UINT vk = VirtualKeyOf(combination.key());
        if (vk == 0)
            return State::Invalid;
        UINT mods = MOD_NOREPEAT;
        const Qt::KeyboardModifiers m = combination.keyboardModifiers();
        if (m & Qt::ShiftModifier)
            mods |= MOD_SHIFT;
        if (m & Qt::ControlModifier)
            mods |= MOD_CONTROL;
        if (m & Qt::AltModifier)
            mods |= MOD_ALT;
        if (m & Qt::MetaModifier)
            mods |= MOD_WIN;
        if (!RegisterHotKey(nullptr, kHotKeyId, mods, vk))
            return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? State::Taken
                                                                     : State::Invalid;
        m_registered = true;
        return State::Held;
    }

    void RememberActiveWindow() override { m_previous = GetForegroundWindow(); }

    bool ActivateRememberedWindow() override {
        if (m_previous == nullptr || !IsWindow(m_previous))
            return false;
        // The launcher is the foreground window, so it may hand the foreground on.
        const bool done = SetForegroundWindow(m_previous) != 0;
        m_previous = nullptr;
        return done;
    }

    Press PressIn(const QByteArray& type, void* message) const override {
        if (!m_registered || type != "windows_generic_MSG")
            return Press::Other;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->wParam != kHotKeyId)
            return Press::Other;
        // Windows lets the program that received the hot key take the foreground.
        return Press::Taken;
    }

    void Release() override {
        if (m_registered)
            UnregisterHotKey(nullptr, kHotKeyId);
        m_registered = false;
    }

private:
    bool m_registered = false;
    HWND m_previous = nullptr;
};

} // namespace

std::unique_ptr<HotKeyGrab> CreateHotKeyGrab(QObject* parent) {
    return std::make_unique<WindowsGrab>(parent);
}

bool HotKeysSupported() {
    return true;
}

} // namespace tavolin
