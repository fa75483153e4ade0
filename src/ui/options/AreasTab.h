#pragma once

#include "ui/options/EnvironmentTab.h"

#include <memory>

namespace Ui {
class AreasTab;
}

namespace tavolin {

// The page "削除/ごみ箱 エリア" of the options dialog: how often the delete and recycle bin
// areas flash, and whether they ask first.
class AreasTab : public EnvironmentTab {
    Q_OBJECT
public:
    AreasTab(options::Environment& env, QWidget* parent);
    ~AreasTab() override;

    std::vector<Binding> Bindings() const override;

private:
    std::unique_ptr<Ui::AreasTab> m_ui;
};

} // namespace tavolin
