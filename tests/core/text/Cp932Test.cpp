#include "core/text/Cp932.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace tavolin::text;

namespace {

// The escape of one byte as UTF-8 text.
std::string Esc(unsigned char b) {
    const char32_t c = kByteEscapeBase + b;
    return {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

std::string Hex(std::string_view s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

#ifndef _WIN32
// The reference the codec is checked against: glibc's iconv(3) here, Windows' own code page
// 932 on Windows (below).
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (Valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted, or nothing when iconv rejects any of it.
    std::optional<std::string> Convert(std::string_view in) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string input(in);
        char out[64];
        char* inPtr = input.data();
        std::size_t inLeft = input.size();
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        return std::string(out, sizeof out - outLeft);
    }

private:
    iconv_t m_cd;
};
// glibc answers some characters without a code with a best fit (U+00A5 -> 0x5C).
constexpr bool kOracleMakesBestFits = true;
#else
// Windows' code page 932 (MultiByteToWideChar and WideCharToMultiByte with 932), in the shape
// of the iconv reference: "CP932" to "UTF-8" decodes, the other way encodes. It agrees with the
// codec's table on every code but one: Windows reads the byte 0x80 as U+0080 and writes U+0080
// as 0x80, where the codec, like glibc, has no character and keeps the byte as an escape. The
// oracle leaves that one pair out (no code either way), so every other code is compared.
class Iconv {
public:
    Iconv(const char*, const char* from) : m_decode(std::string_view(from) == "CP932") {}
    bool Valid() const { return true; }

    std::optional<std::string> Convert(std::string_view in) {
        if (in.empty())
            return std::string();
        if (m_decode) {
            if (HasSingleByte80(in))
                return std::nullopt;
            const std::optional<std::wstring> wide = Wide(932, in);
            return wide ? Narrow(CP_UTF8, *wide) : std::nullopt;
        }
        const std::optional<std::wstring> wide = Wide(CP_UTF8, in);
        if (!wide || wide->find(L'\x80') != std::wstring::npos)
            return std::nullopt;
        return Narrow(932, *wide);
    }

private:
    // The byte 0x80 as a character of its own (as a trail byte it is part of a pair: 0x81 0x80
    // is "÷").
    static bool HasSingleByte80(std::string_view in) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            const auto b = static_cast<unsigned char>(in[i]);
            if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
                ++i;
            else if (b == 0x80)
                return true;
        }
        return false;
    }
    static std::optional<std::wstring> Wide(UINT codePage, std::string_view in) {
        const int size = static_cast<int>(in.size());
        const int length =
            MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
        if (length <= 0)
            return std::nullopt;
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, wide.data(), length);
        return wide;
    }
    static std::optional<std::string> Narrow(UINT codePage, const std::wstring& wide) {
        const int size = static_cast<int>(wide.size());
        // No best fit and no default character: a character without a code has none.
        BOOL usedDefault = FALSE;
        const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
        const int length =
            WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, used);
        if (length <= 0 || usedDefault)
            return std::nullopt;
        std::string out(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), length, nullptr, used);
        return out;
    }

    bool m_decode;
};
constexpr bool kOracleMakesBestFits = false;
#endif

bool IsLeadRange(int b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailRange(int b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The pairs that glibc decodes to a character which it encodes to another code: the second
// codes of characters with several (NEC row 13, NEC-selected IBM rows, IBM rows), each with
// the code the character is written back as.
const std::map<std::string, std::string>& SecondCodes() {
    static const std::map<std::string, std::string> codes = [] {
        std::map<std::string, std::string> result;
        Iconv decode("UTF-8", "CP932");
        Iconv encode("CP932", "UTF-8");
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC && IsLeadRange(lead); ++trail) {
                const std::string pair = Bytes({lead, trail});
                const std::optional<std::string> c = decode.Convert(pair);
                if (!c)
                    continue;
                const std::optional<std::string> code = encode.Convert(*c);
                if (code != pair)
                    result.emplace(pair, code.value_or(""));
            }
        }
        return result;
    }();
    return codes;
}

