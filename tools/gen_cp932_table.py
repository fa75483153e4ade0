#!/usr/bin/env python3
"""Generates src/core/text/Cp932Table.cpp, the tables of the code page 932 codec.

Usage (from the repository root, on a system with glibc):

    python3 tools/gen_cp932_table.py            # writes src/core/text/Cp932Table.cpp
    python3 tools/gen_cp932_table.py -o FILE    # writes FILE instead

The reference is glibc's iconv converter "CP932", called through ctypes (standard library
only). The script asks it to decode every single byte and every lead/trail byte pair, and
builds from the answers:

  * the single-byte decode table,
  * the double-byte decode table (lead rows 0x81-0x9F and 0xE0-0xFC, trails 0x40-0xFC),
  * the encode table from Unicode to the code, as the exact inverse of decoding.

Encoding is exact round trip only: a character is encodable when some code decodes to it,
and the code chosen always decodes back to that same character. glibc's one-way best-fit
conversions (U+00A5 -> 0x5C, U+203E -> 0x7E, U+301C -> 0x8160 and so on) are left out, and
so are the tag characters U+E0000-U+E007F, which glibc silently drops.

Characters with more than one code (NEC row 13, the NEC-selected IBM extensions in rows
0xED/0xEE and the IBM extensions in rows 0xFA-0xFC) encode as Windows does: to the lowest
code that is not in rows 0xED/0xEE, or to the lowest code when only those rows hold the
character. The script checks each such choice against what glibc's iconv -t CP932 produces
and stops when the two disagree (with glibc 2.36 they agree on all 396 such characters).

Bytes that glibc does not decode (0x80, 0xA0, 0xFD-0xFF, unassigned pairs) get no table
entry; the codec turns them into byte escapes so that nothing is lost. (Windows decodes the
single bytes 0x80, 0xA0 and 0xFD-0xFF to U+0080, U+F8F0 and U+F8F1-U+F8F3; following glibc
here keeps them as the bytes they are, which writes them back the same.)

A second code of a character (0xED40, 0x8790, 0xFA4A and the like) decodes to the character
and so is written back as the character's first code, as on Windows.
"""

import argparse
import ctypes
import ctypes.util
import errno
import pathlib
import sys

LEAD_BYTES = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFC  # 0x7F lies inside this range but is never a trail
TRAIL_COUNT = TRAIL_LAST - TRAIL_FIRST + 1
NO_SINGLE = 0xFFFF


class Iconv:
    """A converter of glibc's iconv(3), used one short input at a time."""

    def __init__(self, to_code, from_code):
        self._libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self._libc.iconv_open.restype = ctypes.c_void_p
        self._libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self._libc.iconv.restype = ctypes.c_size_t
        pp = ctypes.POINTER(ctypes.c_char_p)
        ps = ctypes.POINTER(ctypes.c_size_t)
        self._libc.iconv.argtypes = [ctypes.c_void_p, pp, ps, pp, ps]
        self._cd = self._libc.iconv_open(to_code.encode(), from_code.encode())
        if self._cd in (None, ctypes.c_void_p(-1).value):
            sys.exit(f"iconv_open({to_code}, {from_code}) failed: is this glibc?")

    def convert(self, data):
        """The converted bytes, or the errno when the input is invalid or incomplete."""
        self._libc.iconv(self._cd, None, None, None, None)  # reset the shift state
        inbuf = ctypes.create_string_buffer(data, len(data))
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        inleft = ctypes.c_size_t(len(data))
        out = ctypes.create_string_buffer(64)
        outptr = ctypes.c_char_p(ctypes.addressof(out))
        outleft = ctypes.c_size_t(len(out))
        result = self._libc.iconv(self._cd, ctypes.byref(inptr), ctypes.byref(inleft),
                                  ctypes.byref(outptr), ctypes.byref(outleft))
        if result == ctypes.c_size_t(-1).value:
            return ctypes.get_errno()
        self._libc.iconv(self._cd, None, None, ctypes.byref(outptr), ctypes.byref(outleft))
        return out.raw[:len(out) - outleft.value]


def code_points(utf32be):
    return [int.from_bytes(utf32be[i:i + 4], "big") for i in range(0, len(utf32be), 4)]


def build_decode(decoder):
    """Single-byte map {byte: cp} and double-byte map {(lead, trail): cp} as glibc sees them."""
    single = {}
    leads = []
    for b in range(256):
        r = decoder.convert(bytes([b]))
        if isinstance(r, bytes):
            (cp,) = code_points(r)
            single[b] = cp
        elif r == errno.EINVAL:  # incomplete input: a lead byte waiting for its trail
            leads.append(b)
    if leads != LEAD_BYTES:
        sys.exit(f"unexpected lead bytes from glibc: {[hex(b) for b in leads]}")
    double = {}
    for lead in LEAD_BYTES:
        for trail in range(256):
            r = decoder.convert(bytes([lead, trail]))
            if not isinstance(r, bytes):
                continue
            cps = code_points(r)
            if len(cps) != 1 or not (TRAIL_FIRST <= trail <= TRAIL_LAST) or trail == 0x7F:
                sys.exit(f"unexpected decoding of {lead:02X} {trail:02X}: {cps}")
            if cps[0] == 0 or cps[0] > 0xFFFF:
                sys.exit(f"{lead:02X} {trail:02X} decodes outside the table's range")
            double[(lead, trail)] = cps[0]
    return single, double


