// Export As targets of the Award family (AWBM16, AWBM256 and their compressed plug-in
// variants), the AMI/Intel family (GRFX, compressed GRFX) and the Phoenix family (PG,
// compressed PG). The encoders decide whether they can take the loaded logo; none of them
// writes a file, so nothing on disk is ever changed by this menu.
#include "output/export_menu.h"

#include <cstdio>

#include "pipeline/front_end.h"

// Encoders by menu entry.
const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT] = {
    {EXPORT_AWBM16, "AWBM16"},
    {EXPORT_AWBM256, "AWBM256"},
    {EXPORT_AWBM16PLIN, "AWBM16PLIN"},
    {EXPORT_AWBM256PLIN, "AWBM256PLIN"},
    {EXPORT_GRFX, "GRFX"},
    {EXPORT_COMPRESSED_GRFX, "Compressed GRFX"},
    {EXPORT_PG, "PG"},
    {EXPORT_COMPRESSED_PG, "Compressed PG"},
};

bool export_accepts(const ExportTarget& target, LogoFormatId source)
{
    return (format_entry(source).exportTargets >> target.id) & 1u;
}

int export_logo(const ExportTarget& target, LogoDescriptor d, const std::string&)
{
    if (!export_accepts(target, d.formatId)) {
        std::string name = d.formatName ? d.formatName : "";
        front_end().messages().notice_line("===>>> WARNING: Encoding from \"" + name + "\" Isn't Available\n");
        std::fflush(stdout);
    }
    return 0;
}