// The bytes a decode and encode give back: the same bytes, except that a second code of a
// character comes back as its first. Framing as the decoder frames: a lead byte takes the
// next byte with it when that byte is in the trail range.
std::string Canonical(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsLeadRange(b) && i + 1 < bytes.size() &&
            IsTrailRange(static_cast<unsigned char>(bytes[i + 1]))) {
            const std::string pair(bytes.substr(i, 2));
            const auto second = SecondCodes().find(pair);
            out += second == SecondCodes().end() ? pair : second->second;
            i += 2;
        } else {
            out += bytes[i++];
        }
    }
    return out;
}

} // namespace

// Every single byte and every lead/trail pair decodes as glibc's "CP932" decodes it; what
// glibc rejects becomes escapes that give the same bytes back.
TEST(Cp932Oracle, DecodesEveryCodeAsTheReference) {
    Iconv reference("UTF-8", "CP932");
    ASSERT_TRUE(reference.Valid());

    for (int b = 0; b < 256; ++b) {
        const std::string in = Bytes({b});
        const std::optional<std::string> theirs = reference.Convert(in);
        EXPECT_EQ(DecodeCp932(in), theirs ? *theirs : Esc(static_cast<unsigned char>(b)))
            << Hex(in);
    }

    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadRange(lead))
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            const std::string in = Bytes({lead, trail});
            const std::string ours = DecodeCp932(in);
            if (const std::optional<std::string> theirs = reference.Convert(in)) {
                ++pairs;
                ASSERT_EQ(ours, *theirs) << Hex(in);
            } else if (IsTrailRange(trail)) {
                // A pair without a character: both bytes stay escapes, so a trail such as
                // 0x5C cannot turn into a path separator.
                ASSERT_EQ(ours, Esc(static_cast<unsigned char>(lead)) +
                                    Esc(static_cast<unsigned char>(trail)))
                    << Hex(in);
            } else {
                ASSERT_EQ(ours, Esc(static_cast<unsigned char>(lead)) + DecodeCp932(in.substr(1)))
                    << Hex(in);
            }
            ASSERT_EQ(EncodeCp932(ours), Canonical(in)) << Hex(in);
        }
    }
    EXPECT_EQ(pairs, 9604);
    EXPECT_EQ(SecondCodes().size(), 191u + 9604u - 9397u);
}

// Every code point encodes as glibc encodes it when glibc's code decodes back to it; when
// glibc's answer is a best fit (U+00A5 -> 0x5C) or a silent drop (tag characters), or glibc
// has none, there is no code.
TEST(Cp932Oracle, EncodesEveryCodePointAsTheReferenceWithoutBestFit) {
    Iconv toCp932("CP932", "UTF-8");
    Iconv fromCp932("UTF-8", "CP932");
    ASSERT_TRUE(toCp932.Valid());
    ASSERT_TRUE(fromCp932.Valid());

    int encodable = 0;
    std::vector<char32_t> bestFit;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || IsByteEscape(c))
            continue;
        const std::string text = Utf8(c);
        const std::optional<std::string> ours = EncodeCp932(text);
        std::optional<std::string> theirs = toCp932.Convert(text);
        if (theirs && (theirs->empty() || fromCp932.Convert(*theirs) != text)) {
            bestFit.push_back(c);
            theirs.reset();
        }
        ASSERT_EQ(ours, theirs) << "U+" << std::hex << static_cast<std::uint32_t>(c);
        if (ours) {
            ++encodable;
            ASSERT_EQ(DecodeCp932(*ours), text)
                << "U+" << std::hex << static_cast<std::uint32_t>(c);
        }
    }
    EXPECT_EQ(encodable, 9397); // 191 single bytes, 9604 pairs, some characters with 2 or 3
    // The best fits glibc makes, which must never be ours.
    for (char32_t c : {0xA2, 0xA3, 0xA5, 0xAC, 0x2014, 0x2016, 0x203E, 0x2212, 0x301C}) {
        if (kOracleMakesBestFits) {
            EXPECT_NE(std::find(bestFit.begin(), bestFit.end(), c), bestFit.end())
                << "U+" << std::hex << static_cast<std::uint32_t>(c);
        }
        EXPECT_EQ(EncodeCp932(Utf8(c)), std::nullopt)
            << "U+" << std::hex << static_cast<std::uint32_t>(c);
    }
}

