#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavolin::watch {

// A local date and time as the clock shows it.
struct LocalTime {
    int year = 1999;
    int month = 12;  // 1 to 12
    int day = 31;    // 1 to 31
    int weekday = 5; // 0 Sunday to 6 Saturday
    int hour = 23;   // 0 to 23
    int minute = 59;
    int second = 59;
};

// The local date and time now.
LocalTime LocalNow();

// A date picture applied to a time. The letters: "yyyy" four-digit year; "m" / "mm" month
// without / with a leading zero; "d" / "dd" day; "aaa" the short Japanese weekday (one kanji,
// 月 for Monday); "hh" hour 00-23; "nn" minute; "ss" second. Every other character, and
// every byte of a multi-byte character, is copied as it stands.
std::string FormatDate(std::string_view picture, const LocalTime& time);

// Bytes as whole kilobytes in the picture "#,##0KB": the quotient by 1024 rounded to the
// nearest integer (a half to the even neighbour), digits grouped by three with ",".
// 1,073,741,824 -> "1,048,576KB"; 1,536 -> "2KB"; 0 -> "0KB".
std::string FormatKilobytes(std::uint64_t bytes);

} // namespace tavolin::watch
