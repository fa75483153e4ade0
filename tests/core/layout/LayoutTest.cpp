#include "core/layout/Layout.h"

#include <gtest/gtest.h>

using namespace tavolin::layout;

namespace {

// The window as the user interface measures it: twelve 23 x 22 buttons a row with two
// 2-pixel separators, the clock 173 x 15, the rest at their design sizes.
WindowLayout Measured() {
    WindowLayout l = DesignLayout();
    l.R(Ctl::tlbExc).width = 12 * 23 + 2 * 2; // 280
    l.R(Ctl::tlbExc).height = 2 * 22;         // 44
    l.window = {100, 200, 377, 115};
    return l;
}

LayoutFlags Defaults() {
    return LayoutFlags{};
}

LayoutFlags WithMode(DisplayMode mode, bool active) {
    LayoutFlags f;
    f.modes = FlagsFor(mode);
    f.active = active;
    return f;
}

bool HeaderRowVisible(const WindowLayout& l) {
    return l[Ctl::bbtnCategory].visible && l[Ctl::edtPage].visible && l[Ctl::udPage].visible &&
           l[Ctl::btnInf].visible;
}
bool HeaderRowHidden(const WindowLayout& l) {
    return !l[Ctl::bbtnCategory].visible && !l[Ctl::edtPage].visible && !l[Ctl::udPage].visible &&
           !l[Ctl::btnInf].visible;
}

} // namespace

TEST(ArrangeLayout, FullWindowPlacesEveryControlFromTheButtonBar) {
    const WindowLayout l = ArrangeLayout(Measured(), Defaults());

    EXPECT_TRUE(l[Ctl::lblTitle].visible);
    EXPECT_EQ(l.R(Ctl::bbtnCategory).left, 16); // title 11 wide + 5
    EXPECT_EQ(l.R(Ctl::bvlOpt).left, 12);
    EXPECT_EQ(l.R(Ctl::tlbExc), (Rect{16, 17, 280, 44}));
    EXPECT_EQ(l.R(Ctl::edtPage).left, 192);
    EXPECT_EQ(l.R(Ctl::udPage).left, 233);
    EXPECT_EQ(l.R(Ctl::btnInf).left, 279); // ends where the button bar ends
    EXPECT_EQ(l.R(Ctl::bvlInf).left, 302);

    // Captions and gauges in one column, tops 0, 14, 28 and 44.
    const Ctl captions[] = {Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser, Ctl::lblCPU};
    const Ctl gauges[] = {Ctl::ggResSys, Ctl::ggResGDI, Ctl::ggResUser, Ctl::ggCPU};
    const int tops[] = {0, 14, 28, 44};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(l.R(captions[i]).left, 307);
        EXPECT_EQ(l.R(captions[i]).top, tops[i]);
        EXPECT_EQ(l.R(gauges[i]).left, 339);
        EXPECT_EQ(l.R(gauges[i]).top, tops[i]);
    }
    // The memory figures end where the gauges end.
    EXPECT_EQ(l.R(Ctl::lblAvailMem).Right(), l.R(Ctl::ggCPU).Right());
    EXPECT_EQ(l.R(Ctl::lblTotalMem).left, l.R(Ctl::lblAvailMem).left);
    EXPECT_GE(l.R(Ctl::lblAvailMem).top, l.R(Ctl::ggCPU).Bottom());
    EXPECT_LE(l.R(Ctl::lblTotalMem).Bottom(), l.R(Ctl::tlbOpt).top);

    EXPECT_EQ(l.R(Ctl::btnOpt), (Rect{16, 64, 17, 17}));
    EXPECT_EQ(l.R(Ctl::lblNow), (Rect{84, 65, 173, 15})); // centred: 33 + (269 - 173) / 2 + 3
    EXPECT_EQ(l.R(Ctl::bvlOpt).top, 82);
    EXPECT_EQ(l.R(Ctl::tlbOpt), (Rect{16, 85, 283, 44}));
    EXPECT_EQ(l.R(Ctl::imgDel).left, 305);
    EXPECT_EQ(l.R(Ctl::imgGom).left, 342);
    EXPECT_EQ(l.R(Ctl::imgDel).top, 85);

    EXPECT_EQ(l.window, (Rect{100, 200, 384, 136}));
    EXPECT_EQ(l.R(Ctl::lblTitle).height, 136 - 2 * kFrameWidth);
    EXPECT_EQ(l.R(Ctl::bvlOpt).width, 384 - 12);
    EXPECT_EQ(l.R(Ctl::bvlInf).height, 136);
}

