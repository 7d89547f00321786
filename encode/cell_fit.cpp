#include "encode/cell_fit.h"

#include <array>

#include "formats/standard_colors.h"

namespace {

constexpr unsigned TEXT_COLORS = 16;
using Distances = std::array<std::uint32_t, TEXT_COLORS>;

std::array<std::array<std::uint8_t, 3>, TEXT_COLORS> text_colors()
{
    std::array<std::array<std::uint8_t, 3>, TEXT_COLORS> colors{};
    for (unsigned i = 0; i < TEXT_COLORS; ++i)
        standard_color_rgb(i, colors[i].data());
    return colors;
}

// Squared error of a cell drawn with foreground fg and background bg, each pixel taking
// the nearer of the two.
std::uint64_t pair_error(const std::vector<Distances>& pixels, unsigned fg, unsigned bg)
{
    std::uint64_t error = 0;
    for (const Distances& d : pixels)
        error += d[fg] < d[bg] ? d[fg] : d[bg];
    return error;
}

}  // namespace

CellPicture fit_cells(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, unsigned cellHeight,
                      const std::vector<std::uint8_t>& preferred)
{
    CellPicture cells;
    cells.columns = width / CELL_WIDTH;
    cells.rows = height / cellHeight;
    cells.cellHeight = cellHeight;
    const std::size_t count = static_cast<std::size_t>(cells.columns) * cells.rows;
    cells.attributes.assign(count, 0);
    cells.glyphs.assign(count * cellHeight, 0);
    const auto colors = text_colors();

    std::vector<Distances> pixels(CELL_WIDTH * cellHeight);
    for (unsigned r = 0; r < cells.rows; ++r) {
        for (unsigned c = 0; c < cells.columns; ++c) {
            const std::size_t cell = static_cast<std::size_t>(r) * cells.columns + c;
            for (unsigned j = 0; j < cellHeight; ++j) {
                const std::uint8_t* row = rgb + ((static_cast<std::size_t>(r) * cellHeight + j) * width + c * CELL_WIDTH) * 3;
                for (unsigned b = 0; b < CELL_WIDTH; ++b)
                    for (unsigned n = 0; n < TEXT_COLORS; ++n) {
                        std::uint32_t sum = 0;
                        for (unsigned k = 0; k < 3; ++k) {
                            int diff = int(row[b * 3 + k]) - int(colors[n][k]);
                            sum += static_cast<std::uint32_t>(diff * diff);
                        }
                        pixels[j * CELL_WIDTH + b][n] = sum;
                    }
            }
            // 128 pairs over at most 8 x 16 pixels: the exhaustive search is cheap.
            unsigned bestFg = 0, bestBg = 0;
            std::uint64_t best = pair_error(pixels, 0, 0);
            for (unsigned bg = 0; bg < CELL_BACKGROUNDS; ++bg)
                for (unsigned fg = 0; fg < TEXT_COLORS; ++fg) {
                    std::uint64_t error = pair_error(pixels, fg, bg);
                    if (error < best) {
                        best = error;
                        bestFg = fg;
                        bestBg = bg;
                    }
                }
            if (cell < preferred.size() && pair_error(pixels, preferred[cell] & 0x0F, 0) == best) {
                bestFg = preferred[cell] & 0x0F;
                bestBg = 0;
            }
            cells.attributes[cell] = static_cast<std::uint8_t>(bestFg | bestBg << 4);
            for (unsigned j = 0; j < cellHeight; ++j) {
                std::uint8_t bits = 0;
                for (unsigned b = 0; b < CELL_WIDTH; ++b) {
                    const Distances& d = pixels[j * CELL_WIDTH + b];
                    if (d[bestFg] < d[bestBg])
                        bits |= static_cast<std::uint8_t>(0x80 >> b);
                }
                cells.glyphs[cell * cellHeight + j] = bits;
            }
        }
    }
    return cells;
}

std::vector<std::uint8_t> draw_cells(const CellPicture& cells)
{
    const std::uint32_t width = cells.columns * CELL_WIDTH;
    const std::uint32_t height = cells.rows * cells.cellHeight;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 0);
    const auto colors = text_colors();
    for (unsigned r = 0; r < cells.rows; ++r)
        for (unsigned c = 0; c < cells.columns; ++c) {
            const std::size_t cell = static_cast<std::size_t>(r) * cells.columns + c;
            const auto& fg = colors[cells.attributes[cell] & 0x0F];
            for (unsigned j = 0; j < cells.cellHeight; ++j) {
                const std::uint8_t bits = cells.glyphs[cell * cells.cellHeight + j];
                for (unsigned b = 0; b < CELL_WIDTH; ++b) {
                    if (!(bits & (0x80 >> b)))
                        continue;  // colour 0 is black: the buffer's zeros
                    std::uint8_t* p = rgb.data() + ((static_cast<std::size_t>(r) * cells.cellHeight + j) * width + c * CELL_WIDTH + b) * 3;
                    p[0] = fg[0];
                    p[1] = fg[1];
                    p[2] = fg[2];
                }
            }
        }
    return rgb;
}
