#include "ui/options/TFrmBtnSet.h"

#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Launcher.h"
#include "core/path/PathHelpers.h"
#include "core/settings/Settings.h"
#include "ui/browse/TFrmRef.h"
#include "ui/commands/HelpViewer.h"
#include "ui/hotkey/GlobalHotKey.h"
#include "ui/look/Colours.h"
#include "ui/look/DialogFont.h"
#include "ui/look/OptIcons.h"
#include "ui_TFrmBtnSet.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabBar>

#include <array>

namespace tavolin {

namespace {

// The last key of a recorded sequence: the hot key is one key with its modifiers.
QKeySequence LastKeyOf(const QKeySequence& keys) {
    return keys.count() <= 1 ? keys : QKeySequence(keys[keys.count() - 1]);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

Colour FromQColor(const QColor& c) {
    Colour colour;
    colour.red = static_cast<std::uint8_t>(c.red());
    colour.green = static_cast<std::uint8_t>(c.green());
    colour.blue = static_cast<std::uint8_t>(c.blue());
    return colour;
}

// Helper for std::visit over the field pointers of a binding.
template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

constexpr int kColourRole = Qt::UserRole + 1; // QColor of a colour list item
constexpr int kOtherRole = Qt::UserRole + 2;  // true for "その他 ..."

// cbColorDrawItem: a swatch with a black outline and the text beside it; "その他 ..." as
// text alone.
class ColourItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect r = option.rect;
        if (index.data(kOtherRole).toBool()) {
            painter->drawText(r.adjusted(1, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
            return;
        }
        const QRect swatch(QPoint(r.left() + 1, r.top() + 1),
                           QPoint(r.left() + 17, r.bottom() - 1));
        painter->save();
        painter->setPen(Qt::black);
        painter->setBrush(index.data(kColourRole).value<QColor>());
        painter->drawRect(swatch);
        painter->restore();
        painter->drawText(r.adjusted(20, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width() + 20, 16};
    }
};

// The swatch the closed list shows beside the chosen colour's text.
QIcon Swatch(const QColor& colour) {
    QPixmap picture(16, 12);
    picture.fill(colour);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(picture);
}

} // namespace

// The list "lvBtn": a table over the core's rows, one row per category or button, with no
// object per row.
class ButtonRowModel : public QAbstractTableModel {
public:
    ButtonRowModel(const options::ButtonList& list, QObject* parent)
        : QAbstractTableModel(parent), m_list(list) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_list.Rows().size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 6; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::TextAlignmentRole) {
            return index.column() == 1 || index.column() == 2
                       ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole)
            return {};
        const auto& row = m_list.Rows()[static_cast<std::size_t>(index.row())];
        if (row.IsCategory() && index.column() > 0)
            return QStringLiteral("--");
        switch (index.column()) {
        case 0:
            return Q(row.category);
        case 1:
            return Q(row.page);
        case 2:
            return Q(row.number);
        case 3:
            return Q(row.title);
        case 4:
            return Q(row.folder);
        default:
            return Q(row.file);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal)
            return {};
        if (role == Qt::TextAlignmentRole) {
            return section == 1 || section == 2 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole)
            return {};
        static const std::array<const char*, 6> kHeaders{"カテゴリ", "Page", "No.",
                                                         "タイトル", "パス", "ファイル"};
        return QString::fromUtf8(kHeaders[static_cast<std::size_t>(section)]);
    }

    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    const options::ButtonList& m_list;
};

TFrmBtnSet::TFrmBtnSet(Platform& platform, Launcher& core, const Opening& opening, QWidget* owner)
    // Resizable, with the system menu and the maximise box; no minimise box.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                         Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TFrmBtnSet>()), m_platform(platform), m_core(core),
      m_opening(opening), m_view(this), m_list(platform, m_view, core.Files().txt) {
    m_ui->setupUi(this);
    ApplyDialogFont(this);
    setMinimumSize(422, 390);
    // The six tabs side by side in the tab control's width, as on the designed dialog.
    m_ui->pgc->tabBar()->setUsesScrollButtons(false);
    m_ui->pgc->tabBar()->setExpanding(false);
    m_ui->pgc->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));

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
    for (QLineEdit* e : {m_ui->edtCategory, m_ui->edtPage}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        e->setPalette(p);
    }
    for (int n = 1; n <= 24; ++n)
        m_ui->cbNo->addItem(QString::number(n));

    connect(m_ui->pgc, &QTabWidget::currentChanged, this, [this] { pgcChange(); });
    connect(m_ui->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(m_ui->cbNo, &QComboBox::activated, this, [this] { cbNoChange(); });
    connect(m_ui->btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(m_ui->btnCpy, &QPushButton::clicked, this, [this] { btnCpyClick(); });
    connect(m_ui->btnCut, &QPushButton::clicked, this, [this] { btnCutClick(); });
    connect(m_ui->btnPst, &QPushButton::clicked, this, [this] { btnPstClick(); });
    connect(m_ui->btnRef, &QPushButton::clicked, this, [this] { btnRefClick(); });

    FrmBtnSetCreate();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TFrmBtnSet::~TFrmBtnSet() = default;

bool TFrmBtnSet::Edit(Platform& platform, Launcher& core, const Opening& opening, QWidget* owner) {
    TFrmBtnSet dialog(platform, core, opening, owner);
    return dialog.exec() == QDialog::Accepted;
}

// --- opening -------------------------------------------------------------------------------

void TFrmBtnSet::FrmBtnSetCreate() {
    LoadEnvironmentControls();
    const ButtonStore& store = m_core.Store();
    m_ui->edtCategory->setText(Q(store.CurrentCategory()));
    m_ui->edtPage->setText(Q(store.CurrentPage()));
    const bool forButton = m_opening.button > 0;
    {
        const QSignalBlocker block(m_ui->pgc);
        m_ui->pgc->setCurrentIndex(forButton ? 0 : 1);
    }
    m_ui->cbNo->setCurrentIndex(forButton ? std::min(m_opening.button, 24) - 1 : 0);
    if (forButton)
        LoadButtonList();
    tbrUpTimeChange();
    UpdateDependencies();
    cbNoChange();
}

void TFrmBtnSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (m_listLoaded)
        SelectOpeningRow();
}

bool TFrmBtnSet::LoadButtonList() {
    BusyCursor busy(m_view);
    m_ui->lvBtn->setUpdatesEnabled(false);
    const bool loaded = m_list.Load();
    m_model->Reset();
    m_ui->lvBtn->setUpdatesEnabled(true);
    m_listLoaded = loaded;
    return loaded;
}

void TFrmBtnSet::SelectOpeningRow() {
    const auto& rows = m_list.Rows();
    if (m_opening.button > 0) {
        const int row =
            m_list.FindButtonRow(m_core.Store().CurrentCategory(), m_core.Store().CurrentPage(),
                                 std::to_string(m_opening.button));
        if (row >= 0) {
            m_ui->lvBtn->setCurrentIndex(m_model->index(row, 0));
            m_ui->lvBtn->setFocus();
            ScrollToRow(row);
        } else if (const int category =
                       m_list.FindButtonRow(m_core.Store().CurrentCategory(),
                                            options::kCategoryMark, options::kCategoryMark);
                   category >= 0) {
            ScrollToRow(category);
        }
    } else if (rows.size() > 1) {
        m_ui->lvBtn->setCurrentIndex(m_model->index(1, 0));
    }
}

void TFrmBtnSet::ScrollToRow(int row) {
    // Row r becomes the second visible row.
    auto* lv = m_ui->lvBtn;
    lv->scrollTo(m_model->index(std::max(row - 1, 0), 0), QAbstractItemView::PositionAtTop);
}

void TFrmBtnSet::pgcChange() {
    if (m_ui->pgc->currentIndex() == 0 && !m_listLoaded) {
        if (LoadButtonList())
            SelectOpeningRow();
    }
}

// --- resizing and help ---------------------------------------------------------------------

void TFrmBtnSet::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FrmBtnSetResize();
}

