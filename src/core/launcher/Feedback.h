#pragma once

#include "core/launcher/LauncherWindow.h"

namespace tavolin {

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
