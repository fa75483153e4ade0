#include "core/watch/DatePicture.h"

#include <array>
#include <ctime>

namespace tavolin::watch {

namespace {

void AppendNumber(std::string& out, int value, bool twoDigits) {
    if (twoDigits && value >= 0 && value < 10)
        out += '0';
    out += std::to_string(value);
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.compare(at, prefix.size(), prefix) == 0;
}

} // namespace

LocalTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    // One thread reads the clock; the shared result of localtime is copied at once.
    const std::tm* tm = std::localtime(&now);
    if (tm == nullptr)
        return {};
    return {tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_wday,
            tm->tm_hour,        tm->tm_min,     tm->tm_sec};
}

std::string FormatDate(std::string_view picture, const LocalTime& time) {
    static constexpr std::array<std::string_view, 7> kWeekdays{"日", "月", "火", "水",
                                                               "木", "金", "土"};
    std::string out;
    out.reserve(picture.size() + 8);
    std::size_t i = 0;
    while (i < picture.size()) {
        // Longest letters first, so "mm" is never read as two "m".
        if (StartsWith(picture, i, "yyyy")) {
            out += std::to_string(time.year);
            i += 4;
        } else if (StartsWith(picture, i, "aaa")) {
            if (time.weekday >= 0 && time.weekday < 7) {
                out += kWeekdays[static_cast<std::size_t>(time.weekday)];
            }
            i += 3;
        } else if (StartsWith(picture, i, "mm") || StartsWith(picture, i, "dd") ||
                   StartsWith(picture, i, "hh") || StartsWith(picture, i, "nn") ||
                   StartsWith(picture, i, "ss")) {
            const char letter = picture[i];
            const int value = letter == 'm'   ? time.month
                              : letter == 'd' ? time.day
                              : letter == 'h' ? time.hour
                              : letter == 'n' ? time.minute
                                              : time.second;
            AppendNumber(out, value, true);
            i += 2;
        } else if (picture[i] == 'm' || picture[i] == 'd') {
            AppendNumber(out, picture[i] == 'm' ? time.month : time.day, false);
            ++i;
        } else {
            out += picture[i++];
        }
    }
    return out;
}

std::string FormatKilobytes(std::uint64_t bytes) {
    std::uint64_t kb = bytes / 1024;
    const std::uint64_t rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && kb % 2 == 1))
        ++kb;
    const std::string digits = std::to_string(kb);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 2);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out + "KB";
}

} // namespace tavolin::watch
