#include "ui/options/ButtonDetailsTab.h"
#include "ui/QtText.h"

#include "core/Platform.h"
#include "core/launcher/Launcher.h"
#include "core/path/PathHelpers.h"
#include "ui/browse/TFrmRef.h"
#include "ui/options/ButtonRowModel.h"
#include "ui_ButtonDetailsTab.h"

#include <QHeaderView>
#include <QScrollBar>

#include <array>

namespace tavolin {

ButtonDetailsTab::ButtonDetailsTab(Platform& platform, Launcher& core, View& view,
                                   int openingButton, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ButtonDetailsTab>()), m_platform(platform),
      m_core(core), m_view(view), m_openingButton(openingButton),
      m_list(platform, view, core.Files().txt) {
    m_ui->setupUi(this);
    SetUpList();
    for (QLineEdit* e : {m_ui->edtCategory, m_ui->edtPage}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        e->setPalette(p);
    }
    for (int n = 1; n <= 24; ++n)
        m_ui->cbNo->addItem(QString::number(n));

    connect(m_ui->cbNo, &QComboBox::activated, this, [this] { cbNoChange(); });
    connect(m_ui->btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(m_ui->btnCpy, &QPushButton::clicked, this, [this] { btnCpyClick(); });
    connect(m_ui->btnCut, &QPushButton::clicked, this, [this] { btnCutClick(); });
    connect(m_ui->btnPst, &QPushButton::clicked, this, [this] { btnPstClick(); });
    connect(m_ui->btnRef, &QPushButton::clicked, this, [this] { btnRefClick(); });
}

ButtonDetailsTab::~ButtonDetailsTab() = default;

void ButtonDetailsTab::SetUpList() {
    auto* lv = m_ui->lvBtn;
    m_model = new ButtonRowModel(m_list, this);
    lv->setModel(m_model);
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setItemsExpandable(false);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->header()->setSectionsClickable(false);
    lv->header()->setStretchLastSection(false);
    const std::array<int, 6> widths{100, 40, 30, 100, 100, 100};
    for (int c = 0; c < 6; ++c)
        lv->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    // The selection stays visible when the list has no focus.
    QPalette lvPalette = lv->palette();
    lvPalette.setColor(QPalette::Inactive, QPalette::Highlight,
                       lvPalette.color(QPalette::Active, QPalette::Highlight));
    lvPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                       lvPalette.color(QPalette::Active, QPalette::HighlightedText));
    lv->setPalette(lvPalette);
    connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    lvBtnSelectItem(selected.indexes().first().row());
            });
}

// --- opening -------------------------------------------------------------------------------

void ButtonDetailsTab::Open() {
    const ButtonStore& store = m_core.Store();
    m_ui->edtCategory->setText(Q(store.CurrentCategory()));
    m_ui->edtPage->setText(Q(store.CurrentPage()));
    const bool forButton = m_openingButton > 0;
    m_ui->cbNo->setCurrentIndex(forButton ? std::min(m_openingButton, 24) - 1 : 0);
    if (forButton)
        LoadButtonList();
    cbNoChange();
}

void ButtonDetailsTab::SelectOpeningRowIfLoaded() {
    if (m_listLoaded)
        SelectOpeningRow();
}

void ButtonDetailsTab::LoadOnFirstVisit() {
    if (!m_listLoaded && LoadButtonList())
        SelectOpeningRow();
}

bool ButtonDetailsTab::LoadButtonList() {
    BusyCursor busy(m_view);
    m_ui->lvBtn->setUpdatesEnabled(false);
    const bool loaded = m_list.Load();
    m_model->Reset();
    m_ui->lvBtn->setUpdatesEnabled(true);
    m_listLoaded = loaded;
    return loaded;
}

void ButtonDetailsTab::SelectOpeningRow() {
    const auto& rows = m_list.Rows();
    if (m_openingButton > 0) {
        const ButtonStore& store = m_core.Store();
        const int row = m_list.FindButtonRow(store.CurrentCategory(), store.CurrentPage(),
                                             std::to_string(m_openingButton));
        if (row >= 0) {
            m_ui->lvBtn->setCurrentIndex(m_model->index(row, 0));
            m_ui->lvBtn->setFocus();
            ScrollToRow(row);
        } else if (const int category = m_list.FindButtonRow(
                       store.CurrentCategory(), options::kCategoryMark, options::kCategoryMark);
                   category >= 0) {
            ScrollToRow(category);
        }
    } else if (rows.size() > 1) {
        m_ui->lvBtn->setCurrentIndex(m_model->index(1, 0));
    }
}

void ButtonDetailsTab::ScrollToRow(int row) {
    // Row r becomes the second visible row.
    m_ui->lvBtn->scrollTo(m_model->index(std::max(row - 1, 0), 0),
                          QAbstractItemView::PositionAtTop);
}

void ButtonDetailsTab::FollowTabControl(const QSize& tabControl) {
    auto& ui = *m_ui;
    const int w = tabControl.width() - 8; // the page's width
    ui.edtBtnTitle->resize(w - 88, ui.edtBtnTitle->height());
    ui.edtBtnPath->resize(w - 88, ui.edtBtnPath->height());
    ui.edtBtnFile->resize(w - 176, ui.edtBtnFile->height());
    ui.btnRef->move(w - 89, ui.btnRef->y());
    ui.edtCategory->resize(w - 136, ui.edtCategory->height());
    ui.edtPage->move(w - 57, ui.edtPage->y());
    ui.btnSet->resize(w, ui.btnSet->height());
    ui.lvBtn->resize(w, std::max(tabControl.height() - 174, 40));
}

