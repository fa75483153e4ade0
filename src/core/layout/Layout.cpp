#include "core/layout/Layout.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace tavolin::layout {

namespace {

// The flag of each mode, in the order of DisplayMode.
constexpr std::array<bool ModeFlags::*, 5> kFlagOf{
    &ModeFlags::nomal, &ModeFlags::small, &ModeFlags::title, &ModeFlags::time, &ModeFlags::taR};

void SetVisible(WindowLayout& l, std::initializer_list<Ctl> controls, bool visible) {
    for (Ctl c : controls)
        l[c].visible = visible;
}

void ShowHeaderRow(WindowLayout& l, bool visible) {
    SetVisible(l, {Ctl::bbtnCategory, Ctl::edtPage, Ctl::udPage, Ctl::btnInf}, visible);
}

// The layout's spacing, in pixels. Positions are inside the window's border; a window's size
// includes the border on both sides (OuterSize).

// Between the title strip and the category button. The button bar, the option toggle and the
// option toolbar line up with the category button.
constexpr int kTitleGap = 5;
// The box of the horizontal line above the option toolbar starts this far right of the title
// strip.
constexpr int kOptLineIndent = 1;
// The empty stretch of the header row between the category button and the page box.
constexpr int kPageGap = 23;
// Between the end of the button bar (where the information toggle ends) and the box of the
// vertical line that sets the information panel apart.
constexpr int kInfLineGap = 6;

// The resource captions overlap by a pixel (15-pixel captions at 0, 14 and 28); the
// processor's caption keeps a pixel apart from them (at 44).
constexpr int kCaptionOverlap = 1;
constexpr int kCpuCaptionGap = 1;
// The memory figures start this far right of the vertical line's box, so that at the width of
// "000,000KB" they end where the gauges end; they sit a pixel below the processor gauge.
constexpr int kMemIndent = 12;
constexpr int kMemGap = 1;

// The option row under the button bar: the option toggle a little below the bar; the clock's
// text a pixel lower than the toggle's top; the box of the horizontal line right under the
// toggle; the option toolbar a little under the line's box.
constexpr int kOptRowGap = 3;
constexpr int kClockDrop = 1;
constexpr int kOptLineGap = 1;
constexpr int kOptBarGap = 3;
// The clock keeps this far from the option toggle and from the vertical line's box.
constexpr int kClockMargin = 3;
// The option toolbar ends this far before the vertical line's box, and the delete area starts
// this far into it; the recycle bin area follows the delete area a pixel apart.
constexpr int kAreaGap = 3;
constexpr int kGomGap = 1;

// The size of the whole window: with the information panel, its inside ends with the recycle
// bin area; without it, this far before the end of the vertical line's box. With the option
// toolbar, its inside ends a pixel (kEndMargin) under the toolbar; without it, this far before
// the end of the horizontal line's box.
constexpr int kInfLineCut = 3;
constexpr int kOptLineCut = 5;

// A pixel of space the window keeps after what it shows last: under the option toolbar, and
// right of and under the contents of the display modes' shrunk windows.
constexpr int kEndMargin = 1;
// The minimum mode's button bar: a pixel in from the left, its top pixel row hidden above the
// inside.
constexpr int kSmallBarLeft = 1;
constexpr int kSmallBarTop = -1;
// The gauges in a row: one pixel apart, with a wider gap before the processor gauge; beside
// the clock they start this far right of it, under it a pixel below it.
constexpr int kGaugeGap = 1;
constexpr int kCpuGaugeGap = 10;
constexpr int kGaugeRowGap = 5;
constexpr int kGaugeRowDrop = 1;

// The window's outer size for an inside of `inside` pixels: the border on both sides.
constexpr int OuterSize(int inside) {
    return inside + 2 * kFrameWidth;
}

struct Size {
    int width = 0;
    int height = 0;
};

// Places the four gauges side by side from `left` at `top`. Returns the processor gauge's
// right edge.
int PlaceGaugeRow(WindowLayout& l, int left, int top) {
    Rect& sys = l.R(Ctl::ggResSys);
    Rect& gdi = l.R(Ctl::ggResGDI);
    Rect& user = l.R(Ctl::ggResUser);
    Rect& cpu = l.R(Ctl::ggCPU);
    sys.left = left;
    gdi.left = sys.Right() + kGaugeGap;
    user.left = gdi.Right() + kGaugeGap;
    cpu.left = user.Right() + kCpuGaugeGap;
    sys.top = gdi.top = user.top = cpu.top = top;
    return cpu.Right();
}

// The vertical title strip at the left edge, and what starts right of it.
void PlaceTitleStrip(WindowLayout& l, const LayoutFlags& f) {
    const Rect& title = l.R(Ctl::lblTitle);
    const bool shown = f.showTitle || (f.modes.title && !f.active);
    l[Ctl::lblTitle].visible = shown;
    l.R(Ctl::bbtnCategory).left = shown ? title.Right() + kTitleGap : 0;
    l.R(Ctl::bvlOpt).left = shown ? title.Right() + kOptLineIndent : 0;
}

// The button bar under the category button, the page box beside it, the information toggle at
// the bar's right end, and the vertical line after it.
void PlaceHeaderRow(WindowLayout& l) {
    const Rect& category = l.R(Ctl::bbtnCategory);
    Rect& bar = l.R(Ctl::tlbExc);
    Rect& page = l.R(Ctl::edtPage);
    Rect& infToggle = l.R(Ctl::btnInf);
    bar.left = category.left;
    bar.top = category.Bottom();
    page.left = category.Right() + kPageGap;
    l.R(Ctl::udPage).left = page.Right();
    infToggle.left = bar.Right() - infToggle.width;
    l.R(Ctl::bvlInf).left = infToggle.Right() + kInfLineGap;
}

// The information panel right of the vertical line: captions and gauges in a column, the
// memory figures under them.
void PlaceInfoPanel(WindowLayout& l) {
    const Rect& infLine = l.R(Ctl::bvlInf);
    Rect& capSys = l.R(Ctl::lblResSys);
    Rect& capGdi = l.R(Ctl::lblResGDI);
    Rect& capUser = l.R(Ctl::lblResUser);
    Rect& capCpu = l.R(Ctl::lblCPU);
    capSys.left = capGdi.left = capUser.left = capCpu.left = infLine.Right();
    capSys.top = 0;
    capGdi.top = capSys.height - kCaptionOverlap;
    capUser.top = capGdi.Bottom() - kCaptionOverlap;
    capCpu.top = capUser.Bottom() + kCpuCaptionGap;
    const std::pair<Ctl, Ctl> gaugeOf[] = {{Ctl::lblResSys, Ctl::ggResSys},
                                           {Ctl::lblResGDI, Ctl::ggResGDI},
                                           {Ctl::lblResUser, Ctl::ggResUser},
                                           {Ctl::lblCPU, Ctl::ggCPU}};
    for (const auto& [caption, gauge] : gaugeOf) {
        l.R(gauge).left = capSys.Right();
        l.R(gauge).top = l.R(caption).top;
    }

    // Memory figures: right-justified under the gauges, their right edge where the widest
    // figure ("000,000KB", whose width the labels carry) ends.
    Rect& availMem = l.R(Ctl::lblAvailMem);
    Rect& totalMem = l.R(Ctl::lblTotalMem);
    availMem.left = infLine.Right() + kMemIndent;
    totalMem.left = availMem.left;
    availMem.top = l.R(Ctl::ggCPU).Bottom() + kMemGap;
    totalMem.top = availMem.Bottom();
}

// The row under the button bar: the option toggle, the clock centred in the gap between it
// and the vertical line, the horizontal line, the option toolbar and the two drop areas.
void PlaceOptionRow(WindowLayout& l) {
    const Rect& category = l.R(Ctl::bbtnCategory);
    const Rect& bar = l.R(Ctl::tlbExc);
    const Rect& infLine = l.R(Ctl::bvlInf);
    Rect& optToggle = l.R(Ctl::btnOpt);
    Rect& clock = l.R(Ctl::lblNow);
    Rect& optLine = l.R(Ctl::bvlOpt);
    Rect& optBar = l.R(Ctl::tlbOpt);
    Rect& delArea = l.R(Ctl::imgDel);
    Rect& gomArea = l.R(Ctl::imgGom);

    optToggle.left = category.left;
    const int gapLeft = optToggle.Right();
    const int gap = infLine.left - gapLeft;
    if (clock.width < gap - 2 * kClockMargin) {
        clock.left = gapLeft + (gap - clock.width) / 2 + kClockMargin;
    } else {
        // Too wide for the gap: cut to it.
        clock.left = gapLeft + kClockMargin;
        clock.width = gap - 2 * kClockMargin;
    }

    optToggle.top = bar.Bottom() + kOptRowGap;
    clock.top = optToggle.top + kClockDrop;
    optLine.top = optToggle.Bottom() + kOptLineGap;
    optBar.top = optLine.top + kOptBarGap;
    optBar.left = category.left;
    optBar.width = infLine.left - optBar.left - kAreaGap;

    delArea.top = optBar.top;
    delArea.left = infLine.left + kAreaGap;
    gomArea.top = optBar.top;
    gomArea.left = delArea.Right() + kGomGap;
}

// The whole window's size, before the display modes shrink it.
Size FullSize(const WindowLayout& l, const LayoutFlags& f) {
    const int insideWidth = (f.showRes || f.showMem) ? l.R(Ctl::imgGom).Right()
                                                     : l.R(Ctl::bvlInf).Right() - kInfLineCut;
    const int insideHeight = f.showOpt ? l.R(Ctl::tlbOpt).Bottom() + kEndMargin
                                       : l.R(Ctl::bvlOpt).Bottom() - kOptLineCut;
    return {OuterSize(insideWidth), OuterSize(insideHeight)};
}

// The clock alone at the top left while another program is active (the clock modes).
void ShowClockAlone(WindowLayout& l) {
    l[Ctl::lblTitle].visible = false;
    ShowHeaderRow(l, false);
    l.R(Ctl::lblNow).left = 0;
    l.R(Ctl::lblNow).top = 0;
}

// The clock and information mode while another program is active: the clock, and the four
// gauges in a row beside it or under it.
Size ShrinkToClockAndGauges(WindowLayout& l, const LayoutFlags& f) {
    ShowClockAlone(l);
    SetVisible(l, {Ctl::tlbExc, Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser, Ctl::bvlInf},
               false);
    const Rect& clock = l.R(Ctl::lblNow);
    if (f.taRRight) {
        const int gaugesEnd = PlaceGaugeRow(l, clock.Right() + kGaugeRowGap, clock.top);
        return {OuterSize(gaugesEnd + kEndMargin), OuterSize(clock.height + kEndMargin)};
    }
    PlaceGaugeRow(l, 0, clock.Bottom() + kGaugeRowDrop);
    return {OuterSize(clock.width + kEndMargin),
            OuterSize(clock.height + l.R(Ctl::ggResSys).height + kEndMargin)};
}

// The display modes, each applied when its flag is on, in order; they may shrink the window.
Size ApplyDisplayModes(WindowLayout& l, const LayoutFlags& f, Size size) {
    const bool inactive = !f.active;
    if (f.modes.nomal)
        ShowHeaderRow(l, true);
    if (f.modes.small) {
        // The button bar alone, active or not.
        Rect& bar = l.R(Ctl::tlbExc);
        l[Ctl::lblTitle].visible = false;
        ShowHeaderRow(l, false);
        bar.left = kSmallBarLeft;
        bar.top = kSmallBarTop;
        size = {OuterSize(bar.Right()), OuterSize(bar.Bottom())};
    }
    if (f.modes.title) {
        ShowHeaderRow(l, true);
        if (inactive) {
            l[Ctl::lblTitle].visible = true;
            size.width = OuterSize(l.R(Ctl::lblTitle).width + kEndMargin);
        }
    }
    if (f.modes.time) {
        if (inactive) {
            ShowClockAlone(l);
            const Rect& clock = l.R(Ctl::lblNow);
            size = {OuterSize(clock.width + kEndMargin), OuterSize(clock.height + kEndMargin)};
        } else {
            ShowHeaderRow(l, true);
        }
    }
    if (f.modes.taR) {
        if (inactive) {
            size = ShrinkToClockAndGauges(l, f);
        } else {
            ShowHeaderRow(l, true);
            SetVisible(l, {Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser, Ctl::bvlInf}, true);
        }
    }
    return size;
}

// The window takes its size; the lines and the title strip follow it. A window docked to the
// right or bottom keeps that edge while a shrinking mode changes its size.
void FitWindow(WindowLayout& l, const LayoutFlags& f, Size size) {
    const Rect before = l.window;
    l.window.width = size.width;
    l.window.height = size.height;
    // The title strip runs down the whole inside of the window.
    l.R(Ctl::lblTitle).height = size.height - 2 * kFrameWidth;
    l.R(Ctl::bvlOpt).width = size.width - l.R(Ctl::bvlOpt).left;
    l.R(Ctl::bvlInf).height = size.height;

    if (f.modes.title || f.modes.time || f.modes.taR) {
        if (f.winPos == 2 || f.winPos == 3) // top right, bottom right
            l.window.left += before.width - size.width;
        if (f.winPos == 3 || f.winPos == 4) // bottom right, bottom left
            l.window.top += before.height - size.height;
    }
}

} // namespace

