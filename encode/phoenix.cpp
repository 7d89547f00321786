// Phoenix PG pictures: four bit planes one after the other, top row first. A picture in
// the 16 standard colours, in their order, is written without a palette (the planes follow
// the 18-byte header); any other carries its own 16-entry palette table.
#include "encode/encoders.h"
#include "formats/pg_layout.h"
#include "formats/standard_colors.h"

namespace {

constexpr unsigned PLANES = 4;

bool is_standard_palette(const IndexedPicture& picture)
{
    if (picture.palette.size() != PG_COLORS)
        return false;
    for (unsigned i = 0; i < PG_COLORS; ++i) {
        const Rgb8 c = picture.palette[i];
        if (c.r != STANDARD_COLORS[i][1] || c.g != STANDARD_COLORS[i][2] || c.b != STANDARD_COLORS[i][3])
            return false;
    }
    return true;
}

}  // namespace

Bytes encode_pg(const IndexedPicture& picture)
{
    Bytes out;
    put_text(out, "PG");
    if (is_standard_palette(picture)) {
        pad_to(out, PG_SIZE_AT);
        put_u16(out, picture.width);
        put_u16(out, picture.height);
        pad_to(out, PG_PLANES_AT);
    } else {
        pad_to(out, PG_PALETTE_FLAG_AT);
        put_u8(out, PG_OWN_PALETTE);
        pad_to(out, PG_SIZE_AT);
        put_u16(out, PG_COLORS);  // the entry count
        for (unsigned i = 0; i < PG_COLORS; ++i) {
            const Rgb8 c = picture.entry(i);
            put_u8(out, 0);  // reserved
            put_u8(out, c.r);
            put_u8(out, c.g);
            put_u8(out, c.b);
        }
        put_u16(out, picture.width);  // PG_OWN_SIZE_AT
        put_u16(out, picture.height);
        pad_to(out, PG_OWN_PLANES_AT);
    }
    // The width is a multiple of 8: each plane row is width / 8 bytes.
    const std::size_t rowBytes = picture.width / 8;
    const std::size_t planeBytes = rowBytes * picture.height;
    const std::size_t planesAt = out.size();
    out.resize(planesAt + planeBytes * PLANES, 0);
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const unsigned index = picture.at(x, y);
            for (unsigned p = 0; p < PLANES; ++p)
                if ((index >> p) & 1u)
                    out[planesAt + p * planeBytes + y * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    return out;
}