void TFrmBtnSet::FrmBtnSetResize() {
    // The rules count from the client area: 390 high and 422 wide at the designed size.
    const int h = height();
    auto& ui = *m_ui;
    // The three buttons keep their left edges and follow the bottom.
    for (QPushButton* button : {ui.btnOK, ui.btnCancel, ui.btnHelp})
        button->move(button->x(), h - 26);
    ui.pgc->setGeometry(8, 0, width() - 13, h - 29);
    const int w = ui.pgc->width() - 8; // the tab's width
    ui.edtBtnTitle->resize(w - 88, ui.edtBtnTitle->height());
    ui.edtBtnPath->resize(w - 88, ui.edtBtnPath->height());
    ui.edtBtnFile->resize(w - 176, ui.edtBtnFile->height());
    ui.btnRef->move(w - 89, ui.btnRef->y());
    ui.edtCategory->resize(w - 136, ui.edtCategory->height());
    ui.edtPage->move(w - 57, ui.edtPage->y());
    ui.btnSet->resize(w, ui.btnSet->height());
    ui.lvBtn->resize(w, std::max(ui.pgc->height() - 174, 40));
}

void TFrmBtnSet::btnHelpClick() {
    ShowHelp(kHelpContexts[std::clamp(m_ui->pgc->currentIndex(), 0, 5)]);
}

