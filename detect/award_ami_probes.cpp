// Probes for Award AWBM pictures (16 and 256 colours, with a palette trailer, without
// any palette, or compressed with the palette first), AMI GLE character-cell logos, Award
// EPA character-cell logos (Standard 17x6 and NonStandard, and the 70-byte mini logo that
// ends them), the SystemSoft raw picture and the TriGem "TM" picture.
#include <cstring>

#include "core/stream_io.h"
#include "detect/probe_context.h"
#include "formats/awbm_layout.h"
#include "formats/epa_layout.h"

namespace {

constexpr std::size_t AWBM_TAG_READ = AWBM_PALETTE16_BLOCK;  // tag and 16 palette entries; the tag alone decides
constexpr std::uint8_t STANDARD_EPA_COLUMNS = 17;
constexpr std::uint8_t STANDARD_EPA_ROWS = 6;
constexpr std::uint32_t SYSTEMSOFT_RAW_HEADER = 16;

// True when the palette tag "RGB " stands at offset; bytes past the end read as 0.
bool rgb_tag_at(std::FILE* stream, std::uint64_t offset)
{
    std::uint8_t trailer[AWBM_TAG_READ];
    read_at(stream, offset, trailer, sizeof trailer);
    return awbm_palette_tag(trailer);
}

}  // namespace

bool probe_awbm_with_trailer(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "AWBM"))
        return false;
    std::uint16_t width = round_up_8(rd_u16(ctx.header, AWBM_WIDTH_AT));  // width in pixels
    std::uint16_t height = rd_u16(ctx.header, AWBM_HEIGHT_AT);            // height in pixels
    std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    // The 16-colour position is tried first, so a file with both tags is 16-colour.
    if (rgb_tag_at(d.stream, awbm16_picture_bytes(width, height) + AWBM_HEADER_SIZE)) {
        claim_picture(d, FORMAT_AWBM16, width, height, ctx.fileSize, 16);
        return true;
    }
    if (rgb_tag_at(d.stream, pixels + AWBM_HEADER_SIZE)) {
        claim_picture(d, FORMAT_AWBM256, width, height, ctx.fileSize, 256);
        return true;
    }
    return false;
}

bool probe_awbm_without_palette(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "AWBM"))
        return false;
    // Every compressed AWBM has its tagged palette block at 8; this file is only the
    // header and a 16-colour picture.
    std::uint16_t width = round_up_8(rd_u16(ctx.header, AWBM_WIDTH_AT));
    std::uint16_t height = rd_u16(ctx.header, AWBM_HEIGHT_AT);
    if (awbm_palette_tag(ctx.header + AWBM_LEADING_PALETTE_AT) || width == 0 || height == 0 ||
        ctx.fileSize != AWBM_HEADER_SIZE + awbm16_picture_bytes(width, height))
        return false;
    claim_picture(d, FORMAT_AWBM16, width, height, ctx.fileSize, 16);
    return true;
}

bool probe_awbm_compressed(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "AWBM"))
        return false;
    std::uint16_t width = round_up_8(rd_u16(ctx.header, AWBM_WIDTH_AT));
    std::uint16_t height = rd_u16(ctx.header, AWBM_HEIGHT_AT);
    if (ctx.header[AWBM_COMPRESSED_DEPTH_BYTE] == AWBM_COMPRESSED_256)
        claim_picture(d, FORMAT_AWBM256_COMPRESSED, width, height, ctx.fileSize, 256);
    else
        claim_picture(d, FORMAT_AWBM16_COMPRESSED, width, height, ctx.fileSize, 16);
    return true;
}

bool probe_ami_gle(DetectContext& ctx, LogoDescriptor& d)
{
    // "GLE", "GLB" and "GLA" alike: the third byte is free.
    if (!header_has(ctx, 0, "GL"))
        return false;
    claim_picture(d, FORMAT_AMI_GLE, static_cast<std::uint16_t>(ctx.header[4] * EPA_CELL_WIDTH),  // columns
          static_cast<std::uint16_t>(ctx.header[5] * EPA_CELL_HEIGHT),         // rows
          ctx.fileSize, 1);
    // The GLE decoder reads its header from the current position.
    std::rewind(d.stream);
    return true;
}

bool probe_systemsoft_raw(DetectContext& ctx, LogoDescriptor& d)
{
    std::uint16_t width = rd_u16(ctx.header, 0);
    std::uint16_t height = rd_u16(ctx.header, 2);
    // A 16-byte header and one byte per pixel; cannot overflow 32 bits.
    if (static_cast<std::uint32_t>(width) * height + SYSTEMSOFT_RAW_HEADER != ctx.fileSize)
        return false;
    claim_picture(d, FORMAT_SYSTEMSOFT_EPA_2, width, height, ctx.fileSize, 16);
    return true;
}

bool probe_epa(DetectContext& ctx, LogoDescriptor& d)
{
    std::uint8_t columns = ctx.header[0];
    std::uint8_t rows = ctx.header[1];
    if (EPA_BYTES_PER_CELL * columns * rows + EPA_EXTRA_BYTES != ctx.fileSize)
        return false;
    bool standard = columns == STANDARD_EPA_COLUMNS && rows == STANDARD_EPA_ROWS;
    claim_picture(d, standard ? FORMAT_STANDARD_EPA : FORMAT_NONSTANDARD_EPA, static_cast<std::uint16_t>(columns * EPA_CELL_WIDTH),
          static_cast<std::uint16_t>(rows * EPA_CELL_HEIGHT), ctx.fileSize, 16);
    return true;
}

bool probe_award_mini_logo(DetectContext& ctx, LogoDescriptor& d)
{
    if (!is_mini_logo_size(ctx.fileSize))
        return false;
    std::uint8_t glyphs[MINI_LOGO_SIZE];
    read_at(d.stream, 0, glyphs, sizeof glyphs);
    if (!mini_logo_bottoms_clear(glyphs))
        return false;
    // Five cells in one row, reported as a NonStandard EPA of that grid.
    claim_picture(d, FORMAT_NONSTANDARD_EPA, MINI_LOGO_GLYPHS * EPA_CELL_WIDTH, EPA_CELL_HEIGHT, ctx.fileSize, 16);
    return true;
}

bool probe_trigem(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "TM"))
        return false;
    claim_picture(d, FORMAT_TRIGEM, rd_u16(ctx.header, 18), rd_u16(ctx.header, 22), ctx.fileSize, 16);  // width, height
    return true;
}
