#pragma once

#include "core/watch/ResourceWatch.h"

#include <QFont>
#include <QObject>
#include <QPalette>
#include <QProgressBar>

class QLabel;
class QTimer;
class QWidget;

namespace tavolin {

class Platform;
class View;
struct WindowSettings;

// A gauge of the panel: a bar in one colour on another, framed in grey, with its value as
// "30%" in the middle. It draws itself: a style sheet would bring the whole style-sheet
// engine into every start for four bars.
class Gauge : public QProgressBar {
public:
    using QProgressBar::QProgressBar;
    void SetColours(const QColor& fill, const QColor& ground);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The information panel on the launcher window: the three free-resource gauges, the
// processor gauge, the memory labels and the clock, refreshed by the sampling timer `tmRes`
// through the core's tick (watch::ResourceWatch), which also runs the resource watch. The
// window creates the controls and lays them out; the panel styles and fills them.
class InfoPanel : public QObject, public watch::PanelWindow {
    Q_OBJECT
public:
    struct Controls {
        QLabel* lblTitle;
        Gauge* ggResSys;
        Gauge* ggResGDI;
        Gauge* ggResUser;
        Gauge* ggCPU;
        QLabel* lblAvailMem;
        QLabel* lblTotalMem;
        QLabel* lblNow;
    };

    InfoPanel(Platform& platform, View& view, const WindowSettings& settings, Controls controls,
              QWidget* window);

    // One sampling tick now (`ResTimer`).
    void ResTimer();
    // After every settings load: the alert latch is cleared and one tick runs at once.
    void SettingsLoaded();
    // The timer rule: the timer runs at the sampling interval, or stops.
    void SetTimerRuns(bool runs);

    watch::ResourceWatch& Watch() { return m_watch; }
    QTimer* Timer() const { return tmRes; }
    // The memory labels' own font; a figure too wide for them is shown smaller.
    const QFont& MemoryFont() const { return m_memFont; }

    // --- watch::PanelWindow --------------------------------------------------------------
    void ShowFigures(const watch::PanelFigures& figures) override;
    void Flash(watch::FlashPart part) override;
    void PauseSampling() override;
    void ResumeSampling() override;
    void BringToFront() override;

private:
    void EndFlash();
    void SetMemoryText(QLabel* label, const std::string& text);
    void StyleGauges(bool flashing);

    const WindowSettings& m_settings;
    Controls m_c;
    QWidget* m_window;
    watch::ResourceWatch m_watch;
    QTimer* tmRes;
    QTimer* m_flashEnd;
    bool m_resumeTimer = false;
    // What a flash coloured, with the look to put back.
    bool m_titleFlashed = false;
    bool m_clockFlashed = false;
    bool m_gaugesFlashed = false;
    QPalette m_titlePalette;
    QPalette m_clockPalette;
    QFont m_memFont;
};

} // namespace tavolin
