// Phoenix composite pictures:
//   - FirstBIOS SCRN composite: a 64-colour palette and a directory of 4- or 8-bit pictures,
//   - SCN envelope (1): a 36-colour palette and a directory of pictures at the end of the data,
//   - SCN envelope (2): one JPEG picture, decoded as a plain JPEG logo is.
// Every picture starts with a 19-byte head (formats/container_walk.h). A 4-bit picture has a
// 16-byte substitution table after its head that maps each pixel value to a palette entry;
// its rows hold two pixels a byte, the high four bits first. An 8-bit picture has one byte
// a pixel. Rows run from the top.
#include <algorithm>
#include <cstdio>

#include "core/canvas.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/jpeg_picture.h"
#include "formats/standard_colors.h"
#include "formats/container_walk.h"

namespace {

constexpr std::size_t HEADER_SIZE = 16;
constexpr std::size_t PALETTE_AT = 16;
constexpr unsigned SCRN_PALETTE_ENTRIES = 64;
constexpr unsigned SCN_PALETTE_ENTRIES = 36;  // a 108-byte block of red, green, blue
constexpr unsigned SCN_TRACED_ENTRIES = 16;
constexpr unsigned STANDARD_COLOR_COUNT = 16;
constexpr std::uint8_t SCRN_8BIT_INDEX_MASK = 0xFF;  // SCRN 8-bit pixels index the palette directly
constexpr std::uint8_t SCN_8BIT_INDEX_MASK = 0x10;   // SCN 8-bit pixels draw standard colour (byte AND 0x10)
constexpr unsigned MAX_PALETTE_ENTRIES = 256;

// The colours a picture draws with, already as 8-bit values. A file index past the end of
// the palette takes its last entry, so a damaged table still draws from the file's colours.
struct Palette {
    std::uint8_t rgb[MAX_PALETTE_ENTRIES][3] = {};
    unsigned entries = 1;

    const std::uint8_t* colour(unsigned index) const { return rgb[std::min(index, entries - 1)]; }
};

// A palette of entries of 6-bit red, green, blue.
Palette palette_from_6bit(const std::uint8_t* raw, unsigned entries)
{
    Palette palette;
    palette.entries = entries;
    for (unsigned i = 0; i < entries; ++i)
        for (unsigned c = 0; c < 3; ++c)
            palette.rgb[i][c] = scale_6bit(raw[i * 3 + c]);
    return palette;
}

Palette standard_palette()
{
    Palette palette;
    palette.entries = STANDARD_COLOR_COUNT;
    for (unsigned i = 0; i < STANDARD_COLOR_COUNT; ++i)
        standard_color_rgb(i, palette.rgb[i]);
    return palette;
}

// How a container draws its pictures: 4-bit pixels through the substitution table into
// fourBit; 8-bit pixels, masked, straight into eightBit.
struct PictureColours {
    const Palette& fourBit;
    const Palette& eightBit;
    std::uint8_t eightBitMask;
};

// Decodes the picture whose head is at headOffset into frame.
void decode_phoenix_picture(std::FILE* stream, std::uint64_t headOffset, LogoFrame& frame,
                            const PictureColours& colours, LoadContext& load)
{
    PhoenixPictureHead head = read_phoenix_head(stream, headOffset);
    std::uint64_t pixelsAt = headOffset + PHOENIX_HEAD_SIZE;
    // A head that is neither 4 nor 8 bits is drawn as 4 bits without a table: each
    // pixel value is its own palette entry.
    std::uint8_t substitution[PHOENIX_SUBSTITUTION_SIZE];
    for (unsigned i = 0; i < PHOENIX_SUBSTITUTION_SIZE; ++i)
        substitution[i] = static_cast<std::uint8_t>(i);
    if (head.bitsPerPixel == 4) {
        read_at(stream, pixelsAt, substitution, sizeof substitution);
        pixelsAt += PHOENIX_SUBSTITUTION_SIZE;
    }

    if (!load.alloc_frame_pixels(frame, head.width, head.height)) {
        if (head.width != 0 && head.height != 0)
            load.notice("No memory allocated for Image\n");
        return;
    }
    RgbCanvas canvas{frame.pixels, frame.width, frame.height};
    ByteReader reader(stream, pixelsAt);
    for (unsigned y = 0; y < head.height && !reader.at_end(); ++y) {
        if (head.bitsPerPixel == 8) {
            for (unsigned x = 0; x < head.width; ++x)
                canvas.put(x, y, colours.eightBit.colour(reader.u8() & colours.eightBitMask));
        } else {
            for (unsigned x = 0; x < head.width; x += 2) {
                std::uint8_t pair = reader.u8();
                canvas.put(x, y, colours.fourBit.colour(substitution[pair >> 4]));
                canvas.put(x + 1, y, colours.fourBit.colour(substitution[pair & 0x0F]));
            }
        }
    }
}

}  // namespace

void decode_SCRN(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t header[HEADER_SIZE];
    std::uint8_t raw[SCRN_PALETTE_ENTRIES * 3];
    read_at(d.stream, 0, header, sizeof header);
    read_at(d.stream, PALETTE_AT, raw, sizeof raw);
    Palette palette = palette_from_6bit(raw, SCRN_PALETTE_ENTRIES);
    std::uint16_t directory = rd_u16(header, 6);  // directory offset
    // The frame table was sized from the same count byte; never run past it.
    unsigned count = std::min(scrn_picture_count(d.stream, directory), static_cast<unsigned>(d.frameCount));
    PictureColours colours{palette, palette, SCRN_8BIT_INDEX_MASK};
    for (unsigned k = 0; k < count; ++k)
        decode_phoenix_picture(d.stream, scrn_picture_offset(d.stream, directory, k), frames[k], colours, load);
}

void decode_SCN(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    std::uint8_t raw[SCN_PALETTE_ENTRIES * 3];
    read_at(d.stream, PALETTE_AT, raw, sizeof raw);
    for (unsigned i = 0; i < SCN_TRACED_ENTRIES; ++i)
        load.trace("[%2.2X]: {%2.2X}-{%2.2X}-{%2.2X}\n", i, raw[i * 3], raw[i * 3 + 1], raw[i * 3 + 2]);
    Palette palette = palette_from_6bit(raw, SCN_PALETTE_ENTRIES);
    Palette standard = standard_palette();
    PictureColours colours{palette, standard, SCN_8BIT_INDEX_MASK};
    for (unsigned k = 0; k < d.frameCount; ++k)
        decode_phoenix_picture(d.stream, scn_picture_offset(d.stream, d.dataSize, d.frameCount, k), frames[k],
                               colours, load);
}

void decode_SCN2(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    if (!image)
        return;
    // Drawn into the size detection read from the frame header the pointer leads to.
    decode_jpeg_picture(RgbCanvas{image, d.width, d.height}, d.stream, scn_jpeg_start(d.stream, stream_size(d.stream)),
                        load);
}
