#include "ui/options/Display1Tab.h"

#include "ui/look/OptIcons.h"
#include "ui_Display1Tab.h"

#include <array>
#include <utility>

namespace tavolin {

Display1Tab::Display1Tab(options::Environment& env, QWidget* parent)
    : EnvironmentTab(env, parent), m_ui(std::make_unique<Ui::Display1Tab>()) {
    m_ui->setupUi(this);
}

Display1Tab::~Display1Tab() = default;

std::vector<EnvironmentTab::Binding> Display1Tab::Bindings() const {
    using W = WindowSettings;
    const auto& ui = *m_ui;
    // The window position is the launcher's, chosen by its own five buttons.
    return {
        {ui.rbNomalMode, &W::NomalMode},   {ui.rbSmallMode, &W::SmallMode},
        {ui.rbTitleMode, &W::TitleMode},   {ui.rbTimeMode, &W::TimeMode},
        {ui.rbTaRMode, &W::TaRMode},       {ui.cbBtnSize, &W::BtnSize},
        {ui.cbBtnCaption, &W::BtnCaption}, {ui.seCaptionLen, &W::BtnCaptionL},
    };
}

void Display1Tab::Load() {
    EnvironmentTab::Load();
    for (std::size_t i = 0; i < kModeFlags.size(); ++i) {
        connect(static_cast<QRadioButton*>(ControlOf(kModeFlags[i])), &QRadioButton::clicked, this,
                [this, i] { emit modeClicked(static_cast<options::DisplayMode>(i)); });
    }
    ShowWindowPosition();
}

void Display1Tab::ShowWindowPosition() {
    auto& ui = *m_ui;
    const std::array<std::pair<QToolButton*, int>, 5> positions{
        {{ui.tlbLT, 1}, {ui.tlbRT, 2}, {ui.tlbRB, 3}, {ui.tlbLB, 4}, {ui.tlbFree, 5}}};
    for (const auto& [button, value] : positions) {
        button->setIcon(OptIcon(14 + value));
        button->setChecked(value == m_env.WinPos);
        connect(button, &QToolButton::clicked, this, [this, v = value] { m_env.WinPos = v; });
    }
}

bool Display1Tab::SmallMode() const {
    return m_ui->rbSmallMode->isChecked();
}

} // namespace tavolin
