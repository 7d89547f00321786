// The Phoenix PG picture: "PG", byte 3 a palette flag, the size at 10 and 12, then four
// bit planes. Some PG files leave 10 and 12 at 0 and carry the size in a sub-header,
// marked by 00 80 at 4 (ordinary files hold 0A 00 there):
//   16      not used
//   17      u16 R: bits 0-14 the row count; bit 15 set: each plane row has one byte more
//   19      u16 N: 16-pixel words per row
//   21..27  screen placement, not used
//   28      the four planes, plane 0 first, each rows x P bytes, the first row at the top,
//           P = 2N (+1), the picture 8P pixels wide
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t PG_SIZE_AT = 10;      // width, then height at 12
constexpr std::size_t PG_PALETTE_FLAG_AT = 3;
constexpr std::uint8_t PG_OWN_PALETTE = 1;  // byte 3: the picture carries its palette table
// Without its own palette the planes follow the 18-byte header. With it, the entry count
// (16) stands at 10, the 16 entries (reserved, red, green, blue; 6-bit) from 12, the size
// after them at 76 and 78, two unused words, and the planes from 84.
constexpr std::size_t PG_HEADER_SIZE = 18;
constexpr std::uint64_t PG_PLANES_AT = PG_HEADER_SIZE;
constexpr unsigned PG_COLORS = 16;
constexpr std::size_t PG_PALETTE_AT = 12;
constexpr std::size_t PG_PALETTE_ENTRY = 4;
constexpr std::size_t PG_OWN_SIZE_AT = PG_PALETTE_AT + PG_COLORS * PG_PALETTE_ENTRY;  // 76
constexpr std::uint64_t PG_OWN_PLANES_AT = PG_OWN_SIZE_AT + 8;                       // 84
constexpr std::size_t PG_SUBHEADER_READ = 21;
constexpr std::uint64_t PG_SUBHEADER_PLANES_AT = 28;

struct PgSubHeader {
    std::uint32_t rows = 0;
    std::uint32_t planeRowBytes = 0;  // P
    std::uint32_t width = 0;          // 8P
};

// True, with the picture's size, when the first PG_SUBHEADER_READ bytes of a PG file
// (zero past its end) carry the size sub-header: byte 3 not 1, the size at 10 and 12
// both 0, 00 80 at 4, a row count and a word count that are not 0, and a width that
// fits the descriptor's 16 bits.
bool pg_sub_header(const std::uint8_t* head, PgSubHeader& sub);
