// Intel pictures: GRFX (packed 4-bit rows with a 16-entry 6-bit palette), the lh5
// containers of GRFX and PG pictures, and the TEXTLOGO container (a text screen of
// character and attribute bytes over its own 8 x 16 font).
#include <algorithm>
#include <array>
#include <map>

#include "codec/lh5_encode.h"
#include "core/format_string.h"
#include "encode/encoders.h"
#include "formats/intel_layout.h"
#include "formats/textlogo_layout.h"

Bytes encode_grfx(const IndexedPicture& picture)
{
    Bytes out;
    put_text(out, "GRFX");
    pad_to(out, GRFX_DATA_OFFSET_AT);
    put_u16(out, static_cast<unsigned>(GRFX_USUAL_DATA_OFFSET - GRFX_DATA_BIAS));
    pad_to(out, GRFX_WIDTH_AT);
    put_u16(out, picture.width);
    put_u16(out, picture.height);  // GRFX_HEIGHT_AT
    pad_to(out, GRFX_PALETTE_AT);
    put_palette(out, picture, GRFX_PALETTE_SIZE / 3, ChannelOrder::rgb);
    pad_to(out, GRFX_USUAL_DATA_OFFSET);
    // The width is even: two pixels a byte, the left one in the high four bits.
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < picture.width; x += 2)
            put_u8(out, (picture.at(x, y) & 0x0F) << 4 | (x + 1 < picture.width ? picture.at(x + 1, y) & 0x0F : 0));
    return out;
}

namespace {

// The compressed GRFX container's packed size is two bytes' sum of 64 KiB units.
constexpr std::uint32_t MAX_GRFX_UNITS = 2 * 255;

Bytes lh5(const Bytes& data)
{
    return lh5_encode(data, Lh5EncodeOptions{INTEL_LH5_WINDOW_BITS});
}

}  // namespace

Bytes pack_compressed_grfx(const Bytes& grfx, std::string& refusal)
{
    const Bytes packed = lh5(grfx);
    const std::uint32_t units =
        static_cast<std::uint32_t>((packed.size() + GRFX_CONTAINER_PACKED_UNIT - 1) / GRFX_CONTAINER_PACKED_UNIT);
    if (units > MAX_GRFX_UNITS) {
        refusal = format_string("Compressed GRFX holds at most %u packed bytes; this picture packs to %zu",
                                MAX_GRFX_UNITS * GRFX_CONTAINER_PACKED_UNIT, packed.size());
        return {};
    }
    // The two bytes that count the units, and the two after them, must each differ from
    // their counterpart in "LOGO", or the file reads as a GRFXLOGO container.
    unsigned first = units < 255 ? (units == 0 ? 1 : units) : 255;
    unsigned second = units > first ? units - first : 0;
    if (first == 'L') {
        --first;
        ++second;
    }
    if (second == 'O') {
        --first;
        ++second;
    }
    Bytes out;
    pad_to(out, INTEL_TAG_OFFSET);
    put_text(out, "GRFX");
    put_u8(out, first);   // GRFX_CONTAINER_NOT_LOGO_AT
    put_u8(out, second);
    put_u8(out, 0);
    put_u8(out, 0);
    put_u32(out, static_cast<std::uint32_t>(grfx.size()));  // GRFX_CONTAINER_UNPACKED_AT
    out.insert(out.end(), packed.begin(), packed.end());     // GRFX_CONTAINER_DATA
    return out;
}

Bytes pack_compressed_pg(const Bytes& pg)
{
    const Bytes packed = lh5(pg);
    // The fields in a header of zeros, then the stream.
    std::array<std::uint8_t, PG_CONTAINER_DATA> header{};
    for (std::size_t i = 0; i < sizeof PG_CONTAINER_MARK; ++i)
        header[PG_CONTAINER_MARK_AT + i] = PG_CONTAINER_MARK[i];
    Bytes out(header.begin(), header.end());
    patch_u32(out, PG_CONTAINER_UNPACKED_AT, static_cast<std::uint32_t>(pg.size()));
    patch_u32(out, PG_CONTAINER_PACKED_AT, static_cast<std::uint32_t>(packed.size()));
    out.resize(out.size() + packed.size());
    std::copy(packed.begin(), packed.end(), out.begin() + PG_CONTAINER_DATA);
    return out;
}

Bytes encode_textlogo(const CellPicture& cells, std::string& refusal)
{
    // Equal glyphs share one entry of the font, numbered in order of first use.
    using Glyph = std::array<std::uint8_t, TEXTLOGO_GLYPH_HEIGHT>;
    std::map<Glyph, std::uint8_t> numbers;
    Bytes font;
    Bytes screen;
    const std::size_t count = static_cast<std::size_t>(cells.columns) * cells.rows;
    std::size_t distinct = 0;
    for (std::size_t cell = 0; cell < count; ++cell) {
        Glyph glyph;
        std::copy_n(cells.glyphs.begin() + cell * TEXTLOGO_GLYPH_HEIGHT, TEXTLOGO_GLYPH_HEIGHT, glyph.begin());
        auto found = numbers.find(glyph);
        if (found == numbers.end()) {
            ++distinct;
            if (distinct > TEXTLOGO_MAX_GLYPHS)
                continue;  // only counted, for the refusal
            found = numbers.emplace(glyph, static_cast<std::uint8_t>(distinct - 1)).first;
            font.insert(font.end(), glyph.begin(), glyph.end());
        }
        put_u8(screen, found->second);
        put_u8(screen, cells.attributes[cell]);
    }
    if (distinct > TEXTLOGO_MAX_GLYPHS) {
        refusal = format_string("TEXTLOGO holds %u different glyphs; this picture needs %zu (choose a smaller size "
                                "or a simpler picture)",
                                TEXTLOGO_MAX_GLYPHS, distinct);
        return {};
    }
    const std::size_t origin = static_cast<std::size_t>(TEXTLOGO_CONTAINER_ORIGIN);
    const unsigned glyphs = static_cast<unsigned>(font.size() / TEXTLOGO_GLYPH_HEIGHT);
    Bytes out;
    pad_to(out, origin);
    put_text(out, "TEXTLOGO");
    pad_to(out, origin + TEXTLOGO_HEADER_LENGTH_AT);
    put_u16(out, TEXTLOGO_HEADER_LENGTH);
    put_u16(out, TEXTLOGO_HEADER_LENGTH + glyphs * TEXTLOGO_GLYPH_HEIGHT);  // TEXTLOGO_MAP_AT
    put_u16(out, glyphs * 8);                                               // TEXTLOGO_FONT_SIZE_AT
    pad_to(out, origin + TEXTLOGO_COLUMNS_AT);
    put_u16(out, cells.columns);
    put_u16(out, cells.rows);  // TEXTLOGO_ROWS_AT
    pad_to(out, origin + TEXTLOGO_HEADER_LENGTH);
    out.insert(out.end(), font.begin(), font.end());
    out.insert(out.end(), screen.begin(), screen.end());
    return out;
}
