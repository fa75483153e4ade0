#pragma once

#include "core/browse/Browser.h"
#include "ui/launcher/QtView.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QKeyEvent;

namespace Ui {
class TFrmRef;
}

namespace tavolin {

class Platform;
class RefFileModel;

// The browse dialog "フォルダ / ファイルの参照": a drive list, the folder and file fields, the
// file list with its four sortable columns and the toolbar that goes up, jumps to the special
// folders and switches between list and detail view. The layout is in TFrmRef.ui; the drives,
// the listing, sorting, navigation and the checks at OK are in core/browse.
class TFrmRef : public QDialog {
    Q_OBJECT
public:
    // `startPath` is the launcher's browse start path: the dialog opens at its folder with its
    // file chosen, or at the process's current folder when it is empty.
    TFrmRef(Platform& platform, const std::string& startPath, QWidget* owner);
    ~TFrmRef() override;

    // Runs the dialog modally over `owner`: the chosen folder or file after OK, nothing after
    // a cancel.
    static std::optional<std::string> Browse(Platform& platform, const std::string& startPath,
                                             QWidget* owner);

    // The folder field joined with the file field.
    std::string Result() const { return m_browser.Result(); }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FrmRefCreate(const std::string& startPath);
    void cbDriveChange(int index);
    void edtPathChange(const QString& text);
    void lvFileSelectItem();
    void lvFileDblClick();
    bool lvFileKeyUp(const QKeyEvent* event);
    void lvFileColumnClick(int section);
    void tlbUpFolderClick();
    void tlbSpecialClick(SpecialFolder folder);
    void tlbListClick();
    void btnOKClick();
    void btnHelpClick();

    // Shows the core's state: the drive, the two fields and, after a new listing or sort,
    // the rows (keeping the selected name where it is still listed).
    void ShowState();
    void Apply(browse::Next next);
    int SelectedRow() const;
    void SelectRow(int row);

    std::unique_ptr<Ui::TFrmRef> m_ui;
    QtView m_view;
    browse::Browser m_browser;
    RefFileModel* m_model = nullptr;
    std::uint64_t m_shownListing = 0;
    int m_shownSortState = 0;
    bool m_shown = false;
};

} // namespace tavolin
