#pragma once

#include "core/Platform.h"
#include "core/browse/FileList.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavolin {
class View;
}

namespace tavolin::browse {

// The last folder listed on each drive, by the drive's root: what the browse dialog opens when
// the user picks that drive again. The dialog's owner keeps it for the whole run.
class CurrentDirectories {
public:
    // Empty when nothing was listed on that drive yet.
    std::string Of(const std::string& root) const;
    void Set(const std::string& root, const std::string& folder);

private:
    std::map<std::string, std::string> m_folders;
};

// The drive entry a path belongs to: the one with the longest root that contains it; -1 when
// none does.
int DriveOf(const std::vector<DriveEntry>& drives, const std::string& path, PathStyle style);

// The folder above a path, or nothing when the path is a drive root ("C:", "/").
std::optional<std::string> ParentFolder(const std::string& path, PathStyle style);

// What the dialog does after an action of the user.
enum class Next {
    Stay,      // nothing more
    FocusPath, // the folder field gets the focus
    FocusFile, // the file field gets the focus
    Accept,    // the dialog closes with OK
};

// The browse dialog without its widgets: the drive list, the folder and file fields, the
// listed folder with its sort state, and what each control does to them. Messages go through
// the view.
class Browser {
public:
    static constexpr int kHelpContext = 26;

    Browser(Platform& platform, View& view, CurrentDirectories& directories);

    // Creation: the drives, and the fields from the start path (its folder and file name), or
    // from the process's current folder when there is no start path. Nothing is listed yet.
    void Create(const std::string& startPath, const std::string& currentFolder);
    // Showing: lists the folder field. Returns the row to select: the one named like the file
    // field (letter case aside) or else the first, when the dialog started at a file; -1 for
    // none.
    int Showing();

    const std::vector<DriveEntry>& Drives() const { return m_drives; }
    int Drive() const { return m_drive; }
    const std::string& Path() const { return m_path; }
    const std::string& File() const { return m_file; }
    void SetFile(std::string file) { m_file = std::move(file); }
    const std::vector<Row>& Rows() const { return m_rows; }
    int SortState() const { return m_sortState; }
    // Counts the listings, so that a view knows when to show the rows anew.
    std::uint64_t Listings() const { return m_listings; }
    std::string FullPathOf(int row) const;

    // The folder field changed: an existing folder is listed unless the text ends in a
    // separator (the POSIX root "/" is listed). True when it was listed.
    bool PathChanged(const std::string& text);
    // Lists the folder field again (F5): the same rule.
    bool Reload() { return PathChanged(m_path); }
    // Lists the folder field: the rows, sorted by name; the drive that holds it is selected and
    // remembers it as its current folder.
    void Refresh();

    // A click on the header of column 1 to 4.
    void ColumnClick(int column);

    // Another drive chosen: its current folder is listed when the drive can be read; otherwise
    // the user may retry or cancel, and a cancel selects the folder field's drive again. True
    // when the drive was listed.
    bool ChangeDrive(int index);

    // One folder up, unless the folder field holds a drive root. True when it moved.
    bool Up();
    // The desktop, start menu, send-to or recent-documents folder. False when the system has
    // no such folder.
    bool GoSpecial(SpecialFolder folder);

    // A row became selected: the file field takes its name, or is emptied for a folder (or an
    // entry that has gone).
    void SelectItem(int row);
    // A double-click (or Enter) on a row: a folder is entered, a file is chosen and OK runs.
    Next DoubleClick(int row);
    // OK: the folder must exist, then the folder joined with the file name.
    Next Ok();

    // The choice after OK: the folder field joined with the file field.
    std::string Result() const;

private:
    bool Listable(const std::string& path) const;

    Platform& m_platform;
    View& m_view;
    CurrentDirectories& m_directories;
    PathStyle m_style;
    std::vector<DriveEntry> m_drives;
    int m_drive = -1;
    std::string m_path;
    std::string m_file;
    bool m_startedAtFile = false;
    std::vector<Row> m_rows;
    int m_sortState = kName;
    std::uint64_t m_listings = 0;
};

} // namespace tavolin::browse
