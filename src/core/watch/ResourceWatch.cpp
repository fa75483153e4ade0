#include "core/watch/ResourceWatch.h"

#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/settings/Settings.h"

#include <array>
#include <optional>

namespace tavolin::watch {

ResourceWatch::ResourceWatch(Platform& platform, View& view, PanelWindow& window,
                             const WindowSettings& settings, Clock clock)
    : m_platform(platform), m_view(view), m_window(window), m_settings(settings),
      m_clock(std::move(clock)) {}

std::string ResourceWatch::LowResourceMessage(int low, int high) {
    return "リソースが設定値(" + std::to_string(low) + "%～" + std::to_string(high) +
           "%)より下回りました。";
}

void ResourceWatch::ResTimer() {
    const WindowSettings& s = m_settings;
    if (s.ShowRes || s.ResWatch)
        SampleResources();
    if (s.ShowMem) {
        if (const std::optional<MemoryStatus> memory = m_platform.Memory()) {
            m_figures.totalMem = FormatKilobytes(memory->totalBytes);
            m_figures.availMem = FormatKilobytes(memory->availableBytes);
        }
    }
    // Also while the clock is hidden, so that it is right the moment it shows again.
    m_figures.now = FormatDate(s.DateFormat, m_clock());
    m_window.ShowFigures(m_figures);

    if (s.ResWatch)
        Watch();
    const int high = s.ResWatchHigh;
    if (m_latch && m_figures.sys >= high && m_figures.gdi >= high && m_figures.user >= high) {
        m_latch = false;
    }
}

void ResourceWatch::SampleResources() {
    static constexpr std::array<std::pair<ResourceKind, const char*>, 3> kKinds{
        {{ResourceKind::System, "Sys"}, {ResourceKind::Gdi, "GDI"}, {ResourceKind::User, "User"}}};
    // Each figure that could be read is shown; one that could not keeps its last value.
    int* const figures[] = {&m_figures.sys, &m_figures.gdi, &m_figures.user};
    std::string failed;
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (const std::optional<int> value = m_platform.FreeResource(kKinds[i].first))
            *figures[i] = *value;
        else
            failed += std::string(failed.empty() ? "" : ", ") + kKinds[i].second;
    }
    if (failed.empty()) {
        m_readerReported = false;
    } else if (!m_readerReported) {
        // Once per failure: a lasting failure would otherwise open a box at every tick.
        m_readerReported = true;
        m_window.PauseSampling();
        ShowError(m_view, "リソースの情報を読み取れませんでした。(" + failed + ")");
        m_window.ResumeSampling();
    }
    if (const std::optional<int> cpu = m_platform.ProcessorUsage())
        m_figures.cpu = *cpu;
}

void ResourceWatch::Watch() {
    const WindowSettings& s = m_settings;
    const int low = s.ResWatchLow;
    if (!(low >= m_figures.sys || low >= m_figures.gdi || low >= m_figures.user))
        return;
    switch (static_cast<WatchMethod>(s.ResWatchType)) {
    case WatchMethod::Message:
        if (m_latch)
            return;
        // The timer waits while the box is open, so no tick can open a second one.
        m_window.PauseSampling();
        m_window.BringToFront();
        ShowMessageBox(m_view, LowResourceMessage(low, s.ResWatchHigh), MsgKind::Information,
                       msg_buttons::kOkOnly);
        m_latch = true;
        m_window.ResumeSampling();
        return;
    case WatchMethod::FlashTitle:
        m_window.Flash(FlashPart::Title);
        return;
    case WatchMethod::FlashClock:
        m_window.Flash(FlashPart::Clock);
        return;
    case WatchMethod::FlashGauges:
        m_window.Flash(FlashPart::ResourceGauges);
        return;
    }
}

} // namespace tavolin::watch
