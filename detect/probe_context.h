// What every probe of the detection chain shares within one run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/load_context.h"
#include "core/logo.h"
#include "formats/geometry.h"

constexpr std::size_t HEADER_BLOCK_SIZE = 32;

struct DetectContext {
    explicit DetectContext(LoadContext& l) : load(l) {}
    LoadContext& load;                             // trace lines, and the stream probes may replace
    std::uint8_t header[HEADER_BLOCK_SIZE] = {};  // first 32 bytes of the file, zero past its end
    std::uint64_t fileSize = 0;
};

// A probe claims the file (fills the descriptor, returns true) or declines (returns
// false and leaves the descriptor as it was). Probes read beyond the header block
// only through the bounded helpers of core/stream_io.h.
using Probe = bool (*)(DetectContext& ctx, LogoDescriptor& d);

// True when the bytes spell text (without its terminator).
inline bool bytes_have(const std::uint8_t* bytes, const char* text)
{
    return std::memcmp(bytes, text, std::strlen(text)) == 0;
}

// True when the header block holds text at offset.
inline bool header_has(const DetectContext& ctx, std::size_t offset, const char* text)
{
    return offset + std::strlen(text) <= HEADER_BLOCK_SIZE && bytes_have(ctx.header + offset, text);
}

// Claims the file as a single picture.
inline void claim_picture(LogoDescriptor& d, LogoFormatId id, std::uint16_t width, std::uint16_t height,
                          std::uint64_t dataSize, std::uint16_t colorCount)
{
    d.formatId = id;
    d.width = width;
    d.height = height;
    d.dataSize = dataSize;
    d.frameCount = 0;
    d.colorCount = colorCount;
}

// Raises the descriptor's size to a frame's where that is larger (the "largest" merge).
inline void merge_largest(LogoDescriptor& d, std::uint16_t width, std::uint16_t height)
{
    if (width > d.width)
        d.width = width;
    if (height > d.height)
        d.height = height;
}

// Award AWBM, AMI GLE and ROM PCX, plain PCX and BMP, EPA, SystemSoft raw and TriGem probes,
// and the Award and BMP layouts without a signature of their own.
bool probe_awbm_with_trailer(DetectContext& ctx, LogoDescriptor& d);
bool probe_awbm_compressed(DetectContext& ctx, LogoDescriptor& d);
bool probe_ami_gle(DetectContext& ctx, LogoDescriptor& d);
bool probe_ami_option_rom_pcx(DetectContext& ctx, LogoDescriptor& d);
bool probe_systemsoft_rom_pcx(DetectContext& ctx, LogoDescriptor& d);
bool probe_pcx8(DetectContext& ctx, LogoDescriptor& d);
bool probe_pcx4(DetectContext& ctx, LogoDescriptor& d);
bool probe_biostar_pcx(DetectContext& ctx, LogoDescriptor& d);
bool probe_qdi_bmp(DetectContext& ctx, LogoDescriptor& d);
bool probe_plain_bmp(DetectContext& ctx, LogoDescriptor& d);
bool probe_systemsoft_raw(DetectContext& ctx, LogoDescriptor& d);
bool probe_epa(DetectContext& ctx, LogoDescriptor& d);
bool probe_trigem(DetectContext& ctx, LogoDescriptor& d);
bool probe_awbm_without_palette(DetectContext& ctx, LogoDescriptor& d);
bool probe_headerless_bmp(DetectContext& ctx, LogoDescriptor& d);
bool probe_award_mini_logo(DetectContext& ctx, LogoDescriptor& d);

// Intel, Phoenix PG and Dell probes (four of them unpack into a temporary stream).
bool probe_phoenix_pg(DetectContext& ctx, LogoDescriptor& d);
bool probe_intel_grfx(DetectContext& ctx, LogoDescriptor& d);
bool probe_intel_textlogo(DetectContext& ctx, LogoDescriptor& d);
bool probe_intel_grfxlogo(DetectContext& ctx, LogoDescriptor& d);
bool probe_intel_compressed_pg(DetectContext& ctx, LogoDescriptor& d);
bool probe_intel_compressed_grfx(DetectContext& ctx, LogoDescriptor& d);
bool probe_dell_nvram(DetectContext& ctx, LogoDescriptor& d);
bool probe_dell_v2(DetectContext& ctx, LogoDescriptor& d);
// Not in the chain: the ASUS Dynamic LOGO probe calls it for a "LOGO" file without a
// "SUSA" record, and it claims the file when it is Intel's bare TEXTLOGO block.
bool claim_intel_logo_block(DetectContext& ctx, LogoDescriptor& d);

// ASUS probes.
bool probe_asus2(DetectContext& ctx, LogoDescriptor& d);
bool probe_asus_4osb_v2(DetectContext& ctx, LogoDescriptor& d);
bool probe_asus_dynamic_v3(DetectContext& ctx, LogoDescriptor& d);
bool probe_asus_dynamic_logo(DetectContext& ctx, LogoDescriptor& d);
bool probe_asus_osb640(DetectContext& ctx, LogoDescriptor& d);

// JPEG, Phoenix envelope and $OSB container probes.
bool probe_jpeg(DetectContext& ctx, LogoDescriptor& d);
bool probe_phoenix_scn(DetectContext& ctx, LogoDescriptor& d);
bool probe_osb_bmp(DetectContext& ctx, LogoDescriptor& d);
bool probe_osb(DetectContext& ctx, LogoDescriptor& d);
bool probe_phoenix_icon(DetectContext& ctx, LogoDescriptor& d);
bool probe_phoenix_scrn(DetectContext& ctx, LogoDescriptor& d);