WindowLayout DesignLayout() {
    WindowLayout l;
    l.R(Ctl::lblTitle) = {0, 0, 11, 284};
    l.R(Ctl::bbtnCategory) = {16, 0, 153, 17};
    l.R(Ctl::edtPage) = {192, 0, 41, 16};
    l.R(Ctl::udPage) = {233, 0, 16, 16};
    l.R(Ctl::btnInf) = {276, 0, 17, 17};
    l.R(Ctl::tlbExc) = {16, 16, 277, 46};
    l.R(Ctl::bvlInf) = {299, 0, 5, 137};
    l.R(Ctl::lblResSys) = {304, 0, 32, 15};
    l.R(Ctl::lblResGDI) = {304, 14, 32, 15};
    l.R(Ctl::lblResUser) = {304, 28, 32, 15};
    l.R(Ctl::lblCPU) = {304, 44, 32, 15};
    l.R(Ctl::ggResSys) = {336, 0, 33, 15};
    l.R(Ctl::ggResGDI) = {336, 14, 33, 15};
    l.R(Ctl::ggResUser) = {336, 28, 33, 15};
    l.R(Ctl::ggCPU) = {336, 44, 33, 15};
    l.R(Ctl::lblAvailMem) = {316, 60, 53, 12};
    l.R(Ctl::lblTotalMem) = {316, 72, 53, 12};
    l.R(Ctl::btnOpt) = {16, 65, 17, 17};
    l.R(Ctl::lblNow) = {64, 65, 173, 15};
    l.R(Ctl::bvlOpt) = {12, 83, 365, 7};
    l.R(Ctl::tlbOpt) = {16, 86, 281, 44};
    l.R(Ctl::imgDel) = {302, 86, 36, 45};
    l.R(Ctl::imgGom) = {339, 86, 36, 45};
    l.window = {-1, -1, 377, 115};
    return l;
}

