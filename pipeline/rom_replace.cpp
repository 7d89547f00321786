#include "pipeline/rom_replace.h"

#include <cstring>

#include "codec/lh5_encode.h"

#include "core/format_string.h"
#include "core/load_context.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/ui_strings.h"

namespace {

// What a logo file decodes to: its size and the RGB of its picture (the first frame's for
// an animation); empty when it does not decode.
struct Drawn {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    LogoFormatId formatId = FORMAT_UNKNOWN;
    std::vector<std::uint8_t> rgb;
};

Drawn draw(std::span<const std::uint8_t> bytes)
{
    Drawn drawn;
    SilentSink silent;
    HeadlessFrontEnd quiet;
    quiet.quiet = true;
    quiet.sink = &silent;
    LoadContext load(silent, false);
    if (!load.replace_input(std::vector<std::uint8_t>(bytes.begin(), bytes.end())))
        return drawn;
    DecodedLogo logo = decode_logo(load, "replacement", quiet, ENGLISH_STRINGS);
    if (!logo.decoded)
        return drawn;
    const LogoDescriptor& d = logo.descriptor;
    const std::uint8_t* pixels = d.image;
    std::uint16_t width = d.width, height = d.height;
    if (!pixels && logo.frames()) {
        pixels = logo.frames()[0].pixels;
        width = logo.frames()[0].width;
        height = logo.frames()[0].height;
    }
    if (!pixels)
        return drawn;
    drawn.width = width;
    drawn.height = height;
    drawn.formatId = d.formatId;
    drawn.rgb.assign(pixels, pixels + std::size_t{width} * height * 3);
    return drawn;
}

// The new image's scan lists a logo at the slot that draws exactly what the new logo draws.
void check_pictures(const RomReplacement& r, const FoundLogo& target, std::span<const std::uint8_t> newLogo,
                    RomVerification& v)
{
    RomScanReport rescan = scan_rom_bytes(r.write.image);
    const FoundLogo* found = nullptr;
    for (const FoundLogo& logo : rescan.logos) {
        if (logo.offset == r.write.report.newOffset && logo.container == target.container && logo.parent < 0)
            found = &logo;
    }
    if (!found) {
        v.failures.push_back("the new image's scan lists no logo at " +
                             format_string("0x%08llx", static_cast<unsigned long long>(r.write.report.newOffset)));
        return;
    }
    Drawn wanted = draw(newLogo);
    Drawn got = draw(found->bytes);
    bool same = !wanted.rgb.empty() && wanted.width == got.width && wanted.height == got.height &&
                wanted.formatId == got.formatId && wanted.rgb == got.rgb;
    if (same)
        v.passed.push_back(format_string("the logo found again draws the new picture pixel for pixel (%ux%u)",
                                         got.width, got.height));
    else
        v.failures.push_back("the logo found again does not draw the new picture");
}

}  // namespace

RomPackers default_rom_packers()
{
    RomPackers packers;
    packers.lh5 = [](std::span<const std::uint8_t> input) { return lh5_encode(input); };
    return packers;
}

RomReplacement replace_rom_logo(std::span<const std::uint8_t> image, const FoundLogo& target,
                                std::span<const std::uint8_t> newLogo, const RomPackers& packers)
{
    RomReplacement r;
    r.write = write_logo_into_rom(image, target, newLogo, packers);
    if (!r.write.ok)
        return r;
    r.verification = verify_rom_write(image, r.write.image, target, newLogo, r.write.report);
    check_pictures(r, target, newLogo, r.verification);
    r.verification.ok = r.verification.failures.empty();
    return r;
}

std::vector<std::string> replacement_report(const RomReplacement& r)
{
    std::vector<std::string> lines;
    const RomWriteReport& w = r.write.report;
    if (!w.slot.empty())
        lines.push_back("slot: " + w.slot);
    if (!r.write.ok) {
        lines.push_back("refused: " + r.write.refusal);
        return lines;
    }
    long long left = static_cast<long long>(w.room) - static_cast<long long>(w.newPacked);
    lines.push_back(format_string("packed size: %llu -> %llu bytes; room %llu, %lld left",
                                  static_cast<unsigned long long>(w.oldPacked),
                                  static_cast<unsigned long long>(w.newPacked),
                                  static_cast<unsigned long long>(w.room), left));
    if (w.moved != 0)
        lines.push_back(format_string("moved: %llu container(s) after it by %+lld bytes",
                                      static_cast<unsigned long long>(w.moved), static_cast<long long>(w.shift)));
    for (const std::string& fixed : w.fixed)
        lines.push_back("fixed: " + fixed);
    for (const std::string& notice : w.notices)
        lines.push_back("note: " + notice);
    for (const std::string& failure : r.verification.failures)
        lines.push_back("verification failed: " + failure);
    if (r.verification.ok)
        lines.push_back(format_string("verified: %zu checks held", r.verification.passed.size()));
    return lines;
}
