// Plain BMP pictures with 4 or 8 bits a pixel: the 14-byte file header, the 40-byte info
// header, a colour table of blue, green, red, 0 (the 6-bit values times 4), then the rows
// bottom-up, each filled to a multiple of 4 bytes.
#include "encode/encoders.h"
#include "formats/bmp_layout.h"

namespace {

constexpr std::uint32_t PIXELS_PER_METRE = 2835;  // 72 dpi

Bytes encode_bmp(const IndexedPicture& picture, unsigned bitCount)
{
    const unsigned entries = 1u << bitCount;
    const std::uint32_t dataOffset = BMP_HEADERS_SIZE + entries * BMP_COLOR_ENTRY_SIZE;
    const std::uint64_t rowBytes = bmp_stored_row_bytes(picture.width, bitCount);
    const std::uint64_t imageBytes = rowBytes * picture.height;
    Bytes out;
    put_text(out, "BM");
    put_u32(out, static_cast<std::uint32_t>(dataOffset + imageBytes));  // BMP_FILE_SIZE_AT
    put_u32(out, 0);
    put_u32(out, dataOffset);  // BMP_DATA_OFFSET_AT
    put_u32(out, BMP_INFO_HEADER_SIZE);
    put_u32(out, picture.width);   // BMP_WIDTH_AT
    put_u32(out, picture.height);  // BMP_HEIGHT_AT: positive, bottom row first
    put_u16(out, 1);               // BMP_PLANES_AT
    put_u16(out, bitCount);
    put_u32(out, 0);  // BMP_COMPRESSION_AT: none
    put_u32(out, static_cast<std::uint32_t>(imageBytes));
    put_u32(out, PIXELS_PER_METRE);
    put_u32(out, PIXELS_PER_METRE);
    put_u32(out, entries);  // colours used
    put_u32(out, 0);        // all important
    for (unsigned i = 0; i < entries; ++i) {
        const Rgb8 c = picture.entry(i);
        put_u8(out, from_6bit(c.b));
        put_u8(out, from_6bit(c.g));
        put_u8(out, from_6bit(c.r));
        put_u8(out, 0);
    }
    const std::size_t rowsAt = out.size();
    out.resize(rowsAt + imageBytes, 0);
    for (std::uint32_t s = 0; s < picture.height; ++s) {
        std::uint8_t* row = out.data() + rowsAt + s * rowBytes;
        const std::uint32_t y = picture.height - 1 - s;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const std::uint8_t index = picture.at(x, y);
            if (bitCount == 8)
                row[x] = index;
            else
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index & 0x0F : (index & 0x0F) << 4);
        }
    }
    return out;
}

}  // namespace

static_assert(BMP_HEADERS_SIZE == 14 + BMP_INFO_HEADER_SIZE);

Bytes encode_bmp4(const IndexedPicture& picture)
{
    return encode_bmp(picture, 4);
}

Bytes encode_bmp8(const IndexedPicture& picture)
{
    return encode_bmp(picture, 8);
}
