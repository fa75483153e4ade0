#include "core/text/Cp932.h"

#include "core/text/Cp932Table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace tavolin::text {

namespace {

using detail::kCp932Double;
using detail::kCp932EncodeCodes;
using detail::kCp932EncodePage;
using detail::kCp932Single;

// What a byte is when it starts a code page 932 character.
enum ByteKind : std::uint8_t {
    kAscii,   // 0x00-0x7F: itself
    kSingle,  // 0xA1-0xDF: half-width katakana
    kLead,    // 0x81-0x9F, 0xE0-0xFC: the first of two bytes
    kInvalid, // 0x80, 0xA0, 0xFD-0xFF
};

constexpr std::array<std::uint8_t, 256> MakeByteKinds() {
    std::array<std::uint8_t, 256> kinds{};
    for (int b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        kinds[b] = b < 0x80 ? kAscii : lead ? kLead : (b >= 0xA1 && b <= 0xDF) ? kSingle : kInvalid;
    }
    return kinds;
}

constexpr std::array<std::uint8_t, 256> kByteKinds = MakeByteKinds();

// Where the row of each lead byte starts in kCp932Double (0 for other bytes).
constexpr std::array<std::uint16_t, 256> MakeRowStarts() {
    std::array<std::uint16_t, 256> starts{};
    for (int b = 0; b < 256; ++b) {
        if (kByteKinds[b] == kLead)
            starts[b] = static_cast<std::uint16_t>(
                detail::Cp932LeadRow(static_cast<unsigned char>(b)) * detail::kCp932TrailCount);
    }
    return starts;
}

constexpr std::array<std::uint16_t, 256> kRowStarts = MakeRowStarts();

// The decoders write through a plain pointer into a buffer on the stack, one piece of input
// at a time, and append each piece's output to the result: no capacity check per character,
// no zero-filling, and a short input (one line) costs a single allocation.
constexpr std::size_t kPiece = 4096;

// A decoder writes at most 4 bytes per byte it reads (a byte escape is a 4-byte sequence).
// The last character of a piece may read up to 3 bytes past the piece's end and so write up
// to 12 bytes more than the piece's share: a 4-byte sequence escaped byte by byte.
constexpr std::size_t kMaxGrowth = 4;
constexpr std::size_t kPieceOutput = kPiece * kMaxGrowth + 12;

// Runs `decodeOne(i, end, o)`, which decodes the character (or run of ASCII) at p[i], writes
// it at o and advances both, over the whole input piece by piece.
template <typename DecodeOne>
std::string DecodeInPieces(std::size_t n, std::size_t expectedSize, DecodeOne decodeOne) {
    std::string out;
    if (n > kPiece)
        out.reserve(expectedSize);
    char buffer[kPieceOutput];
    std::size_t i = 0;
    while (i < n) {
        const std::size_t end = std::min(n, i + kPiece);
        char* o = buffer;
        while (i < end)
            decodeOne(i, end, o);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
    }
    return out;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Copies the run of ASCII bytes at p[i], 8 at a time while the input allows, stopping before
// the first word that holds a byte >= 0x80. The caller handles the bytes that remain.
inline void CopyAsciiWords(const unsigned char* p, std::size_t& i, std::size_t end, char*& o) {
    while (i + 8 <= end) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & kHighBits)
            return;
        std::memcpy(o, &word, 8);
        o += 8;
        i += 8;
    }
}

// Writes a BMP code point as UTF-8.
inline void PutBmp(char*& o, std::uint32_t c) {
    if (c < 0x80) {
        *o++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *o++ = static_cast<char>(0xC0 | (c >> 6));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *o++ = static_cast<char>(0xE0 | (c >> 12));
        *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Writes the escape of one byte, U+10FE00 + byte: F4 8F B8..BB 80..BF.
inline void PutEscape(char*& o, unsigned char b) {
    *o++ = static_cast<char>(0xF4);
    *o++ = static_cast<char>(0x8F);
    *o++ = static_cast<char>(0xB8 | (b >> 6));
    *o++ = static_cast<char>(0x80 | (b & 0x3F));
}

// The length of the valid UTF-8 sequence at p[i] (bytes before `end`), or 0 when the bytes
// there are not one: overlong forms, surrogates, code points above U+10FFFF, stray
// continuation bytes and truncated sequences are all invalid. `cp` receives the code point.
inline std::size_t ReadUtf8(const unsigned char* p, std::size_t i, std::size_t end,
                            std::uint32_t& cp) {
    const unsigned char b0 = p[i];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    const auto cont = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    const std::size_t left = end - i;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !cont(p[i + 1]))
            return 0;
        cp = (b0 & 0x1Fu) << 6 | (p[i + 1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3)
            return 0;
        const unsigned char b1 = p[i + 1];
        // E0 needs A0-BF (else overlong); ED needs 80-9F (else a surrogate).
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < lo || b1 > hi || !cont(p[i + 2]))
            return 0;
        cp = (b0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (p[i + 2] & 0x3Fu);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4)
            return 0;
        const unsigned char b1 = p[i + 1];
        // F0 needs 90-BF (else overlong); F4 needs 80-8F (else above U+10FFFF).
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (b1 < lo || b1 > hi || !cont(p[i + 2]) || !cont(p[i + 3]))
            return 0;
        cp = (b0 & 0x07u) << 18 | (b1 & 0x3Fu) << 12 | (p[i + 2] & 0x3Fu) << 6 | (p[i + 3] & 0x3Fu);
        return 4;
    }
    return 0;
}

