#include "ui/options/TFrmBtnSet.h"

#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/launcher/Launcher.h"
#include "core/settings/Settings.h"
#include "ui/commands/HelpViewer.h"
#include "ui/look/DialogFont.h"
#include "ui/options/AreasTab.h"
#include "ui/options/AuxWindowTab.h"
#include "ui/options/ButtonDetailsTab.h"
#include "ui/options/Display1Tab.h"
#include "ui/options/Display2Tab.h"
#include "ui/options/InfoPanelTab.h"
#include "ui_TFrmBtnSet.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>

namespace tavolin {

TFrmBtnSet::TFrmBtnSet(Platform& platform, Launcher& core, const Opening& opening, QWidget* owner)
    // Resizable, with the system menu and the maximise box; no minimise box.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                         Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TFrmBtnSet>()), m_platform(platform), m_core(core), m_view(this),
      m_forButton(opening.button > 0) {
    m_ui->setupUi(this);
    AddTabs(opening);
    ApplyDialogFont(this);
    setMinimumSize(422, 390);
    // The six tabs side by side in the tab control's width, as on the designed dialog.
    m_ui->pgc->tabBar()->setUsesScrollButtons(false);
    m_ui->pgc->tabBar()->setExpanding(false);
    m_ui->pgc->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));

    connect(m_ui->pgc, &QTabWidget::currentChanged, this, [this] { pgcChange(); });
    connect(m_ui->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(m_display1, &Display1Tab::modeClicked, this,
            [this](options::DisplayMode mode) { rbModeClick(mode); });

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

void TFrmBtnSet::AddTabs(const Opening& opening) {
    QTabWidget* pgc = m_ui->pgc;
    m_buttons = new ButtonDetailsTab(m_platform, m_core, m_view, opening.button, pgc);
    m_info = new InfoPanelTab(m_env, m_view, opening.clockCaption, pgc);
    m_display1 = new Display1Tab(m_env, pgc);
    m_display2 = new Display2Tab(m_env, pgc);
    m_areas = new AreasTab(m_env, pgc);
    m_auxWindow = new AuxWindowTab(m_env, pgc);
    // Each page's form names its tab in its title.
    for (QWidget* tab : std::initializer_list<QWidget*>{m_buttons, m_info, m_display1, m_display2,
                                                        m_areas, m_auxWindow}) {
        pgc->addTab(tab, tab->windowTitle());
    }
    // The pages joined the Tab order after the dialog's own form: OK, キャンセル and ヘルプ go
    // back to its end, after the last page's controls, so that the dialog opens with the
    // focus on its page's first control rather than on OK.
    QWidget* last = previousInFocusChain();
    while (last != this && last->focusPolicy() == Qt::NoFocus)
        last = last->previousInFocusChain();
    QWidget::setTabOrder(last, m_ui->btnOK);
    QWidget::setTabOrder(m_ui->btnOK, m_ui->btnCancel);
    QWidget::setTabOrder(m_ui->btnCancel, m_ui->btnHelp);
}

std::array<EnvironmentTab*, 5> TFrmBtnSet::EnvironmentTabs() const {
    return {m_info, m_display1, m_display2, m_areas, m_auxWindow};
}

QWidget* TFrmBtnSet::ControlOf(const WindowSettingKey& key) const {
    for (const EnvironmentTab* tab : EnvironmentTabs()) {
        if (QWidget* control = tab->ControlOf(key.field))
            return control;
    }
    return nullptr;
}

// --- opening -------------------------------------------------------------------------------

void TFrmBtnSet::FrmBtnSetCreate() {
    // The clock's font is the name the settings hold, installed or not, not the font that
    // stands in for it on screen: the dialog writes back what the user chose.
    m_env = options::LoadEnvironment(m_core.Files().ini, m_core.Settings().WinPos,
                                     m_core.Settings().DateFontName);
    for (EnvironmentTab* tab : EnvironmentTabs())
        tab->Load();
    {
        const QSignalBlocker block(m_ui->pgc);
        m_ui->pgc->setCurrentIndex(m_forButton ? 0 : 1);
    }
    m_buttons->Open();
    UpdateDependencies();
}

void TFrmBtnSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_buttons->SelectOpeningRowIfLoaded();
}

