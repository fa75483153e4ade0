#pragma once

#include "core/path/PathStyle.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {

class Platform;
class View;
struct WindowSettings;

namespace areas {

// The delete area (files go for good) and the recycle-bin area (files go to the Trash).
enum class AreaKind { Delete, Recycle };

// The last entry of the pending list names the area the batch is for.
inline constexpr std::string_view kDelMarker = "*Del*";
inline constexpr std::string_view kGomMarker = "*Gom*";

// The pictures of the areas: the symbols and the grounds they alternate with while counting.
inline constexpr int kDelPicture = 0;
inline constexpr int kGomPicture = 1;
inline constexpr int kDelBlinkPicture = 2;
inline constexpr int kGomBlinkPicture = 3;

// The countdown's interval: two ticks a second, one blink a second.
inline constexpr int kCountdownIntervalMs = 500;

// What the batch needs from the two areas on screen.
class AreasWindow {
public:
    virtual ~AreasWindow() = default;
    // Shows one of the four pictures on an area.
    virtual void ShowAreaPicture(AreaKind area, int picture) = 0;
    // The area's hint: its default text, or the text of a batch that waits.
    virtual void ShowWaitingHint(AreaKind area, bool waiting) = 0;
    // Runs or stops the countdown timer (`tmDel`), which calls tmDelTimer every 500 ms.
    virtual void SetCountdownRunning(bool running) = 0;
};

// The pending batch of the drop areas: dropped files wait for DelFlash (GomFlash) blinks, when
// a click on the area can cancel them, then go to the platform's delete in one call. One batch
// counts at a time; later drops queue behind it.
class PendingBatch {
public:
    PendingBatch(Platform& platform, View& view, AreasWindow& window,
                 const WindowSettings& settings);

    // Files dropped on an area: counting at once (with a count of 0, carried out at once),
    // or queued behind the pending batch.
    void Append(std::vector<std::string> paths, AreaKind area);

    // One countdown step: the blink, and the hand-over to the delete when the count is out.
    void tmDelTimer();

    // A click on an area with its batch pending stops the countdown and asks whether to
    // cancel it (no file touched) or go on.
    void AreaClick(AreaKind area);

    // A double-click on an area opens the computer view (delete area) or the Trash.
    void AreaDoubleClick(AreaKind area);

    // Drops the pending batch and the queue without touching any file.
    void Discard();

    // The pending list: the paths followed by the marker; empty when nothing is pending.
    const std::vector<std::string>& PendingList() const { return m_pending; }
    int Countdown() const { return m_countdown; }
    std::size_t QueuedBatches() const { return m_queue.size(); }

    // The cancel question: the heading, the first ten file names, "※残り N 個省略".
    static std::string CancelQuestion(const std::vector<std::string>& pendingList, PathStyle style);

private:
    struct Queued {
        std::vector<std::string> paths;
        AreaKind area;
    };

    void Start(std::vector<std::string> paths, AreaKind area);
    void CarryOut();
    void StartNextQueued();
    bool PendingFor(AreaKind area) const;

    Platform& m_platform;
    View& m_view;
    AreasWindow& m_window;
    const WindowSettings& m_settings;
    std::vector<std::string> m_pending;
    int m_countdown = 0;
    std::deque<Queued> m_queue;
};

} // namespace areas
} // namespace tavolin