def build_encode(single, double, encoder):
    """{cp: code} choosing, for characters with several codes, as Windows does."""
    codes_of = {}
    for b, cp in single.items():
        codes_of.setdefault(cp, []).append(b)
    for (lead, trail), cp in double.items():
        codes_of.setdefault(cp, []).append(lead << 8 | trail)

    def nec_selected(code):
        return 0xED00 <= code <= 0xEEFF

    encode = {}
    several = 0
    for cp, codes in codes_of.items():
        codes.sort()
        usual = [c for c in codes if not nec_selected(c)]
        chosen = usual[0] if usual else codes[0]
        encode[cp] = chosen
        if len(codes) > 1:
            several += 1
            r = encoder.convert(cp.to_bytes(4, "big"))
            theirs = int.from_bytes(r, "big") if isinstance(r, bytes) else None
            if theirs != chosen:
                sys.exit(f"U+{cp:04X}: codes {[hex(c) for c in codes]}, "
                         f"we choose {chosen:X}, glibc {theirs}")
    return encode, several


def fmt_rows(values, per_line, width):
    lines = []
    for i in range(0, len(values), per_line):
        chunk = values[i:i + per_line]
        lines.append("    " + ", ".join(f"0x{v:0{width}X}" for v in chunk) + ",")
    return "\n".join(lines)


def render(single, double, encode, several):
    single_table = [single.get(b, NO_SINGLE) for b in range(256)]

    double_table = []  # row by row, TRAIL_COUNT entries each
    for lead in LEAD_BYTES:
        for trail in range(TRAIL_FIRST, TRAIL_LAST + 1):
            double_table.append(double.get((lead, trail), 0))

    # Two-level encode table: page = code point >> 8; page 0 of the list is all zeros and
    # stands for every page without a character. ASCII is kept out (the codec copies it).
    pages = [[0] * 256]
    page_index = [0] * 256
    for hi in range(256):
        page = [0] * 256
        for lo in range(256):
            cp = hi << 8 | lo
            if cp >= 0x80 and cp in encode:
                page[lo] = encode[cp]
        if any(page):
            page_index[hi] = len(pages)
            pages.append(page)
    if len(pages) > 256:
        sys.exit("too many encode pages for an 8-bit page index")

    out = []
    out.append("""\
// GENERATED FILE, DO NOT EDIT.
//
// The tables of the code page 932 codec, generated by tools/gen_cp932_table.py from glibc's
// iconv converter "CP932". To regenerate, run from the repository root:
//
//     python3 tools/gen_cp932_table.py
//
// Encoding is the exact inverse of decoding (no best fit). Characters with several codes
// encode to the lowest code outside the NEC-selected rows 0xED/0xEE, as Windows does.

#include "core/text/Cp932Table.h"

// clang-format off
namespace tavolin::text::detail {
""")
    out.append(f"// {len(single)} single-byte characters; 0x{NO_SINGLE:04X} marks a lead byte or an "
               "invalid byte.")
    out.append("const std::uint16_t kCp932Single[256] = {")
    out.append(fmt_rows(single_table, 12, 4))
    out.append("};\n")
    out.append(f"// {len(double)} double-byte characters, row by row (lead 0x81-0x9F, then "
               "0xE0-0xFC),\n// trail 0x40-0xFC in each row; 0 marks a pair without a character.")
    out.append(f"const std::uint16_t kCp932Double[kCp932LeadRows * kCp932TrailCount] = {{")
    for row, lead in enumerate(LEAD_BYTES):
        out.append(f"    // lead 0x{lead:02X}, trail 0x{TRAIL_FIRST:02X}-0x{TRAIL_LAST:02X}")
        out.append(fmt_rows(double_table[row * TRAIL_COUNT:(row + 1) * TRAIL_COUNT], 12, 4))
    out.append("};\n")
    out.append("// The page of kCp932EncodeCodes for each high byte of a BMP code point.")
    out.append("const std::uint8_t kCp932EncodePage[256] = {")
    out.append(fmt_rows(page_index, 16, 2))
    out.append("};\n")
    out.append(f"// {len(encode) - 128} non-ASCII characters ({several} of them with several "
               "codes); 0 marks no code,\n// a value below 0x100 is a single byte, any other "
               "value is lead << 8 | trail.")
    out.append(f"const std::uint16_t kCp932EncodeCodes[{len(pages)}][256] = {{")
    for n, page in enumerate(pages):
        hi = page_index.index(n) if n else None
        out.append(f"    {{ // page {n}: " + (f"U+{hi:02X}00-U+{hi:02X}FF" if n else "no codes"))
        out.append("\n".join("    " + line for line in fmt_rows(page, 8, 4).split("\n")))
        out.append("    },")
    out.append("};\n")
    out.append("} // namespace tavolin::text::detail")
    out.append("// clang-format on")
    return "\n".join(out) + "\n", len(pages)


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", type=pathlib.Path,
                        default=root / "src/core/text/Cp932Table.cpp")
    args = parser.parse_args()

    decoder = Iconv("UTF-32BE", "CP932")
    encoder = Iconv("CP932", "UTF-32BE")
    single, double = build_decode(decoder)
    encode, several = build_encode(single, double, encoder)
    text, page_count = render(single, double, encode, several)

    args.output.write_text(text)
    print(f"{args.output}: {len(single)} single, {len(double)} double, "
          f"{len(encode)} encodable ({several} with several codes), {page_count} pages")


if __name__ == "__main__":
    main()
