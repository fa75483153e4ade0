#pragma once

#include "core/watch/DatePicture.h"

#include <functional>
#include <string>

namespace tavolin {

class Platform;
class View;
struct WindowSettings;

namespace watch {

// What the information panel shows; placeholders until the first sample.
struct PanelFigures {
    int sys = 30;
    int gdi = 30;
    int user = 30;
    int cpu = 30;
    std::string totalMem = "000,000KB";
    std::string availMem = "000,000KB";
    std::string now = "9999/99/99(月) 99:99";
};

// The ways the resource watch warns (ResWatchType).
enum class WatchMethod : int { Message = 0, FlashTitle = 1, FlashClock = 2, FlashGauges = 3 };

// The parts of the window a flashing watch colours for a moment.
enum class FlashPart { Title, Clock, ResourceGauges };

// What the watch needs from the panel on screen.
class PanelWindow {
public:
    virtual ~PanelWindow() = default;
    // Puts the figures on the gauges and labels.
    virtual void ShowFigures(const PanelFigures& figures) = 0;
    // Colours a part for 50 ms, without blocking.
    virtual void Flash(FlashPart part) = 0;
    // Holds the sampling timer while a message is open (and lets it go on, if it ran).
    virtual void PauseSampling() = 0;
    virtual void ResumeSampling() = 0;
    // Brings the launcher window to the front before a warning.
    virtual void BringToFront() = 0;
};

// The information panel's sampling tick and the resource watch with its alert latch; the
// settings are read at every tick.
class ResourceWatch {
public:
    using Clock = std::function<LocalTime()>;

    ResourceWatch(Platform& platform, View& view, PanelWindow& window,
                  const WindowSettings& settings, Clock clock = LocalNow);

    // One sampling tick: the gauges and labels that are shown or watched, the clock, the
    // watch and its latch. A failing resource reader is reported once until it has worked.
    void ResTimer();

    // At every settings load.
    void ClearLatch() { m_latch = false; }
    bool Latched() const { return m_latch; }
    const PanelFigures& Figures() const { return m_figures; }

    // The warning of the message method with the thresholds.
    static std::string LowResourceMessage(int low, int high);

private:
    void SampleResources();
    void Watch();

    Platform& m_platform;
    View& m_view;
    PanelWindow& m_window;
    const WindowSettings& m_settings;
    Clock m_clock;
    PanelFigures m_figures;
    bool m_latch = false;
    bool m_readerReported = false;
};

} // namespace watch
} // namespace tavolin