ModeFlags FlagsFor(DisplayMode mode) {
    ModeFlags f;
    f.taR = false;
    f.*kFlagOf[static_cast<std::size_t>(mode)] = true;
    return f;
}

bool IsSet(const ModeFlags& flags, DisplayMode mode) {
    return flags.*kFlagOf[static_cast<std::size_t>(mode)];
}

DisplayMode CurrentMode(const ModeFlags& flags) {
    for (std::size_t i = 0; i < kFlagOf.size(); ++i) {
        if (flags.*kFlagOf[i])
            return static_cast<DisplayMode>(i);
    }
    return DisplayMode::Nomal;
}

DisplayMode NextMode(DisplayMode mode) {
    return static_cast<DisplayMode>((static_cast<int>(mode) + 1) % 5);
}

WindowLayout ArrangeLayout(WindowLayout l, const LayoutFlags& f) {
    PlaceTitleStrip(l, f);
    PlaceHeaderRow(l);
    PlaceInfoPanel(l);
    PlaceOptionRow(l);
    l[Ctl::tlbExc].visible = true;
    FitWindow(l, f, ApplyDisplayModes(l, f, FullSize(l, f)));
    return l;
}

InfoVisibility ApplyInfoVisibility(const WindowLayout& layout, const LayoutFlags& flags) {
    InfoVisibility r{ArrangeLayout(layout, flags), false};
    WindowLayout& l = r.layout;
    SetVisible(l,
               {Ctl::ggResSys, Ctl::ggResGDI, Ctl::ggResUser, Ctl::ggCPU, Ctl::lblResSys,
                Ctl::lblResGDI, Ctl::lblResUser, Ctl::lblCPU},
               flags.showRes);
    SetVisible(l, {Ctl::lblTotalMem, Ctl::lblAvailMem}, flags.showMem);
    l[Ctl::lblNow].visible = flags.showDate;
    r.timerRuns = flags.showRes || flags.showMem || flags.showDate;
    return r;
}

