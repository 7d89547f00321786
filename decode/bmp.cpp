// BMP pictures, rows stored bottom-up, each stored row filled to 4 bytes:
//   QDIBMPbm  QDI's 8-bit BMP with its "BM" signature zeroed; pixel data always at 1,078
//   BMP8i     plain 1-, 4- or 8-bit BMP, 24-bit BMP without a palette, and the BMP that a
//             Dell NVRAM logo unpacks to; any other bit count is read as 4 bits
// Palette values lose their two low bits; 24-bit pixels are drawn as stored.
#include <cstdio>
#include <cstdlib>

#include "core/canvas.h"
#include "core/owned.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "formats/bmp_layout.h"

namespace {

constexpr std::uint64_t PALETTE_OFFSET = BMP_HEADERS_SIZE;
constexpr unsigned PALETTE_ENTRIES = BMP_PALETTE_ENTRIES;
constexpr std::size_t PALETTE_ENTRY_SIZE = BMP_COLOR_ENTRY_SIZE;
constexpr std::size_t PALETTE_BYTES = PALETTE_ENTRIES * PALETTE_ENTRY_SIZE;
constexpr std::uint8_t LOW_BITS_CLEARED = 0xFC;
constexpr unsigned PIXELS_PER_BYTE_4BIT = 2;
constexpr unsigned PIXELS_PER_ROW_WORD_4BIT = 8;  // one 4-byte stored word holds 8 pixels
constexpr unsigned NIBBLE_BITS = 4;
constexpr std::uint8_t LOW_NIBBLE = 0x0F;
constexpr unsigned PIXELS_PER_BYTE_1BIT = 8;
constexpr unsigned BYTES_PER_PIXEL_24BIT = 3;  // blue, green, red

using RgbPalette = std::uint8_t[PALETTE_ENTRIES][3];

// Reads the 256-entry colour table at 54 as it is drawn: red, green, blue, low bits cleared.
void read_bmp_palette(std::FILE* stream, RgbPalette palette)
{
    std::uint8_t raw[PALETTE_BYTES];
    read_at(stream, PALETTE_OFFSET, raw, PALETTE_BYTES);
    for (unsigned i = 0; i < PALETTE_ENTRIES; ++i) {
        const std::uint8_t* entry = raw + i * PALETTE_ENTRY_SIZE;
        palette[i][0] = entry[2] & LOW_BITS_CLEARED;
        palette[i][1] = entry[1] & LOW_BITS_CLEARED;
        palette[i][2] = entry[0] & LOW_BITS_CLEARED;
    }
}

// Draws one stored 8-bit row of rowBytes bytes: the first bmpWidth bytes are pixels, the
// rest is row fill, drawn black. Columns outside the canvas are read and dropped.
void draw_8bit_row(ByteReader& in, const RgbCanvas& canvas, std::uint32_t y, std::uint64_t rowBytes,
                   std::uint64_t bmpWidth, const RgbPalette palette, bool fillBlack)
{
    std::uint64_t shown = rowBytes < canvas.width ? rowBytes : canvas.width;
    for (std::uint64_t x = 0; x < shown; ++x) {
        std::uint8_t index = in.u8();
        if (x < bmpWidth)
            canvas.put(static_cast<std::uint32_t>(x), y, palette[index]);
        else if (fillBlack)
            canvas.put(static_cast<std::uint32_t>(x), y, 0, 0, 0);
    }
    in.skip(rowBytes - shown);
}

// Reads each stored row of rowBytes bytes, bottom row first, keeping its first keptBytes
// in row (zero past the end of the stream) and skipping the rest; draw(row, y) draws it.
// Stops at the end of the stream: the rows not reached stay black.
template <typename Draw>
void for_each_stored_row(ByteReader& in, std::uint32_t height, std::uint64_t rowBytes, std::uint8_t* row,
                         std::size_t keptBytes, Draw draw)
{
    for (std::uint32_t s = 0; s < height && !in.at_end(); ++s) {
        in.read(row, keptBytes);
        in.skip(rowBytes - keptBytes);
        draw(row, height - 1u - s);
    }
}

// Draws a 1- or 24-bit BMP: of each row the first shown = min(bitmap width, canvas width)
// pixels; columns from the bitmap width on stay black.
void draw_1bit_or_24bit(ByteReader& in, const RgbCanvas& canvas, std::uint32_t bmpWidth, unsigned bitCount,
                        const RgbPalette palette, LoadContext& load)
{
    const std::uint32_t shown = bmpWidth < canvas.width ? bmpWidth : canvas.width;
    const std::uint64_t rowBytes = bmp_stored_row_bytes(bmpWidth, bitCount);
    const std::size_t kept = bitCount == 1 ? (shown + PIXELS_PER_BYTE_1BIT - 1) / PIXELS_PER_BYTE_1BIT
                                           : static_cast<std::size_t>(shown) * BYTES_PER_PIXEL_24BIT;
    OwnedBytes row = alloc_zeroed(kept + 1, 1);
    if (!row) {
        load.notice("BMP8i() img buffer allocation error\n");
        return;
    }
    for_each_stored_row(in, canvas.height, rowBytes, row.get(), kept, [&](const std::uint8_t* bytes, std::uint32_t y) {
        for (std::uint32_t x = 0; x < shown; ++x) {
            if (bitCount == 1) {
                unsigned index = (bytes[x / PIXELS_PER_BYTE_1BIT] >> (7 - x % PIXELS_PER_BYTE_1BIT)) & 1u;
                canvas.put(x, y, palette[index]);
            } else {
                const std::uint8_t* bgr = bytes + static_cast<std::size_t>(x) * BYTES_PER_PIXEL_24BIT;
                canvas.put(x, y, bgr[2], bgr[1], bgr[0]);
            }
        }
    });
}

}  // namespace

