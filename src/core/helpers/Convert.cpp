#include "core/helpers/Convert.h"

#include "core/Errors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace tavolin {

namespace {

struct NamedColour {
    std::string_view name;
    std::uint8_t red, green, blue;
    bool system; // a colour of the desktop's theme; RGB is its classic default
};

// The colour names of the settings file, with the values they stand for.
constexpr std::array<NamedColour, 41> kNamedColours{{
    {"clBlack", 0, 0, 0, false},
    {"clMaroon", 128, 0, 0, false},
    {"clGreen", 0, 128, 0, false},
    {"clOlive", 128, 128, 0, false},
    {"clNavy", 0, 0, 128, false},
    {"clPurple", 128, 0, 128, false},
    {"clTeal", 0, 128, 128, false},
    {"clGray", 128, 128, 128, false},
    {"clSilver", 192, 192, 192, false},
    {"clRed", 255, 0, 0, false},
    {"clLime", 0, 255, 0, false},
    {"clYellow", 255, 255, 0, false},
    {"clBlue", 0, 0, 255, false},
    {"clFuchsia", 255, 0, 255, false},
    {"clAqua", 0, 255, 255, false},
    {"clWhite", 255, 255, 255, false},
    {"clScrollBar", 192, 192, 192, true},
    {"clBackground", 0, 128, 128, true},
    {"clActiveCaption", 0, 0, 128, true},
    {"clInactiveCaption", 128, 128, 128, true},
    {"clMenu", 192, 192, 192, true},
    {"clWindow", 255, 255, 255, true},
    {"clWindowFrame", 0, 0, 0, true},
    {"clMenuText", 0, 0, 0, true},
    {"clWindowText", 0, 0, 0, true},
    {"clCaptionText", 255, 255, 255, true},
    {"clActiveBorder", 192, 192, 192, true},
    {"clInactiveBorder", 192, 192, 192, true},
    {"clAppWorkSpace", 128, 128, 128, true},
    {"clHighlight", 0, 0, 128, true},
    {"clHighlightText", 255, 255, 255, true},
    {"clBtnFace", 192, 192, 192, true},
    {"clBtnShadow", 128, 128, 128, true},
    {"clGrayText", 128, 128, 128, true},
    {"clBtnText", 0, 0, 0, true},
    {"clInactiveCaptionText", 192, 192, 192, true},
    {"clBtnHighlight", 255, 255, 255, true},
    {"cl3DDkShadow", 0, 0, 0, true},
    {"cl3DLight", 192, 192, 192, true},
    {"clInfoText", 0, 0, 0, true},
    {"clInfoBk", 255, 255, 225, true},
}};

Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{red, green, blue, {}, false};
}

Colour FromNamed(const NamedColour& named) {
    Colour colour = Rgb(named.red, named.green, named.blue);
    if (named.system)
        colour.system = std::string(named.name);
    return colour;
}

const NamedColour& Named(std::string_view name) {
    for (const auto& named : kNamedColours) {
        if (named.name == name)
            return named;
    }
    return kNamedColours.front();
}

// The old numeric colour setting: an index into this table.
Colour FromTableNumber(std::int64_t number) {
    static constexpr std::array<std::array<std::uint8_t, 3>, 18> kTable{{
        {0, 255, 255},
        {0, 0, 0},
        {0, 0, 255},
        {128, 128, 128},
        {192, 192, 192},
        {128, 128, 128},
        {255, 0, 255},
        {0, 128, 0},
        {0, 255, 0},
        {128, 0, 0},
        {0, 0, 128},
        {128, 128, 0},
        {128, 0, 128},
        {255, 0, 0},
        {192, 192, 192},
        {0, 128, 128},
        {255, 255, 255},
        {255, 255, 0},
    }};
    if (number == 18)
        return FromNamed(Named("clBtnFace"));
    if (number == 19)
        return FromNamed(Named("clBtnText"));
    if (number < 0 || number >= static_cast<std::int64_t>(kTable.size()))
        return Rgb(0, 0, 255);
    const auto& rgb = kTable[static_cast<std::size_t>(number)];
    return Rgb(rgb[0], rgb[1], rgb[2]);
}

// Optional leading blanks, optional sign, then decimal digits or "$"/"0x" hexadecimal.
// Hexadecimal numbers take the full unsigned width and wrap, as the integer conversion of
// the settings file always has ("$FFFFFFFF" is -1).
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max,
                                         std::uint64_t hexMax) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    // A negative decimal may reach one past the positive maximum (-2147483648).
    const bool roomBelow = negative && max < std::numeric_limits<std::int64_t>::max();
    const std::uint64_t limit =
        hex ? hexMax : static_cast<std::uint64_t>(max) + (roomBelow ? 1 : 0);
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i])
                : (std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > limit)
            return std::nullopt;
    }
    std::int64_t result;
    if (hex && hexMax == std::numeric_limits<std::uint32_t>::max()) {
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        result = static_cast<std::int64_t>(value);
    }
    if (negative)
        result = -result;
    if (result < min || result > max)
        return std::nullopt;
    return result;
}

} // namespace

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), FoldAscii);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Colour ColourFromText(const std::string& text) {
    if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front()))) {
        return FromTableNumber(StrToInt(text));
    }
    if (text.size() == 6 && EqualsIgnoringCase(text, "clNone")) {
        Colour none;
        none.none = true;
        return none;
    }
    for (const auto& named : kNamedColours) {
        if (EqualsIgnoringCase(text, named.name))
            return FromNamed(named);
    }
    const auto number = ToInteger(text);
    if (!number)
        throw ConversionError("'" + text + "' は正しい色ではありません");
    const auto bits = static_cast<std::uint32_t>(*number);
    return Rgb(static_cast<std::uint8_t>(bits & 0xFF),
               static_cast<std::uint8_t>((bits >> 8) & 0xFF),
               static_cast<std::uint8_t>((bits >> 16) & 0xFF));
}

Colour ColourFromTextOr(const std::string& text, const std::string& fallback) {
    try {
        return ColourFromText(text);
    } catch (const ConversionError&) {
        return ColourFromText(fallback);
    }
}

std::string ColourToText(const Colour& colour) {
    if (colour.none)
        return "clNone";
    if (!colour.system.empty())
        return colour.system;
    for (const auto& named : kNamedColours) {
        if (!named.system && named.red == colour.red && named.green == colour.green &&
            named.blue == colour.blue) {
            return std::string(named.name);
        }
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    // "$" and eight digits, 00-blue-green-red: the form the settings file has always read.
    std::string text = "$00";
    for (const std::uint8_t byte : {colour.blue, colour.green, colour.red}) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0xF];
    }
    return text;
}

std::optional<std::int32_t> ToInteger(const std::string& text) {
    const auto value = ParseInteger(text, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max(),
                                    std::numeric_limits<std::uint32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::int32_t StrToInt(const std::string& text) {
    const auto value = ToInteger(text);
    if (!value)
        throw ConversionError("'" + text + "' は整数ではありません");
    return *value;
}

std::int64_t ParseSizeText(const std::string& text) {
    if (text.empty())
        return -1;
    std::string digits = text.size() >= 2 ? text.substr(0, text.size() - 2) : std::string();
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    const auto value = ParseInteger(digits, std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max(),
                                    std::numeric_limits<std::uint64_t>::max() >> 1);
    if (!value)
        throw ConversionError("'" + digits + "' は整数ではありません");
    return *value;
}

} // namespace tavolin
