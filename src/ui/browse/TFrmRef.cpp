#include "ui/browse/TFrmRef.h"
#include "ui/QtText.h"

#include "core/Platform.h"
#include "ui/commands/HelpViewer.h"
#include "ui/look/DialogFont.h"
#include "ui_TFrmRef.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>

namespace tavolin {

namespace {

// The drives' last folders live as long as the program, as a drive's current folder does.
browse::CurrentDirectories& RunDirectories() {
    static browse::CurrentDirectories directories;
    return directories;
}

QIcon DriveIcon(DriveKind kind) {
    switch (kind) {
    case DriveKind::Home:
        return QIcon::fromTheme(QStringLiteral("user-home"));
    case DriveKind::Removable:
        return QIcon::fromTheme(QStringLiteral("drive-removable-media"));
    case DriveKind::Remote:
        return QIcon::fromTheme(QStringLiteral("folder-remote"));
    case DriveKind::Fixed:
        break;
    }
    return QIcon::fromTheme(QStringLiteral("drive-harddisk"));
}

} // namespace

// The rows of the listed folder for lvFile: name, size, extension and time, with the icon of
// each entry made when it is first shown.
class RefFileModel : public QAbstractTableModel {
public:
    explicit RefFileModel(const browse::Browser& browser, QObject* parent)
        : QAbstractTableModel(parent), m_browser(browser) {}