ActivationResult AppActivate(const WindowLayout& layout, const LayoutFlags& flags) {
    LayoutFlags f = flags;
    f.active = true;
    ActivationResult r{layout, false, false, false};
    r.layout.titleActive = true;
    if (!f.modes.small) {
        InfoVisibility info = ApplyInfoVisibility(r.layout, f);
        r.layout = info.layout;
        r.timerRuns = info.timerRuns;
        r.infoApplied = true;
    }
    return r;
}

ActivationResult AppDeactivate(const WindowLayout& layout, const LayoutFlags& flags) {
    LayoutFlags f = flags;
    f.active = false;
    ActivationResult r{layout, false, false, false};
    WindowLayout& l = r.layout;
    l.titleActive = false;
    if (f.modes.title)
        l[Ctl::lblTitle].visible = true;
    if (f.modes.time || f.modes.taR) {
        r.sampleNow = true;
        r.timerRuns = true;
        l[Ctl::lblNow].visible = true;
        if (f.modes.taR) {
            SetVisible(l, {Ctl::ggResSys, Ctl::ggResGDI, Ctl::ggResUser, Ctl::ggCPU}, true);
        }
    }
    if (!f.modes.small)
        l = ArrangeLayout(l, f);
    return r;
}

bool TaskbarEntryVisible(bool taskBar, bool taskBarLast, bool active, bool alwaysOnTop) {
    return taskBar && (!taskBarLast || (!active && !alwaysOnTop));
}

