#pragma once

#include "core/Platform.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tavolin::browse {

// The columns of the browse dialog's file list, numbered as the sort state counts them.
enum Column : int { kName = 1, kSize = 2, kExtension = 3, kTime = 4 };
inline constexpr int kColumnCount = 4;

// One entry of the file list with the texts of its columns.
struct Row {
    std::string name;
    bool directory = false;
    std::string sizeText;      // "1,234KB"; empty for a folder
    std::string extensionText; // "TXT"; empty for a folder
    std::string timeText;      // "2024/05/06 07:08:10", "2024/05/06" at midnight, or "(不明)"

    // The text of column 1 to 4.
    const std::string& Text(int column) const;
};

// The size column: whole KB, rounded up, with thousands separators ("1,234KB").
std::string SizeText(bool directory, std::uint64_t bytes);
// The extension column: after a file name's last dot, in upper case.
std::string ExtensionText(bool directory, const std::string& name);
// The time column in local time, in two-second steps for years 1980 to 2107 (the packed
// date-time form), else "(不明)".
std::string TimeText(std::optional<std::int64_t> modified);
// The same for a local time already broken down.
std::string TimeText(const std::tm& local);

Row MakeRow(const FolderEntry& entry);

// Names as people read them: without regard to case, then lower case first, then the bytes.
int CompareText(const std::string& a, const std::string& b);

// The order of two rows for a sort state (the column; negative: reversed). By name folders
// come first; by size a folder counts as -1 KB.
int CompareRows(const Row& a, const Row& b, int sortState);
void SortRows(std::vector<Row>& rows, int sortState);

// The sort state after a click on a column: the same one again reverses it.
int NextSortState(int sortState, int column);

} // namespace tavolin::browse