// --- the boxes -----------------------------------------------------------------------------

options::ButtonBoxes TFrmBtnSet::Boxes() const {
    return {S(m_ui->edtCategory->text()),
            S(m_ui->edtPage->text()),
            S(m_ui->cbNo->currentText()),
            S(m_ui->edtBtnTitle->text()),
            S(m_ui->edtBtnPath->text()),
            S(m_ui->edtBtnFile->text()),
            m_editRow};
}

void TFrmBtnSet::ShowBoxes(const options::ButtonBoxes& boxes) {
    m_ui->edtCategory->setText(Q(boxes.category));
    m_ui->edtPage->setText(Q(boxes.page));
    const int number = m_ui->cbNo->findText(Q(boxes.number));
    if (number >= 0)
        m_ui->cbNo->setCurrentIndex(number);
    m_ui->edtBtnTitle->setText(Q(boxes.title));
    m_ui->edtBtnPath->setText(Q(boxes.folder));
    m_ui->edtBtnFile->setText(Q(boxes.file));
}

void TFrmBtnSet::cbNoChange() {
    options::ButtonBoxes boxes = Boxes();
    options::ShowNumber(boxes, m_list, m_platform);
    m_editRow = boxes.row;
    ShowBoxes(boxes);
}

void TFrmBtnSet::lvBtnSelectItem(int row) {
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

bool TFrmBtnSet::ConfirmPendingEdit() {
    options::ButtonBoxes boxes = Boxes();
    options::TrimButtonEdits(boxes);
    ShowBoxes(boxes);
    return options::ConfirmPendingEdit(boxes, m_list, m_view, [this] { btnSetClick(); });
}

void TFrmBtnSet::btnSetClick() {
    options::ButtonBoxes boxes = Boxes();
    options::TrimButtonEdits(boxes);
    ShowBoxes(boxes);
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
        emit m_model->dataChanged(m_model->index(row, 0), m_model->index(row, 5));
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

void TFrmBtnSet::btnCpyClick() {
    options::ButtonBoxes boxes = Boxes();
    options::TrimButtonEdits(boxes);
    ShowBoxes(boxes);
    const std::string value = options::BoxesValue(boxes, m_platform.Style());
    if (!value.empty())
        m_core.SetButtonClipboard(value);
}

void TFrmBtnSet::btnCutClick() {
    btnCpyClick();
    m_ui->edtBtnTitle->clear();
    m_ui->edtBtnPath->clear();
    m_ui->edtBtnFile->clear();
}

void TFrmBtnSet::btnPstClick() {
    if (m_core.ButtonClipboard().empty())
        return;
    options::ButtonBoxes boxes = Boxes();
    options::ShowButtonEntry(boxes, m_core.ButtonClipboard(), m_platform);
    ShowBoxes(boxes);
}

void TFrmBtnSet::btnRefClick() {
    options::ButtonBoxes boxes = Boxes();
    options::TrimButtonEdits(boxes);
    ShowBoxes(boxes);
    m_core.SetBrowseStartPath(boxes.folder.empty()
                                  ? std::string()
                                  : JoinPath(boxes.folder, boxes.file, m_platform.Style()));
    if (const auto chosen = TFrmRef::Browse(m_platform, m_core.BrowseStartPath(), this)) {
        options::ShowButtonEntry(boxes, *chosen, m_platform);
        ShowBoxes(boxes);
    }
}

// --- OK ------------------------------------------------------------------------------------

void TFrmBtnSet::btnOKClick() {
    if (!ConfirmPendingEdit())
        return;
    StoreEnvironmentControls();
    std::string focus;
    if (!options::CheckEnvironment(m_env, m_view, focus)) {
        // The page of the control the check names.
        auto* control = findChild<QWidget*>(Q(focus));
        int page = -1;
        for (QWidget* w = control; w != nullptr && page < 0; w = w->parentWidget())
            page = m_ui->pgc->indexOf(w);
        m_ui->pgc->setCurrentIndex(page >= 0 ? page : 1);
        if (control != nullptr)
            control->setFocus();
        return;
    }
    // Both files are written first and put in place together: when either cannot be
    // written, neither changes and the dialog stays open with its edits.
    std::string error;
    if (m_listLoaded) {
        BusyCursor busy(m_view);
        if (!m_list.BeginSave(error)) {
            if (!error.empty())
                ShowMessageBox(m_view, datafile::WriteFailure(m_core.Files().txt, error),
                               MsgKind::Error, msg_buttons::kOkOnly);
            return;
        }
    }
    const auto settings =
        options::BeginSaveEnvironment(m_platform, m_core.Files().ini, m_env, error);
    if (!settings) {
        ShowMessageBox(m_view, error, MsgKind::Error, msg_buttons::kOkOnly);
        return;
    }
    if (m_listLoaded) {
        switch (m_list.Commit(error)) {
        case datafile::Placed::Done:
            break;
        case datafile::Placed::Changed:
            // A data file someone else changed since the list was read is never written
            // over: the user chooses to read it again or to stay. The boxes edited a row of
            // the list as it was, so after a reload no stale row is offered to ↓セット.
            if (m_list.Recheck() == datafile::Unchanged::Reload) {
                m_editRow = -1;
                ShowBoxes(options::ButtonBoxes{});
                m_model->Reset();
            }
            return;
        case datafile::Placed::Failed:
            ShowMessageBox(m_view, datafile::WriteFailure(m_core.Files().txt, error),
                           MsgKind::Error, msg_buttons::kOkOnly);
            return;
        }
    }
    if (!settings->Commit(error)) {
        ShowMessageBox(m_view, options::SettingsWriteFailure(m_core.Files().ini, error),
                       MsgKind::Error, msg_buttons::kOkOnly);
        return;
    }
    accept();
}

// --- the environment pages -----------------------------------------------------------------

std::vector<TFrmBtnSet::Binding> TFrmBtnSet::Bindings() const {
    using W = WindowSettings;
    const auto& ui = *m_ui;
    return {
        // 情報枠
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
        // 表示１ (the window position is the launcher's, chosen by its own buttons)
        {ui.rbNomalMode, &W::NomalMode},
        {ui.rbSmallMode, &W::SmallMode},
        {ui.rbTitleMode, &W::TitleMode},
        {ui.rbTimeMode, &W::TimeMode},
        {ui.rbTaRMode, &W::TaRMode},
        {ui.cbBtnSize, &W::BtnSize},
        {ui.cbBtnCaption, &W::BtnCaption},
        {ui.seCaptionLen, &W::BtnCaptionL},
        // 表示２
        {ui.cbShowTitle, &W::ShowTitle},
        {ui.cbAutoFore, &W::AutoFore},
        {ui.cbHint, &W::Hint},
        {ui.cbHintBtn, &W::HintBtn},
        {ui.cbTask, &W::TaskBar},
        {ui.cbTaskLast, &W::TaskBarLast},
        {ui.cbShowOpt, &W::ShowOpt},
        {ui.cbRecentMsg, &W::RecentMsg},
        {ui.cbTaRRight, &W::TaRRight},
        {ui.edtHotKey, &W::HotKey},
        // 削除/ごみ箱 エリア
        {ui.edtDelFlash, &W::DelFlash, ui.udDelFlash},
        {ui.edtGomFlash, &W::GomFlash, ui.udGomFlash},
        {ui.cbDelMsg, &W::DelMsg},
        {ui.cbGomMsg, &W::GomMsg},
    };
}

QWidget* TFrmBtnSet::ControlOf(const WindowSettingKey& key) const {
    for (const Binding& binding : Bindings()) {
        if (binding.field == key.field)
            return binding.control;
    }
    return nullptr;
}

void TFrmBtnSet::ShowBinding(const Binding& binding) {
    QWidget* control = binding.control;
    options::Environment& env = m_env;
    std::visit(Overloaded{
                   [&](bool WindowSettings::*f) {
                       static_cast<QAbstractButton*>(control)->setChecked(env.*f);
                   },
                   [&](int WindowSettings::*f) {
                       if (binding.upDown != nullptr) {
                           ShowNumberBox(static_cast<QLineEdit*>(control), binding.upDown,
                                         *env.BoxOf(f));
                       } else if (auto* slider = qobject_cast<QSlider*>(control)) {
                           slider->setValue(env.*f);
                       } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                           spin->setValue(env.*f);
                       } else {
                           static_cast<QComboBox*>(control)->setCurrentIndex(env.*f);
                       }
                   },
                   [&](Colour WindowSettings::*f) {
                       FillColourList(static_cast<QComboBox*>(control), env.*f);
                   },
                   [&](std::string WindowSettings::*f) {
                       if (auto* key = qobject_cast<QKeySequenceEdit*>(control)) {
                           key->setKeySequence(
                               QKeySequence::fromString(Q(env.*f), QKeySequence::PortableText));
                           return;
                       }
                       auto* list = static_cast<QComboBox*>(control);
                       list->setCurrentIndex(list->findText(Q(env.*f)));
                   },
               },
               binding.field);
}

void TFrmBtnSet::StoreBinding(const Binding& binding) {
    QWidget* control = binding.control;
    options::Environment& env = m_env;
    std::visit(
        Overloaded{
            [&](bool WindowSettings::*f) {
                env.*f = static_cast<QAbstractButton*>(control)->isChecked();
            },
            [&](int WindowSettings::*f) {
                if (binding.upDown != nullptr) {
                    *env.BoxOf(f) = options::NumberBox{S(static_cast<QLineEdit*>(control)->text()),
                                                       binding.upDown->Position()};
                } else if (auto* slider = qobject_cast<QSlider*>(control)) {
                    env.*f = slider->value();
                } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                    env.*f = spin->value();
                } else {
                    env.*f = static_cast<QComboBox*>(control)->currentIndex();
                }
            },
            // The colours and the font follow their lists as they are chosen (a font the
            // list lacks stays as it was read).
            [](Colour WindowSettings::*) {},
            [&](std::string WindowSettings::*f) {
                if (auto* key = qobject_cast<QKeySequenceEdit*>(control)) {
                    env.*f = S(LastKeyOf(key->keySequence()).toString(QKeySequence::PortableText));
                }
            },
        },
        binding.field);
}