TEST(ArrangeLayout, ClockTooWideForTheGapIsCutToIt) {
    WindowLayout in = Measured();
    in.R(Ctl::lblNow).width = 300;
    const WindowLayout l = ArrangeLayout(in, Defaults());
    EXPECT_EQ(l.R(Ctl::lblNow).left, 36);
    EXPECT_EQ(l.R(Ctl::lblNow).width, 302 - 16 - 17 - 6);
}

TEST(ArrangeLayout, HiddenPanelsShrinkTheWindow) {
    LayoutFlags f = Defaults();
    f.showRes = false;
    f.showMem = false;
    f.showOpt = false;
    f.showTitle = false;
    const WindowLayout l = ArrangeLayout(Measured(), f);
    EXPECT_FALSE(l[Ctl::lblTitle].visible);
    EXPECT_EQ(l.R(Ctl::bbtnCategory).left, 0);
    EXPECT_EQ(l.R(Ctl::bvlOpt).left, 0);
    // 3 pixels right of the vertical line, 1 below the horizontal one.
    EXPECT_EQ(l.window.width, l.R(Ctl::bvlInf).Right() + 3);
    EXPECT_EQ(l.window.height, l.R(Ctl::bvlOpt).Bottom() + 1);
    EXPECT_GT(l.R(Ctl::imgDel).Right(), l.window.width - kFrameWidth);
}

TEST(ArrangeLayout, SmallModeIsTheButtonBarAloneActiveOrNot) {
    for (bool active : {true, false}) {
        SCOPED_TRACE(active);
        const WindowLayout l = ArrangeLayout(Measured(), WithMode(DisplayMode::Small, active));
        EXPECT_EQ(l.window.width, 280 + 7);
        EXPECT_EQ(l.window.height, 44 + 5);
        EXPECT_EQ(l.R(Ctl::tlbExc).left, 1);
        EXPECT_EQ(l.R(Ctl::tlbExc).top, -1);
        EXPECT_FALSE(l[Ctl::lblTitle].visible);
        EXPECT_TRUE(HeaderRowHidden(l));
        EXPECT_TRUE(l[Ctl::tlbExc].visible);
    }
}

TEST(ArrangeLayout, TitleModeShrinksToTheTitleStripWhileInactive) {
    const WindowLayout full = ArrangeLayout(Measured(), WithMode(DisplayMode::Title, true));
    EXPECT_TRUE(HeaderRowVisible(full));
    EXPECT_EQ(full.window.width, 384);

    LayoutFlags f = WithMode(DisplayMode::Title, false);
    f.showTitle = false; // the strip shows while inactive even when hidden otherwise
    const WindowLayout l = ArrangeLayout(full, f);
    EXPECT_TRUE(l[Ctl::lblTitle].visible);
    EXPECT_EQ(l.window.width, 11 + 7);
    EXPECT_EQ(l.window.height, full.window.height);
}

TEST(ArrangeLayout, TimeModeShrinksToTheClockWhileInactive) {
    const WindowLayout l = ArrangeLayout(Measured(), WithMode(DisplayMode::Time, false));
    EXPECT_EQ(l.R(Ctl::lblNow).left, 0);
    EXPECT_EQ(l.R(Ctl::lblNow).top, 0);
    EXPECT_EQ(l.window.width, 173 + 7);
    EXPECT_EQ(l.window.height, 15 + 7);
    EXPECT_FALSE(l[Ctl::lblTitle].visible);
    EXPECT_TRUE(HeaderRowHidden(l));

    const WindowLayout back = ArrangeLayout(l, WithMode(DisplayMode::Time, true));
    EXPECT_TRUE(HeaderRowVisible(back));
    EXPECT_EQ(back.R(Ctl::lblNow).left, 84);
    EXPECT_EQ(back.window.width, 384);
}

