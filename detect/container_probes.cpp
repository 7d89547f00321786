// Probes of the composite containers:
//   - Phoenix SCN envelope: several pictures through a directory (26) or one JPEG (29),
//   - "$OSB" chain of BMP pictures (36) and of PCX pictures (23),
//   - Phoenix FirstBIOS SCRN composite with its picture directory (13).
// Each probe claims the file on its signature alone and then walks the container
// (formats/container_walk.h, shared with the decoders) for the frame count and the largest
// picture size.
#include <cstring>

#include "core/stream_io.h"
#include "formats/bmp_layout.h"
#include "formats/container_walk.h"
#include "detect/probe_context.h"
#include "formats/jpeg_marker_walk.h"
#include "formats/pcx_layout.h"

namespace {

constexpr std::uint8_t SCN_ONE_JPEG = 1;          // picture count of the envelope around one JPEG
constexpr std::size_t JPEG_SOI_SIZE = 2;          // FF D8, before the first segment
constexpr std::size_t OSB_FIRST_PICTURE_AT = 16;  // right after the first record

// "$OSB" picture widths are rounded up to an even number, in 16 bits.
std::uint16_t round_up_even(std::uint16_t width)
{
    return width % 2 ? static_cast<std::uint16_t>((width / 2) * 2 + 2) : width;
}

}  // namespace

bool probe_phoenix_scn(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "SCN"))
        return false;
    d.dataSize = rd_u32(ctx.header, 4);  // envelope size
    d.colorCount = 256;
    unsigned count = ctx.header[9];  // picture count
    if (count == SCN_ONE_JPEG) {
        d.formatId = FORMAT_SCN_2;
        d.frameCount = 0;
        std::uint64_t jpegStart = scn_jpeg_start(d.stream, ctx.fileSize);
        std::uint16_t width = 0, height = 0;
        if (jpeg_frame_size(d.stream, jpegStart + JPEG_SOI_SIZE, width, height)) {
            d.width = width;
            d.height = height;
        }
        return true;
    }
    d.formatId = FORMAT_SCN_1;
    d.frameCount = static_cast<std::uint8_t>(count);
    // The directory ends where the envelope does, as decode_SCN reads it: the frames
    // measured here are then the frames drawn, also when bytes follow the envelope.
    for (unsigned k = 0; k < count; ++k) {
        PhoenixPictureHead head = read_phoenix_head(d.stream, scn_picture_offset(d.stream, d.dataSize, count, k));
        merge_largest(d, head.width, head.height);
    }
    return true;
}

bool probe_osb_bmp(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "$OSB") || !header_has(ctx, OSB_FIRST_PICTURE_AT, "BM"))
        return false;
    std::vector<OsbLink> links = walk_osb_chain(d.stream, ctx.fileSize, OSB_BMP_HEAD_SIZE);
    for (const OsbLink& link : links)
        merge_largest(d, round_up_even(rd_u16(link.head, BMP_WIDTH_AT)), rd_u16(link.head, BMP_HEIGHT_AT));
    d.formatId = FORMAT_OSB_2;
    d.frameCount = static_cast<std::uint8_t>(links.size());
    d.dataSize = ctx.fileSize;
    d.colorCount = 256;
    return true;
}

bool probe_osb(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "$OSB"))
        return false;
    std::vector<OsbLink> links = walk_osb_chain(d.stream, ctx.fileSize, OSB_PCX_HEAD_SIZE);
    for (const OsbLink& link : links) {
        PcxGeometry g = pcx_geometry(link.head);
        merge_largest(d, round_up_even(g.width), g.height);
    }
    d.formatId = FORMAT_OSB;
    d.frameCount = static_cast<std::uint8_t>(links.size());
    d.dataSize = ctx.fileSize;
    d.colorCount = 256;
    return true;
}

bool probe_phoenix_scrn(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "SCRN"))
        return false;
    std::uint16_t directory = rd_u16(ctx.header, 6);
    unsigned count = scrn_picture_count(d.stream, directory);
    for (unsigned k = 0; k < count; ++k) {
        PhoenixPictureHead head = read_phoenix_head(d.stream, scrn_picture_offset(d.stream, directory, k));
        merge_largest(d, head.width, head.height);
    }
    d.formatId = FORMAT_PHOENIX_SCRN;
    d.dataSize = rd_u16(ctx.header, 4);  // composite size
    d.frameCount = static_cast<std::uint8_t>(count);
    d.colorCount = 16;
    return true;
}
