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

// Where things are on the launcher window at the moment of a drag, in the coordinates the
// drop target reports points in.
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

// The launcher window's drop handlers: files dropped on the buttons or the window become
// buttons of the page on screen (page after page when it is full), files dropped with Shift
// on a program's button are passed to it, one start per file, and files dropped on the
// delete or recycle-bin area go to that area's batch.
class LauncherDrop {
public:
    // Receives the files dropped on an area; the area queues them behind a pending batch.
    using AreaSink = std::function<void(areas::AreaKind, const std::vector<std::string>&)>;

    LauncherDrop(Launcher& launcher, Platform& platform, View& view, DropWindow& window);
    void SetAreaSink(AreaSink sink) { m_areaSink = std::move(sink); }

    // The drop target's OnDragOver: the copy cursor; link with Shift over the button bar,
    // move over an area. In the title and clock modes the window comes forward.
    void DropFileTarget1DragOver(TShiftState shiftState, DropPoint point, std::uint32_t& effect);
    // The drop target's OnDrop, with the dropped paths. Leaves the effect at none, so that
    // the source never moves or deletes its files. Nothing escapes from it: an error while
    // registering is shown, and the files placed before it stay and are saved.
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
