#pragma once

#include "core/View.h"
#include "core/launcher/Launcher.h"

namespace tavolin {

// The hourglass for the lifetime of the guard, restored on every way out.
class BusyCursor {
public:
    explicit BusyCursor(View& view) : m_view(view) { m_view.SetBusy(true); }
    ~BusyCursor() { m_view.SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    View& m_view;
};

// A tool button shown pressed while a command runs, released on every way out.
class PressedFace {
public:
    PressedFace(LauncherWindow& window, int slot) : m_window(window), m_slot(slot) {
        m_window.ShowPressed(m_slot, true);
    }
    ~PressedFace() { m_window.ShowPressed(m_slot, false); }
    PressedFace(const PressedFace&) = delete;
    PressedFace& operator=(const PressedFace&) = delete;

private:
    LauncherWindow& m_window;
    int m_slot;
};

} // namespace tavolin
