#include "decode/character_cell.h"

#include "formats/standard_colors.h"

namespace {
constexpr unsigned CELL_WIDTH = 8;
constexpr unsigned GLYPH_COLOR = 7;
constexpr unsigned GRID_COLOR = 12;
}  // namespace

CellTargets cell_targets(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, std::uint32_t width,
                         std::uint32_t height)
{
    return {{image, width, height}, {fontMap, width, height}, {colorMap, width, height}};
}

void render_cell(const CellTargets& targets, unsigned row, unsigned column, const std::uint8_t* bitmap,
                 unsigned cellHeight, unsigned attribute)
{
    std::uint8_t color[3], black[3], glyph[3], grid[3];
    standard_color_rgb(attribute, color);
    standard_color_rgb(0, black);
    standard_color_rgb(GLYPH_COLOR, glyph);
    standard_color_rgb(GRID_COLOR, grid);
    for (unsigned j = 0; j < cellHeight; ++j) {
        for (unsigned b = 0; b < CELL_WIDTH; ++b) {
            std::uint32_t x = CELL_WIDTH * column + b;
            std::uint32_t y = cellHeight * row + j;
            bool set = (bitmap[j] >> (7 - b)) & 1;
            bool onGrid = j == cellHeight - 1 || b == CELL_WIDTH - 1;
            targets.image.put(x, y, set ? color : black);
            targets.fontMap.put(x, y, onGrid ? grid : (set ? glyph : black));
            targets.colorMap.put(x, y, onGrid ? black : color);
        }
    }
}
