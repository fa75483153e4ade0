#include "ui/options/AreasTab.h"

#include "ui_AreasTab.h"

namespace tavolin {

AreasTab::AreasTab(options::Environment& env, QWidget* parent)
    : EnvironmentTab(env, parent), m_ui(std::make_unique<Ui::AreasTab>()) {
    m_ui->setupUi(this);
}

AreasTab::~AreasTab() = default;

std::vector<EnvironmentTab::Binding> AreasTab::Bindings() const {
    using W = WindowSettings;
    const auto& ui = *m_ui;
    return {
        {ui.edtDelFlash, &W::DelFlash, ui.udDelFlash},
        {ui.edtGomFlash, &W::GomFlash, ui.udGomFlash},
        {ui.cbDelMsg, &W::DelMsg},
        {ui.cbGomMsg, &W::GomMsg},
    };
}

} // namespace tavolin
