#include "ui/categories/TFrmCategoryEdit.h"
#include "ui/QtText.h"

#include "core/helpers/MessageBox.h"
#include "core/settings/Settings.h"
#include "ui/commands/HelpViewer.h"
#include "ui/look/DialogFont.h"
#include "ui_TFrmCategoryEdit.h"

#include <QGuiApplication>
#include <QScreen>

namespace tavolin {

TFrmCategoryEdit::TFrmCategoryEdit(Platform& platform, const DataFiles& files, QWidget* owner)
    // A fixed border: a title and a close box, nothing to resize, minimise or maximise.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ui(std::make_unique<Ui::TFrmCategoryEdit>()), m_view(this),
      m_copy(platform, m_view, files.txt, files.tmp, files.tmp2) {
    m_ui->setupUi(this);
    ApplyDialogFont(this);
    setFixedSize(size());

    // A click makes the row current before it selects it: the name follows the selection.
    connect(m_ui->lbCategory, &QListWidget::itemSelectionChanged, this,
            [this] { lbCategoryClick(); });
    connect(m_ui->btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(m_ui->btnMod, &QPushButton::clicked, this, [this] { btnModClick(); });
    connect(m_ui->btnDel, &QPushButton::clicked, this, [this] { btnDelClick(); });
    connect(m_ui->sbUP, &QToolButton::clicked, this, [this] { sbUPClick(); });
    connect(m_ui->sbDOWN, &QToolButton::clicked, this, [this] { sbDOWNClick(); });
    connect(m_ui->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    FrmCreate();
}

TFrmCategoryEdit::~TFrmCategoryEdit() = default;

bool TFrmCategoryEdit::Edit(Platform& platform, const DataFiles& files, QWidget* owner) {
    TFrmCategoryEdit dialog(platform, files, owner);
    return dialog.Opened() && dialog.exec() == QDialog::Accepted;
}

void TFrmCategoryEdit::FrmCreate() {
    m_opened = m_copy.Open();
    ShowNames(-1);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TFrmCategoryEdit::done(int result) {
    m_copy.Close();
    QDialog::done(result);
}

void TFrmCategoryEdit::ShowNames(int row) {
    const QSignalBlocker block(m_ui->lbCategory);
    m_ui->lbCategory->clear();
    for (const std::string& name : m_copy.Names())
        m_ui->lbCategory->addItem(Q(name));
    m_ui->lbCategory->setCurrentRow(row);
}

int TFrmCategoryEdit::Selected() const {
    const QList<QListWidgetItem*> selected = m_ui->lbCategory->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->lbCategory->row(selected.front());
}

void TFrmCategoryEdit::lbCategoryClick() {
    if (const int row = Selected(); row >= 0) {
        m_ui->edtCategoryAdd->setText(m_ui->lbCategory->item(row)->text());
    }
}

void TFrmCategoryEdit::btnAddClick() {
    if (m_copy.Add(m_ui->edtCategoryAdd->text().toStdString())) {
        ShowNames(static_cast<int>(m_copy.Names().size()) - 1);
    }
}

void TFrmCategoryEdit::btnModClick() {
    const int row = Selected();
    if (row >= 0 &&
        m_copy.Rename(static_cast<std::size_t>(row), m_ui->edtCategoryAdd->text().toStdString())) {
        ShowNames(row);
    }
}

void TFrmCategoryEdit::btnDelClick() {
    const int row = Selected();
    if (row >= 0 && m_copy.Delete(static_cast<std::size_t>(row)))
        ShowNames(-1);
}

void TFrmCategoryEdit::sbUPClick() {
    const int row = Selected();
    if (row >= 0 && m_copy.MoveUp(static_cast<std::size_t>(row)))
        ShowNames(row - 1);
}

void TFrmCategoryEdit::sbDOWNClick() {
    const int row = Selected();
    if (row >= 0 && m_copy.MoveDown(static_cast<std::size_t>(row)))
        ShowNames(row + 1);
}

void TFrmCategoryEdit::btnOKClick() {
    // A data file that could not be replaced keeps the dialog open; the user was told why.
    switch (m_copy.Commit()) {
    case datafile::Placed::Done:
        accept();
        return;
    case datafile::Placed::Changed:
        // A data file someone else changed since the editor read it is never written over:
        // the user chooses to read it again or to stay.
        if (m_copy.Recheck() == datafile::Unchanged::Reload)
            ShowNames(-1);
        return;
    case datafile::Placed::Failed:
        return;
    }
}

void TFrmCategoryEdit::btnHelpClick() {
    ShowHelp(25);
}

} // namespace tavolin