// A digits-only box with its up-down of 0 to 100, each following the other.
void TFrmBtnSet::ShowNumberBox(QLineEdit* box, UpDown* upDown, const options::NumberBox& value) {
    box->setValidator(new DigitsValidator(box));
    box->setText(Q(value.text));
    upDown->SetRange(0, 100);
    upDown->SetPosition(value.position);
    connect(box, &QLineEdit::textEdited, upDown, [box, upDown] {
        options::NumberBox v{S(box->text()), upDown->Position()};
        v.SetText(S(box->text()));
        upDown->SetPosition(v.position);
    });
    connect(upDown, &UpDown::positionChanged, box,
            [box](int position) { box->setText(QString::number(position)); });
}

void TFrmBtnSet::LoadEnvironmentControls() {
    auto& ui = *m_ui;
    // The clock's font is the name the settings hold, installed or not, not the font that
    // stands in for it on screen: the dialog writes back what the user chose.
    m_env = options::LoadEnvironment(m_core.Files().ini, m_core.Settings().WinPos,
                                     m_core.Settings().DateFontName);
    ui.lblDate->setText(m_opening.clockCaption);
    for (const char* item :
         {"メッセージ 表示", "タイトルバー 点滅", "日付 点滅", "リソース枠 点滅"}) {
        ui.cmbWatch->addItem(QString::fromUtf8(item));
    }
    for (QComboBox* list : {ui.cbDateFont, ui.cbDateBack})
        list->setItemDelegate(new ColourItemDelegate(list));
    ui.cbDateFontName->addItems(QFontDatabase::families(QFontDatabase::Any));
    for (const Binding& binding : Bindings())
        ShowBinding(binding);

    for (std::size_t i = 0; i < kModeFlags.size(); ++i) {
        connect(static_cast<QRadioButton*>(ControlOf(KeyOf(kModeFlags[i]))), &QRadioButton::clicked,
                this, [this, i] {
                    // rbModeClick: the minimum mode unchecks the title; the others leave it.
                    if (static_cast<options::DisplayMode>(i) == options::DisplayMode::Small) {
                        m_ui->cbShowTitle->setChecked(false);
                    }
                    UpdateDependencies();
                });
    }
    const std::array<std::pair<QToolButton*, int>, 5> positions{
        {{ui.tlbLT, 1}, {ui.tlbRT, 2}, {ui.tlbRB, 3}, {ui.tlbLB, 4}, {ui.tlbFree, 5}}};
    for (const auto& [button, value] : positions) {
        button->setIcon(OptIcon(14 + value));
        button->setChecked(value == m_env.WinPos);
        connect(button, &QToolButton::clicked, this, [this, v = value] { m_env.WinPos = v; });
    }

    const options::Environment& env = m_env;
    ui.cbMemoVBar->setChecked(env.MemoVBar);
    ui.cbMemoHBar->setChecked(env.MemoHBar);
    (env.MemoPosition == 0 ? ui.rgMem0 : ui.rgMem1)->setChecked(true);
    (env.AdrPosition == 0 ? ui.rgAdr0 : ui.rgAdr1)->setChecked(true);
    (env.CalPosition == 0 ? ui.rgCal0 : ui.rgCal1)->setChecked(true);
    UpdateMemoSample();
    UpdateSample();

    connect(ui.tbrUpTime, &QSlider::valueChanged, this, [this] { tbrUpTimeChange(); });
    connect(ui.cbDateFont, &QComboBox::activated, this, [this] { cbDateChange(m_ui->cbDateFont); });
    connect(ui.cbDateBack, &QComboBox::activated, this, [this] { cbDateChange(m_ui->cbDateBack); });
    connect(ui.cbDateFontName, &QComboBox::activated, this, [this] {
        BusyCursor busy(m_view);
        m_env.DateFontName = S(m_ui->cbDateFontName->currentText());
        UpdateSample();
    });
    for (QCheckBox* box : {ui.cbDateBold, ui.cbDateItalic}) {
        connect(box, &QCheckBox::toggled, this, [this] { UpdateSample(); });
    }
    for (QCheckBox* box : {ui.cbWatch, ui.cbHint, ui.cbTask}) {
        connect(box, &QCheckBox::toggled, this, [this] { UpdateDependencies(); });
    }
    for (QCheckBox* box : {ui.cbMemoVBar, ui.cbMemoHBar}) {
        connect(box, &QCheckBox::toggled, this, [this] { UpdateMemoSample(); });
    }
    connect(ui.btnMemCol, &QPushButton::clicked, this, [this] { btnMemColClick(true); });
    connect(ui.btnMemFCol, &QPushButton::clicked, this, [this] { btnMemColClick(false); });
    ShowHotKeyEditor();
}

