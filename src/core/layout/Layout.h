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

// The launcher window's frame: a thin raised border on every side and no caption bar. The
// window sizes the layout fixes include it; control positions are relative to the inside.
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

// Everything the layout decides about the window: each control's place, size and
// visibility, the window's outer geometry in screen coordinates, and whether the title strip
// wears the active colours. The user interface measures the controls' natural sizes into
// it, lets the functions below arrange it, and applies the result to the widgets.
struct WindowLayout {
    std::array<Control, kControlCount> controls{};
    Rect window;
    bool titleActive = true;

    Control& operator[](Ctl c) { return controls[static_cast<std::size_t>(c)]; }
    const Control& operator[](Ctl c) const { return controls[static_cast<std::size_t>(c)]; }
    Rect& R(Ctl c) { return (*this)[c].rect; }
    const Rect& R(Ctl c) const { return (*this)[c].rect; }
};

// The geometry the window is designed with, before the layout or any measurement: the
// window 377 x 115 at (-1, -1), which start-up moves into a corner.
WindowLayout DesignLayout();

// The five display modes, in the order Alt+Backspace steps through them.
enum class DisplayMode { Nomal = 0, Small = 1, Title = 2, Time = 3, TaR = 4 };

// The display-mode flags as the settings file holds them. The program keeps exactly one set;
// a hand-edited file may set several, and the layout then applies each in order.
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

// Places every control for the flags and fixes the window's size. The window's width and
// height on entry are the ones before the change: in the title, clock and
// clock-and-information modes a window docked right or bottom (WinPos 2, 3, 4) keeps that
// edge where it was.
WindowLayout ArrangeLayout(WindowLayout layout, const LayoutFlags& flags);

// ArrangeLayout, then the information panel's controls shown or hidden by the settings.
// `timerRuns` tells whether the panel's sampling timer should run.
struct InfoVisibility {
    WindowLayout layout;
    bool timerRuns = false;
};
InfoVisibility ApplyInfoVisibility(const WindowLayout& layout, const LayoutFlags& flags);

// What changes when the launcher becomes the active application (flags.active is taken as
// true) or another application does (false).
struct ActivationResult {
    WindowLayout layout;
    bool timerRuns = false;   // ApplyInfoVisibility ran and asks the timer to run
    bool infoApplied = false; // ApplyInfoVisibility ran (not in the minimum mode)
    bool sampleNow = false;   // the clock modes want one sampling tick at once
};
ActivationResult AppActivate(const WindowLayout& layout, const LayoutFlags& flags);
ActivationResult AppDeactivate(const WindowLayout& layout, const LayoutFlags& flags);

// Whether the program's taskbar entry shows: `TaskBar` on and either `TaskBarLast` off, or the
// program inactive and not always on top.
bool TaskbarEntryVisible(bool taskBar, bool taskBarLast, bool active, bool alwaysOnTop);

// Moving the window into a corner of the work area, keeping its size. `pos` 1 to 4 names the
// corner, 5 leaves the window where it is, 0 picks the corner of the quadrant the window's
// centre lies in, and when the window already sits there, the next corner clockwise; after
// four corners that would not move it, the window stays.
struct CornerPlacement {
    Rect window;
    int winPos = 5;
};
CornerPlacement PlaceAtCorner(const Rect& window, const Rect& workArea, int pos);

// A window restored from the settings that shows less than three quarters of itself in the
// work areas of all screens together (a screen that has gone, a hand-edited position) is
// moved wholly into the work area nearest to it, its top-left corner first when it is larger;
// otherwise it stays where it is.
Rect KeepOnScreen(const Rect& window, const std::vector<Rect>& workAreas);

// Docking while the window is dragged with Ctrl held: the proposed rectangle moved against
// the edge of the work area that the cursor is nearest to within its quadrant. Without Ctrl
// the proposal stands.
Rect SnapWhileMoving(const Rect& proposed, Point cursor, const Rect& workArea, bool ctrl);

// Activating the launcher when the mouse enters its window: with `AutoFore` on, while the
// title strip has the inactive look, and only when no dialog of the program is the active
// window.
bool ActivateOnMouseEnter(bool autoFore, bool titleActive, bool dialogActive);

} // namespace tavolin::layout
