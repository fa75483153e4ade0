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

// Places the four gauges side by side from `left` at `top`: one pixel apart, with a wider gap
// before the processor gauge. Returns the processor gauge's right edge.
int PlaceGaugeRow(WindowLayout& l, int left, int top) {
    Rect& sys = l.R(Ctl::ggResSys);
    Rect& gdi = l.R(Ctl::ggResGDI);
    Rect& user = l.R(Ctl::ggResUser);
    Rect& cpu = l.R(Ctl::ggCPU);
    sys.left = left;
    gdi.left = sys.Right() + 1;
    user.left = gdi.Right() + 1;
    cpu.left = user.Right() + 10;
    sys.top = gdi.top = user.top = cpu.top = top;
    return cpu.Right();
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
    const bool inactive = !f.active;
    const int w0 = l.window.width;
    const int h0 = l.window.height;

    Rect& title = l.R(Ctl::lblTitle);
    Rect& category = l.R(Ctl::bbtnCategory);
    Rect& page = l.R(Ctl::edtPage);
    Rect& upDown = l.R(Ctl::udPage);
    Rect& infToggle = l.R(Ctl::btnInf);
    Rect& bar = l.R(Ctl::tlbExc);
    Rect& infBevel = l.R(Ctl::bvlInf);
    Rect& optToggle = l.R(Ctl::btnOpt);
    Rect& clock = l.R(Ctl::lblNow);
    Rect& optBevel = l.R(Ctl::bvlOpt);
    Rect& optBar = l.R(Ctl::tlbOpt);
    Rect& delArea = l.R(Ctl::imgDel);
    Rect& gomArea = l.R(Ctl::imgGom);

    // The vertical title strip at the left edge.
    if (f.showTitle || (f.modes.title && inactive)) {
        l[Ctl::lblTitle].visible = true;
        category.left = title.left + title.width + 5;
        optBevel.left = title.left + title.width + 1;
    } else {
        l[Ctl::lblTitle].visible = false;
        category.left = 0;
        optBevel.left = 0;
    }

    bar.left = category.left;
    bar.top = category.top + category.height;
    page.left = category.left + category.width + 23;
    upDown.left = page.left + page.width;
    infToggle.left = bar.left + bar.width - infToggle.width;
    infBevel.left = infToggle.left + infToggle.width + 6;

    // Information panel: captions and gauges in a column right of the vertical line.
    Rect& capSys = l.R(Ctl::lblResSys);
    Rect& capGdi = l.R(Ctl::lblResGDI);
    Rect& capUser = l.R(Ctl::lblResUser);
    Rect& capCpu = l.R(Ctl::lblCPU);
    capSys.left = capGdi.left = capUser.left = capCpu.left = infBevel.left + infBevel.width;
    capSys.top = 0;
    capGdi.top = capSys.height - 1;
    capUser.top = capGdi.top + capGdi.height - 1;
    capCpu.top = capUser.top + capUser.height + 1;
    const std::pair<Ctl, Ctl> gaugeOf[] = {{Ctl::lblResSys, Ctl::ggResSys},
                                           {Ctl::lblResGDI, Ctl::ggResGDI},
                                           {Ctl::lblResUser, Ctl::ggResUser},
                                           {Ctl::lblCPU, Ctl::ggCPU}};
    for (const auto& [caption, gauge] : gaugeOf) {
        l.R(gauge).left = capSys.left + capSys.width;
        l.R(gauge).top = l.R(caption).top;
    }

    // Memory figures: right-justified under the gauges, their right edge where the widest
    // figure ("000,000KB", whose width the labels carry) ends.
    Rect& availMem = l.R(Ctl::lblAvailMem);
    Rect& totalMem = l.R(Ctl::lblTotalMem);
    availMem.left = infBevel.left + infBevel.width + 12;
    totalMem.left = availMem.left;
    availMem.top = l.R(Ctl::ggCPU).Bottom() + 1;
    totalMem.top = availMem.Bottom();

    // Option toggle and the clock centred in the gap between it and the vertical line.
    optToggle.left = category.left;
    const int a = optToggle.left + optToggle.width;
    const int d = infBevel.left - a;
    if (clock.width < d - 6) {
        clock.left = a + (d - clock.width) / 2 + 3;
    } else {
        clock.left = a + 3;
        clock.width = infBevel.left - optToggle.left - optToggle.width - 6;
    }

    optToggle.top = bar.top + bar.height + 3;
    clock.top = optToggle.top + 1;
    optBevel.top = optToggle.top + optToggle.height + 1;
    optBar.top = optBevel.top + 3;
    optBar.left = category.left;
    optBar.width = infBevel.left - optBar.left - 3;

    delArea.top = optBar.top;
    delArea.left = infBevel.left + 3;
    gomArea.top = optBar.top;
    gomArea.left = delArea.left + delArea.width + 1;

    l[Ctl::tlbExc].visible = true;

    int width = (f.showRes || f.showMem) ? gomArea.Right() + 6 : infBevel.Right() + 3;
    int height = f.showOpt ? optBar.Bottom() + 7 : optBevel.Bottom() + 1;

    if (f.modes.nomal) {
        ShowHeaderRow(l, true);
    }
    if (f.modes.small) {
        l[Ctl::lblTitle].visible = false;
        ShowHeaderRow(l, false);
        bar.left = 1;
        bar.top = -1;
        width = bar.width + 7;
        height = bar.height + 5;
    }
    if (f.modes.title) {
        ShowHeaderRow(l, true);
        if (inactive) {
            l[Ctl::lblTitle].visible = true;
            width = title.width + 7;
        }
    }
    if (f.modes.time) {
        if (inactive) {
            l[Ctl::lblTitle].visible = false;
            ShowHeaderRow(l, false);
            clock.left = 0;
            clock.top = 0;
            width = clock.width + 7;
            height = clock.height + 7;
        } else {
            ShowHeaderRow(l, true);
        }
    }
    if (f.modes.taR) {
        if (inactive) {
            l[Ctl::lblTitle].visible = false;
            ShowHeaderRow(l, false);
            SetVisible(l,
                       {Ctl::tlbExc, Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser, Ctl::bvlInf},
                       false);
            clock.left = 0;
            clock.top = 0;
            if (f.taRRight) {
                width = PlaceGaugeRow(l, clock.Right() + 5, clock.top) + 7;
                height = clock.height + 7;
            } else {
                PlaceGaugeRow(l, 0, clock.Bottom() + 1);
                width = clock.width + 7;
                height = clock.height + l.R(Ctl::ggResSys).height + 7;
            }
        } else {
            ShowHeaderRow(l, true);
            SetVisible(l, {Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser, Ctl::bvlInf}, true);
        }
    }

    l.window.width = width;
    l.window.height = height;
    // The title strip runs down the whole inside of the window.
    title.height = height - 2 * kFrameWidth;
    optBevel.width = width - optBevel.left;
    infBevel.height = height;

    // A window docked to the right or bottom keeps that edge while it changes size.
    if (f.modes.title || f.modes.time || f.modes.taR) {
        if (f.winPos == 2 || f.winPos == 3)
            l.window.left += w0 - width;
        if (f.winPos == 3 || f.winPos == 4)
            l.window.top += h0 - height;
    }
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
