#pragma once

#include "core/layout/Layout.h"

namespace tavolin {

// What the launcher needs from its window beyond messages and the cursor.
class LauncherWindow {
public:
    virtual ~LauncherWindow() = default;
    // Shows slot n's tool button pressed (down) or released, painted at once.
    virtual void ShowPressed(int slot, bool down) = 0;
    // The window's outer geometry in screen coordinates, as the settings store it.
    virtual layout::Rect Geometry() const = 0;
    // Lays the window out again for the current settings.
    virtual void ArrangeLayout() = 0;
};

} // namespace tavolin
