#pragma once

#include "ui/options/EnvironmentTab.h"

#include <memory>

namespace Ui {
class Display2Tab;
}

namespace tavolin {

// The page "表示２" of the options dialog: the launcher's title, activation, hints, taskbar
// entry, option buttons, questions, and the hot key that brings it to the front.
class Display2Tab : public EnvironmentTab {
    Q_OBJECT
public:
    Display2Tab(options::Environment& env, QWidget* parent);
    ~Display2Tab() override;

    std::vector<Binding> Bindings() const override;
    void Load() override;

    // The minimum mode shows no title: choosing it unchecks the title, and the title's box
    // is disabled while it is the mode.
    void UncheckTitle();
    void EnableTitle(bool enabled);

private:
    // The hot key box, its clear button and the line that says whether this desktop lets a
    // program grab a key.
    void ShowHotKeyEditor();
    void UpdateDependencies();

    std::unique_ptr<Ui::Display2Tab> m_ui;
};

} // namespace tavolin
