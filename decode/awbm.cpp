// Award AWBM pictures: 16 colours in four bit planes per row and 256 colours one byte
// per pixel, each either stored with a palette trailer after the picture ("AWBM16 EPA",
// "AWBM256 EPA") or packed in run pairs after a leading palette block (the compressed
// variants). Palettes hold 6-bit values: blue first for 16 colours, red first for 256.
// An AWBM16 file without a palette trailer is drawn in the standard colours.
#include <cstdio>
#include <cstdlib>

#include "core/canvas.h"
#include "core/limits.h"
#include "core/owned.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/standard_colors.h"
#include "formats/awbm_layout.h"

namespace {

constexpr std::size_t PALETTE_TAG_SIZE = AWBM_PALETTE_TAG_SIZE;  // "RGB "
constexpr std::size_t PALETTE16_BYTES = 16 * 3;
constexpr std::size_t PALETTE256_BYTES = 256 * 3;
constexpr std::size_t PALETTE16_BLOCK = PALETTE_TAG_SIZE + PALETTE16_BYTES;    // 52
constexpr std::size_t PALETTE256_BLOCK = PALETTE_TAG_SIZE + PALETTE256_BYTES;  // 772
constexpr unsigned PLANES = 4;
// Longest rows any 16-bit width gives: half a byte a pixel, and one byte a pixel.
constexpr std::size_t MAX_ROW16_BYTES = 0x10000 / 2;
constexpr std::size_t MAX_ROW256_BYTES = 0x10000;

// Unpacks value/count pairs from the reader into out (size bytes, zero-filled); runs are
// cut at the end of out. Stops at the end of the stream or when out is full; returns the
// bytes written.
std::uint64_t unpack_runs(ByteReader& in, std::uint8_t* out, std::uint64_t size)
{
    AwbmRunScrambler scrambler;
    std::uint64_t filled = 0;
    while (filled < size) {
        int value = in.get();
        int count = in.get();
        if (value < 0 || count < 0)
            break;
        unsigned copies = (static_cast<unsigned>(count) ^ scrambler.next_mask()) + 1;  // 1 to 256
        for (unsigned i = 0; i < copies && filled < size; ++i)
            out[filled++] = static_cast<std::uint8_t>(value);
    }
    return filled;
}

// Rows of rowBytes each that the unpacked bytes reached. The decoders draw those; the rest
// hold only the zero fill, index 0, and are painted in entry 0 without decoding them, so
// a short file costs no more than the rows it holds.
std::uint32_t rows_reached(std::uint64_t filled, std::size_t rowBytes)
{
    return rowBytes == 0 ? 0 : static_cast<std::uint32_t>((filled + rowBytes - 1) / rowBytes);
}

// Draws one 16-colour row of four planes of width / 8 bytes each; entries are blue, green, red.
void draw_planar_row(const RgbCanvas& canvas, std::uint32_t y, const std::uint8_t* row, std::uint32_t width,
                     const std::uint8_t* palette)
{
    const std::uint32_t planeBytes = width / 8;
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t byte = x / 8;
        const unsigned bit = 7 - x % 8;
        unsigned index = 0;
        for (unsigned p = 0; p < PLANES; ++p)
            index |= ((row[p * planeBytes + byte] >> bit) & 1u) << p;
        const std::uint8_t* entry = palette + index * 3;
        canvas.put(x, y, scale_6bit(entry[2]), scale_6bit(entry[1]), scale_6bit(entry[0]));
    }
}

// Draws one 256-colour row of one index per pixel; entries are red, green, blue.
void draw_indexed_row(const RgbCanvas& canvas, std::uint32_t y, const std::uint8_t* row, std::uint32_t width,
                      const std::uint8_t* palette)
{
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* entry = palette + row[x] * 3;
        canvas.put(x, y, scale_6bit(entry[0]), scale_6bit(entry[1]), scale_6bit(entry[2]));
    }
}

// The first 16 entries of the palette buffer take the block's bytes as stored.
void keep_palette16(std::uint8_t* paletteBuffer, const std::uint8_t* entries)
{
    if (!paletteBuffer)
        return;
    for (std::size_t i = 0; i < PALETTE16_BYTES; ++i)
        paletteBuffer[i] = entries[i];
}

}  // namespace

