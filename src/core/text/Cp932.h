#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Windows Shift-JIS with the NEC and IBM extensions) to and from UTF-8.
//
// Decoding never fails and loses nothing: a byte that is not part of a valid code page 932
// sequence becomes the escape character U+10FE00 + byte, which the encoders turn back into
// that same byte. So any file survives a read and a write unchanged; the one exception is
// a character with two codes (NEC and IBM extensions), which comes back with the code
// Windows writes for it.
namespace tavolin::text {

inline constexpr char32_t kByteEscapeBase = 0x10FE00;

// Whether a code point is the escape of one undecodable byte.
constexpr bool IsByteEscape(char32_t c) {
    return c >= kByteEscapeBase && c <= kByteEscapeBase + 0xFF;
}

// Whether a byte starts a double-byte character of code page 932.
bool IsCp932LeadByte(unsigned char b);

// Code page 932 bytes to UTF-8.
std::string DecodeCp932(std::string_view bytes);

// UTF-8 to code page 932 bytes. Nothing when a character has no exact round-trip code
// (no best fit: U+00A5 is not 0x5C). Byte escapes become their byte.
std::optional<std::string> EncodeCp932(std::string_view utf8);

// Bytes that claim to be UTF-8 to UTF-8: invalid sequences become byte escapes, and so do
// the bytes of a valid sequence that spells an escape character itself, so the encoder
// gives back exactly the bytes that came in.
std::string DecodeUtf8(std::string_view bytes);

// Text to UTF-8 bytes: byte escapes become their byte, everything else stays.
std::string EncodeUtf8(std::string_view text);

// The length of a text in code page 932 bytes. A character that code page 932 cannot hold
// counts as 2; a byte escape counts as 1.
std::size_t Cp932Length(std::string_view utf8);

} // namespace tavolin::text
