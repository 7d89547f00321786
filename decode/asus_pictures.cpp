#include "decode/asus_pictures.h"

#include <cstdio>
#include <vector>

#include "decode/decoders.h"
#include "formats/standard_colors.h"
#include "formats/geometry.h"

namespace {

constexpr unsigned PALETTE_ENTRIES = 16;
constexpr unsigned PIXELS_PER_BYTE = 2;
constexpr unsigned PLANES = 4;

}  // namespace

Palette16 read_palette16(ByteReader& in, std::uint64_t offset, PaletteLayout layout)
{
    std::uint8_t bytes[PALETTE_ENTRIES * 4];
    in.seek(offset);
    in.read(bytes, PALETTE_ENTRIES * layout.entrySize);
    Palette16 palette;
    for (unsigned n = 0; n < PALETTE_ENTRIES; ++n) {
        const std::uint8_t* entry = bytes + n * layout.entrySize;
        for (unsigned c = 0; c < 3; ++c) {
            std::uint8_t v = entry[layout.blueFirst ? 2 - c : c];
            palette[n][c] = layout.sixBit ? scale_6bit(v) : v;
        }
    }
    return palette;
}

RgbCanvas open_frame(LogoFrame& frame, std::uint16_t width, std::uint16_t height, const char* allocMessage,
                     LoadContext& load)
{
    std::uint16_t width8 = round_up_8(width);
    frame.width = width8;
    frame.height = height;
    if (width8 == 0 || height == 0)
        return {};
    if (!load.alloc_frame_pixels(frame, width8, height)) {
        load.notice("%s", allocMessage);
        frame.width = frame.height = 0;
        return {};
    }
    return {frame.pixels, width8, height};
}

void decode_nibble_picture(ByteReader& in, const RgbCanvas& canvas, const Palette16& palette,
                           std::uint16_t storedWidth, const Rgb* fill)
{
    std::vector<std::uint8_t> row(canvas.width / PIXELS_PER_BYTE);
    for (std::uint32_t r = 0; r < canvas.height; ++r) {
        if (in.read(row.data(), row.size()) < row.size())
            return;
        std::uint32_t y = canvas.height - 1 - r;
        for (std::uint32_t x = 0; x < canvas.width; x += PIXELS_PER_BYTE) {
            std::uint8_t byte = row[x / PIXELS_PER_BYTE];
            if (fill && x >= storedWidth) {
                canvas.put(x, y, fill->data());
                canvas.put(x + 1, y, fill->data());
            } else {
                canvas.put(x, y, palette[byte >> 4].data());
                canvas.put(x + 1, y, palette[byte & 0x0F].data());
            }
        }
    }
}

void decode_planar_picture(ByteReader& in, const RgbCanvas& canvas, const Palette16& palette)
{
    const std::uint32_t planeSize = canvas.width / 8;
    std::vector<std::uint8_t> row(planeSize * PLANES);
    for (std::uint32_t y = 0; y < canvas.height; ++y) {
        if (in.read(row.data(), row.size()) < row.size())
            return;
        for (std::uint32_t x = 0; x < canvas.width; ++x) {
            const std::uint8_t* column = row.data() + x / 8;
            unsigned bit = 7 - x % 8;
            unsigned index = 0;
            for (unsigned p = 0; p < PLANES; ++p)
                index |= ((column[p * planeSize] >> bit) & 1u) << p;
            canvas.put(x, y, palette[index].data());
        }
    }
}
