// ASUS probes: every ASUS logo is a chain of picture records (see formats/asus_walk.h).
//   14 "ASUS Composite 4OSB"       "ASUS2" at 2, byte 16 in 1..15: "4OSB" chain
//   18 "ASUS Dynamic LOGO (2)"     "ASUS2" at 2, other byte 16: AMI module, "IMG" chain
//   33 "ASUS Composite 4OSB (V2)"  "ASUS" at 2, 32-bit value at 12 not 0: "4OSB" chain
//   19 "ASUS Dynamic LOGO (3)"     three zero bytes: palette, then an "IMG" chain
//   15 "ASUS Dynamic LOGO"         "LOGO": one "SUSA" record, then an "IMG" chain; a "LOGO"
//                                  file without "SUSA" may be Intel's bare TEXTLOGO block
//   17 "ASUS Composite OSB640"     "ASUS" at 2, byte 6 and the value at 12 zero: OSB640 chain
#include <cstring>

#include "core/stream_io.h"
#include "formats/asus_walk.h"
#include "detect/probe_context.h"

namespace {

constexpr std::uint16_t ASUS_COLOR_COUNT = 16;
constexpr std::uint8_t COMPOSITE_KIND_FIRST = 1;  // byte 16 of an "ASUS2" file: 1..15 is a 4OSB chain
constexpr std::uint8_t COMPOSITE_KIND_LAST = 15;
constexpr std::uint32_t DYNAMIC_V3_SIGNATURE_SIZE = 3;  // three zero bytes: palette entry 0, black

void claim(const DetectContext& ctx, LogoDescriptor& d, LogoFormatId id, std::size_t frames)
{
    d.formatId = id;
    d.dataSize = ctx.fileSize;
    d.frameCount = static_cast<std::uint8_t>(frames);  // walks stop at MAX_FRAMES
    d.colorCount = ASUS_COLOR_COUNT;
}

bool claim_4osb(const DetectContext& ctx, LogoDescriptor& d, LogoFormatId id, OsbChainKind kind)
{
    AsusChain chain = walk_4osb_chain(d.stream, kind, MAX_FRAMES, &ctx.load);
    for (const AsusRecord& rec : chain.records)
        merge_largest(d, rec.width, rec.height);
    claim(ctx, d, id, chain.records.size());
    return true;
}

// Frame sizes of an "IMG" chain: widths rounded to 8, the largest or the last record's.
void merge_img_records(LogoDescriptor& d, const AsusChain& chain, bool largest)
{
    for (const AsusRecord& rec : chain.records) {
        std::uint16_t width = round_up_8(rec.width);
        if (largest) {
            merge_largest(d, width, rec.height);
        } else {
            d.width = width;
            d.height = rec.height;
        }
    }
}

}  // namespace

bool probe_asus2(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 2, "ASUS2"))
        return false;
    std::uint8_t kind = ctx.header[16];
    if (kind >= COMPOSITE_KIND_FIRST && kind <= COMPOSITE_KIND_LAST) {
        ctx.load.trace("==>>>DETECT: ASUS Dynamic LOGO (2+) :: 0x1\n");
        return claim_4osb(ctx, d, FORMAT_ASUS_4OSB, OsbChainKind::composite);
    }
    ctx.load.trace("==>>>DETECT: ASUS Dynamic LOGO (2+) :: AMI\n");
    AsusChain chain = walk_dynamic_ami_chain(d.stream, MAX_FRAMES);
    merge_img_records(d, chain, true);
    claim(ctx, d, FORMAT_ASUS_DYNAMIC_2, chain.records.size());
    return true;
}

bool probe_asus_4osb_v2(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 2, "ASUS") || rd_u32(ctx.header, 12) == 0)
        return false;
    ctx.load.trace("==>>>DETECT: ASUS Dynamic LOGO (2) V2\n");
    return claim_4osb(ctx, d, FORMAT_ASUS_4OSB_V2, OsbChainKind::compositeV2);
}

bool probe_asus_dynamic_v3(DetectContext& ctx, LogoDescriptor& d)
{
    // The zero bytes must be in the file: an empty file is not a logo.
    if (ctx.fileSize < DYNAMIC_V3_SIGNATURE_SIZE || ctx.header[0] != 0 || ctx.header[1] != 0 || ctx.header[2] != 0)
        return false;
    // Three zero bytes alone say little: a UEFI firmware volume starts with sixteen. Without
    // one "IMG" record at 0x40 the file is no such logo, and the later probes (QDI's BMP
    // among them) or the ROM scan get their turn.
    AsusChain chain = walk_dynamic_v3_chain(d.stream, MAX_FRAMES);
    if (chain.records.empty())
        return false;
    ctx.load.trace("==>>>DETECT: ASUS Dynamic LOGO (3)\n");
    merge_img_records(d, chain, false);
    claim(ctx, d, FORMAT_ASUS_DYNAMIC_3, chain.records.size());
    return true;
}

bool probe_asus_dynamic_logo(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "LOGO"))
        return false;
    // The "SUSA" picture is frame 0; its size is not merged.
    AsusChain chain = walk_dynamic_logo_chain(d.stream, MAX_FRAMES - 1);
    // Without a "SUSA" record the file may be the glyph block of an Intel TEXTLOGO
    // without its container, which also starts "LOGO".
    if (!chain.found && claim_intel_logo_block(ctx, d))
        return true;
    ctx.load.trace("==>>>DETECT: ASUS Dynamic LOGO\n");
    merge_img_records(d, chain, false);
    claim(ctx, d, FORMAT_ASUS_DYNAMIC, chain.found ? 1 + chain.records.size() : 0);
    return true;
}

bool probe_asus_osb640(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 2, "ASUS") || ctx.header[6] != 0 || rd_u32(ctx.header, 12) != 0)
        return false;
    ctx.load.trace("==>>>DETECT: ASUS OSB640\n");
    AsusChain chain = walk_osb640_chain(d.stream, MAX_FRAMES);
    for (const AsusRecord& rec : chain.records)
        merge_largest(d, rec.width, rec.height);
    claim(ctx, d, FORMAT_ASUS_OSB640, chain.records.size());
    return true;
}
