#include "pipeline/format_registry.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "decode/decoders.h"
#include "detect/probe_order.h"

namespace {

constexpr FormatDecoder single(SingleDecoder f)
{
    return {FrameKind::single, f, nullptr, nullptr};
}
constexpr FormatDecoder cell(CellDecoder f)
{
    return {FrameKind::characterCell, nullptr, f, nullptr};
}
constexpr FormatDecoder frames(FrameDecoder f)
{
    return {FrameKind::multi, nullptr, nullptr, f};
}
constexpr FormatDecoder NO_DECODER = {};

constexpr ExportTargets NO_EXPORT = 0;
// The Award, Phoenix PG and Intel GRFX pictures go to every target; AWBM256 only to its
// plug-in variant.
constexpr ExportTargets EVERY_EXPORT = (1u << EXPORT_TARGET_COUNT) - 1;
constexpr ExportTargets AWBM256PLIN_ONLY = 1u << EXPORT_AWBM256PLIN;

constexpr FrameKind NONE = FrameKind::none;
constexpr FrameKind SINGLE = FrameKind::single;
constexpr FrameKind CELLS = FrameKind::characterCell;
constexpr FrameKind MULTI = FrameKind::multi;

// Indexed by LogoFormatId: identifier, display name, kind, probe, decoder, Export As
// targets, traits.
constexpr FormatEntry FORMATS[] = {
    {0, "Error! Unknown format.", NONE, nullptr, NO_DECODER, NO_EXPORT},
    {1, "Standard EPA", CELLS, probe_epa, cell(decode_EPA), NO_EXPORT, SIDE_PANELS},
    {2, "NonStandard EPA", CELLS, probe_epa, cell(decode_EPA), NO_EXPORT},
    {3, "AWBM16 EPA", SINGLE, probe_awbm_with_trailer, single(AWBM16bm), EVERY_EXPORT},
    {4, "BMP (8-bit, QDI Release)", SINGLE, probe_qdi_bmp, single(QDIBMPbm), NO_EXPORT},
    {5, "BioStar EPA (8-bit, PCX)", SINGLE, probe_biostar_pcx, single(BIOGFXbm), NO_EXPORT},
    {6, "Phoenix EPA (PG)", SINGLE, probe_phoenix_pg, single(decode_PGBM), EVERY_EXPORT},
    {7, "SystemSoft EPA", NONE, nullptr, NO_DECODER, NO_EXPORT},
    {8, "Intel EPA (GRFX)", SINGLE, probe_intel_grfx, single(decode_GRFX), EVERY_EXPORT},
    {9, "AWBM256 EPA", SINGLE, probe_awbm_with_trailer, single(AWBM256bm), AWBM256PLIN_ONLY},
    {10, "AMI EPA (GLE)", CELLS, probe_ami_gle, cell(decode_GLE), NO_EXPORT, SIDE_PANELS},
    {11, "Intel EPA (TEXTLOGO)", CELLS, probe_intel_textlogo, cell(decode_TEXTLOGO), NO_EXPORT, SIDE_PANELS},
    {12, "Phoenix FirstBIOS ICON", SINGLE, probe_phoenix_icon, single(decode_ICON), NO_EXPORT, EXTERNAL_PALETTE},
    {13, "Phoenix FirstBIOS Composite SCRN", MULTI, probe_phoenix_scrn, frames(decode_SCRN), NO_EXPORT},
    {14, "ASUS Composite 4OSB", MULTI, probe_asus2, frames(decode_ASUSbm), NO_EXPORT},
    {15, "ASUS Dynamic LOGO", MULTI, probe_asus_dynamic_logo, frames(decode_ASUSLOGObm), NO_EXPORT},
    {16, "AMI GFX (PCX)", SINGLE, probe_ami_option_rom_pcx, single(AMIGFXbm), NO_EXPORT},
    {17, "ASUS Composite OSB640", MULTI, probe_asus_osb640, frames(decode_ASUSOSB640), NO_EXPORT},
    {18, "ASUS Dynamic LOGO (2)", MULTI, probe_asus2, frames(decode_ASUS2v2bm), NO_EXPORT},
    {19, "ASUS Dynamic LOGO (3)", MULTI, probe_asus_dynamic_v3, frames(decode_ASUSv3bm), NO_EXPORT},
    {20, "SystemSoft EPA (8-bit, PCX)", SINGLE, probe_systemsoft_rom_pcx, single(SYSOFXbm), NO_EXPORT},
    {21, "TriGem EPA (TM)", SINGLE, probe_trigem, single(TMGFXbm), NO_EXPORT},
    {22, "AWBM16 EPA (Compressed)", SINGLE, probe_awbm_compressed, single(AWBMV2bm), NO_EXPORT},
    {23, "Composite $OSB", MULTI, probe_osb, frames(OSB2bm), NO_EXPORT},
    {24, "JPEG (plain JFIF)", SINGLE, probe_jpeg, single(decode_JPEG), NO_EXPORT},
    {25, "PCX (4-bit, RLE)", SINGLE, probe_pcx4, single(PCX4RLEbm), NO_EXPORT},
    {26, "Phoenix Composite Envelope SCN (1)", MULTI, probe_phoenix_scn, frames(decode_SCN), NO_EXPORT},
    {27, "PCX (8-bit, RLE)", SINGLE, probe_pcx8, single(PCX8RLEbm), NO_EXPORT},
    {28, "AWBM256 EPA (Compressed)", SINGLE, probe_awbm_compressed, single(AWBM256V2bm), NO_EXPORT},
    {29, "Phoenix Composite Envelope SCN (2)", SINGLE, probe_phoenix_scn, single(decode_SCN2), NO_EXPORT},
    {30, "Intel Graphics (GRFXLOGO)", SINGLE, probe_intel_grfxlogo, single(decode_GRFXLOGO), NO_EXPORT},
    {31, "Intel Graphics (Compressed PG)", SINGLE, probe_intel_compressed_pg, single(decode_PGBM), NO_EXPORT},
    {32, "BMP (plain 4-bit / 8-bit, Indexed)", SINGLE, probe_plain_bmp, single(BMP8i), NO_EXPORT},
    {33, "ASUS Composite 4OSB (V2)", MULTI, probe_asus_4osb_v2, frames(decode_ASUSV2bm), NO_EXPORT},
    {34, "Intel Graphics (Compressed GRFX)", SINGLE, probe_intel_compressed_grfx, single(decode_GRFX), NO_EXPORT},
    {35, "DELL Computer LOGO (NVRAM)", SINGLE, probe_dell_nvram, single(BMP8i), NO_EXPORT},
    {36, "Composite $OSB (2)", MULTI, probe_osb_bmp, frames(decode_OSB2), NO_EXPORT},
    {37, "DELL Computer LOGO (2)", SINGLE, probe_dell_v2, single(decode_DELL2), NO_EXPORT},
    {38, "SystemSoft EPA (2)", SINGLE, probe_systemsoft_raw, single(decode_SYSOEPA2), NO_EXPORT},
};

constexpr FormatEntry BEYOND_CATALOGUE = {0, "Unknown!", NONE, nullptr, NO_DECODER, NO_EXPORT};

// A forgotten, extra or misplaced row does not compile.
static_assert(std::size(FORMATS) == FORMAT_LAST + 1, "one registry row per format identifier");

constexpr bool rows_in_order()
{
    for (unsigned i = 0; i < std::size(FORMATS); ++i)
        if (FORMATS[i].id != i)
            return false;
    return true;
}
static_assert(rows_in_order(), "registry rows are indexed by their identifier");

// Each kind has the decoder shape the pipeline calls it with; only formats with a decoder
// have a kind.
constexpr bool decoders_fit()
{
    for (const FormatEntry& e : FORMATS)
        if (e.decoder.shape != e.kind)
            return false;
    return true;
}
static_assert(decoders_fit(), "every format's decoder has the call shape of its kind");

// GCC does not fold comparisons of function addresses under -fsanitize=null, so the
// sanitizer build leaves this check to the plain build.
#ifndef ZARPO2_SANITIZED
constexpr bool probe_in_chain(Probe probe)
{
    for (Probe p : PROBE_ORDER)
        if (p == probe)
            return true;
    return false;
}

constexpr bool probes_in_chain()
{
    for (const FormatEntry& e : FORMATS)
        if ((e.kind == FrameKind::none) != (e.probe == nullptr) || (e.probe && !probe_in_chain(e.probe)))
            return false;
    return true;
}
static_assert(probes_in_chain(), "every decodable format is claimed by a probe of the chain");
#endif

}  // namespace

const FormatEntry& format_entry(LogoFormatId id)
{
    return id < std::size(FORMATS) ? FORMATS[id] : BEYOND_CATALOGUE;
}

const char* format_name(LogoFormatId id)
{
    return format_entry(id).name;
}

void print_format_list()
{
    for (unsigned id = 1; id <= 255; ++id) {
        const char* name = format_name(static_cast<LogoFormatId>(id));
        if (std::strncmp(name, "Unk", 3) == 0)
            break;
        std::printf("\t\t[%2.2i]: %s\n", id, name);
    }
}