Rect KeepOnScreen(const Rect& window, const std::vector<Rect>& workAreas) {
    if (workAreas.empty() || window.width <= 0 || window.height <= 0)
        return window;
    const auto overlap = [](int a0, int a1, int b0, int b1) {
        return std::max(0, std::min(a1, b1) - std::max(a0, b0));
    };
    const auto distance = [](int v, int lo, int hi) {
        return v < lo ? lo - v : (v > hi ? v - hi : 0);
    };
    const long long whole = static_cast<long long>(window.width) * window.height;
    const Rect* nearest = nullptr;
    long long nearestDistance = 0;
    const int cx = window.left + window.width / 2;
    const int cy = window.top + window.height / 2;
    long long shown = 0; // work areas of different screens do not overlap
    for (const Rect& area : workAreas) {
        shown +=
            static_cast<long long>(overlap(window.left, window.Right(), area.left, area.Right())) *
            overlap(window.top, window.Bottom(), area.top, area.Bottom());
        const long long dx = distance(cx, area.left, area.Right());
        const long long dy = distance(cy, area.top, area.Bottom());
        if (nearest == nullptr || dx * dx + dy * dy < nearestDistance) {
            nearest = &area;
            nearestDistance = dx * dx + dy * dy;
        }
    }
    if (shown * 4 >= whole * 3)
        return window;
    Rect moved = window;
    moved.left = std::max(nearest->left, std::min(window.left, nearest->Right() - window.width));
    moved.top = std::max(nearest->top, std::min(window.top, nearest->Bottom() - window.height));
    return moved;
}

