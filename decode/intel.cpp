// Intel pictures:
//   GRFX (identifier 8, and the unpacked compressed GRFX, 34): packed 4-bit pixels with a
//   16-entry palette of 6-bit values;
//   GRFXLOGO (30, always unpacked first): four bit planes, bottom row first, standard colours;
//   TEXTLOGO (11): a text screen of character and attribute bytes with its own 8 x 16 font,
//   in its container or as the bare "LOGO" block (formats/textlogo_layout.h).
#include <cstdio>
#include <cstdlib>

#include "core/canvas.h"
#include "core/limits.h"
#include "core/owned.h"
#include "core/stream_io.h"
#include "decode/character_cell.h"
#include "decode/decoders.h"
#include "decode/four_plane.h"
#include "decode/standard_colors.h"
#include "formats/textlogo_layout.h"

namespace {

constexpr unsigned COLORS = 16;

constexpr std::size_t GRFX_HEADER_SIZE = 32;
constexpr std::size_t GRFX_PALETTE_SIZE = COLORS * 3;  // red, green, blue (6-bit)
constexpr std::uint64_t GRFX_DATA_BIAS = 8;           // the offset at 12 counts from byte 8

constexpr std::size_t GRFXLOGO_HEADER_SIZE = 8;
constexpr std::uint64_t GRFXLOGO_PLANES_OFFSET = GRFXLOGO_HEADER_SIZE;

constexpr unsigned TEXTLOGO_FOREGROUND = 0x0F;  // the background half of an attribute is not drawn

}  // namespace

void decode_GRFX(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[GRFX_HEADER_SIZE + GRFX_PALETTE_SIZE];
    read_at(d.stream, 0, header, sizeof header);
    const std::uint8_t* palette = header + GRFX_HEADER_SIZE;
    std::uint16_t width = rd_u16(header, 18);
    std::uint16_t height = rd_u16(header, 20);
    load.trace("===>>> IMAGE: (%X px) x (%X px)\n", width, height);
    std::uint64_t dataOffset = rd_u16(header, 12) + GRFX_DATA_BIAS;
    load.trace("===>>> IMAGE SEEK: %X\n", static_cast<unsigned>(dataOffset));
    if (!image)
        return;

    RgbCanvas canvas{image, d.width, d.height};
    ByteReader reader(d.stream, dataOffset);
    std::uint32_t rowBytes = width / 2u;
    for (std::uint32_t y = 0; y < height && y < canvas.height && !reader.at_end(); ++y) {
        for (std::uint32_t j = 0; j < rowBytes; ++j) {
            if (2 * j >= canvas.width) {  // the rest of the row cannot be shown
                reader.skip(rowBytes - j);
                break;
            }
            std::uint8_t pair = reader.u8();
            const std::uint8_t* left = palette + (pair >> 4) * 3;
            const std::uint8_t* right = palette + (pair & 0x0F) * 3;
            canvas.put(2 * j, y, scale_6bit(left[0]), scale_6bit(left[1]), scale_6bit(left[2]));
            canvas.put(2 * j + 1, y, scale_6bit(right[0]), scale_6bit(right[1]), scale_6bit(right[2]));
        }
    }
}

void decode_GRFXLOGO(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[GRFXLOGO_HEADER_SIZE];
    read_at(d.stream, 0, header, sizeof header);
    std::uint32_t height = rd_u16(header, 4);
    std::uint32_t width = rd_u16(header, 6);
    if (!image)
        return;

    FourPlanes planes;
    PlanesRead result = planes.read(d.stream, GRFXLOGO_PLANES_OFFSET, width, height, load);
    if (result == PlanesRead::tooLarge)
        load.notice("decode_GRFXLOGO() img buffer allocation error\n");
    if (result != PlanesRead::done)
        return;
    std::uint8_t colors[COLORS][3];
    for (unsigned i = 0; i < COLORS; ++i)
        standard_color_rgb(i, colors[i]);
    RgbCanvas canvas{image, d.width, d.height};
    // The first stored row is the bottom of the picture.
    if (planes.rows_reached() < height)
        canvas.fill_rows(0, height - planes.rows_reached(), colors[0]);
    for (std::uint32_t row = 0; row < planes.rows_reached(); ++row)
        for (std::uint32_t x = 0; x < width && x < canvas.width; ++x)
            canvas.put(x, height - 1 - row, colors[planes.color_index(x, row)]);
}

void decode_TEXTLOGO(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext& load)
{
    // Detection takes a file with "TEXTLOGO" at 0x80 as the container; a file it took
    // without one is the bare block.
    const TextlogoHeader header = read_textlogo_header(
        d.stream, has_textlogo_container_tag(d.stream) ? TEXTLOGO_CONTAINER_ORIGIN : BARE_LOGO_ORIGIN);
    // The cell counts are single bytes; the byte after each is not part of it.
    unsigned columns = header.columns & 0xFF;
    unsigned rows = header.rows & 0xFF;
    const std::uint64_t fontOffset = header.font_offset();
    const std::uint64_t screenOffset = header.screen_offset();
    std::size_t screenSize = static_cast<std::size_t>(columns) * rows * TEXTLOGO_CELL_BYTES;
    if (screenSize == 0)
        return;

    OwnedBytes screen = alloc_zeroed(screenSize, 1);
    if (!screen) {
        load.notice("Not enough memory for decode_TEXTLOGO()\n");
        return;
    }
    read_at(d.stream, screenOffset, screen.get(), screenSize);
    CellTargets targets = cell_targets(image, fontMap, colorMap, d.width, d.height);
    ByteReader font(d.stream, fontOffset);
    std::uint8_t glyph[TEXTLOGO_GLYPH_HEIGHT];
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) {
            const std::uint8_t* cell = screen.get() + (static_cast<std::size_t>(r) * columns + c) * TEXTLOGO_CELL_BYTES;
            font.seek(fontOffset + static_cast<std::uint64_t>(cell[0]) * TEXTLOGO_GLYPH_HEIGHT);
            font.read(glyph, sizeof glyph);
            render_cell(targets, r, c, glyph, TEXTLOGO_GLYPH_HEIGHT, cell[1] & TEXTLOGO_FOREGROUND);
        }
    }
}
