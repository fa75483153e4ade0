#include "ui/options/InfoPanelTab.h"
#include "ui/QtText.h"

#include "core/View.h"
#include "ui/look/Colours.h"
#include "ui/look/DialogFont.h"
#include "ui/options/ColourItemDelegate.h"
#include "ui_InfoPanelTab.h"

#include <QColorDialog>
#include <QFontDatabase>
#include <QSignalBlocker>

namespace tavolin {

InfoPanelTab::InfoPanelTab(options::Environment& env, View& view, QString clockCaption,
                           QWidget* parent)
    : EnvironmentTab(env, parent), m_ui(std::make_unique<Ui::InfoPanelTab>()), m_view(view),
      m_clockCaption(std::move(clockCaption)) {
    m_ui->setupUi(this);
}

InfoPanelTab::~InfoPanelTab() = default;

std::vector<EnvironmentTab::Binding> InfoPanelTab::Bindings() const {
    using W = WindowSettings;
    const auto& ui = *m_ui;
    return {
        {ui.cbRes, &W::ShowRes},
        {ui.cbMem, &W::ShowMem},
        {ui.cbDate, &W::ShowDate},
        {ui.tbrUpTime, &W::ShowTime},
        {ui.cbWatch, &W::ResWatch},
        {ui.cmbWatch, &W::ResWatchType},
        {ui.edtWatchLow, &W::ResWatchLow, ui.udWatchLow},
        {ui.edtWatchHigh, &W::ResWatchHigh, ui.udWatchHigh},
        {ui.cbDateFont, &W::DateFont},
        {ui.cbDateBack, &W::DateBack},
        {ui.cbDateFontName, &W::DateFontName},
        {ui.cbDateBold, &W::DateBold},
        {ui.cbDateItalic, &W::DateItalic},
    };
}

void InfoPanelTab::Load() {
    auto& ui = *m_ui;
    ui.lblDate->setText(m_clockCaption);
    for (const char* item :
         {"メッセージ 表示", "タイトルバー 点滅", "日付 点滅", "リソース枠 点滅"}) {
        ui.cmbWatch->addItem(QString::fromUtf8(item));
    }
    for (QComboBox* list : {ui.cbDateFont, ui.cbDateBack})
        list->setItemDelegate(new ColourItemDelegate(list));
    ui.cbDateFontName->addItems(QFontDatabase::families(QFontDatabase::Any));
    EnvironmentTab::Load();
    FillColourList(ui.cbDateFont, m_env.DateFont);
    FillColourList(ui.cbDateBack, m_env.DateBack);
    UpdateSample();

    connect(ui.tbrUpTime, &QSlider::valueChanged, this, [this] { tbrUpTimeChange(); });
    connect(ui.cbDateFont, &QComboBox::activated, this, [this] { cbDateChange(m_ui->cbDateFont); });
    connect(ui.cbDateBack, &QComboBox::activated, this, [this] { cbDateChange(m_ui->cbDateBack); });
    connect(ui.cbDateFontName, &QComboBox::activated, this, [this] {
        BusyCursor busy(m_view);
        m_env.DateFontName = S(m_ui->cbDateFontName->currentText());
        UpdateSample();
    });
    for (QCheckBox* box : {ui.cbDateBold, ui.cbDateItalic})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateSample(); });
    connect(ui.cbWatch, &QCheckBox::toggled, this, [this] { UpdateDependencies(); });
    tbrUpTimeChange();
    UpdateDependencies();
}

void InfoPanelTab::FillColourList(QComboBox* list, const Colour& colour) {
    int selected = -1;
    auto items = options::ColourList(colour, selected);
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& item : items) {
        list->addItem(Q(item.text));
        list->setItemData(list->count() - 1, ToQColor(item.colour, palette()), kColourRole);
        list->setItemData(list->count() - 1, item.other, kOtherRole);
        if (!item.other) {
            list->setItemIcon(list->count() - 1,
                              ColourItemDelegate::Swatch(ToQColor(item.colour, palette())));
        }
    }
    list->setCurrentIndex(selected);
    (list == m_ui->cbDateFont ? m_fontColours : m_backColours) = std::move(items);
}

void InfoPanelTab::cbDateChange(QComboBox* list) {
    const auto& items = list == m_ui->cbDateFont ? m_fontColours : m_backColours;
    const Colour& current = list == m_ui->cbDateFont ? m_env.DateFont : m_env.DateBack;
    const int index = list->currentIndex();
    if (index >= 0 && items[static_cast<std::size_t>(index)].other) {
        // A colour without a name is offered as custom colour A.
        if (ColourToText(current).front() == '$') {
            QColorDialog::setCustomColor(0, ToQColor(current, palette()));
        }
        const QColor chosen = QColorDialog::getColor(ToQColor(current, palette()), window());
        AddChosenColour(list, chosen);
    }
    const auto colourOf = [](const QComboBox* l, const std::vector<options::ColourItem>& its) {
        return its[static_cast<std::size_t>(std::max(l->currentIndex(), 0))].colour;
    };
    m_env.DateFont = colourOf(m_ui->cbDateFont, m_fontColours);
    m_env.DateBack = colourOf(m_ui->cbDateBack, m_backColours);
    UpdateSample();
}

void InfoPanelTab::AddChosenColour(QComboBox* list, const QColor& chosen) {
    auto& items = list == m_ui->cbDateFont ? m_fontColours : m_backColours;
    const Colour& current = list == m_ui->cbDateFont ? m_env.DateFont : m_env.DateBack;
    const QSignalBlocker block(list);
    if (!chosen.isValid()) {
        // Cancelled: the list shows the colour it had.
        list->setCurrentIndex(options::FindColour(items, current));
        return;
    }
    const int at = options::AddCustomColour(items, FromQColor(chosen));
    list->insertItem(at, Q(items[static_cast<std::size_t>(at)].text));
    list->setItemData(at, chosen, kColourRole);
    list->setItemData(at, false, kOtherRole);
    list->setItemIcon(at, ColourItemDelegate::Swatch(chosen));
    list->setCurrentIndex(at);
}

void InfoPanelTab::UpdateSample() {
    QLabel* sample = m_ui->lblDate;
    // Drawn as the clock draws it: a font that is not installed shows its stand-in.
    QFont font(JapaneseFontFamily(Q(m_env.DateFontName)));
    font.setPixelSize(12);
    font.setBold(m_ui->cbDateBold->isChecked());
    font.setItalic(m_ui->cbDateItalic->isChecked());
    sample->setFont(font);
    QPalette p = sample->palette();
    p.setColor(QPalette::WindowText, ToQColor(m_env.DateFont, palette()));
    p.setColor(QPalette::Window, ToQColor(m_env.DateBack, palette()));
    sample->setPalette(p);
}

void InfoPanelTab::tbrUpTimeChange() {
    m_ui->stxUpTime->setText(Q(options::IntervalCaption(m_ui->tbrUpTime->value())));
}

void InfoPanelTab::UpdateDependencies() {
    auto& ui = *m_ui;
    const bool watch = ui.cbWatch->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.edtWatchLow, ui.udWatchLow, ui.edtWatchHigh, ui.udWatchHigh, ui.cmbWatch}) {
        w->setEnabled(watch);
    }
}

} // namespace tavolin
