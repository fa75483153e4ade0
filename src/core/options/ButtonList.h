#pragma once

#include "core/datafile/DataFile.h"
#include "core/datafile/Placement.h"
#include "core/path/PathStyle.h"
#include "core/text/TextFile.h"

#include <optional>
#include <string>
#include <vector>

namespace tavolin {
class Platform;
class View;
} // namespace tavolin

// The options dialog's button details page: the data file's categories and buttons as rows,
// the boxes that edit one button, and the rewrite of the data file at OK.
namespace tavolin::options {

// The "Page" and "No." texts of a category row.
inline constexpr const char* kCategoryMark = "--";

// One row of the list: a category row (page and number "--") or a button row.
struct ButtonRow {
    std::string category;
    std::string page, number;
    std::string title, folder, file;
    std::string raw; // the line as read; empty when ↓セット changed or added the row
    bool changed = false;
    // Lines the list does not show that stood right before this row's line, as read.
    std::vector<std::string> before;

    bool IsCategory() const { return page == kCategoryMark; }
};

// The texts of the editing boxes: the button they address and its three values.
struct ButtonBoxes {
    std::string category, page, number; // edtCategory, edtPage, cbNo
    std::string title, folder, file;    // edtBtnTitle, edtBtnPath, edtBtnFile
    int row = -1;                       // the list row they were filled from, or -1
};

// What ↓セット did with the boxes.
enum class SetOutcome {
    Stopped,       // the category or page box is empty
    MissingFolder, // refused: the folder does not exist (focus the folder box)
    MissingFile,   // refused: the file does not exist (focus the file box)
    Replaced,
    Removed,
    Unchanged, // no row and no folder
    Inserted,
};

class ButtonList {
public:
    ButtonList(Platform& platform, View& view, std::string dataFile);

    // LoadButtonList: reads the data file in one pass (a missing one is first created). False,
    // after telling the user, when the file cannot be read or made.
    bool Load();
    // Before OK writes: whether the file is still as it was read or written (see
    // CheckUnchanged; on Reload the list is read again).
    datafile::Unchanged Recheck();

    const std::vector<ButtonRow>& Rows() const { return m_rows; }

    // The first row with these texts exactly, or -1; "--" and "--" find a category row.
    int FindButtonRow(const std::string& category, const std::string& page,
                      const std::string& number) const;

    // The row the boxes were filled from while it still matches them, else FindButtonRow's.
    int RowOf(const ButtonBoxes& boxes) const;

    // ↓セット: applies trimmed boxes to the list. `row` receives the inserted or replaced
    // row, or -1. A button of a category the file does not have goes at the end, under a
    // line of its own for that category.
    SetOutcome Set(const ButtonBoxes& boxes, int* row = nullptr);

    // SaveButtonList, in two steps so that OK puts the settings file in place with it: the
    // whole new file, written but not in place (false, with `error`, when it could not be
    // written), and Commit, which puts it in place unless the file changed meanwhile other
    // than by lines appended to it (Changed: nothing is written; Recheck then asks). A row
    // ↓セット did not touch is written as it was read, with the lines that stood before it;
    // changed and added rows are composed.
    bool BeginSave(std::string& error);
    datafile::Placed Commit(std::string& error);

private:
    std::string Compose(const ButtonRow& row) const;
    // After Commit: the list stands for the file as written.
    void Saved();

    Platform& m_platform;
    View& m_view;
    PathStyle m_style;
    std::string m_dataFile;
    text::Encoding m_encoding = text::Encoding::Cp932;
    std::optional<datafile::Prepared> m_prepared; // by BeginSave, until Commit
    datafile::Stamp m_stamp;
    std::vector<std::string> m_preamble; // lines before the first category line
    std::vector<std::string> m_trailer;  // unlisted lines after the last row
    std::vector<ButtonRow> m_rows;
};

// Trims trailing blanks off the three value boxes (TrimButtonEdits).
void TrimButtonEdits(ButtonBoxes& boxes);

// The boxes' title, folder and file for a button value (ShowButtonEntry).
void ShowButtonEntry(ButtonBoxes& boxes, const std::string& value, const Platform& platform);

// The boxes for a selected row (a category row: page and number "1", no values).
void ShowRow(ButtonBoxes& boxes, const ButtonRow& row);

// cbNoChange: the boxes show the row of their category, page and number, or nothing.
void ShowNumber(ButtonBoxes& boxes, const ButtonList& list, const Platform& platform);

// ConfirmPendingEdit: true when the caller may go on. Unapplied edits raise the question:
// はい applies them through `apply`, いいえ drops them, キャンセル stays (false).
template <typename Apply>
bool ConfirmPendingEdit(ButtonBoxes& boxes, const ButtonList& list, View& view, Apply apply);
bool HasPendingEdit(ButtonBoxes& boxes, const ButtonList& list);
bool AskPendingEdit(View& view, bool& apply);

template <typename Apply>
bool ConfirmPendingEdit(ButtonBoxes& boxes, const ButtonList& list, View& view, Apply apply) {
    if (!HasPendingEdit(boxes, list))
        return true;
    bool doApply = false;
    if (!AskPendingEdit(view, doApply))
        return false;
    if (doApply)
        apply();
    return true;
}

// The button value the boxes describe: what コピー puts on the button clipboard.
std::string BoxesValue(const ButtonBoxes& boxes, PathStyle style);

} // namespace tavolin::options