TEST(ArrangeLayout, ClockAndInformationModePutsTheGaugesInARow) {
    const WindowLayout below = ArrangeLayout(Measured(), WithMode(DisplayMode::TaR, false));
    EXPECT_EQ(below.R(Ctl::ggResSys), (Rect{0, 16, 33, 15}));
    EXPECT_EQ(below.R(Ctl::ggResGDI).left, 34);
    EXPECT_EQ(below.R(Ctl::ggResUser).left, 68);
    EXPECT_EQ(below.R(Ctl::ggCPU).left, 111);
    EXPECT_EQ(below.R(Ctl::ggCPU).top, 16);
    EXPECT_EQ(below.window.width, 173 + 7);
    EXPECT_EQ(below.window.height, 15 + 15 + 7);
    for (Ctl c : {Ctl::lblTitle, Ctl::tlbExc, Ctl::lblResSys, Ctl::lblResGDI, Ctl::lblResUser,
                  Ctl::bvlInf}) {
        EXPECT_FALSE(below[c].visible) << static_cast<int>(c);
    }
    EXPECT_TRUE(HeaderRowHidden(below));

    LayoutFlags right = WithMode(DisplayMode::TaR, false);
    right.taRRight = true;
    const WindowLayout beside = ArrangeLayout(Measured(), right);
    EXPECT_EQ(beside.R(Ctl::ggResSys), (Rect{178, 0, 33, 15}));
    EXPECT_EQ(beside.R(Ctl::ggCPU).left, 178 + 34 + 34 + 43);
    EXPECT_EQ(beside.window.width, beside.R(Ctl::ggCPU).Right() + 7);
    EXPECT_EQ(beside.window.height, 15 + 7);

    // Active again: everything is back in its column.
    const WindowLayout active = ArrangeLayout(below, WithMode(DisplayMode::TaR, true));
    EXPECT_TRUE(HeaderRowVisible(active));
    EXPECT_TRUE(active[Ctl::tlbExc].visible);
    EXPECT_TRUE(active[Ctl::bvlInf].visible);
    EXPECT_TRUE(active[Ctl::lblResUser].visible);
    EXPECT_EQ(active.R(Ctl::ggCPU), (Rect{339, 44, 33, 15}));
    EXPECT_EQ(active.window.width, 384);
}

TEST(ArrangeLayout, DockedRightOrBottomEdgeStaysWhileTheWindowShrinks) {
    struct Row {
        int winPos;
        int left, top; // after shrinking from 384 x 136 at (1000, 600) to 180 x 37
    };
    const Row rows[] = {
        {1, 1000, 600}, {2, 1204, 600}, {3, 1204, 699}, {4, 1000, 699}, {5, 1000, 600}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.winPos);
        WindowLayout start = ArrangeLayout(Measured(), Defaults());
        start.window.left = 1000;
        start.window.top = 600;
        LayoutFlags f = WithMode(DisplayMode::TaR, false);
        f.winPos = row.winPos;
        const WindowLayout small = ArrangeLayout(start, f);
        EXPECT_EQ(small.window.left, row.left);
        EXPECT_EQ(small.window.top, row.top);
        // Growing back restores the original place.
        f.active = true;
        const WindowLayout big = ArrangeLayout(small, f);
        EXPECT_EQ(big.window.left, 1000);
        EXPECT_EQ(big.window.top, 600);
    }
    // Normal mode never moves the window.
    WindowLayout start = Measured();
    LayoutFlags f = WithMode(DisplayMode::Nomal, false);
    f.winPos = 3;
    EXPECT_EQ(ArrangeLayout(start, f).window.left, 100);
}

