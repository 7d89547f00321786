// Award EPA character-cell logos: columns and rows (one byte each), one attribute byte per
// cell (foreground low nibble, background high), one 14-row glyph per cell, and the
// 70-byte Award mark that ends every such file, copied from the file being replaced.
#include "encode/encoders.h"
#include "formats/epa_layout.h"

Bytes encode_epa(const CellPicture& cells, const std::vector<std::uint8_t>& markTail)
{
    Bytes out;
    put_u8(out, cells.columns);
    put_u8(out, cells.rows);
    out.insert(out.end(), cells.attributes.begin(), cells.attributes.end());
    out.insert(out.end(), cells.glyphs.begin(), cells.glyphs.end());
    Bytes mark(markTail.begin(), markTail.end());
    mark.resize(MINI_LOGO_SIZE, 0);  // none given: a blank mark
    out.insert(out.end(), mark.begin(), mark.end());
    return out;
}
