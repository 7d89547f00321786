// Export As targets of the Award family (AWBM16, AWBM256 and their compressed plug-in
// variants), the AMI/Intel family (GRFX, compressed GRFX) and the Phoenix family (PG,
// compressed PG). A target takes the loaded logo only when its format is one the registry
// lists for it; the file is then encoded, checked and written as convert writes it.
#include "output/export_menu.h"

#include <cstdio>

#include "output/convert_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/viewer_state.h"

// Encoders by menu entry.
const ExportTarget EXPORT_TARGETS[EXPORT_TARGET_COUNT] = {
    {EXPORT_AWBM16, "AWBM16", EncodeTarget::awbm16},
    {EXPORT_AWBM256, "AWBM256", EncodeTarget::awbm256},
    {EXPORT_AWBM16PLIN, "AWBM16PLIN", EncodeTarget::awbm16Compressed},
    {EXPORT_AWBM256PLIN, "AWBM256PLIN", EncodeTarget::awbm256Compressed},
    {EXPORT_GRFX, "GRFX", EncodeTarget::grfx},
    {EXPORT_COMPRESSED_GRFX, "Compressed GRFX", EncodeTarget::grfxCompressed},
    {EXPORT_PG, "PG", EncodeTarget::pg},
    {EXPORT_COMPRESSED_PG, "Compressed PG", EncodeTarget::pgCompressed},
};

bool export_accepts(const ExportTarget& target, LogoFormatId source)
{
    return (format_entry(source).exportTargets >> target.id) & 1u;
}

std::string export_warning(const ExportTarget& target, LogoDescriptor d)
{
    if (export_accepts(target, d.formatId))
        return {};
    std::string name = d.formatName ? d.formatName : "";
    std::string line = "===>>> WARNING: Encoding from \"" + name + "\" Isn't Available";
    front_end().messages().notice_line(line + "\n");
    std::fflush(stdout);
    return line;
}

std::string export_proposed_name(const ExportTarget& target)
{
    return export_file_name(viewer_state().fileName, target_info(target.encodeTarget));
}

bool export_to_file(const ExportTarget& target, const std::string& path, std::string& why)
{
    SourcePicture source;
    if (!loaded_picture(0, source, why))
        return false;
    EncodeOptions options;
    options.target = target.encodeTarget;
    const EncodedLogo encoded = encode_checked(source, options);
    if (!encoded.ok()) {
        why = encoded.refusal;
        return false;
    }
    return write_logo_file(path, viewer_state().fileName, encoded.bytes, why);
}
