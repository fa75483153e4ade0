#pragma once

#include "core/options/ButtonList.h"

#include <QWidget>

#include <memory>

namespace Ui {
class ButtonDetailsTab;
}

namespace tavolin {

class ButtonRowModel;
class Launcher;
class Platform;
class View;

// The page "ボタン詳細" of the options dialog: every button of the data file in the list
// "lvBtn", and the boxes that edit one button (its category, page, number, title, folder and
// file) with ↓セット, copy, cut, paste and browse. The rows and the rules of the boxes are in
// core/options/ButtonList; the dialog writes the list at OK.
class ButtonDetailsTab : public QWidget {
    Q_OBJECT
public:
    // `openingButton`: the button the menu was opened for, or 0 from the toolbar. `view` is
    // the dialog's.
    ButtonDetailsTab(Platform& platform, Launcher& core, View& view, int openingButton,
                     QWidget* parent);
    ~ButtonDetailsTab() override;

    // When the dialog opens: the launcher's category and page in the boxes, the opening
    // button's number, and for a button the list read at once.
    void Open();
    // When the dialog is first shown: the opening button's row chosen in a list that was read.
    void SelectOpeningRowIfLoaded();
    // pgcChange: the list is read when the page is first chosen.
    void LoadOnFirstVisit();

    // Whether the list was read (OK writes the data file only then), and the list.
    bool Loaded() const { return m_listLoaded; }
    options::ButtonList& List() { return m_list; }

    // Before OK and before another row is chosen: an edit the boxes hold is applied with
    // ↓セット or dropped, as the user answers; false when the user stays with it.
    bool ConfirmPendingEdit();
    // After the list was read again at OK: the boxes, which edited a row of the old list,
    // are emptied.
    void ShowReloadedList();

    // FrmBtnSetResize's rules for this page's controls, from the tab control's size.
    void FollowTabControl(const QSize& tabControl);

private:
    bool LoadButtonList();
    void SetUpList();
    void SelectOpeningRow();
    void ScrollToRow(int row);
    options::ButtonBoxes Boxes() const;
    void ShowBoxes(const options::ButtonBoxes& boxes);
    // The boxes with the trailing blanks of their three values trimmed, as read and as shown.
    options::ButtonBoxes TrimmedBoxes();
    void cbNoChange();
    void lvBtnSelectItem(int row);
    void btnSetClick();
    void btnCpyClick();
    void btnCutClick();
    void btnPstClick();
    void btnRefClick();

    std::unique_ptr<Ui::ButtonDetailsTab> m_ui;
    Platform& m_platform;
    Launcher& m_core;
    View& m_view;
    int m_openingButton;
    options::ButtonList m_list;
    ButtonRowModel* m_model = nullptr;
    bool m_listLoaded = false;
    bool m_selecting = false;
    int m_editRow = -1; // the list row the boxes were filled from, or -1
};

} // namespace tavolin
