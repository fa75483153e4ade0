#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace tavolin::layout {

// A rectangle as left, top, width and height; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
};

// The launcher window's border, included in the window sizes; controls are placed inside it.
inline constexpr int kFrameWidth = 3;

// The controls of the launcher window that the layout places.
enum class Ctl : std::size_t {
    lblTitle,
    bbtnCategory,
    edtPage,
    udPage,
    btnInf,
    tlbExc,
    bvlInf,
    lblResSys,
    lblResGDI,
    lblResUser,
    lblCPU,
    ggResSys,
    ggResGDI,
    ggResUser,
    ggCPU,
    lblAvailMem,
    lblTotalMem,
    btnOpt,
    lblNow,
    bvlOpt,
    tlbOpt,
    imgDel,
    imgGom,
    Count
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Ctl::Count);

struct Control {
    Rect rect;
    bool visible = true;
};

// Everything the layout decides: each control's place, size and visibility, the window's
// outer geometry on the screen, and whether the title strip wears the active colours.
struct WindowLayout {
    std::array<Control, kControlCount> controls{};
    Rect window;
    bool titleActive = true;

    Control& operator[](Ctl c) { return controls[static_cast<std::size_t>(c)]; }
    const Control& operator[](Ctl c) const { return controls[static_cast<std::size_t>(c)]; }
    Rect& R(Ctl c) { return (*this)[c].rect; }
    const Rect& R(Ctl c) const { return (*this)[c].rect; }
};

// The geometry the window is designed with: 377 x 115 at (-1, -1).
WindowLayout DesignLayout();

// The five display modes, in the order Alt+Backspace steps through them.
enum class DisplayMode { Nomal = 0, Small = 1, Title = 2, Time = 3, TaR = 4 };

// The display-mode flags as the settings file holds them; of several set by hand, the layout
// applies each in order.
struct ModeFlags {
    bool nomal = false;
    bool small = false;
    bool title = false;
    bool time = false;
    bool taR = true;

    friend bool operator==(const ModeFlags&, const ModeFlags&) = default;
};

ModeFlags FlagsFor(DisplayMode mode);
// The mode in force: the first flag set in the order above; normal when none is set.
DisplayMode CurrentMode(const ModeFlags& flags);
// normal -> minimum -> title -> clock -> clock and information -> normal.
DisplayMode NextMode(DisplayMode mode);
bool IsSet(const ModeFlags& flags, DisplayMode mode);

// The settings and state the layout depends on.
struct LayoutFlags {
    bool showTitle = true;
    bool showRes = true;
    bool showMem = true;
    bool showDate = true;
    bool showOpt = true;
    bool taRRight = false;
    ModeFlags modes;
    int winPos = 5;     // 1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left, 5 free
    bool active = true; // the launcher is the active application
};

// Places every control and fixes the window's size; in the title and clock modes a window
// docked right or bottom (WinPos 2, 3, 4) keeps that edge where it was before.
WindowLayout ArrangeLayout(WindowLayout layout, const LayoutFlags& flags);

// ArrangeLayout, then the information panel shown or hidden, and whether its timer runs.
struct InfoVisibility {
    WindowLayout layout;
    bool timerRuns = false;
};
InfoVisibility ApplyInfoVisibility(const WindowLayout& layout, const LayoutFlags& flags);

// What changes when the launcher becomes the active application or another one does.
struct ActivationResult {
    WindowLayout layout;
    bool timerRuns = false;   // ApplyInfoVisibility ran and asks the timer to run
    bool infoApplied = false; // ApplyInfoVisibility ran (not in the minimum mode)
    bool sampleNow = false;   // the clock modes want one sampling tick at once
};
ActivationResult AppActivate(const WindowLayout& layout, const LayoutFlags& flags);
ActivationResult AppDeactivate(const WindowLayout& layout, const LayoutFlags& flags);

// Whether the taskbar entry shows: `TaskBar` on, and `TaskBarLast` off or the program
// inactive and not always on top.
bool TaskbarEntryVisible(bool taskBar, bool taskBarLast, bool active, bool alwaysOnTop);

// The window moved into a corner of the work area: `pos` 1 to 4 names it, 5 leaves the window
// where it is, 0 takes the corner of the window's quadrant or, when it sits there, the next
// one clockwise.
struct CornerPlacement {
    Rect window;
    int winPos = 5;
};
CornerPlacement PlaceAtCorner(const Rect& window, const Rect& workArea, int pos);

// A restored window showing less than three quarters of itself on the screens is moved
// wholly into the nearest work area (its top-left corner first when it is larger).
Rect KeepOnScreen(const Rect& window, const std::vector<Rect>& workAreas);

// Docking while dragged with Ctrl: the rectangle moved against the work area's edge nearest
// to the cursor within its quadrant.
Rect SnapWhileMoving(const Rect& proposed, Point cursor, const Rect& workArea, bool ctrl);

// Whether the mouse entering the window activates it: with `AutoFore`, while it looks
// inactive and no dialog of the program is active.
bool ActivateOnMouseEnter(bool autoFore, bool titleActive, bool dialogActive);

} // namespace tavolin::layout
