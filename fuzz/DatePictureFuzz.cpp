// The clock's date picture and the kilobyte figures of the information panel.

#include "FuzzSupport.h"

#include "core/watch/DatePicture.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

using namespace tavolin;

namespace {

// Whether a picture holds a letter that stands for a part of the time.
bool HasTimeLetters(std::string_view picture) {
    return picture.find_first_of("ymdahns") != std::string_view::npos;
}

void CheckKilobytes(std::uint64_t bytes) {
    const std::string shown = watch::FormatKilobytes(bytes);
    fuzz::Check(shown.size() > 2 && shown.ends_with("KB"), "a size ends in KB", shown);
    const std::string_view number(shown.data(), shown.size() - 2);
    // Groups of three digits from the right, separated by commas.
    std::uint64_t kb = 0;
    std::size_t digitsInGroup = 0;
    for (std::size_t i = number.size(); i-- > 0;) {
        const char c = number[i];
        if (c == ',') {
            fuzz::Check(digitsInGroup == 3 && i > 0, "commas split groups of three", shown);
            digitsInGroup = 0;
            continue;
        }
        fuzz::Check(c >= '0' && c <= '9', "a size is digits and commas", shown);
        ++digitsInGroup;
    }
    fuzz::Check(digitsInGroup >= 1 && digitsInGroup <= 3, "the first group has 1 to 3 digits",
                shown);
    for (const char c : number) {
        if (c != ',')
            kb = kb * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // The nearest whole kilobyte; a tie goes to the even one.
    const unsigned __int128 scaled = static_cast<unsigned __int128>(kb) * 1024;
    const unsigned __int128 exact = bytes;
    const unsigned __int128 distance = scaled > exact ? scaled - exact : exact - scaled;
    fuzz::Check(distance <= 512, "a size is the nearest kilobyte", shown);
    fuzz::Check(distance < 512 || kb % 2 == 0, "a half kilobyte rounds to even", shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    CheckKilobytes(in.ConsumeIntegral<std::uint64_t>());

    // The times the clock can show; the year is whatever the system says.
    watch::LocalTime time;
    time.year = in.ConsumeIntegralInRange(-99999, 99999);
    time.month = in.ConsumeIntegralInRange(1, 12);
    time.day = in.ConsumeIntegralInRange(1, 31);
    time.weekday = in.ConsumeIntegralInRange(0, 6);
    time.hour = in.ConsumeIntegralInRange(0, 23);
    time.minute = in.ConsumeIntegralInRange(0, 59);
    time.second = in.ConsumeIntegralInRange(0, 59);
    const std::string picture = in.ConsumeRemainingBytesAsString();

    const std::string shown = watch::FormatDate(picture, time);
    if (!HasTimeLetters(picture))
        fuzz::Check(shown == picture, "a picture without letters is copied", picture);
    // Every letter group adds at most the longest number it stands for.
    fuzz::Check(shown.size() <= picture.size() * 6 + 8, "the text stays near the picture's size",
                picture);
    // The letters are ASCII, so a multi-byte character is never split: a well-formed
    // picture gives a well-formed text.
    if (fuzz::IsWellFormedUtf8(picture))
        fuzz::Check(fuzz::IsWellFormedUtf8(shown), "a well-formed picture stays well-formed",
                    picture);
    return 0;
}
