// "$OSB" composites: a chain of 16-byte records, each followed by one picture.
//   - "Composite $OSB": 8-bit run-length PCX pictures with their 256-colour palette at the
//     end of each picture (OSB2bm),
//   - "Composite $OSB (2)": 8-bit BMP pictures, rows stored bottom-up (decode_OSB2); other
//     bit counts give black frames.
// Both walk the chain with formats/container_walk.h, as detection did.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/canvas.h"
#include "core/owned.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/pcx_scanline.h"
#include "formats/bmp_layout.h"
#include "formats/container_walk.h"

namespace {

// PCX pictures.
constexpr std::size_t PCX_PALETTE_SIZE = 768;  // 256 entries of red, green, blue at the picture's end
constexpr std::size_t PCX_PLANES_RESERVED = 4; // the scanline buffer holds 4 x bytes-per-line

// BMP pictures.
constexpr std::size_t BMP_PALETTE_AT = BMP_HEADERS_SIZE;
constexpr std::size_t BMP_PALETTE_SIZE = BMP_PALETTE_ENTRIES * BMP_COLOR_ENTRY_SIZE;
constexpr std::uint16_t BMP_8BIT = 8;
constexpr std::uint8_t BMP_LOW_BITS_CLEARED = 0xFC;

constexpr std::uint32_t FRAME_SIDE_LIMIT = 0xFFFF;  // a frame's width and height are 16-bit

std::uint64_t file_size_of(std::FILE* stream)
{
    std::uint64_t size = stream_size(stream);
    return std::min<std::uint64_t>(size, UINT32_MAX);
}

// Allocates a frame's pixels; reports a failure unless the frame is empty.
bool alloc_frame(LogoFrame& frame, std::uint64_t width, std::uint64_t height, LoadContext& load)
{
    if (width <= FRAME_SIDE_LIMIT && height <= FRAME_SIDE_LIMIT &&
        load.alloc_frame_pixels(frame, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)))
        return true;
    if (width != 0 && height != 0)
        load.notice("No memory allocated for Image\n");
    return false;
}

// One PCX link of the chain into frame.
void decode_pcx_link(std::FILE* stream, const OsbLink& link, LogoFrame& frame, LoadContext& load)
{
    const std::uint8_t* pcx = link.head;
    std::uint64_t picture = link.offset + OSB_RECORD_SIZE;
    std::uint64_t pictureEnd = picture + link.length;
    // The palette ends the picture; a picture too short to hold one draws with zeros.
    std::uint8_t palette[PCX_PALETTE_SIZE] = {};
    if (pictureEnd >= PCX_PALETTE_SIZE)
        read_at(stream, pictureEnd - PCX_PALETTE_SIZE, palette, sizeof palette);

    PcxGeometry geometry = pcx_geometry(pcx);
    std::uint16_t width = geometry.width;
    std::uint16_t height = geometry.height;
    if (width % 2)
        width = static_cast<std::uint16_t>((width / 2) * 2 + 2);
    std::size_t bytesPerLine = rd_u16(pcx, PCX_BYTES_PER_LINE_AT);

    // Columns past the scanline's bytes come from the buffer's zero fill, never from
    // outside it.
    std::size_t lineSize = std::max<std::size_t>(PCX_PLANES_RESERVED * bytesPerLine, width);
    OwnedBytes line = alloc_zeroed(lineSize, 1);
    if (!line && lineSize != 0)
        load.notice("OSB2bm() img buffer allocation error\n");
    if (alloc_frame(frame, width, height, load) && line) {
        RgbCanvas canvas{frame.pixels, frame.width, frame.height};
        ByteReader reader(stream, picture + PCX_HEADER_SIZE);
        for (unsigned y = 0; y < height && !reader.at_end(); ++y) {
            unpack_pcx_scanline(reader, line.get(), bytesPerLine);
            for (unsigned x = 0; x < width; ++x)
                canvas.put(x, y, palette + line[x] * 3);
        }
    }
}

// One BMP link of the chain into frame.
void decode_bmp_link(std::FILE* stream, const OsbLink& link, LogoFrame& frame, LoadContext& load)
{
    const std::uint8_t* bmp = link.head;
    std::uint64_t picture = link.offset + OSB_RECORD_SIZE;
    std::uint32_t dataOffset = rd_u32(bmp, BMP_DATA_OFFSET_AT);
    std::uint32_t width = rd_u32(bmp, BMP_WIDTH_AT);
    std::uint16_t height = rd_u16(bmp, BMP_HEIGHT_AT);  // low half, as detection reads it
    std::uint16_t bits = rd_u16(bmp, BMP_BIT_COUNT_AT);
    long usedColors = (static_cast<long>(dataOffset) - static_cast<long>(BMP_PALETTE_AT)) / 4;
    std::uint8_t palette[BMP_PALETTE_SIZE];
    read_at(stream, picture + BMP_PALETTE_AT, palette, sizeof palette);
    std::uint64_t storedWidth = round_up_4(width);

    load.trace("===>>> BMP8i: DataOffset = %lXh\n", static_cast<unsigned long>(dataOffset));
    load.trace("===>>> BMP8i: UsedColors = %i\n", static_cast<int>(usedColors));
    load.trace("===>>> BMP8i: bmp.Bits = %i\n", bits);
    load.trace("===>>> IMAGE: (%X px) x (%X px)\n", static_cast<unsigned>(storedWidth), height);

    if (!alloc_frame(frame, storedWidth, height, load) || bits != BMP_8BIT)
        return;
    RgbCanvas canvas{frame.pixels, frame.width, frame.height};
    std::vector<std::uint8_t> row(storedWidth);
    ByteReader reader(stream, picture + dataOffset);
    for (unsigned s = 0; s < height && !reader.at_end(); ++s) {
        reader.read(row.data(), row.size());
        // Bytes past the picture's width fill the row out; their pixels stay black.
        for (unsigned x = 0; x < width; ++x) {
            const std::uint8_t* entry = palette + row[x] * 4;
            canvas.put(x, height - 1 - s, entry[2] & BMP_LOW_BITS_CLEARED, entry[1] & BMP_LOW_BITS_CLEARED,
                       entry[0] & BMP_LOW_BITS_CLEARED);
        }
    }
}

}  // namespace

void OSB2bm(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    std::vector<OsbLink> links =
        walk_osb_chain(d.stream, static_cast<std::uint32_t>(file_size_of(d.stream)), OSB_PCX_HEAD_SIZE);
    std::size_t count = std::min<std::size_t>(links.size(), d.frameCount);
    for (std::size_t k = 0; k < count; ++k)
        decode_pcx_link(d.stream, links[k], frames[k], load);
}

void decode_OSB2(LogoFrame* frames, LogoDescriptor d, LoadContext& load)
{
    std::vector<OsbLink> links =
        walk_osb_chain(d.stream, static_cast<std::uint32_t>(file_size_of(d.stream)), OSB_BMP_HEAD_SIZE);
    std::size_t count = std::min<std::size_t>(links.size(), d.frameCount);
    for (std::size_t k = 0; k < count; ++k) {
        load.trace("===>>> IMAGE: Offset = %lXh\n", static_cast<unsigned long>(links[k].offset));
        decode_bmp_link(d.stream, links[k], frames[k], load);
    }
}
