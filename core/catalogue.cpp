#include "core/catalogue.h"

#include <cstdio>
#include <cstring>

namespace {

struct CatalogueEntry {
    const char* name;
    FrameKind kind;
};

// Display names and frame kinds, indexed by LogoFormatId.
constexpr CatalogueEntry CATALOGUE[FORMAT_LAST + 1] = {
    {"Error! Unknown format.", FrameKind::none},
    {"Standard EPA", FrameKind::characterCell},
    {"NonStandard EPA", FrameKind::characterCell},
    {"AWBM16 EPA", FrameKind::single},
    {"BMP (8-bit, QDI Release)", FrameKind::single},
    {"BioStar EPA (8-bit, PCX)", FrameKind::single},
    {"Phoenix EPA (PG)", FrameKind::single},
    {"SystemSoft EPA", FrameKind::none},
    {"Intel EPA (GRFX)", FrameKind::single},
    {"AWBM256 EPA", FrameKind::single},
    {"AMI EPA (GLE)", FrameKind::characterCell},
    {"Intel EPA (TEXTLOGO)", FrameKind::characterCell},
    {"Phoenix FirstBIOS ICON", FrameKind::single},
    {"Phoenix FirstBIOS Composite SCRN", FrameKind::multi},
    {"ASUS Composite 4OSB", FrameKind::multi},
    {"ASUS Dynamic LOGO", FrameKind::multi},
    {"AMI GFX (PCX)", FrameKind::single},
    {"ASUS Composite OSB640", FrameKind::multi},
    {"ASUS Dynamic LOGO (2)", FrameKind::multi},
    {"ASUS Dynamic LOGO (3)", FrameKind::multi},
    {"SystemSoft EPA (8-bit, PCX)", FrameKind::single},
    {"TriGem EPA (TM)", FrameKind::single},
    {"AWBM16 EPA (Compressed)", FrameKind::single},
    {"Composite $OSB", FrameKind::multi},
    {"JPEG (plain JFIF)", FrameKind::single},
    {"PCX (4-bit, RLE)", FrameKind::single},
    {"Phoenix Composite Envelope SCN (1)", FrameKind::multi},
    {"PCX (8-bit, RLE)", FrameKind::single},
    {"AWBM256 EPA (Compressed)", FrameKind::single},
    {"Phoenix Composite Envelope SCN (2)", FrameKind::single},
    {"Intel Graphics (GRFXLOGO)", FrameKind::single},
    {"Intel Graphics (Compressed PG)", FrameKind::single},
    {"BMP (plain 4-bit / 8-bit, Indexed)", FrameKind::single},
    {"ASUS Composite 4OSB (V2)", FrameKind::multi},
    {"Intel Graphics (Compressed GRFX)", FrameKind::single},
    {"DELL Computer LOGO (NVRAM)", FrameKind::single},
    {"Composite $OSB (2)", FrameKind::multi},
    {"DELL Computer LOGO (2)", FrameKind::single},
    {"SystemSoft EPA (2)", FrameKind::single},
};

}  // namespace

const char* format_name(LogoFormatId id)
{
    return id <= FORMAT_LAST ? CATALOGUE[id].name : "Unknown!";
}

FrameKind format_frame_kind(LogoFormatId id)
{
    return id <= FORMAT_LAST ? CATALOGUE[id].kind : FrameKind::none;
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
