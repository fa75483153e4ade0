#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Windows Shift-JIS with the NEC and IBM extensions) to and from UTF-8.
// Decoding loses nothing: a byte outside a valid sequence becomes the escape character
// U+10FE00 + byte, which the encoders turn back into that byte. Only a character with two
// codes comes back with the code Windows writes for it.
namespace tavolin::text {

inline constexpr char32_t kByteEscapeBase = 0x10FE00;

// Whether a code point is the escape of one undecodable byte.
constexpr bool IsByteEscape(char32_t c) {
    return c >= kByteEscapeBase && c <= kByteEscapeBase + 0xFF;
}

// Code page 932 bytes to UTF-8.
std::string DecodeCp932(std::string_view bytes);

// UTF-8 to code page 932 bytes; nothing for a character without an exact code (U+00A5 is
// not 0x5C).
std::optional<std::string> EncodeCp932(std::string_view utf8);

// Bytes that claim to be UTF-8 to UTF-8: invalid sequences, and those that spell an escape
// character, become byte escapes, so the encoder gives back exactly these bytes.
std::string DecodeUtf8(std::string_view bytes);

// Text to UTF-8 bytes: byte escapes become their byte, everything else stays.
std::string EncodeUtf8(std::string_view text);

// The length in code page 932 bytes (a character it lacks counts 2, a byte escape 1).
std::size_t Cp932Length(std::string_view utf8);

} // namespace tavolin::text
