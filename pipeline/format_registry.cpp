#include "pipeline/format_registry.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "decode/decoders.h"
#include "detect/probe_order.h"

namespace {

constexpr FormatDecoder single(SingleDecoder f) { return {f, nullptr, nullptr}; }
constexpr FormatDecoder cell(CellDecoder f) { return {nullptr, f, nullptr}; }
constexpr FormatDecoder frames(FrameDecoder f) { return {nullptr, nullptr, f}; }
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

// Indexed by LogoFormatId.
constexpr FormatEntry FORMATS[] = {
    {0, "Error! Unknown format.", NONE, false, false, nullptr, NO_DECODER, NO_EXPORT},
    {1, "Standard EPA", CELLS, true, false, probe_epa, cell(decode_EPA), NO_EXPORT},
    {2, "NonStandard EPA", CELLS, false, false, probe_epa, cell(decode_EPA), NO_EXPORT},
    {3, "AWBM16 EPA", SINGLE, false, false, probe_awbm_with_trailer, single(AWBM16bm), EVERY_EXPORT},
    {4, "BMP (8-bit, QDI Release)", SINGLE, false, false, probe_qdi_bmp, single(QDIBMPbm), NO_EXPORT},
    {5, "BioStar EPA (8-bit, PCX)", SINGLE, false, false, probe_biostar_pcx, single(BIOGFXbm), NO_EXPORT},
    {6, "Phoenix EPA (PG)", SINGLE, false, false, probe_phoenix_pg, single(decode_PGBM), EVERY_EXPORT},
    {7, "SystemSoft EPA", NONE, false, false, nullptr, NO_DECODER, NO_EXPORT},
    {8, "Intel EPA (GRFX)", SINGLE, false, false, probe_intel_grfx, single(decode_GRFX), EVERY_EXPORT},
    {9, "AWBM256 EPA", SINGLE, false, false, probe_awbm_with_trailer, single(AWBM256bm), AWBM256PLIN_ONLY},
    {10, "AMI EPA (GLE)", CELLS, true, false, probe_ami_gle, cell(decode_GLE), NO_EXPORT},
    {11, "Intel EPA (TEXTLOGO)", CELLS, true, false, probe_intel_textlogo, cell(decode_TEXTLOGO), NO_EXPORT},
    {12, "Phoenix FirstBIOS ICON", SINGLE, false, true, probe_phoenix_icon, single(decode_ICON), NO_EXPORT},
    {13, "Phoenix FirstBIOS Composite SCRN", MULTI, false, false, probe_phoenix_scrn, frames(decode_SCRN), NO_EXPORT},
    {14, "ASUS Composite 4OSB", MULTI, false, false, probe_asus2, frames(decode_ASUSbm), NO_EXPORT},
    {15, "ASUS Dynamic LOGO", MULTI, false, false, probe_asus_dynamic_logo, frames(decode_ASUSLOGObm), NO_EXPORT},
    {16, "AMI GFX (PCX)", SINGLE, false, false, probe_ami_option_rom_pcx, single(AMIGFXbm), NO_EXPORT},
    {17, "ASUS Composite OSB640", MULTI, false, false, probe_asus_osb640, frames(decode_ASUSOSB640), NO_EXPORT},
    {18, "ASUS Dynamic LOGO (2)", MULTI, false, false, probe_asus2, frames(decode_ASUS2v2bm), NO_EXPORT},
    {19, "ASUS Dynamic LOGO (3)", MULTI, false, false, probe_asus_dynamic_v3, frames(decode_ASUSv3bm), NO_EXPORT},
    {20, "SystemSoft EPA (8-bit, PCX)", SINGLE, false, false, probe_systemsoft_rom_pcx, single(SYSOFXbm), NO_EXPORT},
    {21, "TriGem EPA (TM)", SINGLE, false, false, probe_trigem, single(TMGFXbm), NO_EXPORT},
    {22, "AWBM16 EPA (Compressed)", SINGLE, false, false, probe_awbm_compressed, single(AWBMV2bm), NO_EXPORT},
    {23, "Composite $OSB", MULTI, false, false, probe_osb, frames(OSB2bm), NO_EXPORT},
    {24, "JPEG (plain JFIF)", SINGLE, false, false, probe_jpeg, single(decode_JPEG), NO_EXPORT},
    {25, "PCX (4-bit, RLE)", SINGLE, false, false, probe_pcx4, single(PCX4RLEbm), NO_EXPORT},
    {26, "Phoenix Composite Envelope SCN (1)", MULTI, false, false, probe_phoenix_scn, frames(decode_SCN), NO_EXPORT},
    {27, "PCX (8-bit, RLE)", SINGLE, false, false, probe_pcx8, single(PCX8RLEbm), NO_EXPORT},
    {28, "AWBM256 EPA (Compressed)", SINGLE, false, false, probe_awbm_compressed, single(AWBM256V2bm), NO_EXPORT},
    {29, "Phoenix Composite Envelope SCN (2)", SINGLE, false, false, probe_phoenix_scn, single(decode_SCN2), NO_EXPORT},
    {30, "Intel Graphics (GRFXLOGO)", SINGLE, false, false, probe_intel_grfxlogo, single(decode_GRFXLOGO), NO_EXPORT},
    {31, "Intel Graphics (Compressed PG)", SINGLE, false, false, probe_intel_compressed_pg, single(decode_PGBM), NO_EXPORT},
    {32, "BMP (plain 4-bit / 8-bit, Indexed)", SINGLE, false, false, probe_plain_bmp, single(BMP8i), NO_EXPORT},
    {33, "ASUS Composite 4OSB (V2)", MULTI, false, false, probe_asus_4osb_v2, frames(decode_ASUSV2bm), NO_EXPORT},
    {34, "Intel Graphics (Compressed GRFX)", SINGLE, false, false, probe_intel_compressed_grfx, single(decode_GRFX), NO_EXPORT},
    {35, "DELL Computer LOGO (NVRAM)", SINGLE, false, false, probe_dell_nvram, single(BMP8i), NO_EXPORT},
    {36, "Composite $OSB (2)", MULTI, false, false, probe_osb_bmp, frames(decode_OSB2), NO_EXPORT},
    {37, "DELL Computer LOGO (2)", SINGLE, false, false, probe_dell_v2, single(decode_DELL2), NO_EXPORT},
    {38, "SystemSoft EPA (2)", SINGLE, false, false, probe_systemsoft_raw, single(decode_SYSOEPA2), NO_EXPORT},
};

constexpr FormatEntry BEYOND_CATALOGUE = {0, "Unknown!", NONE, false, false, nullptr, NO_DECODER, NO_EXPORT};

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

// Each kind has the decoder shape the pipeline calls it with, and only formats with a
// decoder have a kind.
constexpr bool decoder_fits(const FormatEntry& e)
{
    const FormatDecoder& dec = e.decoder;
    int shapes = (dec.single != nullptr) + (dec.cell != nullptr) + (dec.frames != nullptr);
    switch (e.kind) {
    case FrameKind::none: return shapes == 0;
    case FrameKind::single: return shapes == 1 && dec.single != nullptr;
    case FrameKind::characterCell: return shapes == 1 && dec.cell != nullptr;
    case FrameKind::multi: return shapes == 1 && dec.frames != nullptr;
    }
    return false;
}

constexpr bool probe_in_chain(Probe probe)
{
    for (Probe p : PROBE_ORDER)
        if (p == probe)
            return true;
    return false;
}

constexpr bool rows_consistent()
{
    for (const FormatEntry& e : FORMATS) {
        if (!decoder_fits(e))
            return false;
        // A format that can be decoded is claimed by a probe of the chain.
        if ((e.kind == FrameKind::none) != (e.probe == nullptr) || (e.probe && !probe_in_chain(e.probe)))
            return false;
    }
    return true;
}
// g++ cannot compare function addresses at compile time under AddressSanitizer; the
// plain builds check the table.
#ifndef __SANITIZE_ADDRESS__
static_assert(rows_consistent(), "every decodable format has a decoder of its kind and a probe in the chain");
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
