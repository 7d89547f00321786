// The Intel TEXTLOGO header, in its container and bare. The container holds "TEXTLOGO" at
// 0x80; a bare block is the same bytes less the container's first 0x84 and starts with
// "LOGO". Every field counts from an origin where "TEXT" stands: 0x80 in the container,
// 4 bytes before the start of a bare block (never read). From the origin:
//   +4   "LOGO"
//   +8   u16 21: the header's length, the glyphs follow it
//   +10  u16 M: where the screen map starts
//   +12  u16 F: 8 x the glyph count
//   +16  columns, +18 rows (u16 each)
//   +21  the glyphs, 16 bytes each, one byte a pixel row, bit 7 leftmost
//   +21 + 16 x (F / 8): the screen, (character, attribute) byte pairs, row-major; M points
//        there in every file that fills it in
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr std::int64_t TEXTLOGO_CONTAINER_ORIGIN = 0x80;
constexpr std::int64_t BARE_LOGO_ORIGIN = -4;
constexpr std::uint16_t TEXTLOGO_HEADER_LENGTH = 21;
constexpr unsigned TEXTLOGO_GLYPH_HEIGHT = 16;
constexpr unsigned TEXTLOGO_CELL_WIDTH = 8;
constexpr unsigned TEXTLOGO_CELL_BYTES = 2;  // character, attribute
// Fields, from the origin.
constexpr std::size_t TEXTLOGO_HEADER_LENGTH_AT = 8;
constexpr std::size_t TEXTLOGO_MAP_AT = 10;
constexpr std::size_t TEXTLOGO_FONT_SIZE_AT = 12;
constexpr std::size_t TEXTLOGO_COLUMNS_AT = 16;
constexpr std::size_t TEXTLOGO_ROWS_AT = 18;
// A character byte names the glyph: a font holds at most 256.
constexpr unsigned TEXTLOGO_MAX_GLYPHS = 256;

struct TextlogoHeader {
    std::int64_t origin = TEXTLOGO_CONTAINER_ORIGIN;
    std::uint16_t headerLength = 0;
    std::uint16_t mapOffset = 0;  // M, from the origin
    std::uint16_t fontSize = 0;   // F
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;

    // File offsets of glyph 0 and of the screen that follows the glyphs.
    std::uint64_t font_offset() const { return static_cast<std::uint64_t>(origin + TEXTLOGO_HEADER_LENGTH); }
    std::uint64_t screen_offset() const
    {
        return font_offset() + static_cast<std::uint64_t>(fontSize / 8) * TEXTLOGO_GLYPH_HEIGHT;
    }
};

// Reads the header whose origin is TEXTLOGO_CONTAINER_ORIGIN or BARE_LOGO_ORIGIN (zero past
// the end of the file).
TextlogoHeader read_textlogo_header(std::FILE* stream, std::int64_t origin);

// True when "TEXTLOGO" stands at 0x80: the file is a container, whatever its first bytes.
bool has_textlogo_container_tag(std::FILE* stream);
