#pragma once

#include <cstdint>

// The tables behind the code page 932 codec, defined in the generated Cp932Table.cpp
// (tools/gen_cp932_table.py). Internal to the codec: use Cp932.h.
namespace tavolin::text::detail {

// Lead bytes 0x81-0x9F and 0xE0-0xFC make 60 rows; trail bytes 0x40-0xFC 189 columns
// (0x7F is inside that range but is never a trail, its entries are 0).
inline constexpr int kCp932LeadRows = 60;
inline constexpr int kCp932TrailFirst = 0x40;
inline constexpr int kCp932TrailCount = 0xFC - 0x40 + 1;

// The row of a lead byte in kCp932Double.
constexpr int Cp932LeadRow(unsigned char lead) {
    return lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
}

// Unicode of each single byte; kCp932NoSingle for lead bytes and invalid bytes.
inline constexpr std::uint16_t kCp932NoSingle = 0xFFFF;
extern const std::uint16_t kCp932Single[256];

// Unicode of each lead/trail pair, indexed by
// Cp932LeadRow(lead) * kCp932TrailCount + (trail - kCp932TrailFirst); 0 when the pair has none.
extern const std::uint16_t kCp932Double[kCp932LeadRows * kCp932TrailCount];

// Unicode to code, in two levels: kCp932EncodeCodes[kCp932EncodePage[c >> 8]][c & 0xFF].
// 0 means no code; a value below 0x100 is a single byte; other values are lead << 8 | trail.
// ASCII has no entries: it is its own code. Only BMP characters have codes.
extern const std::uint8_t kCp932EncodePage[256];
extern const std::uint16_t kCp932EncodeCodes[][256];

} // namespace tavolin::text::detail
