#pragma once

#include "ui/options/EnvironmentTab.h"

#include <memory>

namespace Ui {
class AuxWindowTab;
}

namespace tavolin {

// The page "補助 Window" of the options dialog: the memo window's scroll bars and colours
// with a sample, and where the memo, address book and calendar windows open. These are keys
// of [Mem], [Adr] and [Cal], which the page shows and stores itself.
class AuxWindowTab : public EnvironmentTab {
    Q_OBJECT
public:
    AuxWindowTab(options::Environment& env, QWidget* parent);
    ~AuxWindowTab() override;

    void Load() override;
    void Store() override;

private:
    void UpdateMemoSample();
    void btnMemColClick(bool background);

    std::unique_ptr<Ui::AuxWindowTab> m_ui;
};

} // namespace tavolin
