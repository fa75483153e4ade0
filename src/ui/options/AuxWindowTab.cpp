#include "ui/options/AuxWindowTab.h"

#include "ui/look/Colours.h"
#include "ui_AuxWindowTab.h"

#include <QColorDialog>

namespace tavolin {

AuxWindowTab::AuxWindowTab(options::Environment& env, QWidget* parent)
    : EnvironmentTab(env, parent), m_ui(std::make_unique<Ui::AuxWindowTab>()) {
    m_ui->setupUi(this);
}

AuxWindowTab::~AuxWindowTab() = default;

void AuxWindowTab::Load() {
    EnvironmentTab::Load();
    auto& ui = *m_ui;
    const options::Environment& env = m_env;
    ui.cbMemoVBar->setChecked(env.MemoVBar);
    ui.cbMemoHBar->setChecked(env.MemoHBar);
    (env.MemoPosition == 0 ? ui.rgMem0 : ui.rgMem1)->setChecked(true);
    (env.AdrPosition == 0 ? ui.rgAdr0 : ui.rgAdr1)->setChecked(true);
    (env.CalPosition == 0 ? ui.rgCal0 : ui.rgCal1)->setChecked(true);
    UpdateMemoSample();
    for (QCheckBox* box : {ui.cbMemoVBar, ui.cbMemoHBar})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateMemoSample(); });
    connect(ui.btnMemCol, &QPushButton::clicked, this, [this] { btnMemColClick(true); });
    connect(ui.btnMemFCol, &QPushButton::clicked, this, [this] { btnMemColClick(false); });
}

void AuxWindowTab::Store() {
    EnvironmentTab::Store();
    const auto& ui = *m_ui;
    options::Environment& env = m_env;
    env.MemoVBar = ui.cbMemoVBar->isChecked();
    env.MemoHBar = ui.cbMemoHBar->isChecked();
    env.MemoPosition = ui.rgMem0->isChecked() ? 0 : 1;
    env.AdrPosition = ui.rgAdr0->isChecked() ? 0 : 1;
    env.CalPosition = ui.rgCal0->isChecked() ? 0 : 1;
}

void AuxWindowTab::UpdateMemoSample() {
    auto* memo = m_ui->mem;
    memo->setVerticalScrollBarPolicy(m_ui->cbMemoVBar->isChecked() ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(m_ui->cbMemoHBar->isChecked() ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAlwaysOff);
    QPalette p = memo->palette();
    p.setColor(QPalette::Base, ToQColor(m_env.MemoColor, palette()));
    p.setColor(QPalette::Text, ToQColor(m_env.MemoFontColor, palette()));
    memo->setPalette(p);
}

void AuxWindowTab::btnMemColClick(bool background) {
    const QColor back = ToQColor(m_env.MemoColor, palette());
    const QColor text = ToQColor(m_env.MemoFontColor, palette());
    QColorDialog::setCustomColor(0, QColor(255, 255, 225));
    QColorDialog::setCustomColor(1, QColor(0, 0, 0));
    QColorDialog::setCustomColor(2, back);
    QColorDialog::setCustomColor(3, text);
    const QColor chosen = QColorDialog::getColor(background ? back : text, window());
    if (!chosen.isValid())
        return;
    (background ? m_env.MemoColor : m_env.MemoFontColor) = FromQColor(chosen);
    UpdateMemoSample();
}

} // namespace tavolin
