// Phoenix pictures:
//   PG (identifier 6, and the unpacked Intel compressed PG, 31): four bit planes, top row
//   first, in the standard colours or in the picture's own 16-entry palette; the size at
//   10 and 12, after the palette table, or in a sub-header (formats/pg_layout.h);
//   FirstBIOS ICON (12): packed 4-bit pixels drawn through a substitution table into an
//   external palette, or 8-bit pixels of which only bit 4 counts.
#include <cstdio>

#include "core/canvas.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/four_plane.h"
#include "decode/standard_colors.h"
#include "formats/pg_layout.h"

namespace {

constexpr unsigned COLORS = 16;

constexpr std::size_t PG_HEADER_SIZE = 18;
static_assert(PG_SUBHEADER_READ >= PG_HEADER_SIZE);
constexpr std::uint64_t PG_PALETTE_OFFSET = 12;
constexpr std::size_t PG_PALETTE_ENTRY = 4;  // reserved, red, green, blue (6-bit)
// With its own palette, the size follows the 16 entries (at 76 and 78), then two unused
// words; the planes start at 84. Without, the planes follow the header.
constexpr std::size_t PG_PALETTE_BLOCK = COLORS * PG_PALETTE_ENTRY + 8;
constexpr std::size_t PG_OWN_WIDTH = COLORS * PG_PALETTE_ENTRY;
constexpr std::size_t PG_OWN_HEIGHT = PG_OWN_WIDTH + 2;
constexpr std::uint64_t PG_OWN_PLANES_OFFSET = PG_PALETTE_OFFSET + PG_PALETTE_BLOCK;
constexpr std::uint64_t PG_PLANES_OFFSET = PG_HEADER_SIZE;

constexpr std::size_t ICON_HEADER_SIZE = 19;
constexpr std::uint8_t ICON_4BIT = 4;
constexpr std::uint8_t ICON_8BIT = 8;
constexpr std::uint64_t ICON_SUBSTITUTION_OFFSET = ICON_HEADER_SIZE;
constexpr std::uint64_t ICON_4BIT_PIXELS = ICON_SUBSTITUTION_OFFSET + COLORS;
constexpr std::uint64_t ICON_PIXELS = ICON_HEADER_SIZE;
// An 8-bit icon pixel shows only its bit 4; set, it is drawn in bright white.
constexpr std::uint8_t ICON_8BIT_MASK = 0x10;
constexpr unsigned ICON_8BIT_SET_COLOR = 15;

// Stores a 6-bit colour in the palette buffer unscaled, blue first, as the PG decoder keeps it.
void keep_palette_entry(std::uint8_t* palette, unsigned i, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    if (!palette)
        return;
    palette[i * 3] = blue;
    palette[i * 3 + 1] = green;
    palette[i * 3 + 2] = red;
}

}  // namespace