// Characters with several codes take Windows' choice: the lowest code outside the
// NEC-selected rows 0xED/0xEE.
TEST(Cp932, CharactersWithSeveralCodesTakeWindowsCode) {
    struct Row {
        const char* name;
        char32_t c;
        std::string code;
    };
    const Row rows[] = {
        {"roman-numeral-one-nec-row-13-not-ibm", 0x2160, Bytes({0x87, 0x54})},
        {"small-roman-one-ibm-not-nec-selected", 0x2170, Bytes({0xFA, 0x40})},
        {"because-jis-row-not-nec-row-13", 0x2235, Bytes({0x81, 0xE6})},
        {"not-sign-jis-row", 0xFFE2, Bytes({0x81, 0xCA})},
        {"kanji-ibm-not-nec-selected", 0x7E8A, Bytes({0xFA, 0x5C})},
        {"fullwidth-broken-bar-ibm", 0xFFE4, Bytes({0xFA, 0x55})},
        {"numero-nec-row-13", 0x2116, Bytes({0x87, 0x82})},
    };
    for (const Row& row : rows)
        EXPECT_EQ(EncodeCp932(Utf8(row.c)), row.code) << row.name;
    // The other codes still decode to the character.
    EXPECT_EQ(DecodeCp932(Bytes({0xEE, 0xEF})), Utf8(0x2170));
    EXPECT_EQ(DecodeCp932(Bytes({0xFA, 0x4A})), Utf8(0x2160));
    EXPECT_EQ(DecodeCp932(Bytes({0xED, 0x40})), Utf8(0x7E8A));
}

TEST(Cp932, UserDefinedAreaMapsToPrivateUse) {
    EXPECT_EQ(DecodeCp932(Bytes({0xF0, 0x40})), Utf8(0xE000));
    EXPECT_EQ(DecodeCp932(Bytes({0xF9, 0xFC})), Utf8(0xE757));
    EXPECT_EQ(EncodeCp932(Utf8(0xE000)), Bytes({0xF0, 0x40}));
    EXPECT_EQ(EncodeCp932(Utf8(0xE757)), Bytes({0xF9, 0xFC}));
    EXPECT_EQ(EncodeCp932(Utf8(0xE758)), std::nullopt);
}

TEST(Cp932, NoBestFit) {
    EXPECT_EQ(EncodeCp932("\u00A5"), std::nullopt);                // yen sign is not 0x5C
    EXPECT_EQ(EncodeCp932("\u203E"), std::nullopt);                // overline is not 0x7E
    EXPECT_EQ(EncodeCp932("\u301C"), std::nullopt);                // wave dash is not 0x8160
    EXPECT_EQ(EncodeCp932("C:\\Tools\\\u00A5.txt"), std::nullopt); // one such char spoils all
    EXPECT_EQ(EncodeCp932("C:\\Tools\\~.txt"), std::string("C:\\Tools\\~.txt"));
    EXPECT_EQ(EncodeCp932("\uFF5E"), Bytes({0x81, 0x60})); // fullwidth tilde has the code
    EXPECT_EQ(EncodeCp932("R\u00E9sum\u00E9"), std::nullopt);
    EXPECT_EQ(EncodeCp932("\U0001F600"), std::nullopt);
    EXPECT_EQ(EncodeCp932(Bytes({0xE3, 0x81})), std::nullopt); // not UTF-8 at all
}

// "ソ" is 0x83 0x5C: its trail byte is the ASCII backslash, and must stay inside the
// character both ways.
TEST(Cp932, TrailByte5CStaysInItsCharacter) {
    const std::string bytes = "C:\\" + Bytes({0x83, 0x5C, 0x83, 0x74, 0x83, 0x67}) + "\\a.exe";
    const std::string text = DecodeCp932(bytes);
    EXPECT_EQ(text, "C:\\\u30BD\u30D5\u30C8\\a.exe");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\\'), 2);
    EXPECT_EQ(EncodeCp932(text), bytes);
    EXPECT_EQ(Cp932Length(text), bytes.size());
}

