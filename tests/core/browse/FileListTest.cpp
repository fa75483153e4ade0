#include "core/browse/FileList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavolin::browse {
namespace {

TEST(FileListColumns, SizeExtensionAndTimeTexts) {
    struct SizeCase {
        bool directory;
        std::uint64_t bytes;
        std::string text;
    };
    for (const SizeCase& c : std::vector<SizeCase>{
             {false, 0, "0KB"},
             {false, 1, "1KB"},
             {false, 1023, "1KB"},
             {false, 1024, "1KB"},
             {false, 2047, "1KB"},
             {false, 2048, "2KB"},
             {false, 1234ull * 1024 + 1023, "1,234KB"},
             {false, 1024ull * 1024 * 1024, "1,048,576KB"},
             {true, 4096, ""},
         }) {
        EXPECT_EQ(SizeText(c.directory, c.bytes), c.text) << c.bytes;
    }

    struct ExtensionCase {
        bool directory;
        std::string name, text;
    };
    for (const ExtensionCase& c : std::vector<ExtensionCase>{
             {false, "a.txt", "TXT"},
             {false, "archive.tar.gz", "GZ"},
             {false, "README", ""},
             {false, "trailing.", ""},
             {false, ".bashrc", "BASHRC"},
             {false, "メモ.Txt", "TXT"},
             {true, "config.d", ""},
         }) {
        EXPECT_EQ(ExtensionText(c.directory, c.name), c.text) << c.name;
    }

    struct TimeCase {
        int year, month, day, hour, minute, second;
        std::string text;
    };
    for (const TimeCase& c : std::vector<TimeCase>{
             {2024, 5, 6, 7, 8, 10, "2024/05/06 07:08:10"},
             {2024, 5, 6, 7, 8, 9, "2024/05/06 07:08:08"}, // two-second steps
             {2024, 12, 31, 23, 59, 59, "2024/12/31 23:59:58"},
             {2024, 5, 6, 0, 0, 0, "2024/05/06"}, // midnight: the date alone
             {2024, 5, 6, 0, 0, 1, "2024/05/06"},
             {2024, 5, 6, 0, 0, 2, "2024/05/06 00:00:02"},
             {1980, 1, 1, 12, 0, 0, "1980/01/01 12:00:00"},
             {1979, 12, 31, 12, 0, 0, "(不明)"}, // before the packed form's range
             {2108, 1, 1, 12, 0, 0, "(不明)"},
         }) {
        std::tm local{};
        local.tm_year = c.year - 1900;
        local.tm_mon = c.month - 1;
        local.tm_mday = c.day;
        local.tm_hour = c.hour;
        local.tm_min = c.minute;
        local.tm_sec = c.second;
        EXPECT_EQ(TimeText(local), c.text) << c.text;
    }
    EXPECT_EQ(TimeText(std::nullopt), "(不明)");

    const Row row = MakeRow(FolderEntry{"notes.md", false, 3000, std::nullopt});
    EXPECT_EQ(row.Text(kName), "notes.md");
    EXPECT_EQ(row.Text(kSize), "2KB");
    EXPECT_EQ(row.Text(kExtension), "MD");
    EXPECT_EQ(row.Text(kTime), "(不明)");
}

TEST(FileListSort, EachColumnBothWaysWithFoldersKeptTogether) {
    const auto row = [](const char* name, bool directory, const char* size, const char* time) {
        return Row{name, directory, size, ExtensionText(directory, name), time};
    };
    const std::vector<Row> rows{
        row("b.txt", false, "3KB", "2024/01/03"),     row("Zeta", true, "", "2024/01/01 10:00:00"),
        row("a.doc", false, "12KB", "(不明)"),        row("alpha", true, "", "2024/01/02"),
        row("B.txt", false, "1,024KB", "2024/01/01"), row("c", false, "0KB", "2024/01/01 09:00:00"),
    };
    const auto names = [&](int sortState) {
        std::vector<Row> sorted = rows;
        SortRows(sorted, sortState);
        std::vector<std::string> out;
        for (const Row& r : sorted)
            out.push_back(r.name);
        return out;
    };
    using Names = std::vector<std::string>;
    // By name: folders first, letters without regard to case, lower case first on a tie.
    EXPECT_EQ(names(kName), (Names{"alpha", "Zeta", "a.doc", "b.txt", "B.txt", "c"}));
    // Descending reverses the whole comparison: the folders end up last.
    EXPECT_EQ(names(-kName), (Names{"c", "B.txt", "b.txt", "a.doc", "Zeta", "alpha"}));
    // By size: folders count as -1 KB; "1,024KB" is a number, not a text.
    EXPECT_EQ(names(kSize), (Names{"Zeta", "alpha", "c", "b.txt", "a.doc", "B.txt"}));
    EXPECT_EQ(names(-kSize), (Names{"B.txt", "a.doc", "b.txt", "c", "Zeta", "alpha"}));
    // By extension text (folders and "c" have none); equal keys keep the listing's order.
    EXPECT_EQ(names(kExtension), (Names{"Zeta", "alpha", "c", "a.doc", "b.txt", "B.txt"}));
    // By time text: midnight's date alone comes before the times of that day.
    EXPECT_EQ(names(kTime), (Names{"a.doc", "B.txt", "c", "Zeta", "alpha", "b.txt"}));
    EXPECT_EQ(names(-kTime), (Names{"b.txt", "alpha", "Zeta", "c", "B.txt", "a.doc"}));
    EXPECT_EQ(names(0), (Names{"b.txt", "Zeta", "a.doc", "alpha", "B.txt", "c"}));

    struct Click {
        int state, column, next;
    };
    for (const Click& c : std::vector<Click>{{kName, kName, -kName},
                                             {-kName, kName, kName},
                                             {kName, kSize, kSize},
                                             {-kTime, kExtension, kExtension},
                                             {0, kTime, kTime},
                                             {-kSize, kSize, kSize}}) {
        EXPECT_EQ(NextSortState(c.state, c.column), c.next) << c.state << " " << c.column;
    }
}

} // namespace
} // namespace tavolin::browse