void QDIBMPbm(std::uint8_t* image, LogoDescriptor d, LoadContext&)
{
    std::uint8_t header[BMP_HEADER_READ];
    read_at(d.stream, 0, header, BMP_HEADER_READ);
    std::uint32_t bmpWidth = rd_u32(header, BMP_WIDTH_AT);
    RgbPalette palette;
    read_bmp_palette(d.stream, palette);

    std::uint64_t rowBytes = round_up_4(bmpWidth);
    RgbCanvas canvas{image, d.width, d.height};
    ByteReader in(d.stream, QDI_PIXEL_OFFSET);
    for (std::uint32_t s = 0; s < d.height && !in.at_end(); ++s)
        draw_8bit_row(in, canvas, d.height - 1u - s, rowBytes, bmpWidth, palette, false);
}

void BMP8i(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[BMP_HEADER_READ];
    read_at(d.stream, 0, header, BMP_HEADER_READ);
    std::uint32_t dataOffset = rd_u32(header, BMP_DATA_OFFSET_AT);
    std::uint32_t bmpWidth = rd_u32(header, BMP_WIDTH_AT);
    std::uint16_t bitCount = rd_u16(header, BMP_BIT_COUNT_AT);
    long usedColors =
        (static_cast<long>(dataOffset) - static_cast<long>(PALETTE_OFFSET)) / static_cast<long>(PALETTE_ENTRY_SIZE);
    RgbPalette palette;
    read_bmp_palette(d.stream, palette);

    // The stored row width in pixels, kept to 16 bits as detection keeps it.
    auto alignedWidth = static_cast<std::uint16_t>(round_up_4(bmpWidth));
    // Fill bytes of a 4-bit row after its first bmpWidth / 2 bytes.
    unsigned partial = bmpWidth % PIXELS_PER_ROW_WORD_4BIT;
    unsigned slip = partial ? (PIXELS_PER_ROW_WORD_4BIT - partial + 1) / 2 : 0;

    load.trace("===>>> BMP8i: Width = %X, bmp.Width = %X, (Slip=%X)\n", alignedWidth, bmpWidth, slip);
    load.trace("===>>> BMP8i: DataOffset = %lXh\n", static_cast<unsigned long>(dataOffset));
    load.trace("===>>> BMP8i: UsedColors = %i\n", static_cast<int>(usedColors));
    load.trace("===>>> BMP8i: bmp.Bits = %i\n", bitCount);
    load.trace("===>>> IMAGE: (%X px) x (%X px)\n", alignedWidth, d.height);

    // Rows are placed with the image's own width as stride: for a plain BMP that is the
    // aligned width, for the unpacked Dell BMP the bitmap width, whose fill columns drop.
    RgbCanvas canvas{image, d.width, d.height};
    ByteReader in(d.stream, dataOffset);
    if (bitCount == 8) {
        for (std::uint32_t s = 0; s < d.height && !in.at_end(); ++s)
            draw_8bit_row(in, canvas, d.height - 1u - s, alignedWidth, bmpWidth, palette, true);
        return;
    }
    if (bitCount == 1 || bitCount == 24) {
        if (image)
            draw_1bit_or_24bit(in, canvas, bmpWidth, bitCount, palette, load);
        return;
    }

    // Any other bit count is read as 4 bits per pixel, high nibble first. A stored row is
    // bmpWidth / 2 bytes and slip fill bytes, the first of which holds the last pixel of an
    // odd width. The row buffer covers every column the canvas shows; columns past the
    // stored pixels read its zero-filled part.
    std::uint64_t pixelBytes = (static_cast<std::uint64_t>(bmpWidth) + 1) / PIXELS_PER_BYTE_4BIT;
    std::uint64_t storedBytes = static_cast<std::uint64_t>(bmpWidth) / PIXELS_PER_BYTE_4BIT + slip;
    std::size_t bufferBytes = canvas.width / PIXELS_PER_BYTE_4BIT + 1;
    OwnedBytes row = alloc_zeroed(bufferBytes, 1);
    if (!row) {
        load.notice("BMP8i() img buffer allocation error\n");
        return;
    }
    std::uint64_t kept = pixelBytes < bufferBytes ? pixelBytes : bufferBytes;
    for (std::uint32_t s = 0; s < d.height && !in.at_end(); ++s) {
        in.read(row.get(), static_cast<std::size_t>(kept));
        in.skip(storedBytes - kept);
        std::uint32_t y = d.height - 1u - s;
        for (std::uint32_t x = 0; x < canvas.width; x += PIXELS_PER_BYTE_4BIT) {
            std::uint8_t pair = row[x / PIXELS_PER_BYTE_4BIT];
            canvas.put(x, y, palette[pair >> NIBBLE_BITS]);
            canvas.put(x + 1, y, palette[pair & LOW_NIBBLE]);
        }
    }
}
