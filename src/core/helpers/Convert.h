#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavolin {

// A colour as red, green, blue; `system` names a colour of the desktop's theme that the
// user interface looks up when it draws (the window's button face, for instance).
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    // Non-empty for a system colour: "clBtnFace", "clWindow", ... The RGB fields then hold
    // the classic default of that colour.
    std::string system;
    bool none = false; // "clNone"

    friend bool operator==(const Colour&, const Colour&) = default;
};

// A colour text of the settings file: a name such as "clLime" (any case), a "$"-hexadecimal
// or decimal number with red in the lowest byte, or a number 0 to 19 of the old colour
// table. Throws ConversionError for anything else.
Colour ColourFromText(const std::string& text);

// ColourFromText, or the colour `fallback` names when the text is none.
Colour ColourFromTextOr(const std::string& text, const std::string& fallback);

// The settings file's form of a colour: its name when it has one, else "$" and
// eight hexadecimal digits, 00-blue-green-red ("$00E1FFFF").
std::string ColourToText(const Colour& colour);

// The program's integer conversion: optional leading blanks, optional sign, then decimal
// digits, or a hexadecimal number introduced by "$" or "0x". Nothing when the text is not
// a 32-bit integer.
std::optional<std::int32_t> ToInteger(const std::string& text);

// An ASCII capital letter in lower case; any other byte as it is.
char FoldAscii(char c);
// Whether two texts are equal with ASCII letters folded; every other byte (each of a
// multibyte UTF-8 character) compares as it is.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// The text with its ASCII letters in lower case.
std::string LowerAscii(std::string text);

// The value of a hexadecimal digit, or -1.
int HexDigit(char c);

// Like ToInteger, but throws ConversionError("'text' は整数ではありません").
std::int32_t StrToInt(const std::string& text);

// The size column of the browse dialog ("1,234KB"): the number without the unit and commas;
// -1 for an empty text. Throws ConversionError when the rest is not a number.
std::int64_t ParseSizeText(const std::string& text);

} // namespace tavolin