TEST(ArrangeLayout, SeveralModeFlagsApplyInOrder) {
    // A hand-edited file with the minimum and the clock mode: the clock mode comes last.
    LayoutFlags f;
    f.modes = ModeFlags{false, true, false, true, false};
    f.active = false;
    const WindowLayout l = ArrangeLayout(Measured(), f);
    EXPECT_EQ(l.window.width, 173 + 7);
    f.active = true;
    const WindowLayout a = ArrangeLayout(Measured(), f);
    EXPECT_EQ(a.window.width, 280 + 7);
    EXPECT_TRUE(HeaderRowVisible(a)); // the clock mode shows the header row while active
}

TEST(InfoVisibility, FollowsTheSettingsAndRunsTheTimerForAnyOfThem) {
    LayoutFlags f = Defaults();
    f.showRes = false;
    f.showDate = false;
    InfoVisibility r = ApplyInfoVisibility(Measured(), f);
    for (Ctl c : {Ctl::ggResSys, Ctl::ggCPU, Ctl::lblResSys, Ctl::lblCPU, Ctl::lblNow}) {
        EXPECT_FALSE(r.layout[c].visible) << static_cast<int>(c);
    }
    EXPECT_TRUE(r.layout[Ctl::lblAvailMem].visible);
    EXPECT_TRUE(r.layout[Ctl::lblTotalMem].visible);
    EXPECT_TRUE(r.timerRuns);

    f.showMem = false;
    r = ApplyInfoVisibility(Measured(), f);
    EXPECT_FALSE(r.layout[Ctl::lblAvailMem].visible);
    EXPECT_FALSE(r.timerRuns);
}

TEST(Activation, ClockModesShowClockAndGaugesWhileInactiveEvenWhenSwitchedOff) {
    LayoutFlags f = Defaults(); // clock and information mode
    f.showRes = false;
    f.showDate = false;
    f.winPos = 3;
    WindowLayout l = ApplyInfoVisibility(Measured(), f).layout;
    l.window = {1000, 600, l.window.width, l.window.height};
    const int right = l.window.Right();
    const int bottom = l.window.Bottom();

    const ActivationResult off = AppDeactivate(l, f);
    EXPECT_FALSE(off.layout.titleActive);
    EXPECT_TRUE(off.sampleNow);
    EXPECT_TRUE(off.timerRuns);
    EXPECT_TRUE(off.layout[Ctl::lblNow].visible);
    EXPECT_TRUE(off.layout[Ctl::ggCPU].visible);
    EXPECT_EQ(off.layout.window.width, 173 + 7);
    EXPECT_EQ(off.layout.window.Right(), right); // corner 3 keeps its bottom-right corner
    EXPECT_EQ(off.layout.window.Bottom(), bottom);

    const ActivationResult on = AppActivate(off.layout, f);
    EXPECT_TRUE(on.layout.titleActive);
    EXPECT_TRUE(on.infoApplied);
    EXPECT_FALSE(on.layout[Ctl::lblNow].visible);
    EXPECT_FALSE(on.layout[Ctl::ggCPU].visible);
    EXPECT_EQ(on.layout.window, l.window);
}

TEST(Activation, MinimumModeOnlyChangesTheTitleColours) {
    LayoutFlags f = WithMode(DisplayMode::Small, true);
    const WindowLayout l = ArrangeLayout(Measured(), f);
    const ActivationResult off = AppDeactivate(l, f);
    EXPECT_FALSE(off.layout.titleActive);
    EXPECT_EQ(off.layout.window, l.window);
    const ActivationResult on = AppActivate(off.layout, f);
    EXPECT_FALSE(on.infoApplied);
    EXPECT_EQ(on.layout.window, l.window);
}

TEST(DisplayModes, AltBackspaceCycleReturnsAfterFiveSteps) {
    DisplayMode m = DisplayMode::TaR;
    const DisplayMode expected[] = {DisplayMode::Nomal, DisplayMode::Small, DisplayMode::Title,
                                    DisplayMode::Time, DisplayMode::TaR};
    for (DisplayMode e : expected) {
        m = NextMode(m);
        EXPECT_EQ(m, e);
        const ModeFlags flags = FlagsFor(m);
        EXPECT_EQ(CurrentMode(flags), m);
        EXPECT_EQ(flags.nomal + flags.small + flags.title + flags.time + flags.taR, 1);
    }
    EXPECT_EQ(CurrentMode(ModeFlags{}), DisplayMode::TaR); // the default flags
    EXPECT_EQ(CurrentMode(ModeFlags{false, false, false, false, false}), DisplayMode::Nomal);
}