// The code page 932 code of a non-ASCII code point, 0 when it has none.
inline std::uint16_t Cp932CodeOf(std::uint32_t cp) {
    if (cp > 0xFFFF)
        return 0;
    return kCp932EncodeCodes[kCp932EncodePage[cp >> 8]][cp & 0xFF];
}

inline const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

} // namespace

std::string DecodeCp932(std::string_view bytes) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    // Typical text grows a little: kanji 2 -> 3 bytes, half-width katakana 1 -> 3.
    return DecodeInPieces(n, n + n / 4, [p, n](std::size_t& i, std::size_t end, char*& o) {
        const unsigned char b = p[i];
        switch (kByteKinds[b]) {
        case kAscii:
            *o++ = static_cast<char>(b);
            ++i;
            CopyAsciiWords(p, i, end, o);
            return;
        case kSingle:
            PutBmp(o, kCp932Single[b]);
            ++i;
            return;
        case kLead:
            if (i + 1 < n) {
                const unsigned char t = p[i + 1];
                const unsigned column = t - unsigned{detail::kCp932TrailFirst};
                if (column < unsigned{detail::kCp932TrailCount}) {
                    const std::uint16_t c = kCp932Double[kRowStarts[b] + column];
                    if (c != 0) {
                        PutBmp(o, c);
                        i += 2;
                        return;
                    }
                    if (t != 0x7F) {
                        // A well-formed pair without a character: both bytes are kept as
                        // escapes, so that a trail byte such as 0x5C is never mistaken for
                        // the ASCII character it happens to equal.
                        PutEscape(o, b);
                        PutEscape(o, t);
                        i += 2;
                        return;
                    }
                }
            }
            // A lead byte at the end, or before a byte that cannot be a trail: only the lead
            // byte is invalid; the next byte is read on its own.
            [[fallthrough]];
        default:
            PutEscape(o, b);
            ++i;
            return;
        }
    });
}

std::optional<std::string> EncodeCp932(std::string_view utf8) {
    const unsigned char* p = Bytes(utf8);
    const std::size_t n = utf8.size();
    // Code page 932 never takes more bytes than UTF-8: 1 -> 1, 2 -> 2 or 1, 3 -> 2 or 1,
    // and a 4-byte escape becomes 1 byte.
    std::string out(n, '\0');
    char* o = out.data();
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            *o++ = static_cast<char>(p[i++]);
            CopyAsciiWords(p, i, n, o);
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t len = ReadUtf8(p, i, n, cp);
        if (len == 0)
            return std::nullopt; // not UTF-8: leave it to the UTF-8 writer, which keeps it
        i += len;
        if (IsByteEscape(cp)) {
            *o++ = static_cast<char>(cp - kByteEscapeBase);
            continue;
        }
        const std::uint16_t code = Cp932CodeOf(cp);
        if (code == 0)
            return std::nullopt;
        if (code >= 0x100)
            *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string DecodeUtf8(std::string_view bytes) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    return DecodeInPieces(n, n, [p, n](std::size_t& i, std::size_t end, char*& o) {
        if (p[i] < 0x80) {
            *o++ = static_cast<char>(p[i++]);
            CopyAsciiWords(p, i, end, o);
            return;
        }
        std::uint32_t cp = 0;
        const std::size_t len = ReadUtf8(p, i, n, cp);
        if (len == 0) {
            PutEscape(o, p[i]);
            ++i;
        } else if (IsByteEscape(cp)) {
            // The input spells an escape character itself: escaping its bytes makes the
            // encoder give back these bytes rather than the one byte it stands for.
            for (std::size_t k = 0; k < len; ++k)
                PutEscape(o, p[i + k]);
            i += len;
        } else {
            std::memcpy(o, p + i, len);
            o += len;
            i += len;
        }
    });
}

std::string EncodeUtf8(std::string_view text) {
    const unsigned char* p = Bytes(text);
    const std::size_t n = text.size();
    std::string out;
    out.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        // Everything up to the next F4, the first byte of every escape, is copied as it is.
        const void* f4 = std::memchr(p + i, 0xF4, n - i);
        const std::size_t next =
            f4 ? static_cast<std::size_t>(static_cast<const unsigned char*>(f4) - p) : n;
        out.append(text.data() + i, next - i);
        i = next;
        if (i == n)
            break;
        if (i + 3 < n && p[i + 1] == 0x8F && (p[i + 2] & 0xFC) == 0xB8 &&
            (p[i + 3] & 0xC0) == 0x80) {
            out.push_back(static_cast<char>((p[i + 2] & 0x03) << 6 | (p[i + 3] & 0x3F)));
            i += 4;
        } else {
            out.push_back(static_cast<char>(p[i]));
            ++i;
        }
    }
    return out;
}

std::size_t Cp932Length(std::string_view utf8) {
    const unsigned char* p = Bytes(utf8);
    const std::size_t n = utf8.size();
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < n) {
        std::uint32_t cp = 0;
        const std::size_t len = ReadUtf8(p, i, n, cp);
        i += std::max<std::size_t>(len, 1);
        // ASCII, a stray byte (written back as it is) and a byte escape are one byte each.
        const bool oneByte = len == 0 || cp < 0x80 || IsByteEscape(cp);
        const std::uint16_t code = oneByte ? 1 : Cp932CodeOf(cp);
        length += (code != 0 && code < 0x100) ? 1 : 2;
    }
    return length;
}

} // namespace tavolin::text