// Any bytes decode and encode back to themselves, the invalid ones by way of escapes; only
// the second code of a character with several comes back as the character's first code.
TEST(Cp932, DecodingIsLossless) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"lone-lead-at-end", "ab" + Bytes({0x82}), "ab" + Esc(0x82)},
        {"lead-before-control", Bytes({0x82, 0x0A}), Esc(0x82) + "\n"},
        {"lead-before-del", Bytes({0x82, 0x7F}), Esc(0x82) + "\x7F"},
        {"lead-before-fd", Bytes({0x82, 0xFD}), Esc(0x82) + Esc(0xFD)},
        {"lead-before-lead", Bytes({0x82, 0x20, 0x82, 0xA0}), Esc(0x82) + " \u3042"},
        {"unassigned-row-keeps-5c-trail", Bytes({0x85, 0x5C}), Esc(0x85) + Esc(0x5C)},
        {"byte-80", Bytes({0x80}), Esc(0x80)},
        {"byte-a0", Bytes({0xA0}), Esc(0xA0)},
        {"bytes-fd-ff", Bytes({0xFD, 0xFE, 0xFF}), Esc(0xFD) + Esc(0xFE) + Esc(0xFF)},
        {"nul-kept", Bytes({'a', 0, 'b'}), std::string("a\0b", 3)},
        {"half-width-kana", Bytes({0xB1, 0xDF}), "\uFF71\uFF9F"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeCp932(row.bytes), row.text) << row.name;
        EXPECT_EQ(EncodeCp932(row.text), row.bytes) << row.name;
    }
    // A second code keeps its character, written back with the first code.
    EXPECT_EQ(EncodeCp932(DecodeCp932(Bytes({0xED, 0x40, 0x87, 0x90}))),
              Bytes({0xFA, 0x5C, 0x81, 0xE0}));

    // Random bytes, weighted towards the bytes that matter, with a fixed seed; long inputs
    // also cross the decoder's internal chunks.
    const unsigned char interesting[] = {0x00, 0x0D, 0x0A, 0x40, 0x5C, 0x7E, 0x7F, 0x80,
                                         0x81, 0x83, 0x85, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0,
                                         0xEB, 0xED, 0xEF, 0xF0, 0xFA, 0xFC, 0xFD, 0xFF};
    std::mt19937 rng(932);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t length = round % 100 == 0 ? 20000 + rng() % 5000 : rng() % 40;
        std::string bytes;
        for (std::size_t k = 0; k < length; ++k) {
            const unsigned r = rng();
            bytes += static_cast<char>(r % 2 ? interesting[(r >> 8) % sizeof interesting]
                                             : (r >> 8) & 0xFF);
        }
        const std::string text = DecodeCp932(bytes);
        ASSERT_TRUE(EncodeCp932(text) == Canonical(bytes)) << Hex(bytes);
        ASSERT_TRUE(EncodeUtf8(DecodeUtf8(bytes)) == bytes) << Hex(bytes);
        // Text holding escape characters survives a UTF-8 file too.
        ASSERT_TRUE(EncodeUtf8(DecodeUtf8(text)) == text) << Hex(bytes);
        ASSERT_EQ(Cp932Length(text), bytes.size()) << Hex(bytes);
    }
}

