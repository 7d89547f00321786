// Award EPA character-cell logos, Standard (17 x 6 cells) and NonStandard (any grid):
// a 2-byte header (columns, rows), one attribute byte per cell, then a 14-row glyph
// bitmap per cell, both in row-major cell order. The 70-byte Award mini logo, reported
// as a NonStandard EPA of 5 x 1 cells, is only the five glyphs, drawn in colour 7.
#include <cstdio>
#include <cstdlib>

#include "core/limits.h"
#include "core/owned.h"
#include "core/stream_io.h"
#include "decode/character_cell.h"
#include "decode/decoders.h"
#include "formats/epa_layout.h"

namespace {

// Drawn when the attribute table cannot be had, so the glyphs still show.
constexpr unsigned FALLBACK_ATTRIBUTE = 7;

}  // namespace

void decode_EPA(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext& load)
{
    const unsigned columns = static_cast<std::uint8_t>(d.width / EPA_CELL_WIDTH);
    const unsigned rows = static_cast<std::uint8_t>(d.height / EPA_CELL_HEIGHT);
    const std::size_t cells = static_cast<std::size_t>(columns) * rows;
    if (cells == 0)
        return;
    const CellTargets targets = cell_targets(image, fontMap, colorMap, d.width, d.height);
    std::uint8_t glyph[EPA_CELL_HEIGHT];

    // Detection gives the mini logo its own size, which no EPA file has.
    if (is_mini_logo_size(d.dataSize)) {
        ByteReader in(d.stream, 0);
        for (unsigned c = 0; c < columns; ++c) {
            in.read(glyph, sizeof glyph);
            render_cell(targets, 0, c, glyph, EPA_CELL_HEIGHT, MINI_LOGO_ATTRIBUTE);
        }
        return;
    }

    ByteReader in(d.stream, EPA_ATTRIBUTES_OFFSET);
    OwnedBytes attributes = alloc_zeroed(cells, 1);
    if (attributes) {
        in.read(attributes.get(), cells);
    } else {
        load.notice("decode_EPA(): palette alloc error\n");
        in.skip(cells);
    }

    // Attribute values above 15 are masked to the 16-colour table by render_cell: the
    // low nibble is the foreground colour of a VGA text attribute.
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) {
            in.read(glyph, sizeof glyph);
            unsigned attribute = attributes ? attributes[r * columns + c] : FALLBACK_ATTRIBUTE;
            render_cell(targets, r, c, glyph, EPA_CELL_HEIGHT, attribute);
        }
    }
}
