// The Award EPA character-cell logo: byte 0 the cell columns, byte 1 the cell rows, one
// attribute byte per cell, one 14-row glyph per cell, then 70 more bytes. Those 70 bytes
// are the Award mini logo: five 8 x 14 glyphs with no header and no attributes, which
// also comes alone as a 70-byte file. Its glyphs keep their bottom row clear.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr unsigned EPA_CELL_WIDTH = 8;
constexpr unsigned EPA_CELL_HEIGHT = 14;
constexpr std::uint32_t EPA_BYTES_PER_CELL = 15;  // attribute byte and 14 glyph rows
constexpr std::uint32_t EPA_EXTRA_BYTES = 72;     // 2-byte header and the mini logo after the cells
constexpr std::uint64_t EPA_ATTRIBUTES_OFFSET = 2;

constexpr std::uint32_t MINI_LOGO_SIZE = 70;
constexpr unsigned MINI_LOGO_GLYPHS = 5;  // in one row
// Drawn in the text-mode default attribute: light grey on black.
constexpr unsigned MINI_LOGO_ATTRIBUTE = 7;

// A file of exactly 70 bytes is the mini logo: every EPA file is at least 72.
inline bool is_mini_logo_size(std::uint64_t fileSize)
{
    return fileSize == MINI_LOGO_SIZE;
}

// True when every glyph of the 70 bytes has its bottom row (byte 14g + 13) clear.
inline bool mini_logo_bottoms_clear(const std::uint8_t* bytes)
{
    for (unsigned g = 0; g < MINI_LOGO_GLYPHS; ++g)
        if (bytes[g * EPA_CELL_HEIGHT + EPA_CELL_HEIGHT - 1] != 0)
            return false;
    return true;
}