// Long inputs are decoded piece by piece: the inputs that grow the most (one byte to one
// 4-byte escape) must come through at every alignment, including a sequence that starts on
// the last byte of a piece and ends in the next.
TEST(Cp932, DenseEscapesAtEveryAlignment) {
    for (std::size_t offset = 0; offset < 4; ++offset) {
        // The shift is made of invalid bytes too, so that every byte grows fourfold.
        std::string unassigned(offset, '\x80');
        std::string escapeChars(offset, '\x80');
        std::string expectedCp932;
        for (std::size_t k = 0; k < offset; ++k)
            expectedCp932 += Esc(0x80);
        std::string expectedUtf8 = expectedCp932;
        while (unassigned.size() < 40000) {
            unassigned += Bytes({0x85, 0x40, 0x85, 0x5C}); // pairs of unassigned row 0x85
            expectedCp932 += Esc(0x85) + Esc(0x40) + Esc(0x85) + Esc(0x5C);
            escapeChars += Esc(0x41); // F4 8F B9 81, an escape character spelled in UTF-8
            expectedUtf8 += Esc(0xF4) + Esc(0x8F) + Esc(0xB9) + Esc(0x81);
        }
        ASSERT_TRUE(DecodeCp932(unassigned) == expectedCp932) << offset;
        ASSERT_TRUE(EncodeCp932(expectedCp932) == unassigned) << offset;
        ASSERT_TRUE(DecodeUtf8(escapeChars) == expectedUtf8) << offset;
        ASSERT_TRUE(EncodeUtf8(expectedUtf8) == escapeChars) << offset;
    }
}

// The byte length as code page 932 counts it; what it cannot hold counts as 2.
TEST(Cp932, Length) {
    struct Row {
        const char* name;
        std::string text;
        std::size_t length;
    };
    const Row rows[] = {
        {"ascii", "Notepad", 7},
        {"half-width-katakana", "\uFF71\uFF72", 2},
        {"kanji", "\u6F22\u5B57", 4},
        {"not-encodable-latin", "\u00E9", 2},
        {"not-encodable-emoji", "\U0001F600", 2},
        {"escape", Esc(0x80), 1},
        {"mixed", "a\u30BD\uFF71\u00E9" + Esc(0xFF), 7},
        {"empty", "", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Cp932Length(row.text), row.length) << row.name;
}

// Bytes that are not valid UTF-8 survive DecodeUtf8 and EncodeUtf8 unchanged.
TEST(Utf8, InvalidSequencesRoundTrip) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"valid-unchanged", "a\u00E9\u6F22\U0001F600", "a\u00E9\u6F22\U0001F600"},
        {"overlong-slash", Bytes({0xC0, 0xAF}), Esc(0xC0) + Esc(0xAF)},
        {"overlong-three", Bytes({0xE0, 0x80, 0xAF}), Esc(0xE0) + Esc(0x80) + Esc(0xAF)},
        {"overlong-four", Bytes({0xF0, 0x80, 0x80, 0xAF}),
         Esc(0xF0) + Esc(0x80) + Esc(0x80) + Esc(0xAF)},
        {"surrogate", Bytes({0xED, 0xA0, 0x80}), Esc(0xED) + Esc(0xA0) + Esc(0x80)},
        {"above-10ffff", Bytes({0xF4, 0x90, 0x80, 0x80}),
         Esc(0xF4) + Esc(0x90) + Esc(0x80) + Esc(0x80)},
        {"truncated-at-end", "a" + Bytes({0xE3, 0x81}), "a" + Esc(0xE3) + Esc(0x81)},
        {"truncated-before-ascii", Bytes({0xE3, 0x81, 'x'}), Esc(0xE3) + Esc(0x81) + "x"},
        {"stray-continuation", Bytes({0x80, 'x'}), Esc(0x80) + "x"},
        {"fe-ff", Bytes({0xFE, 0xFF}), Esc(0xFE) + Esc(0xFF)},
        {"latin1-e-acute", "R" + Bytes({0xE9}) + "sum", "R" + Esc(0xE9) + "sum"},
        // An escape character spelled in the input is itself escaped, byte by byte.
        {"escape-char-in-input", Esc(0x41), Esc(0xF4) + Esc(0x8F) + Esc(0xB9) + Esc(0x81)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeUtf8(row.bytes), row.text) << row.name;
        EXPECT_EQ(EncodeUtf8(row.text), row.bytes) << row.name;
    }
    // An escape becomes its byte in either encoding.
    EXPECT_EQ(EncodeUtf8("a" + Esc(0x83) + "b"), "a" + Bytes({0x83}) + "b");
    EXPECT_EQ(EncodeCp932("a" + Esc(0x83) + "b"), "a" + Bytes({0x83}) + "b");
}