void TFrmBtnSet::ShowHotKeyEditor() {
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

void TFrmBtnSet::FillColourList(QComboBox* list, const Colour& colour) {
    int selected = -1;
    auto items = options::ColourList(colour, selected);
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& item : items) {
        list->addItem(Q(item.text));
        list->setItemData(list->count() - 1, ToQColor(item.colour, palette()), kColourRole);
        list->setItemData(list->count() - 1, item.other, kOtherRole);
        if (!item.other)
            list->setItemIcon(list->count() - 1, Swatch(ToQColor(item.colour, palette())));
    }
    list->setCurrentIndex(selected);
    (list == m_ui->cbDateFont ? m_fontColours : m_backColours) = std::move(items);
}

void TFrmBtnSet::cbDateChange(QComboBox* list) {
    auto& items = list == m_ui->cbDateFont ? m_fontColours : m_backColours;
    Colour& current = list == m_ui->cbDateFont ? m_env.DateFont : m_env.DateBack;
    const int index = list->currentIndex();
    if (index >= 0 && items[static_cast<std::size_t>(index)].other) {
        // A colour without a name is offered as custom colour A.
        if (ColourToText(current).front() == '$') {
            QColorDialog::setCustomColor(0, ToQColor(current, palette()));
        }
        const QColor chosen = QColorDialog::getColor(ToQColor(current, palette()), this);
        const QSignalBlocker block(list);
        if (chosen.isValid()) {
            const Colour colour = FromQColor(chosen);
            const int at = options::AddCustomColour(items, colour);
            list->insertItem(at, Q(items[static_cast<std::size_t>(at)].text));
            list->setItemData(at, chosen, kColourRole);
            list->setItemData(at, false, kOtherRole);
            list->setItemIcon(at, Swatch(chosen));
            list->setCurrentIndex(at);
        } else {
            list->setCurrentIndex(options::FindColour(items, current));
        }
    }
    const auto colourOf = [](const QComboBox* l, const std::vector<options::ColourItem>& its) {
        return its[static_cast<std::size_t>(std::max(l->currentIndex(), 0))].colour;
    };
    m_env.DateFont = colourOf(m_ui->cbDateFont, m_fontColours);
    m_env.DateBack = colourOf(m_ui->cbDateBack, m_backColours);
    UpdateSample();
}