void AWBM16bm(std::uint8_t* image, LogoDescriptor d, LoadContext&)
{
    const std::uint32_t width = d.width;
    const std::uint32_t height = d.height;
    const std::size_t rowBytes = width / 2;
    std::uint8_t trailer[PALETTE16_BLOCK];
    read_at(d.stream, AWBM_HEADER_SIZE + awbm16_picture_bytes(d.width, d.height), trailer, sizeof trailer);
    if (!awbm_palette_tag(trailer)) {
        // No palette: the standard colours, entries blue first as a trailer holds them.
        for (unsigned i = 0; i < 16; ++i)
            for (unsigned c = 0; c < 3; ++c)
                trailer[PALETTE_TAG_SIZE + i * 3 + c] = STANDARD_COLORS[i][3 - c];
    }
    const std::uint8_t* palette = trailer + PALETTE_TAG_SIZE;
    keep_palette16(d.palette, palette);
    if (!image)
        return;

    const RgbCanvas canvas{image, width, height};
    ByteReader in(d.stream, AWBM_HEADER_SIZE);
    std::uint8_t row[MAX_ROW16_BYTES];
    for (std::uint32_t y = 0; y < height && !in.at_end(); ++y) {
        in.read(row, rowBytes);
        draw_planar_row(canvas, y, row, width, palette);
    }
}

void AWBM256bm(std::uint8_t* image, LogoDescriptor d, LoadContext&)
{
    const std::uint32_t width = d.width;
    const std::uint32_t height = d.height;
    std::uint8_t trailer[PALETTE256_BLOCK];
    read_at(d.stream, AWBM_HEADER_SIZE + static_cast<std::uint64_t>(width) * height, trailer, sizeof trailer);
    if (!image)
        return;

    const RgbCanvas canvas{image, width, height};
    ByteReader in(d.stream, AWBM_HEADER_SIZE);
    std::uint8_t row[MAX_ROW256_BYTES];
    for (std::uint32_t y = 0; y < height && !in.at_end(); ++y) {
        in.read(row, width);
        draw_indexed_row(canvas, y, row, width, trailer + PALETTE_TAG_SIZE);
    }
}

void AWBMV2bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    const std::uint32_t width = d.width;
    const std::uint32_t height = d.height;
    ByteReader in(d.stream, AWBM_HEADER_SIZE);
    std::uint8_t block[PALETTE16_BLOCK];
    in.read(block, sizeof block);
    const std::uint8_t* palette = block + PALETTE_TAG_SIZE;
    keep_palette16(d.palette, palette);
    if (!image)
        return;

    // Only the picture's bytes are kept: whatever the last run writes past them is dropped.
    const std::size_t rowBytes = width / 2;
    const std::uint64_t pictureBytes = static_cast<std::uint64_t>(rowBytes) * height;
    OwnedBytes unpacked = alloc_zeroed(pictureBytes, 1);
    if (!unpacked) {
        if (pictureBytes != 0)
            load.notice("AWBMV2bm() img buffer allocation error\n");
        return;
    }
    const std::uint32_t rows = rows_reached(unpack_runs(in, unpacked.get(), pictureBytes), rowBytes);
    const RgbCanvas canvas{image, width, height};
    for (std::uint32_t y = 0; y < rows; ++y)
        draw_planar_row(canvas, y, unpacked.get() + y * rowBytes, width, palette);
    const std::uint8_t entry0[3] = {scale_6bit(palette[2]), scale_6bit(palette[1]), scale_6bit(palette[0])};
    canvas.fill_rows(rows, height, entry0);
}

void AWBM256V2bm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    const std::uint32_t width = d.width;
    const std::uint32_t height = d.height;
    ByteReader in(d.stream, AWBM_HEADER_SIZE);
    std::uint8_t block[PALETTE256_BLOCK];
    in.read(block, sizeof block);
    if (!image)
        return;

    const std::uint64_t pictureBytes = static_cast<std::uint64_t>(width) * height;
    OwnedBytes unpacked = alloc_zeroed(pictureBytes, 1);
    if (!unpacked) {
        if (pictureBytes != 0)
            load.notice("AWBM256V2bm() img buffer allocation error\n");
        return;
    }
    const std::uint32_t rows = rows_reached(unpack_runs(in, unpacked.get(), pictureBytes), width);
    const RgbCanvas canvas{image, width, height};
    const std::uint8_t* palette = block + PALETTE_TAG_SIZE;
    for (std::uint32_t y = 0; y < rows; ++y)
        draw_indexed_row(canvas, y, unpacked.get() + static_cast<std::size_t>(y) * width, width, palette);
    const std::uint8_t entry0[3] = {scale_6bit(palette[0]), scale_6bit(palette[1]), scale_6bit(palette[2])};
    canvas.fill_rows(rows, height, entry0);
}
