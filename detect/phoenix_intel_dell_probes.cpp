// Probes for the uncompressed Phoenix and Intel pictures and the Dell logo of version 2:
//   Phoenix PG ("PG", standard colours or its own palette table, or a size sub-header),
//   Intel GRFX ("GRFX" or "XFRG"), Intel TEXTLOGO ("TEXTLOGO" at 0x80, or the bare
//   "LOGO" block without its container, which the ASUS Dynamic LOGO probe hands over),
//   Dell logo version 2 (00 00 then mode 03 or 04),
//   Phoenix FirstBIOS ICON ("ICON").
#include <cstring>

#include "core/stream_io.h"
#include "detect/probe_context.h"
#include "formats/picture_extent.h"
#include "formats/textlogo_layout.h"

namespace {

constexpr std::uint16_t SIXTEEN_COLORS = 16;
constexpr std::uint16_t ICON_8BIT_COLORS = 256;  // what an icon of any depth but 4 bits declares

// The Intel containers keep their tag and fields from 0x80 on; a file starting "TEXT"
// is never one of them.
constexpr std::uint64_t INTEL_TAG_OFFSET = 0x80;
constexpr std::size_t INTEL_TAG_BLOCK = 21;
constexpr std::size_t TEXTLOGO_COLUMNS = 0x90 - INTEL_TAG_OFFSET;  // cell columns
constexpr std::size_t TEXTLOGO_ROWS = 0x92 - INTEL_TAG_OFFSET;     // cell rows

constexpr std::uint8_t DELL_MODE_4BIT = 3;
constexpr std::uint8_t DELL_MODE_8BIT = 4;

constexpr std::uint8_t ICON_4BIT = 4;

void claim_single(LogoDescriptor& d, LogoFormatId id, std::uint64_t dataSize, std::uint16_t colorCount)
{
    d.formatId = id;
    d.dataSize = dataSize;
    d.frameCount = 0;
    d.colorCount = colorCount;
}

}  // namespace

bool probe_phoenix_pg(DetectContext& ctx, LogoDescriptor& d)
{
    if (!bytes_have(ctx.header, "PG"))
        return false;
    // Standard size at 10 and 12, after its own palette table, or in the sub-header.
    PgLayout layout = read_pg_layout(LayoutBytes(d.stream, ctx.fileSize));
    std::rewind(d.stream);
    d.width = static_cast<std::uint16_t>(layout.width);  // 16-bit fields, or a checked sub-header width
    d.height = static_cast<std::uint16_t>(layout.height);
    claim_single(d, FORMAT_PHOENIX_PG, ctx.fileSize, SIXTEEN_COLORS);
    return true;
}

bool probe_intel_grfx(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (!bytes_have(h, "GRFX") && !bytes_have(h, "XFRG"))
        return false;
    d.width = rd_u16(h, 18);
    d.height = rd_u16(h, 20);
    claim_single(d, FORMAT_INTEL_GRFX, ctx.fileSize, SIXTEEN_COLORS);
    return true;
}

bool probe_intel_textlogo(DetectContext& ctx, LogoDescriptor& d)
{
    if (bytes_have(ctx.header, "TEXT"))
        return false;
    std::uint8_t block[INTEL_TAG_BLOCK];
    read_at(d.stream, INTEL_TAG_OFFSET, block, sizeof block);
    if (!bytes_have(block, "TEXTLOGO"))
        return false;
    d.width = static_cast<std::uint16_t>(rd_u16(block, TEXTLOGO_COLUMNS) * TEXTLOGO_CELL_WIDTH);
    d.height = static_cast<std::uint16_t>(rd_u16(block, TEXTLOGO_ROWS) * TEXTLOGO_GLYPH_HEIGHT);
    claim_single(d, FORMAT_INTEL_TEXTLOGO, ctx.fileSize, SIXTEEN_COLORS);
    return true;
}

bool claim_intel_logo_block(DetectContext& ctx, LogoDescriptor& d)
{
    TextlogoHeader t = read_textlogo_header(d.stream, BARE_LOGO_ORIGIN);
    if (t.headerLength != TEXTLOGO_HEADER_LENGTH || t.fontSize == 0 || t.fontSize % 8 != 0 || t.columns == 0 ||
        t.rows == 0)
        return false;
    // The map must follow the glyphs (2F bytes of them) and the file must hold it whole.
    const std::uint64_t glyphsEnd = static_cast<std::uint64_t>(TEXTLOGO_HEADER_LENGTH) + 2u * t.fontSize;
    const std::uint64_t mapSize = static_cast<std::uint64_t>(TEXTLOGO_CELL_BYTES) * t.columns * t.rows;
    if (t.mapOffset != glyphsEnd || static_cast<std::uint64_t>(BARE_LOGO_ORIGIN + t.mapOffset) + mapSize > ctx.fileSize)
        return false;
    d.width = static_cast<std::uint16_t>(t.columns * TEXTLOGO_CELL_WIDTH);
    d.height = static_cast<std::uint16_t>(t.rows * TEXTLOGO_GLYPH_HEIGHT);
    claim_single(d, FORMAT_INTEL_TEXTLOGO, ctx.fileSize, SIXTEEN_COLORS);
    return true;
}

bool probe_dell_v2(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != 0 || h[1] != 0 || (h[2] != DELL_MODE_4BIT && h[2] != DELL_MODE_8BIT))
        return false;
    ctx.load.trace("==>>>DETECT: DELL LOGO (V2)\n");
    d.width = round_up_8(rd_u16(h, 3));  // stored width
    d.height = rd_u16(h, 5);
    claim_single(d, FORMAT_DELL_2, ctx.fileSize, rd_u16(h, 7));  // palette entries
    return true;
}

bool probe_phoenix_icon(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (!bytes_have(h, "ICON"))
        return false;
    d.width = rd_u16(h, 5);
    d.height = rd_u16(h, 7);
    claim_single(d, FORMAT_PHOENIX_ICON, ctx.fileSize, h[4] == ICON_4BIT ? SIXTEEN_COLORS : ICON_8BIT_COLORS);
    return true;
}
