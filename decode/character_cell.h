// Character-cell pictures (EPA, GLE, TEXTLOGO): a grid of 8-pixel-wide cells, each with a
// bitmap of one byte per pixel row (bit 7 leftmost) and a colour from the standard table.
#pragma once

#include <cstdint>

#include "core/canvas.h"

struct CellTargets {
    RgbCanvas image;     // colour a where a bit is set, colour 0 elsewhere
    RgbCanvas fontMap;   // glyphs in colour 7 on 0, with a colour-12 grid
    RgbCanvas colorMap;  // the cell's colour, with a colour-0 grid
};

// The three buffers of a character-cell load, each width x height; any may be null.
CellTargets cell_targets(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, std::uint32_t width,
                         std::uint32_t height);

// Draws the cell at grid row/column with cellHeight bitmap rows and colour index
// attribute (masked to the 16-colour table).
void render_cell(const CellTargets& targets, unsigned row, unsigned column, const std::uint8_t* bitmap,
                 unsigned cellHeight, unsigned attribute);