void decode_PGBM(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[PG_SUBHEADER_READ];
    read_at(d.stream, 0, header, sizeof header);

    std::uint8_t colors[COLORS][3];
    std::uint32_t width = d.width;
    std::uint32_t height = d.height;
    std::uint64_t planesOffset = PG_PLANES_OFFSET;
    PgSubHeader sub;
    if (header[3] == PG_OWN_PALETTE) {
        std::uint8_t block[PG_PALETTE_BLOCK];
        read_at(d.stream, PG_PALETTE_OFFSET, block, sizeof block);
        for (unsigned i = 0; i < COLORS; ++i) {
            const std::uint8_t* entry = block + i * PG_PALETTE_ENTRY;  // reserved, R, G, B
            colors[i][0] = scale_6bit(entry[1]);
            colors[i][1] = scale_6bit(entry[2]);
            colors[i][2] = scale_6bit(entry[3]);
            keep_palette_entry(d.palette, i, entry[1], entry[2], entry[3]);
        }
        width = rd_u16(block, PG_OWN_WIDTH);
        height = rd_u16(block, PG_OWN_HEIGHT);
        planesOffset = PG_OWN_PLANES_OFFSET;
    } else {
        if (pg_sub_header(header, sub)) {
            width = sub.width;
            height = sub.rows;
            planesOffset = PG_SUBHEADER_PLANES_AT;
        }
        for (unsigned i = 0; i < COLORS; ++i) {
            standard_color_rgb(i, colors[i]);
            keep_palette_entry(d.palette, i, STANDARD_COLORS[i][1], STANDARD_COLORS[i][2], STANDARD_COLORS[i][3]);
        }
    }
    if (!image)
        return;

    FourPlanes planes;
    PlanesRead result = planes.read(d.stream, planesOffset, width, height, load);
    if (result == PlanesRead::tooLarge)
        load.notice("decode_PGBM() img buffer allocation error\n");
    if (result != PlanesRead::done)
        return;
    RgbCanvas canvas{image, d.width, d.height};
    for (std::uint32_t y = 0; y < planes.rows_reached() && y < canvas.height; ++y)
        for (std::uint32_t x = 0; x < width && x < canvas.width; ++x)
            canvas.put(x, y, colors[planes.color_index(x, y)]);
    canvas.fill_rows(planes.rows_reached(), height, colors[0]);
}

void decode_ICON(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[ICON_HEADER_SIZE];
    read_at(d.stream, 0, header, sizeof header);
    std::uint8_t bitsPerPixel = header[4];

    // Only 4-bit icons carry a substitution table; the others draw colour i from palette entry i.
    std::uint8_t substitution[COLORS];
    for (unsigned i = 0; i < COLORS; ++i)
        substitution[i] = static_cast<std::uint8_t>(i);
    if (bitsPerPixel == ICON_4BIT)
        read_at(d.stream, ICON_SUBSTITUTION_OFFSET, substitution, sizeof substitution);

    load.trace("Substituted Colors:\n");
    for (unsigned i = 0; i < COLORS; ++i)
        load.trace("[%2.2X] => {%2.2X}\n", i, substitution[i]);
    std::uint8_t colors[COLORS][3] = {};
    for (unsigned i = 0; i < COLORS; ++i) {
        if (d.palette) {
            const std::uint8_t* entry = d.palette + substitution[i] * 3;
            colors[i][0] = entry[0];
            colors[i][1] = entry[1];
            colors[i][2] = entry[2];
        }
        load.trace("[%2.2X]: {%2.2X}{%2.2X}{%2.2X}\n", i, colors[i][0], colors[i][1], colors[i][2]);
    }
    if (!image)
        return;

    RgbCanvas canvas{image, d.width, d.height};
    if (bitsPerPixel == ICON_8BIT) {
        std::uint8_t black[3], set[3];
        standard_color_rgb(0, black);
        standard_color_rgb(ICON_8BIT_SET_COLOR, set);
        ByteReader reader(d.stream, ICON_PIXELS);
        for (std::uint32_t y = 0; y < canvas.height && !reader.at_end(); ++y)
            for (std::uint32_t x = 0; x < canvas.width; ++x)
                canvas.put(x, y, (reader.u8() & ICON_8BIT_MASK) ? set : black);
        return;
    }

    ByteReader reader(d.stream, bitsPerPixel == ICON_4BIT ? ICON_4BIT_PIXELS : ICON_PIXELS);
    for (std::uint32_t y = 0; y < canvas.height && !reader.at_end(); ++y) {
        for (std::uint32_t j = 0; j < canvas.width / 2; ++j) {
            std::uint8_t pair = reader.u8();
            const std::uint8_t* left = colors[pair >> 4];
            const std::uint8_t* right = colors[pair & 0x0F];
            canvas.put(2 * j, y, scale_6bit(left[0]), scale_6bit(left[1]), scale_6bit(left[2]));
            canvas.put(2 * j + 1, y, scale_6bit(right[0]), scale_6bit(right[1]), scale_6bit(right[2]));
        }
    }
}
