#pragma once

#include "core/options/ButtonList.h"
#include "core/options/Environment.h"
#include "ui/launcher/QtView.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace Ui {
class TFrmBtnSet;
}

namespace tavolin {

class Launcher;
class Platform;
class ButtonRowModel;
class UpDown;

// The options dialog "オプション設定": the button details page over every button of the data
// file, and the five environment pages over the settings file. The layout is in
// TFrmBtnSet.ui; the rows, the checks and the keys are in core/options. OK writes the
// settings and, when the list was loaded, the data file; Cancel writes nothing.
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
    // --- the dialog and the button page (UnitBtnSet's first half) ---
    void FrmBtnSetCreate();
    void pgcChange();
    void FrmBtnSetResize();
    void btnOKClick();
    void btnHelpClick();
    void cbNoChange();
    void lvBtnSelectItem(int row);
    void btnSetClick();
    void btnCpyClick();
    void btnCutClick();
    void btnPstClick();
    void btnRefClick();
    bool LoadButtonList();
    void SelectOpeningRow();
    void ScrollToRow(int row);
    bool ConfirmPendingEdit();
    options::ButtonBoxes Boxes() const;
    void ShowBoxes(const options::ButtonBoxes& boxes);

    // --- the environment pages ---
    // A control and the [Window] key it shows. A key of a number box names its up-down.
    struct Binding {
        QWidget* control;
        WindowSettingKey::Field field;
        UpDown* upDown = nullptr;
    };
    // Every control of the pages that shows a [Window] key.
    std::vector<Binding> Bindings() const;
    void ShowBinding(const Binding& binding);
    void StoreBinding(const Binding& binding);
    void ShowNumberBox(QLineEdit* box, UpDown* upDown, const options::NumberBox& value);
    void LoadEnvironmentControls();
    void StoreEnvironmentControls();
    void tbrUpTimeChange();
    void cbDateChange(QComboBox* list);
    void FillColourList(QComboBox* list, const Colour& colour);
    void UpdateSample();
    void UpdateDependencies();
    void UpdateMemoSample();
    void btnMemColClick(bool background);
    // The hot key box on "表示２", its clear button and the line that says whether this
    // desktop lets a program grab a key.
    void ShowHotKeyEditor();

    std::unique_ptr<Ui::TFrmBtnSet> m_ui;
    Platform& m_platform;
    Launcher& m_core;
    Opening m_opening;
    QtView m_view;
    options::ButtonList m_list;
    ButtonRowModel* m_model = nullptr;
    bool m_listLoaded = false;
    bool m_selecting = false;
    int m_editRow = -1; // the list row the boxes were filled from, or -1
    bool m_shown = false;
    options::Environment m_env;
    std::vector<options::ColourItem> m_fontColours, m_backColours;
};

} // namespace tavolin
