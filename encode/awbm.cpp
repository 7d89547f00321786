// Award AWBM pictures: 16 colours in four bit planes a row, 256 colours one byte a pixel,
// each plain (palette trailer after the picture) or compressed ("Plugin AWBM": the palette
// block first, then value/count pairs whose counts carry the scrambled bit 7). The header
// keeps the true width; rows are stored as wide as the width rounded up to 8, the extra
// pixels index 0.
#include "encode/encoders.h"
#include "formats/awbm_layout.h"
#include "formats/geometry.h"

namespace {

void put_header(Bytes& out, const IndexedPicture& picture)
{
    put_text(out, "AWBM");
    put_u16(out, picture.width);   // AWBM_WIDTH_AT
    put_u16(out, picture.height);  // AWBM_HEIGHT_AT
}

// The tag and 16 entries blue first.
void put_block16(Bytes& out, const IndexedPicture& picture)
{
    put_text(out, "RGB ");
    put_palette(out, picture, AWBM_PALETTE16_BYTES / 3, ChannelOrder::bgr);
}

// The tag and 256 entries red first; tagByte is the tag's last byte (the depth mark of
// the compressed file, the blank of the plain one).
void put_block256(Bytes& out, const IndexedPicture& picture, std::uint8_t tagByte)
{
    put_text(out, "RGB");
    put_u8(out, tagByte);
    put_palette(out, picture, AWBM_PALETTE256_BYTES / 3, ChannelOrder::rgb);
}

// The rows of a 16-colour picture: per row four planes of W / 8 bytes, plane k holding
// bit k of each index, bit 7 the leftmost pixel.
Bytes planar_rows(const IndexedPicture& picture)
{
    const std::uint32_t width = round_up_8(static_cast<std::uint16_t>(picture.width));
    const std::uint32_t planeBytes = width / 8;
    Bytes rows(static_cast<std::size_t>(awbm16_picture_bytes(static_cast<std::uint16_t>(width),
                                                             static_cast<std::uint16_t>(picture.height))),
               0);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * planeBytes * AWBM16_PLANES;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const unsigned index = picture.at(x, y);
            for (unsigned p = 0; p < AWBM16_PLANES; ++p)
                if ((index >> p) & 1u)
                    row[p * planeBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return rows;
}

// One index a pixel, rows as wide as the width rounded up to 8.
Bytes indexed_rows(const IndexedPicture& picture)
{
    const std::uint32_t width = round_up_8(static_cast<std::uint16_t>(picture.width));
    Bytes rows(static_cast<std::size_t>(width) * picture.height, 0);
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < picture.width; ++x)
            rows[static_cast<std::size_t>(y) * width + x] = picture.at(x, y);
    return rows;
}

// Value/count pairs of runs of 1 to 256 equal bytes, the count's bit 7 scrambled.
void put_runs(Bytes& out, const Bytes& data)
{
    AwbmRunScrambler scrambler;
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t run = 1;
        while (run < AWBM_MAX_RUN && i + run < data.size() && data[i + run] == data[i])
            ++run;
        put_u8(out, data[i]);
        put_u8(out, static_cast<std::uint8_t>(run - 1) ^ scrambler.next_mask());
        i += run;
    }
}

}  // namespace

Bytes encode_awbm16(const IndexedPicture& picture)
{
    Bytes out;
    put_header(out, picture);
    const Bytes rows = planar_rows(picture);
    out.insert(out.end(), rows.begin(), rows.end());
    put_block16(out, picture);
    return out;
}

Bytes encode_awbm256(const IndexedPicture& picture)
{
    Bytes out;
    put_header(out, picture);
    const Bytes rows = indexed_rows(picture);
    out.insert(out.end(), rows.begin(), rows.end());
    put_block256(out, picture, ' ');
    return out;
}

Bytes encode_awbm16_compressed(const IndexedPicture& picture)
{
    Bytes out;
    put_header(out, picture);
    put_block16(out, picture);
    put_runs(out, planar_rows(picture));
    return out;
}

Bytes encode_awbm256_compressed(const IndexedPicture& picture)
{
    Bytes out;
    put_header(out, picture);
    put_block256(out, picture, AWBM_COMPRESSED_256);
    put_runs(out, indexed_rows(picture));
    return out;
}