void TFrmBtnSet::UpdateSample() {
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

void TFrmBtnSet::tbrUpTimeChange() {
    m_ui->stxUpTime->setText(Q(options::IntervalCaption(m_ui->tbrUpTime->value())));
}

void TFrmBtnSet::UpdateDependencies() {
    auto& ui = *m_ui;
    const bool watch = ui.cbWatch->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.edtWatchLow, ui.udWatchLow, ui.edtWatchHigh, ui.udWatchHigh, ui.cmbWatch}) {
        w->setEnabled(watch);
    }
    ui.cbHintBtn->setEnabled(ui.cbHint->isChecked());
    ui.cbTaskLast->setEnabled(ui.cbTask->isChecked());
    ui.cbShowTitle->setEnabled(!ui.rbSmallMode->isChecked());
}

void TFrmBtnSet::UpdateMemoSample() {
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

void TFrmBtnSet::btnMemColClick(bool background) {
    const QColor back = ToQColor(m_env.MemoColor, palette());
    const QColor text = ToQColor(m_env.MemoFontColor, palette());
    QColorDialog::setCustomColor(0, QColor(255, 255, 225));
    QColorDialog::setCustomColor(1, QColor(0, 0, 0));
    QColorDialog::setCustomColor(2, back);
    QColorDialog::setCustomColor(3, text);
    const QColor chosen = QColorDialog::getColor(background ? back : text, this);
    if (!chosen.isValid())
        return;
    (background ? m_env.MemoColor : m_env.MemoFontColor) = FromQColor(chosen);
    UpdateMemoSample();
}

void TFrmBtnSet::StoreEnvironmentControls() {
    auto& ui = *m_ui;
    for (const Binding& binding : Bindings())
        StoreBinding(binding);
    options::Environment& env = m_env;
    env.MemoVBar = ui.cbMemoVBar->isChecked();
    env.MemoHBar = ui.cbMemoHBar->isChecked();
    env.MemoPosition = ui.rgMem0->isChecked() ? 0 : 1;
    env.AdrPosition = ui.rgAdr0->isChecked() ? 0 : 1;
    env.CalPosition = ui.rgCal0->isChecked() ? 0 : 1;
}

} // namespace tavolin