// --- the boxes -----------------------------------------------------------------------------

options::ButtonBoxes ButtonDetailsTab::Boxes() const {
    return {S(m_ui->edtCategory->text()),
            S(m_ui->edtPage->text()),
            S(m_ui->cbNo->currentText()),
            S(m_ui->edtBtnTitle->text()),
            S(m_ui->edtBtnPath->text()),
            S(m_ui->edtBtnFile->text()),
            m_editRow};
}

void ButtonDetailsTab::ShowBoxes(const options::ButtonBoxes& boxes) {
    m_ui->edtCategory->setText(Q(boxes.category));
    m_ui->edtPage->setText(Q(boxes.page));
    const int number = m_ui->cbNo->findText(Q(boxes.number));
    if (number >= 0)
        m_ui->cbNo->setCurrentIndex(number);
    m_ui->edtBtnTitle->setText(Q(boxes.title));
    m_ui->edtBtnPath->setText(Q(boxes.folder));
    m_ui->edtBtnFile->setText(Q(boxes.file));
}

options::ButtonBoxes ButtonDetailsTab::TrimmedBoxes() {
    options::ButtonBoxes boxes = Boxes();
    options::TrimButtonEdits(boxes);
    ShowBoxes(boxes);
    return boxes;
}

void ButtonDetailsTab::ShowReloadedList() {
    m_editRow = -1;
    ShowBoxes(options::ButtonBoxes{});
    m_model->Reset();
}

void ButtonDetailsTab::cbNoChange() {
    options::ButtonBoxes boxes = Boxes();
    options::ShowNumber(boxes, m_list, m_platform);
    m_editRow = boxes.row;
    ShowBoxes(boxes);
}

void ButtonDetailsTab::lvBtnSelectItem(int row) {
    if (m_selecting || row < 0 || static_cast<std::size_t>(row) >= m_list.Rows().size())
        return;
    m_selecting = true;
    // The pending edit is applied (or not) before the rows are read: ↓セット may change them.
    const options::ButtonRow chosen = m_list.Rows()[static_cast<std::size_t>(row)];
    const std::size_t rows = m_list.Rows().size();
    if (ConfirmPendingEdit()) {
        options::ButtonBoxes boxes = Boxes();
        options::ShowRow(boxes, chosen);
        ShowBoxes(boxes);
        // The boxes now edit that row; when ↓セット moved the rows, the row is found again by
        // its category, page and number.
        m_editRow = m_list.Rows().size() == rows ? row : -1;
    }
    m_selecting = false;
}

bool ButtonDetailsTab::ConfirmPendingEdit() {
    options::ButtonBoxes boxes = TrimmedBoxes();
    return options::ConfirmPendingEdit(boxes, m_list, m_view, [this] { btnSetClick(); });
}

void ButtonDetailsTab::btnSetClick() {
    options::ButtonBoxes boxes = TrimmedBoxes();
    int row = -1;
    const auto outcome = m_list.Set(boxes, &row);
    switch (outcome) {
    case options::SetOutcome::MissingFolder:
        m_ui->edtBtnPath->setFocus();
        return;
    case options::SetOutcome::MissingFile:
        m_ui->edtBtnFile->setFocus();
        return;
    case options::SetOutcome::Replaced:
        m_editRow = row;
        m_model->RowChanged(row);
        return;
    case options::SetOutcome::Removed:
    case options::SetOutcome::Inserted: {
        // The list is shown again where it stood; the selection does not follow.
        m_editRow = row;
        auto* bar = m_ui->lvBtn->verticalScrollBar();
        const int at = bar->value();
        const bool wasSelecting = m_selecting;
        m_selecting = true;
        m_model->Reset();
        bar->setValue(at);
        m_selecting = wasSelecting;
        return;
    }
    default:
        return;
    }
}

void ButtonDetailsTab::btnCpyClick() {
    const options::ButtonBoxes boxes = TrimmedBoxes();
    const std::string value = options::BoxesValue(boxes, m_platform.Style());
    if (!value.empty())
        m_core.SetButtonClipboard(value);
}

void ButtonDetailsTab::btnCutClick() {
    btnCpyClick();
    m_ui->edtBtnTitle->clear();
    m_ui->edtBtnPath->clear();
    m_ui->edtBtnFile->clear();
}

void ButtonDetailsTab::btnPstClick() {
    if (m_core.ButtonClipboard().empty())
        return;
    options::ButtonBoxes boxes = Boxes();
    options::ShowButtonEntry(boxes, m_core.ButtonClipboard(), m_platform);
    ShowBoxes(boxes);
}

void ButtonDetailsTab::btnRefClick() {
    options::ButtonBoxes boxes = TrimmedBoxes();
    m_core.SetBrowseStartPath(boxes.folder.empty()
                                  ? std::string()
                                  : JoinPath(boxes.folder, boxes.file, m_platform.Style()));
    if (const auto chosen = TFrmRef::Browse(m_platform, m_core.BrowseStartPath(), window())) {
        options::ShowButtonEntry(boxes, *chosen, m_platform);
        ShowBoxes(boxes);
    }
}

} // namespace tavolin
