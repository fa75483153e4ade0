#include "ui/options/Display2Tab.h"

#include "ui/hotkey/GlobalHotKey.h"
#include "ui_Display2Tab.h"

namespace tavolin {

Display2Tab::Display2Tab(options::Environment& env, QWidget* parent)
    : EnvironmentTab(env, parent), m_ui(std::make_unique<Ui::Display2Tab>()) {
    m_ui->setupUi(this);
}

Display2Tab::~Display2Tab() = default;

std::vector<EnvironmentTab::Binding> Display2Tab::Bindings() const {
    using W = WindowSettings;
    const auto& ui = *m_ui;
    return {
        {ui.cbShowTitle, &W::ShowTitle}, {ui.cbAutoFore, &W::AutoFore},
        {ui.cbHint, &W::Hint},           {ui.cbHintBtn, &W::HintBtn},
        {ui.cbTask, &W::TaskBar},        {ui.cbTaskLast, &W::TaskBarLast},
        {ui.cbShowOpt, &W::ShowOpt},     {ui.cbRecentMsg, &W::RecentMsg},
        {ui.cbTaRRight, &W::TaRRight},   {ui.edtHotKey, &W::HotKey},
    };
}

void Display2Tab::Load() {
    EnvironmentTab::Load();
    for (QCheckBox* box : {m_ui->cbHint, m_ui->cbTask})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateDependencies(); });
    ShowHotKeyEditor();
    UpdateDependencies();
}

void Display2Tab::ShowHotKeyEditor() {
    auto& ui = *m_ui;
    // The hot key is one key with its modifiers: a further key pressed replaces it.
    connect(ui.edtHotKey, &QKeySequenceEdit::editingFinished, this, [edit = ui.edtHotKey] {
        const QKeySequence key = LastKeyOf(edit->keySequence());
        if (key != edit->keySequence())
            edit->setKeySequence(key);
    });
    connect(ui.btnHotKeyClear, &QPushButton::clicked, ui.edtHotKey, &QKeySequenceEdit::clear);
    ui.lblHotKeyNote->setText(
        HotKeysSupported()
            ? QStringLiteral("他のプログラムを使っている時も、このキーで Tavolin を前面に出します。"
                             "もう一度押すと元のウィンドウに戻ります。")
            : QStringLiteral("このデスクトップではホットキーを登録できません。デスクトップの"
                             "キーボード設定で「tavolin --show」にキーを割り当てて下さい。"));
}

void Display2Tab::UpdateDependencies() {
    m_ui->cbHintBtn->setEnabled(m_ui->cbHint->isChecked());
    m_ui->cbTaskLast->setEnabled(m_ui->cbTask->isChecked());
}

void Display2Tab::UncheckTitle() {
    m_ui->cbShowTitle->setChecked(false);
}

void Display2Tab::EnableTitle(bool enabled) {
    m_ui->cbShowTitle->setEnabled(enabled);
}

} // namespace tavolin
