// Award EPA character-cell logos: columns and rows (one byte each), one attribute byte per
// cell (foreground low nibble, background high), one 14-row glyph per cell, and the
// 70-byte Award mark that ends every such file, copied from the file being replaced.
#include <algorithm>

#include "encode/encoders.h"
#include "formats/epa_layout.h"

Bytes encode_epa(const CellPicture& cells, const std::vector<std::uint8_t>& markTail)
{
    const std::size_t count = cells.attributes.size();
    Bytes out(EPA_ATTRIBUTES_OFFSET + count * EPA_BYTES_PER_CELL + MINI_LOGO_SIZE, 0);
    out[0] = static_cast<std::uint8_t>(cells.columns);
    out[1] = static_cast<std::uint8_t>(cells.rows);
    auto at = std::copy(cells.attributes.begin(), cells.attributes.end(), out.begin() + EPA_ATTRIBUTES_OFFSET);
    at = std::copy(cells.glyphs.begin(), cells.glyphs.end(), at);
    // No mark given: a blank one (the zeros already there).
    std::copy_n(markTail.begin(), std::min<std::size_t>(markTail.size(), MINI_LOGO_SIZE), at);
    return out;
}