TEST(Taskbar, EntryShowsOnlyWhenAskedAndAllowed) {
    // taskBar, taskBarLast, active, alwaysOnTop -> visible
    EXPECT_FALSE(TaskbarEntryVisible(false, false, false, false));
    EXPECT_TRUE(TaskbarEntryVisible(true, false, true, true));
    EXPECT_TRUE(TaskbarEntryVisible(true, true, false, false));
    EXPECT_FALSE(TaskbarEntryVisible(true, true, true, false));
    // Always on top with "only while inactive": never.
    EXPECT_FALSE(TaskbarEntryVisible(true, true, false, true));
    EXPECT_FALSE(TaskbarEntryVisible(true, true, true, true));
}

TEST(PlaceAtCorner, NamedCornersAndTheFreePosition) {
    const Rect work{0, 0, 1280, 770}; // a panel of 30 pixels at the bottom
    const Rect win{500, 300, 384, 136};
    EXPECT_EQ(PlaceAtCorner(win, work, 1).window, (Rect{0, 0, 384, 136}));
    EXPECT_EQ(PlaceAtCorner(win, work, 2).window, (Rect{896, 0, 384, 136}));
    EXPECT_EQ(PlaceAtCorner(win, work, 3).window, (Rect{896, 634, 384, 136}));
    EXPECT_EQ(PlaceAtCorner(win, work, 4).window, (Rect{0, 634, 384, 136}));
    const CornerPlacement free = PlaceAtCorner(win, work, 5);
    EXPECT_EQ(free.window, win);
    EXPECT_EQ(free.winPos, 5);
}

TEST(PlaceAtCorner, AutomaticChoiceTakesTheQuadrantThenGoesClockwise) {
    const Rect work{0, 0, 1280, 800};
    CornerPlacement p = PlaceAtCorner({900, 500, 200, 100}, work, 0);
    EXPECT_EQ(p.winPos, 3);
    EXPECT_EQ(p.window, (Rect{1080, 700, 200, 100}));
    // A window centred exactly on the middle counts as top-left.
    p = PlaceAtCorner({540, 350, 200, 100}, work, 0);
    EXPECT_EQ(p.winPos, 1);

    // Repeated requests carry the window round the work area.
    p = PlaceAtCorner({-1, -1, 200, 100}, work, 0);
    EXPECT_EQ(p.winPos, 1);
    const int order[] = {2, 3, 4, 1, 2};
    for (int expected : order) {
        p = PlaceAtCorner(p.window, work, 0);
        EXPECT_EQ(p.winPos, expected);
    }
}

TEST(PlaceAtCorner, WorkAreaThatDoesNotStartAtTheOrigin) {
    // The right-hand monitor of two, with a panel on its left edge.
    const Rect work{1280 + 48, 0, 1920 - 48, 1080};
    CornerPlacement p = PlaceAtCorner({2900, 100, 300, 100}, work, 0);
    EXPECT_EQ(p.winPos, 2);
    EXPECT_EQ(p.window.Right(), 3200);
    p = PlaceAtCorner({1400, 900, 300, 100}, work, 0);
    EXPECT_EQ(p.winPos, 4);
    EXPECT_EQ(p.window.left, 1328);
    EXPECT_EQ(p.window.Bottom(), 1080);
}

TEST(PlaceAtCorner, WindowAsLargeAsTheWorkAreaStopsAfterFourTries) {
    const Rect work{0, 0, 800, 600};
    const CornerPlacement p = PlaceAtCorner(work, work, 0);
    EXPECT_EQ(p.window, work);
    EXPECT_GE(p.winPos, 1);
    EXPECT_LE(p.winPos, 4);
}

