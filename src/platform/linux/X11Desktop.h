#pragma once

#include "core/Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavolin::linuxdesktop {

// Window-manager requests on X11 through the EWMH conventions. Each call opens its own
// connection to the display named by $DISPLAY, so it needs no toolkit. A false result
// (with `error` saying why) means the request could not be made: no X11 display (for
// instance a Wayland session without XWayland), no EWMH window manager, a window manager
// that does not offer the request, or a window that does not exist.

// True when $DISPLAY names a display; false on a session without X11.
bool HasX11Display();

// Shows the desktop (every window minimised) or ends that mode, restoring the windows:
// _NET_SHOWING_DESKTOP.
bool ShowDesktop(bool show, std::string& error);

// Minimises the other programs' windows one by one and leaves those of the process `ownPid`
// on screen: every window of _NET_CLIENT_LIST in the normal state whose window type is
// normal (or not given) and whose _NET_WM_PID is not `ownPid` is asked to become iconic
// (WM_CHANGE_STATE). Returns the windows asked, for RestoreWindows; nothing when the window
// manager keeps no client list.
std::optional<std::vector<NativeWindow>> MinimizeOtherWindows(std::uint32_t ownPid,
                                                              std::string& error);

// Brings back windows that MinimizeOtherWindows minimised and that are still iconic; a
// window that has gone or was restored meanwhile is left alone.
bool RestoreWindows(const std::vector<NativeWindow>& windows, std::string& error);

// Hides or shows a window's taskbar entry: _NET_WM_STATE_SKIP_TASKBAR. A window that is
// not mapped yet gets the state in its property, which the window manager reads when the
// window is mapped.
bool SetSkipTaskbar(NativeWindow window, bool skip, std::string& error);

// Keeps a window above all others, below all others, or in the normal stack:
// _NET_WM_STATE_ABOVE and _NET_WM_STATE_BELOW, and the layer (_WIN_LAYER) where the window
// manager keeps one of its own.
enum class StackLayer { Normal, Above, Below };
bool SetStackLayer(NativeWindow window, StackLayer layer, std::string& error);

// Where a window's top-left corner is on the root window now, asked of the X server. A
// reparenting window manager moves its frame and not the window, so this is the only
// position that cannot be stale.
std::optional<ScreenPoint> WindowOrigin(NativeWindow window, std::string& error);

// The window the window manager holds active (_NET_ACTIVE_WINDOW); nothing when there is
// none (as for a moment while the focus passes from one window to another).
std::optional<NativeWindow> ActiveWindow(std::string& error);

// The area of the current desktop not covered by panels and docks: _NET_WORKAREA.
struct WorkAreaRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
std::optional<WorkAreaRect> WorkArea(std::string& error);

} // namespace tavolin::linuxdesktop
