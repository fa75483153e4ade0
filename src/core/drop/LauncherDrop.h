#pragma once

#include "core/areas/PendingBatch.h"
#include "core/drop/DropFileTarget.h"
#include "core/layout/Layout.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavolin {

class Launcher;
class Platform;
class View;

namespace drop {

// Where things are on the launcher window during a drag, in the drop target's coordinates.
struct DropRects {
    layout::Rect bar;                       // the button bar tlbExc
    std::array<layout::Rect, 24> buttons{}; // tlb1 .. tlb24
    layout::Rect del;                       // imgDel
    layout::Rect gom;                       // imgGom
};

// What the drop rules need from the launcher window.
class DropWindow {
public:
    virtual ~DropWindow() = default;
    virtual DropRects Rects() const = 0;
    // Makes the launcher the active window, with its full layout.
    virtual void BringToFront() = 0;
};

// The launcher window's drop handlers: dropped files become buttons (page after page), are
// passed to a program's button with Shift (one start per file), or go to an area's batch.
class LauncherDrop {
public:
    // Receives the files dropped on an area; the area queues them behind a pending batch.
    using AreaSink = std::function<void(areas::AreaKind, const std::vector<std::string>&)>;

    LauncherDrop(Launcher& launcher, Platform& platform, View& view, DropWindow& window);
    void SetAreaSink(AreaSink sink) { m_areaSink = std::move(sink); }

    // The copy cursor; link with Shift over the button bar, move over an area.
    void DropFileTarget1DragOver(TShiftState shiftState, DropPoint point, std::uint32_t& effect);
    // Leaves the effect at none, so the source never moves or deletes its files; an error
    // while registering is shown, and what was placed before it stays.
    void DropFileTarget1Drop(TShiftState shiftState, DropPoint point, std::uint32_t& effect,
                             const std::vector<std::string>& files);

private:
    // False when it stopped because a full page could not be saved.
    bool Register(int n, const std::vector<std::string>& files);
    void PassAsParameters(int n, const std::vector<std::string>& files);

    Launcher& m_launcher;
    Platform& m_platform;
    View& m_view;
    DropWindow& m_window;
    AreaSink m_areaSink;
};

} // namespace drop
} // namespace tavolin
