#pragma once

#include "core/launcher/Launcher.h"

#include <utility>
#include <vector>

namespace tavolin::testing {

// Records the pressed faces and layouts the launcher asks of its window.
class FakeLauncherWindow : public LauncherWindow {
public:
    void ShowPressed(int slot, bool down) override { pressed.emplace_back(slot, down); }
    layout::Rect Geometry() const override { return geometry; }
    void ArrangeLayout() override { ++arranged; }

    std::vector<std::pair<int, bool>> pressed;
    layout::Rect geometry{10, 20, 384, 136};
    int arranged = 0;
};

} // namespace tavolin::testing
