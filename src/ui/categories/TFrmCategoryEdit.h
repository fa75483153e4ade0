#pragma once

#include "core/categories/WorkingCopy.h"
#include "ui/launcher/QtView.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFrmCategoryEdit;
}

namespace tavolin {

class Platform;
struct DataFiles;

// The category editor "カテゴリー編集": the list of categories with add, rename, delete and
// the two arrows that reorder, over a working copy of the data file that OK commits. The
// layout is in TFrmCategoryEdit.ui; the working copy and its rules are in core/categories.
class TFrmCategoryEdit : public QDialog {
    Q_OBJECT
public:
    TFrmCategoryEdit(Platform& platform, const DataFiles& files, QWidget* owner);
    ~TFrmCategoryEdit() override;

    // Opens the editor modally over `owner`; true when the user pressed OK and the data file
    // was replaced.
    static bool Edit(Platform& platform, const DataFiles& files, QWidget* owner);

    // Whether the working copy was made; without it the dialog is not shown.
    bool Opened() const { return m_opened; }

    // Every way of closing removes the working copy.
    void done(int result) override;

private:
    void FrmCreate();
    void lbCategoryClick();
    void btnAddClick();
    void btnModClick();
    void btnDelClick();
    void sbUPClick();
    void sbDOWNClick();
    void btnOKClick();
    void btnHelpClick();
    // The list box shows the working copy's names, with `row` selected (none when -1).
    void ShowNames(int row);
    int Selected() const;

    std::unique_ptr<Ui::TFrmCategoryEdit> m_ui;
    QtView m_view;
    categories::WorkingCopy m_copy;
    bool m_opened = false;
};

} // namespace tavolin