TEST(KeepOnScreen, AWindowMostlyOffEveryScreenComesWhollyIntoTheNearestWorkArea) {
    // Two screens side by side, a panel at the top of the first.
    const std::vector<Rect> areas = {{0, 24, 1280, 776}, {1280, 0, 1024, 768}};
    struct Row {
        const char* name;
        Rect window, expected;
    };
    const Row rows[] = {
        {"inside", {100, 100, 384, 136}, {100, 100, 384, 136}},
        {"three quarters in stays", {1280 - 288, 100, 384, 136}, {1280 - 288, 100, 384, 136}},
        {"across both screens stays", {1100, 100, 384, 136}, {1100, 100, 384, 136}},
        {"far off beyond the second", {30000, 30000, 38, 13}, {2304 - 38, 768 - 13, 38, 13}},
        {"above the first, under its panel", {200, -120, 384, 136}, {200, 24, 384, 136}},
        {"off to the left", {-500, 300, 384, 136}, {0, 300, 384, 136}},
        {"larger than the work area", {-2000, -50, 1400, 900}, {0, 24, 1400, 900}},
        {"over two screens, 61% on", {1100, 700, 384, 136}, {1280, 632, 384, 136}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KeepOnScreen(row.window, areas), row.expected) << row.name;
    EXPECT_EQ(KeepOnScreen({30000, 0, 10, 10}, {}), (Rect{30000, 0, 10, 10}));
}

TEST(SnapWhileMoving, WithoutCtrlTheWindowMovesFreely) {
    const Rect proposed{123, 45, 200, 100};
    EXPECT_EQ(SnapWhileMoving(proposed, {130, 50}, {0, 0, 1280, 800}, false), proposed);
}

TEST(SnapWhileMoving, DocksToTheNearestEdgeOfTheCursorsQuadrant) {
    const Rect work{0, 0, 1280, 800}; // centre (640, 400)
    const Rect any{500, 500, 200, 100};
    struct Row {
        const char* name;
        Point cursor;
        Rect expected;
    };
    const Row rows[] = {
        // top-left: nearer the left edge -> left edge, centred on the cursor, never above
        {"top-left, left edge", {20, 300}, {0, 250, 200, 100}},
        {"top-left, left edge, clamped to the top", {20, 30}, {0, 0, 200, 100}},
        {"top-left, tie docks left", {50, 50}, {0, 0, 200, 100}},
        {"top-left, top edge", {300, 20}, {200, 0, 200, 100}},
        {"top-left, top edge, clamped to the left", {60, 20}, {0, 0, 200, 100}},
        {"top-right, top edge", {900, 20}, {800, 0, 200, 100}},
        {"top-right, top edge, clamped to the right", {1250, 10}, {1080, 0, 200, 100}},
        {"top-right, right edge", {1260, 300}, {1080, 250, 200, 100}},
        {"bottom-right, bottom edge", {900, 790}, {800, 700, 200, 100}},
        {"bottom-right, right edge, kept above the bottom", {1270, 780}, {1080, 700, 200, 100}},
        {"bottom-right, right edge", {1270, 500}, {1080, 450, 200, 100}},
        {"bottom-left, bottom edge", {300, 790}, {200, 700, 200, 100}},
        {"bottom-left, left edge", {10, 500}, {0, 450, 200, 100}},
        {"bottom-left, left edge, kept above the bottom", {5, 790}, {0, 700, 200, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SnapWhileMoving(any, row.cursor, work, true), row.expected);
    }
}

TEST(SnapWhileMoving, MeasuresDistancesFromTheWorkAreasOwnEdges) {
    // A second monitor to the right: the cursor 20 pixels from its left edge and 300 from
    // its top docks left, not top.
    const Rect work{1280, 0, 1280, 800};
    EXPECT_EQ(SnapWhileMoving({1500, 500, 200, 100}, {1300, 300}, work, true),
              (Rect{1280, 250, 200, 100}));
}

TEST(MouseEnter, ActivatesOnlyAnInactiveLauncherWithoutADialog) {
    EXPECT_TRUE(ActivateOnMouseEnter(true, false, false));
    EXPECT_FALSE(ActivateOnMouseEnter(false, false, false));
    EXPECT_FALSE(ActivateOnMouseEnter(true, true, false));
    EXPECT_FALSE(ActivateOnMouseEnter(true, false, true));
}
