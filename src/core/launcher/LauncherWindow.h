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

    // The window follows a setting the launcher changed: always on top or in the normal
    // stack (FrmStyle), the information panel shown or hidden (ShowRes, ShowMem), the
    // captions and hints of the two toggle buttons, the launch buttons after a change of
    // icon size or captions.
    virtual void ApplyStayOnTop() = 0;
    virtual void ApplyInfoVisibility() = 0;
    virtual void UpdateToggleButtons() = 0;
    virtual void ButtonLookChanged() = 0;
    // Moves the window into corner pos (1 to 4; 5 leaves it where it is) or, for 0, into
    // the corner of the quadrant it stands in, which becomes the WinPos setting; the place
    // it moved to is saved with the settings.
    virtual void PlaceAtCorner(int pos) = 0;
};

} // namespace tavolin
