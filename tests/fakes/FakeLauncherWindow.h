#pragma once

#include "core/launcher/Launcher.h"

#include <string>
#include <utility>
#include <vector>

namespace tavolin::testing {

// Records the pressed faces, layouts and setting changes the launcher asks of its window.
class FakeLauncherWindow : public LauncherWindow {
public:
    void ShowPressed(int slot, bool down) override { pressed.emplace_back(slot, down); }
    layout::Rect Geometry() const override { return geometry; }
    void ArrangeLayout() override {
        ++arranged;
        told.emplace_back("ArrangeLayout");
    }
    void ApplyStayOnTop() override { told.emplace_back("ApplyStayOnTop"); }
    void ApplyInfoVisibility() override { told.emplace_back("ApplyInfoVisibility"); }
    void UpdateToggleButtons() override { told.emplace_back("UpdateToggleButtons"); }
    void ButtonLookChanged() override { told.emplace_back("ButtonLookChanged"); }
    void PlaceAtCorner(int pos) override { told.push_back("PlaceAtCorner " + std::to_string(pos)); }

    std::vector<std::pair<int, bool>> pressed;
    layout::Rect geometry{10, 20, 384, 136};
    int arranged = 0;
    // What the window was told to follow, in order.
    std::vector<std::string> told;
};

} // namespace tavolin::testing