void TFrmBtnSet::pgcChange() {
    if (m_ui->pgc->currentWidget() == m_buttons)
        m_buttons->LoadOnFirstVisit();
}

// --- the pages' dependencies ---------------------------------------------------------------

void TFrmBtnSet::rbModeClick(options::DisplayMode mode) {
    // The minimum mode unchecks the title; the others leave it.
    if (mode == options::DisplayMode::Small)
        m_display2->UncheckTitle();
    UpdateDependencies();
}

void TFrmBtnSet::UpdateDependencies() {
    m_display2->EnableTitle(!m_display1->SmallMode());
}

// --- resizing and help ---------------------------------------------------------------------

void TFrmBtnSet::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FrmBtnSetResize();
}

void TFrmBtnSet::FrmBtnSetResize() {
    // The rules count from the client area: 390 high and 422 wide at the designed size.
    const int h = height();
    // The three buttons keep their left edges and follow the bottom.
    for (QPushButton* button : {m_ui->btnOK, m_ui->btnCancel, m_ui->btnHelp})
        button->move(button->x(), h - 26);
    m_ui->pgc->setGeometry(8, 0, width() - 13, h - 29);
    m_buttons->FollowTabControl(m_ui->pgc->size());
}

void TFrmBtnSet::btnHelpClick() {
    ShowHelp(kHelpContexts[std::clamp(m_ui->pgc->currentIndex(), 0, 5)]);
}

// --- OK ------------------------------------------------------------------------------------

void TFrmBtnSet::btnOKClick() {
    if (!m_buttons->ConfirmPendingEdit())
        return;
    for (EnvironmentTab* tab : EnvironmentTabs())
        tab->Store();
    if (CheckEnvironmentPages() && SaveBothFiles())
        accept();
}

bool TFrmBtnSet::CheckEnvironmentPages() {
    std::string focus;
    if (options::CheckEnvironment(m_env, m_view, focus))
        return true;
    // The page of the control the check names.
    auto* control = findChild<QWidget*>(QString::fromStdString(focus));
    int page = -1;
    for (QWidget* w = control; w != nullptr && page < 0; w = w->parentWidget())
        page = m_ui->pgc->indexOf(w);
    m_ui->pgc->setCurrentIndex(page >= 0 ? page : 1);
    if (control != nullptr)
        control->setFocus();
    return false;
}

bool TFrmBtnSet::SaveBothFiles() {
    // Both files are written first and put in place together: when either cannot be
    // written, neither changes and the dialog stays open with its edits.
    options::ButtonList& list = m_buttons->List();
    const bool withList = m_buttons->Loaded();
    std::string error;
    if (withList) {
        BusyCursor busy(m_view);
        if (!list.BeginSave(error)) {
            if (!error.empty())
                ShowMessageBox(m_view, datafile::WriteFailure(m_core.Files().txt, error),
                               MsgKind::Error, msg_buttons::kOkOnly);
            return false;
        }
    }
    const auto settings =
        options::BeginSaveEnvironment(m_platform, m_core.Files().ini, m_env, error);
    if (!settings) {
        ShowMessageBox(m_view, error, MsgKind::Error, msg_buttons::kOkOnly);
        return false;
    }
    if (withList) {
        switch (list.Commit(error)) {
        case datafile::Placed::Done:
            break;
        case datafile::Placed::Changed:
            // A data file someone else changed since the list was read is never written
            // over: the user chooses to read it again or to stay. The boxes edited a row of
            // the list as it was, so after a reload no stale row is offered to ↓セット.
            if (list.Recheck() == datafile::Unchanged::Reload)
                m_buttons->ShowReloadedList();
            return false;
        case datafile::Placed::Failed:
            ShowMessageBox(m_view, datafile::WriteFailure(m_core.Files().txt, error),
                           MsgKind::Error, msg_buttons::kOkOnly);
            return false;
        }
    }
    if (!settings->Commit(error)) {
        ShowMessageBox(m_view, options::SettingsWriteFailure(m_core.Files().ini, error),
                       MsgKind::Error, msg_buttons::kOkOnly);
        return false;
    }
    return true;
}

} // namespace tavolin
