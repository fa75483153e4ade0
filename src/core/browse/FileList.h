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

// The size column: whole KB, where a file of 1 to 1023 bytes counts as 1 KB (an empty file
// stays 0), with thousands separators: "1,234KB". Empty for a folder.
std::string SizeText(bool directory, std::uint64_t bytes);
// The extension column: the text after the last dot of a file's name, in upper case; empty for
// a folder or a name without a dot.
std::string ExtensionText(bool directory, const std::string& name);
// The time column for a last-write time in seconds since the epoch, shown in local time in the
// packed date-time form the file list has always used: two-second steps, years 1980 to 2107.
// A time that is unknown or outside that range is "(不明)".
std::string TimeText(std::optional<std::int64_t> modified);
// The same for a local time already broken down.
std::string TimeText(const std::tm& local);

Row MakeRow(const FolderEntry& entry);

// Names as people read them: letters without regard to case first, on a tie lower case
// before upper case, then the bytes. Negative, zero or positive.
int CompareText(const std::string& a, const std::string& b);

// The order of two rows for a signed sort state: its absolute value is the column (0 none),
// a negative state reverses the result. By name a folder comes before a file; by size a folder
// counts as -1 KB.
int CompareRows(const Row& a, const Row& b, int sortState);
void SortRows(std::vector<Row>& rows, int sortState);

// The sort state after a click on column 1 to 4: the same column again reverses the direction,
// another column sorts ascending by it.
int NextSortState(int sortState, int column);

} // namespace tavolin::browse
