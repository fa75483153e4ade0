#pragma once

#include "core/options/Environment.h"
#include "ui/launcher/QtView.h"

#include <QDialog>

#include <array>
#include <memory>

namespace Ui {
class TFrmBtnSet;
}

namespace tavolin {

class AreasTab;
class AuxWindowTab;
class ButtonDetailsTab;
class Display1Tab;
class Display2Tab;
class EnvironmentTab;
class InfoPanelTab;
class Launcher;
class Platform;

// The options dialog "オプション設定": the button details page over every button of the data
// file, and the five environment pages over the settings file. Each page is a widget of its
// own (ButtonDetailsTab, InfoPanelTab, Display1Tab, Display2Tab, AreasTab, AuxWindowTab) with
// its own form; the dialog's form holds the tab control and the three buttons. The rows, the
// checks and the keys are in core/options. OK writes the settings and, when the list was
// loaded, the data file; Cancel writes nothing.
class TFrmBtnSet : public QDialog {
    Q_OBJECT
public:
    // What the dialog reads from the launcher window besides its core: the button the menu
    // was opened for (0 from the toolbar) and the clock's caption.
    struct Opening {
        int button = 0;
        QString clockCaption;
    };

    TFrmBtnSet(Platform& platform, Launcher& core, const Opening& opening, QWidget* owner);
    ~TFrmBtnSet() override;

    // Opens the dialog modally; true after OK (the files were written).
    static bool Edit(Platform& platform, Launcher& core, const Opening& opening, QWidget* owner);

    // The help context of each tab, in tab order.
    static constexpr int kHelpContexts[6] = {22, 23, 24, 32, 33, 31};

    // The control that shows a key of [Window] on its page; nullptr for the window position,
    // which its five buttons choose, and for keys the dialog does not show.
    QWidget* ControlOf(const WindowSettingKey& key) const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The six pages in tab order, and the five over the settings file.
    void AddTabs(const Opening& opening);
    std::array<EnvironmentTab*, 5> EnvironmentTabs() const;

    void FrmBtnSetCreate();
    void pgcChange();
    void FrmBtnSetResize();
    void btnHelpClick();
    void btnOKClick();
    // The pages' values checked; on a fault the page of the control the check names is shown.
    bool CheckEnvironmentPages();
    // Both files written and put in place together, or neither; false leaves the dialog open.
    bool SaveBothFiles();
    void rbModeClick(options::DisplayMode mode);
    void UpdateDependencies();

    std::unique_ptr<Ui::TFrmBtnSet> m_ui;
    Platform& m_platform;
    Launcher& m_core;
    QtView m_view;
    options::Environment m_env;
    ButtonDetailsTab* m_buttons = nullptr;
    InfoPanelTab* m_info = nullptr;
    Display1Tab* m_display1 = nullptr;
    Display2Tab* m_display2 = nullptr;
    AreasTab* m_areas = nullptr;
    AuxWindowTab* m_auxWindow = nullptr;
    bool m_forButton = false;
    bool m_shown = false;
};

} // namespace tavolin
