#include "core/browse/FileList.h"

#include "core/helpers/Convert.h"

#include <algorithm>
#include <cstdlib>

namespace tavolin::browse {

namespace {

const std::string kUnknownTime = "(不明)";

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string TwoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

int Sign(std::int64_t n) {
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

} // namespace

const std::string& Row::Text(int column) const {
    switch (column) {
    case kSize:
        return sizeText;
    case kExtension:
        return extensionText;
    case kTime:
        return timeText;
    default:
        return name;
    }
}

std::string SizeText(bool directory, std::uint64_t bytes) {
    if (directory)
        return {};
    const std::uint64_t kb = bytes > 0 && bytes < 1024 ? 1 : bytes / 1024;
    std::string digits = std::to_string(kb);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    return digits + "KB";
}

std::string ExtensionText(bool directory, const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (directory || dot == std::string::npos)
        return {};
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(), Upper);
    return extension;
}

std::string TimeText(const std::tm& local) {
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return kUnknownTime;
    const int seconds = local.tm_sec / 2 * 2;
    std::string text =
        std::to_string(year) + "/" + TwoDigits(local.tm_mon + 1) + "/" + TwoDigits(local.tm_mday);
    if (local.tm_hour != 0 || local.tm_min != 0 || seconds != 0) {
        text += " " + TwoDigits(local.tm_hour) + ":" + TwoDigits(local.tm_min) + ":" +
                TwoDigits(seconds);
    }
    return text;
}

std::string TimeText(std::optional<std::int64_t> modified) {
    if (!modified)
        return kUnknownTime;
    const auto seconds = static_cast<std::time_t>(*modified);
    const std::tm* local = std::localtime(&seconds);
    return local == nullptr ? kUnknownTime : TimeText(*local);
}

Row MakeRow(const FolderEntry& entry) {
    return Row{entry.name, entry.directory, SizeText(entry.directory, entry.size),
               ExtensionText(entry.directory, entry.name), TimeText(entry.modified)};
}

int CompareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return static_cast<unsigned char>(FoldAscii(a[i])) <
                           static_cast<unsigned char>(FoldAscii(b[i]))
                       ? -1
                       : 1;
        }
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return FoldAscii(a[i]) == a[i] ? -1 : 1; // lower case first
    }
    return 0;
}

int CompareRows(const Row& a, const Row& b, int sortState) {
    const int column = std::abs(sortState);
    int result = 0;
    if (column == kName) {
        result = a.directory != b.directory ? (a.directory ? -1 : 1) : CompareText(a.name, b.name);
    } else if (column == kSize) { // an empty size text (a folder) parses as -1
        result = Sign(ParseSizeText(a.sizeText) - ParseSizeText(b.sizeText));
    } else if (column == kExtension || column == kTime) {
        result = CompareText(a.Text(column), b.Text(column));
    }
    return sortState < 0 ? -result : result;
}

void SortRows(std::vector<Row>& rows, int sortState) {
    std::stable_sort(rows.begin(), rows.end(), [sortState](const Row& a, const Row& b) {
        return CompareRows(a, b, sortState) < 0;
    });
}

int NextSortState(int sortState, int column) {
    return column == std::abs(sortState) ? -sortState : column;
}

} // namespace tavolin::browse
