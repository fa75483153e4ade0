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

// The last folder listed on each drive, by its root, kept for the whole run.
class CurrentDirectories {
public:
    // Empty when nothing was listed on that drive yet.
    std::string Of(const std::string& root) const;
    void Set(const std::string& root, const std::string& folder);

private:
    std::map<std::string, std::string> m_folders;
};

// The drive with the longest root that contains the path, or -1.
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
// listed folder with its sort state, and what each control does to them.
class Browser {
public:
    static constexpr int kHelpContext = 26;

    Browser(Platform& platform, View& view, CurrentDirectories& directories);

    // The drives, and the fields from the start path, or the current folder without one.
    void Create(const std::string& startPath, const std::string& currentFolder);
    // Lists the folder field; when started at a file, returns the row named like it (case
    // aside) or the first, else -1.
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

    // Lists an existing folder unless the text ends in a separator (but "/"); true if listed.
    bool PathChanged(const std::string& text);
    // F5: the same.
    bool Reload() { return PathChanged(m_path); }
    // Lists the folder field by name; its drive is selected and remembers it.
    void Refresh();

    // A click on the header of column 1 to 4.
    void ColumnClick(int column);

    // Lists another drive's current folder; when it cannot be read the user may retry, or
    // cancel back to the folder field's drive. True when it was listed.
    bool ChangeDrive(int index);

    // One folder up, unless the folder field holds a drive root. True when it moved.
    bool Up();
    // A special folder; false when the system has none.
    bool GoSpecial(SpecialFolder folder);

    // The file field takes the selected row's name (emptied for a folder or a gone entry).
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
