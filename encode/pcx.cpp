// PCX pictures as the AMI and MSI slots hold them: version 5, run-length coded, either 4
// bit planes of 1 bit (16 colours in the header's palette) or 8 bits a pixel (256 colours
// in the 769 bytes after the picture: the mark 0x0C and the entries). Palette values are
// 8-bit; the 6-bit DAC's values are written times 4, which every reader shows alike.
#include "encode/encoders.h"
#include "formats/pcx_layout.h"

namespace {

constexpr std::size_t XMAX_AT = 8;
constexpr std::size_t DPI_AT = 12;
constexpr unsigned DPI = 72;
constexpr std::size_t PLANES_AT = 65;
constexpr std::size_t PALETTE_INFO_AT = 68;  // 1: colour
constexpr std::uint8_t PALETTE_256_MARK = 0x0C;
constexpr unsigned MAX_RUN = 63;  // a run byte holds its length in six bits
constexpr unsigned DAC_SCALE = 4;  // 6-bit values as 8-bit palette values, as drawn

// The 128-byte header; bytesPerLine is even, as PCX readers require.
Bytes header(const IndexedPicture& picture, unsigned bitsPerPixel, unsigned planes, unsigned bytesPerLine)
{
    Bytes out;
    put_u8(out, PCX_MAKER);
    put_u8(out, PCX_VERSION_5);
    put_u8(out, PCX_RLE);
    put_u8(out, bitsPerPixel);  // PCX_BITS_PER_PIXEL_AT
    put_u16(out, 0);            // xmin, ymin
    put_u16(out, 0);
    pad_to(out, XMAX_AT);
    put_u16(out, picture.width - 1);
    put_u16(out, picture.height - 1);
    pad_to(out, DPI_AT);
    put_u16(out, DPI);
    put_u16(out, DPI);
    pad_to(out, PCX_HEADER_PALETTE_AT);
    put_palette(out, picture, 16, ChannelOrder::rgb, DAC_SCALE);
    pad_to(out, PLANES_AT);
    put_u8(out, planes);
    put_u16(out, bytesPerLine);  // PCX_BYTES_PER_LINE_AT
    put_u16(out, 1);             // PALETTE_INFO_AT
    pad_to(out, PCX_HEADER_SIZE);
    return out;
}

// Run-length codes one line of bytes: a run, or a value of 0xC0 and above, as a count
// byte 0xC0 | n and the value; any other value alone.
void put_line(Bytes& out, const std::uint8_t* line, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
        std::size_t run = 1;
        while (run < MAX_RUN && i + run < size && line[i + run] == line[i])
            ++run;
        if (run > 1 || line[i] >= 0xC0)
            put_u8(out, 0xC0 | run);
        put_u8(out, line[i]);
        i += run;
    }
}

unsigned even_bytes(std::uint32_t bytes)
{
    return static_cast<unsigned>((bytes + 1) / 2 * 2);
}

}  // namespace

static_assert(PALETTE_INFO_AT == PCX_BYTES_PER_LINE_AT + 2);

Bytes encode_pcx4(const IndexedPicture& picture)
{
    const unsigned bytesPerLine = even_bytes((picture.width + 7) / 8);
    Bytes out = header(picture, 1, 4, bytesPerLine);
    Bytes planes(static_cast<std::size_t>(bytesPerLine) * 4);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::fill(planes.begin(), planes.end(), 0);
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const unsigned index = picture.at(x, y);
            for (unsigned p = 0; p < 4; ++p)
                if ((index >> p) & 1u)
                    planes[p * bytesPerLine + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        // Each plane's line is coded alone: no run crosses from one plane into the next.
        for (unsigned p = 0; p < 4; ++p)
            put_line(out, planes.data() + p * bytesPerLine, bytesPerLine);
    }
    return out;
}

Bytes encode_pcx8(const IndexedPicture& picture)
{
    const unsigned bytesPerLine = even_bytes(picture.width);
    Bytes out = header(picture, 8, 1, bytesPerLine);
    Bytes line(bytesPerLine);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        for (std::uint32_t x = 0; x < picture.width; ++x)
            line[x] = picture.at(x, y);
        put_line(out, line.data(), line.size());
    }
    put_u8(out, PALETTE_256_MARK);
    put_palette(out, picture, 256, ChannelOrder::rgb, DAC_SCALE);
    return out;
}
