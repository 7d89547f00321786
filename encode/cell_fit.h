// Character cells (EPA, TEXTLOGO): each 8-pixel-wide cell shows one glyph in two of the 16
// standard text colours, a foreground 0..15 and a background 0..7 (bit 7 of a VGA text
// attribute is blink, not a bright background).
#pragma once

#include <cstdint>
#include <vector>

constexpr unsigned CELL_WIDTH = 8;
constexpr unsigned CELL_BACKGROUNDS = 8;

struct CellPicture {
    unsigned columns = 0;
    unsigned rows = 0;
    unsigned cellHeight = 0;
    std::vector<std::uint8_t> attributes;  // per cell, row-major: foreground | background << 4
    std::vector<std::uint8_t> glyphs;      // cellHeight bytes a cell, bit 7 leftmost, 1 = foreground
};

// Fits a picture of whole cells (width a multiple of 8, height of cellHeight): per cell
// the pair of least squared RGB error over its pixels, each pixel set where the
// foreground is nearer. preferred (may be empty) names a foreground per cell, taken with
// background 0 whenever it fits the cell as well as the best pair.
CellPicture fit_cells(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, unsigned cellHeight,
                      const std::vector<std::uint8_t>& preferred);

// The picture as the decoders draw the cells: the foreground where a bit is set, colour 0
// elsewhere (they do not draw the background).
std::vector<std::uint8_t> draw_cells(const CellPicture& cells);