CornerPlacement PlaceAtCorner(const Rect& window, const Rect& workArea, int pos) {
    const auto moveTo = [&](int corner) {
        Rect r = window;
        if (corner >= 1 && corner <= 4) {
            r.left = corner == 1 || corner == 4 ? workArea.left : workArea.Right() - window.width;
            r.top = corner <= 2 ? workArea.top : workArea.Bottom() - window.height;
        }
        return r;
    };

    if (pos != 0)
        return {moveTo(pos), pos};

    // The quadrant of the window's centre, against the centre of the work area (which need
    // not start at 0: a second monitor, a panel on the left or top).
    const int cx = window.left + window.width / 2;
    const int cy = window.top + window.height / 2;
    const int mx = workArea.left + workArea.width / 2;
    const int my = workArea.top + workArea.height / 2;
    int corner = cy <= my ? (cx <= mx ? 1 : 2) : (cx > mx ? 3 : 4);

    for (int tries = 0; tries < 4; ++tries) {
        const Rect moved = moveTo(corner);
        if (moved.left != window.left || moved.top != window.top)
            return {moved, corner};
        corner = corner % 4 + 1;
    }
    // No corner moves a window as large as the work area: it stays in its own corner.
    return {window, corner};
}

Rect SnapWhileMoving(const Rect& proposed, Point p, const Rect& w, bool ctrl) {
    if (!ctrl)
        return proposed;
    Rect r = proposed;
    const int width = proposed.width;
    const int height = proposed.height;
    const int mx = w.left + w.width / 2;
    const int my = w.top + w.height / 2;
    const int toLeft = p.x - w.left;
    const int toTop = p.y - w.top;
    const int toRight = w.Right() - p.x;
    const int toBottom = w.Bottom() - p.y;

    const auto dock = [&](int left, int top) {
        r.left = left;
        r.top = top;
    };
    const auto notAbove = [&](int top) { return top < w.top ? w.top : top; };
    const auto notBelow = [&](int top) {
        return top + height > w.Bottom() ? w.Bottom() - height : top;
    };
    const auto notLeftOf = [&](int left) { return left < w.left ? w.left : left; };
    const auto notRightOf = [&](int right) {
        return (right > w.Right() ? w.Right() : right) - width;
    };

    if (p.x < mx && p.y < my) {
        if (toLeft > toTop)
            dock(notLeftOf(p.x - width / 2), w.top);
        else
            dock(w.left, notAbove(p.y - height / 2));
    } else if (p.x >= mx && p.y < my) {
        if (toRight > toTop)
            dock(notRightOf(p.x + width / 2), w.top);
        else
            dock(w.Right() - width, notAbove(p.y - height / 2));
    } else if (p.x >= mx && p.y >= my) {
        if (toBottom < toRight)
            dock(notRightOf(p.x + width / 2), w.Bottom() - height);
        else
            dock(w.Right() - width, notBelow(p.y - height / 2));
    } else {
        if (toLeft > toBottom)
            dock(notLeftOf(p.x - width / 2), w.Bottom() - height);
        else
            dock(w.left, notBelow(p.y - height / 2));
    }
    return r;
}

bool ActivateOnMouseEnter(bool autoFore, bool titleActive, bool dialogActive) {
    return autoFore && !titleActive && !dialogActive;
}

} // namespace tavolin::layout
