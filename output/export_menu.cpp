// Export As targets of the Award family (AWBM16, AWBM256 and their compressed plug-in
// variants), the AMI/Intel family (GRFX, compressed GRFX) and the Phoenix family (PG,
// compressed PG). The encoders decide whether they can take the loaded logo; none of them
// writes a file, so nothing on disk is ever changed by this menu.
#include "output/export_menu.h"

#include <cstdio>

namespace {

constexpr LogoFormatId AWBM16_EPA = 3;
constexpr LogoFormatId PHOENIX_PG = 6;
constexpr LogoFormatId INTEL_GRFX = 8;
constexpr LogoFormatId AWBM256_EPA = 9;

}  // namespace

// Encoders by menu entry, with the source formats each accepts.
const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT] = {
    {"AWBM16", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"AWBM256", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"AWBM16PLIN", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"AWBM256PLIN", {AWBM16_EPA, AWBM256_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"GRFX", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"Compressed GRFX", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"PG", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
    {"Compressed PG", {AWBM16_EPA, PHOENIX_PG, INTEL_GRFX}},
};

bool export_accepts(const ExportTarget& target, LogoFormatId source)
{
    for (LogoFormatId accepted : target.accepted) {
        if (accepted != 0 && accepted == source)
            return true;
    }
    return false;
}

int export_logo(const ExportTarget& target, LogoDescriptor d, const std::string&)
{
    if (!export_accepts(target, d.formatId)) {
        std::printf("===>>> WARNING: Encoding from \"%s\" Isn't Available\n", d.formatName ? d.formatName : "");
        std::fflush(stdout);
    }
    return 0;
}
