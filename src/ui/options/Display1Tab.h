#pragma once

#include "ui/options/EnvironmentTab.h"

#include <memory>

namespace Ui {
class Display1Tab;
}

namespace tavolin {

// The page "表示１" of the options dialog: the launcher's display mode, the corner it keeps
// to, and how its buttons look.
class Display1Tab : public EnvironmentTab {
    Q_OBJECT
public:
    Display1Tab(options::Environment& env, QWidget* parent);
    ~Display1Tab() override;

    std::vector<Binding> Bindings() const override;
    void Load() override;

    // Whether the minimum mode is chosen.
    bool SmallMode() const;

signals:
    // rbModeClick: the user chose a display mode.
    void modeClicked(options::DisplayMode mode);

private:
    void ShowWindowPosition();

    std::unique_ptr<Ui::Display1Tab> m_ui;
};

} // namespace tavolin
