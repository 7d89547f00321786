// Raster pictures of TriGem, Dell and SystemSoft:
//   TriGem TM (identifier 21): BMP-like header, count/value run-length pairs unpacking to
//   4-bit rows, bottom row first, 16-entry palette of 8-bit values;
//   Dell logo version 2 (37): mode 3 packed 4-bit or mode 4 8-bit pixels, top row first,
//   with up to 256 palette entries of 8-bit values;
//   SystemSoft EPA (2) (38): one standard-colour byte per pixel after a 16-byte header.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/canvas.h"
#include "core/owned.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/standard_colors.h"

namespace {

constexpr std::size_t TM_HEADER_SIZE = 26;
constexpr std::uint64_t TM_PALETTE_OFFSET = 54;
constexpr unsigned TM_COLORS = 16;
constexpr std::size_t TM_PALETTE_ENTRY = 4;  // red, green, blue, reserved

constexpr std::size_t DELL_HEADER_SIZE = 9;
constexpr std::uint8_t DELL_MODE_4BIT = 3;
constexpr unsigned DELL_MAX_COLORS = 256;
constexpr std::size_t DELL_PALETTE_ENTRY = 4;  // blue, green, red, reserved

constexpr std::uint64_t SYSOEPA2_PIXELS_OFFSET = 16;

}  // namespace

void TMGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[TM_HEADER_SIZE];
    read_at(d.stream, 0, header, sizeof header);
    std::uint32_t dataOffset = rd_u32(header, 10);  // pixel data, as in a BMP header
    std::uint8_t palette[TM_COLORS * TM_PALETTE_ENTRY];
    read_at(d.stream, TM_PALETTE_OFFSET, palette, sizeof palette);
    if (!image)
        return;

    std::size_t size = static_cast<std::size_t>(d.width) * d.height;
    OwnedBytes unpacked = alloc_zeroed(size, 1);
    if (!unpacked) {
        load.notice("TMGFXbm() img buffer allocation error\n");
        return;
    }
    // Pairs of a count and a value; what would pass the buffer's end is dropped. A count
    // of 0 writes nothing: more such pairs than the picture has bytes are no picture data
    // but a hole or padding (a sparse file of gigabytes reads as zeros), so reading stops
    // there rather than at the end of the file.
    ByteReader reader(d.stream, dataOffset);
    std::size_t filled = 0, emptyPairs = 0;
    while (filled < size && emptyPairs <= size) {
        int count = reader.get();
        int value = reader.get();
        if (count < 0 || value < 0)
            break;
        emptyPairs += count == 0;
        std::size_t run = std::min<std::size_t>(static_cast<std::size_t>(count), size - filled);
        std::memset(unpacked.get() + filled, value, run);
        filled += run;
    }

    // Rows the pairs did not reach hold only the zero fill: they are painted in entry 0
    // rather than decoded.
    RgbCanvas canvas{image, d.width, d.height};
    std::size_t rowBytes = d.width / 2u;
    std::size_t rowsReached = rowBytes == 0 ? 0 : (filled + rowBytes - 1) / rowBytes;
    if (rowsReached < d.height)
        canvas.fill_rows(0, static_cast<std::uint32_t>(d.height - rowsReached), palette);
    for (std::uint32_t r = 0; r < d.height && r < rowsReached; ++r) {
        std::uint32_t y = d.height - 1 - r;  // the first row is the bottom of the picture
        for (std::size_t j = 0; j < rowBytes; ++j) {
            std::uint8_t pair = unpacked[r * rowBytes + j];
            auto x = static_cast<std::uint32_t>(2 * j);
            canvas.put(x, y, palette + (pair >> 4) * TM_PALETTE_ENTRY);
            canvas.put(x + 1, y, palette + (pair & 0x0F) * TM_PALETTE_ENTRY);
        }
    }
}

void decode_DELL2(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[DELL_HEADER_SIZE];
    read_at(d.stream, 0, header, sizeof header);
    std::uint8_t mode = header[2];
    std::uint16_t storedWidth = rd_u16(header, 3);
    std::uint16_t storedHeight = rd_u16(header, 5);
    std::uint16_t paletteSize = rd_u16(header, 7);

    // Indexes past the entries the file declares stay black. A declared count beyond 256
    // is kept to 256 entries; the pixels still start after the whole declared table.
    std::uint8_t colors[DELL_MAX_COLORS][3] = {};
    std::uint8_t raw[DELL_MAX_COLORS * DELL_PALETTE_ENTRY];
    unsigned entries = std::min<unsigned>(paletteSize, DELL_MAX_COLORS);
    read_at(d.stream, DELL_HEADER_SIZE, raw, entries * DELL_PALETTE_ENTRY);
    for (unsigned i = 0; i < entries; ++i) {
        const std::uint8_t* entry = raw + i * DELL_PALETTE_ENTRY;
        colors[i][0] = entry[2];
        colors[i][1] = entry[1];
        colors[i][2] = entry[0];
    }
    std::uint32_t dataOffset = DELL_HEADER_SIZE + DELL_PALETTE_ENTRY * static_cast<std::uint32_t>(paletteSize);
    load.trace("===>>> DATA IMAGE: (%X) x (%X)\n", storedWidth, storedHeight);
    load.trace("===>>> DATA IMAGE: %4.4Xh\n", dataOffset);
    if (!image)
        return;

    RgbCanvas canvas{image, d.width, d.height};
    const std::uint8_t black[3] = {0, 0, 0};
    ByteReader reader(d.stream, dataOffset);
    for (std::uint32_t y = 0; y < d.height && !reader.at_end(); ++y) {
        if (mode == DELL_MODE_4BIT) {
            // From the byte at x = stored width - 1 on, both pixels are drawn black: the
            // padding, and for an odd stored width its last pixel as well.
            for (std::uint32_t x = 0; x < d.width; x += 2) {
                std::uint8_t pair = reader.u8();
                bool beyondStored = static_cast<int>(x) >= static_cast<int>(storedWidth) - 1;
                canvas.put(x, y, beyondStored ? black : colors[pair >> 4]);
                canvas.put(x + 1, y, beyondStored ? black : colors[pair & 0x0F]);
            }
        } else {
            for (std::uint32_t x = 0; x < storedWidth; ++x)
                canvas.put(x, y, colors[reader.u8()]);
        }
    }
}

void decode_SYSOEPA2(std::uint8_t* image, LogoDescriptor d, LoadContext&)
{
    if (!image)
        return;
    RgbCanvas canvas{image, d.width, d.height};
    ByteReader reader(d.stream, SYSOEPA2_PIXELS_OFFSET);
    std::uint8_t rgb[3];
    for (std::uint32_t y = 0; y < d.height && !reader.at_end(); ++y) {
        for (std::uint32_t x = 0; x < d.width; ++x) {
            standard_color_rgb(reader.u8(), rgb);  // colour bytes past 15 keep their low four bits
            canvas.put(x, y, rgb);
        }
    }
}