    void Reset() {
        beginResetModel();
        m_icons.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_browser.Rows().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : browse::kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const browse::Row& row = m_browser.Rows()[static_cast<std::size_t>(index.row())];
        const int column = index.column() + 1;
        switch (role) {
        case Qt::DisplayRole:
            return Q(row.Text(column));
        case Qt::TextAlignmentRole:
            if (column == browse::kSize)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            if (column == browse::kExtension)
                return int(Qt::AlignCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::DecorationRole:
            if (column != browse::kName)
                return {};
            if (!m_icons.contains(index.row())) {
                m_icons.insert(index.row(),
                               m_provider.icon(QFileInfo(Q(m_browser.FullPathOf(index.row())))));
            }
            return m_icons.value(index.row());
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal)
            return {};
        if (role == Qt::DisplayRole) {
            static const char* const kTitles[] = {"名前", "サイズ", "拡張子", "更新日時"};
            return section >= 0 && section < browse::kColumnCount
                       ? QString::fromUtf8(kTitles[section])
                       : QVariant();
        }
        if (role == Qt::TextAlignmentRole) {
            if (section + 1 == browse::kSize)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            if (section + 1 == browse::kExtension)
                return int(Qt::AlignCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return {};
    }

private:
    const browse::Browser& m_browser;
    QFileIconProvider m_provider;
    mutable QHash<int, QIcon> m_icons;
};

TFrmRef::TFrmRef(Platform& platform, const std::string& startPath, QWidget* owner)
    // A fixed border: a title and a close box, nothing to resize, minimise or maximise.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ui(std::make_unique<Ui::TFrmRef>()), m_view(this),
      m_browser(platform, m_view, RunDirectories()) {
    m_ui->setupUi(this);
    ApplyDialogFont(this);
    setFixedSize(size());

    // The pictures of ilWork, from the desktop's icon theme.
    const std::pair<QToolButton*, const char*> pictures[] = {
        {m_ui->tlbUpFolder, "go-up"},
        {m_ui->tlbDeskTop, "user-desktop"},
        {m_ui->tlbStart, "start-here"},
        {m_ui->tlbSend, "document-send"},
        {m_ui->tlbRecent, "document-open-recent"},
        {m_ui->tlbList, "view-list"},
        {m_ui->tlbReport, "view-list-details"}};
    for (const auto& [button, name] : pictures) {
        button->setIcon(QIcon::fromTheme(QString::fromLatin1(name)));
        button->setIconSize(QSize(16, 16));
    }

    m_model = new RefFileModel(m_browser, this);
    QTreeView* list = m_ui->lvFile;
    list->setModel(m_model);
    list->setIconSize(QSize(16, 16));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(true);
    list->header()->setStretchLastSection(false);
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setColumnWidth(0, 200);
    list->setColumnWidth(1, 70);
    list->setColumnWidth(2, 50);
    // Wide enough for a whole time in the dialog's font.
    const int timeWidth =
        list->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 12;
    list->setColumnWidth(3, std::max(120, timeWidth));
    list->installEventFilter(this);

    connect(m_ui->cbDrive, &QComboBox::activated, this, [this](int i) { cbDriveChange(i); });
    connect(m_ui->edtPath, &QLineEdit::textChanged, this,
            [this](const QString& t) { edtPathChange(t); });
    connect(m_ui->edtFile, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_browser.SetFile(t.toStdString()); });
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { lvFileSelectItem(); });
    connect(list, &QTreeView::doubleClicked, this, [this] { lvFileDblClick(); });
    connect(list->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvFileColumnClick(section); });
    connect(m_ui->tlbUpFolder, &QToolButton::clicked, this, [this] { tlbUpFolderClick(); });
    connect(m_ui->tlbDeskTop, &QToolButton::clicked, this,
            [this] { tlbSpecialClick(SpecialFolder::Desktop); });
    connect(m_ui->tlbStart, &QToolButton::clicked, this,
            [this] { tlbSpecialClick(SpecialFolder::StartMenu); });
    connect(m_ui->tlbSend, &QToolButton::clicked, this,
            [this] { tlbSpecialClick(SpecialFolder::SendTo); });
    connect(m_ui->tlbRecent, &QToolButton::clicked, this,
            [this] { tlbSpecialClick(SpecialFolder::RecentDocuments); });
    connect(m_ui->tlbList, &QToolButton::toggled, this, [this] { tlbListClick(); });
    connect(m_ui->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(m_ui->btnCANCEL, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    FrmRefCreate(startPath);
}

TFrmRef::~TFrmRef() {
    // The rows belong to the browser, which goes before the widgets do.
    m_ui->lvFile->setModel(nullptr);
    delete m_model;
}

std::optional<std::string> TFrmRef::Browse(Platform& platform, const std::string& startPath,
                                           QWidget* owner) {
    TFrmRef dialog(platform, startPath, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Result();
}

void TFrmRef::FrmRefCreate(const std::string& startPath) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_browser.Create(startPath, QDir::toNativeSeparators(QDir::currentPath()).toStdString());
    for (const DriveEntry& drive : m_browser.Drives()) {
        m_ui->cbDrive->addItem(DriveIcon(drive.kind), Q(drive.name));
        m_ui->cbDrive->setItemData(m_ui->cbDrive->count() - 1, Q(drive.root), Qt::ToolTipRole);
    }
    // The fields without listing: the folder is listed when the dialog shows.
    const QSignalBlocker blockPath(m_ui->edtPath);
    const QSignalBlocker blockFile(m_ui->edtFile);
    m_ui->edtPath->setText(Q(m_browser.Path()));
    m_ui->edtFile->setText(Q(m_browser.File()));
    m_ui->cbDrive->setCurrentIndex(m_browser.Drive());
}

void TFrmRef::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    const int row = m_browser.Showing();
    ShowState();
    if (row >= 0) {
        SelectRow(row);
        m_ui->lvFile->setFocus();
    }
    m_ui->tlbList->setChecked(true);
    tlbListClick();
}

void TFrmRef::ShowState() {
    m_ui->cbDrive->setCurrentIndex(m_browser.Drive());
    if (m_ui->edtPath->text() != Q(m_browser.Path())) {
        const QSignalBlocker block(m_ui->edtPath);
        m_ui->edtPath->setText(Q(m_browser.Path()));
    }
    if (m_ui->edtFile->text() != Q(m_browser.File())) {
        const QSignalBlocker block(m_ui->edtFile);
        m_ui->edtFile->setText(Q(m_browser.File()));
    }
    const bool relisted = m_browser.Listings() != m_shownListing;
    if (relisted || m_browser.SortState() != m_shownSortState) {
        // A new listing starts without a selection; a new order keeps the selected entry.
        const int selected = relisted ? -1 : SelectedRow();
        const std::string name =
            selected >= 0 ? m_browser.Rows()[static_cast<std::size_t>(selected)].name : "";
        {
            const QSignalBlocker block(m_ui->lvFile->selectionModel());
            m_model->Reset();
        }
        m_shownListing = m_browser.Listings();
        m_shownSortState = m_browser.SortState();
        const int state = m_shownSortState;
        m_ui->lvFile->header()->setSortIndicator(
            std::abs(state) - 1, state < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
        if (!name.empty()) {
            const auto& rows = m_browser.Rows();
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (rows[i].name != name)
                    continue;
                const QSignalBlocker block(m_ui->lvFile->selectionModel());
                SelectRow(static_cast<int>(i));
                break;
            }
        }
    }
}

int TFrmRef::SelectedRow() const {
    const QModelIndexList rows = m_ui->lvFile->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TFrmRef::SelectRow(int row) {
    const QModelIndex index = m_model->index(row, 0);
    m_ui->lvFile->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    m_ui->lvFile->scrollTo(index);
}

void TFrmRef::Apply(browse::Next next) {
    ShowState();
    switch (next) {
    case browse::Next::Stay:
        break;
    case browse::Next::FocusPath:
        m_ui->edtPath->setFocus();
        break;
    case browse::Next::FocusFile:
        m_ui->edtFile->setFocus();
        break;
    case browse::Next::Accept:
        accept();
        break;
    }
}

void TFrmRef::cbDriveChange(int index) {
    m_browser.ChangeDrive(index);
    ShowState();
}

void TFrmRef::edtPathChange(const QString& text) {
    m_browser.PathChanged(text.toStdString());
    ShowState();
}

void TFrmRef::lvFileSelectItem() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_browser.SelectItem(row);
    ShowState();
}

void TFrmRef::lvFileDblClick() {
    const int row = SelectedRow();
    if (row >= 0)
        Apply(m_browser.DoubleClick(row));
}

bool TFrmRef::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->lvFile &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_F5:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // These act when released; their presses must not reach the default button.
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
                lvFileKeyUp(key);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFrmRef::lvFileKeyUp(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
        tlbUpFolderClick();
        return true;
    case Qt::Key_F5:
        m_browser.Reload();
        ShowState();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        lvFileDblClick();
        return true;
    default:
        return false;
    }
}

void TFrmRef::lvFileColumnClick(int section) {
    m_browser.ColumnClick(section + 1);
    ShowState();
}

void TFrmRef::tlbUpFolderClick() {
    m_browser.Up();
    ShowState();
}

void TFrmRef::tlbSpecialClick(SpecialFolder folder) {
    m_browser.GoSpecial(folder);
    ShowState();
    m_ui->lvFile->setFocus();
}

void TFrmRef::tlbListClick() {
    // List view: the names alone; detail view: the four columns under their header.
    const bool list = m_ui->tlbList->isChecked();
    m_ui->lvFile->setHeaderHidden(list);
    for (int column = 1; column < browse::kColumnCount; ++column) {
        m_ui->lvFile->setColumnHidden(column, list);
    }
}

void TFrmRef::btnOKClick() {
    Apply(m_browser.Ok());
}

void TFrmRef::btnHelpClick() {
    ShowHelp(browse::Browser::kHelpContext);
}

} // namespace tavolin
