#include "pipeline/rom_replace.h"

#include <algorithm>
#include <cstring>

#include "codec/lh5_encode.h"
#include "codec/phoenix_lzari_encode.h"
#include "codec/phoenix_lzss_encode.h"

#include "core/format_string.h"
#include "formats/epa_layout.h"
#include "formats/pcx_layout.h"
#include "core/load_context.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/ui_strings.h"

namespace {

}  // namespace

DrawnLogo draw_logo_bytes(std::span<const std::uint8_t> bytes)
{
    DrawnLogo drawn;
    QuietLoad quiet;
    if (!quiet.load.replace_input(std::vector<std::uint8_t>(bytes.begin(), bytes.end())))
        return drawn;
    DecodedLogo logo = decode_logo(quiet.load, "replacement", quiet.frontEnd, ENGLISH_STRINGS);
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

namespace {

// The new image's scan lists a logo at the slot that draws exactly what the new logo draws.
void check_pictures(const RomReplacement& r, const FoundLogo& target, std::span<const std::uint8_t> newLogo,
                    RomVerification& v)
{
    RomScanReport rescan = scan_rom_bytes(r.write.image);
    const std::uint64_t at = r.write.report.containerOffset;
    const FoundLogo* found = nullptr;
    for (const FoundLogo& logo : rescan.logos) {
        if (logo.offset == at && logo.container == target.container && logo.path.size() == target.path.size())
            found = &logo;
    }
    if (!found) {
        v.failures.push_back("the new image's scan lists no logo at " +
                             format_string("0x%08llx", static_cast<unsigned long long>(at)));
        return;
    }
    DrawnLogo wanted = draw_logo_bytes(newLogo);
    DrawnLogo got = draw_logo_bytes(found->bytes);
    bool same = !wanted.rgb.empty() && wanted.width == got.width && wanted.height == got.height &&
                wanted.rgb == got.rgb;
    if (same)
        v.passed.push_back(format_string("the logo found again draws the new picture pixel for pixel (%ux%u)",
                                         got.width, got.height));
    else
        v.failures.push_back(format_string("the logo found again (%ux%u) does not draw the new picture (%ux%u)",
                                           got.width, got.height, wanted.width, wanted.height));
}

constexpr std::uint64_t BMP_BIT_COUNT_AT = 28;  // biBitCount
constexpr char AWBM_TAG[] = "AWBM";

// The target whose files read as the slot's format.
const TargetInfo* target_of(const FoundLogo& slot)
{
    bool fourBit = slot.bytes.size() > BMP_BIT_COUNT_AT + 1 && slot.bytes[BMP_BIT_COUNT_AT] == 4;
    for (const TargetInfo& info : encode_targets()) {
        if (info.readsAs != slot.formatId)
            continue;
        if (slot.formatId == FORMAT_PLAIN_BMP && (info.target == EncodeTarget::bmp4) != fourBit)
            continue;
        return &info;
    }
    return nullptr;
}

bool contains_awbm(const std::vector<std::uint8_t>& bytes)
{
    return std::search(bytes.begin(), bytes.end(), AWBM_TAG, AWBM_TAG + 4) != bytes.end();
}

// True when the image's system BIOS member (load ID 5000) unpacks to bytes holding "AWBM".
bool system_bios_knows_awbm(std::span<const std::uint8_t> image)
{
    for (const RomCandidate& c : scan_rom_image(image))
        if (c.container == "Award LHA" && c.detail.rfind("5000:", 0) == 0 && contains_awbm(c.bytes))
            return true;
    return false;
}

SlotTarget award_slot_target(std::span<const std::uint8_t> image, const FoundLogo& slot, const TargetInfo* requested)
{
    SlotTarget chosen;
    bool holdsAwbm = slot.formatId == FORMAT_AWBM16 || slot.formatId == FORMAT_AWBM256;
    bool awbmShown = holdsAwbm || system_bios_knows_awbm(image);
    const TargetInfo& usual = target_info(holdsAwbm ? (slot.formatId == FORMAT_AWBM256 ? EncodeTarget::awbm256
                                                                                     : EncodeTarget::awbm16)
                                                    : awbmShown ? EncodeTarget::awbm16 : EncodeTarget::epa);
    chosen.target = requested ? requested : &usual;
    const EncodeTarget t = chosen.target->target;
    if (t == EncodeTarget::epa || (t == EncodeTarget::awbm16 && awbmShown) || chosen.target == &usual)
        return chosen;
    if (t == EncodeTarget::awbm16)
        chosen.warning = "neither the slot nor the system BIOS holds \"AWBM\": the board may not show an AWBM logo";
    else
        chosen.warning = std::string("no Award slot was seen holding ") + chosen.target->title +
                         "; whether the board shows it is unverified";
    return chosen;
}

// The raw PCX the scan found inside the module of slot.
bool inner_pcx(std::span<const std::uint8_t> image, const FoundLogo& slot, RomCandidate& out)
{
    std::vector<RomCandidate> scan = scan_rom_image(image);
    for (const RomCandidate& c : scan) {
        if (c.path.size() == 2 && c.offset == slot.offset && c.path.front().kind == slot.container &&
            c.container == "raw" && c.signature == "PCX") {
            out = c;
            return true;
        }
    }
    return false;
}

// The PCX target that writes the PCX inside an AMI option-ROM module: by its bits per
// pixel (8: 256 colours, else the 4-plane kind).
const TargetInfo* inner_pcx_target(std::span<const std::uint8_t> image, const FoundLogo& slot)
{
    constexpr std::size_t PCX_BITS_AT = 3;
    RomCandidate pcx;
    if (!inner_pcx(image, slot, pcx) || pcx.bytes.size() <= PCX_BITS_AT)
        return nullptr;
    return &target_info(pcx.bytes[PCX_BITS_AT] == 8 ? EncodeTarget::pcx8 : EncodeTarget::pcx4);
}

}  // namespace

SlotTarget choose_slot_target(std::span<const std::uint8_t> image, const FoundLogo& slot, const TargetInfo* requested)
{
    if (slot.container == "Award LHA")
        return award_slot_target(image, slot, requested);
    SlotTarget chosen;
    const TargetInfo* usual = slot.formatId == FORMAT_AMI_GFX_PCX ? inner_pcx_target(image, slot) : target_of(slot);
    chosen.target = requested ? requested : usual;
    if (!chosen.target)
        chosen.refusal = std::string("no encoder writes the slot's format (") + slot.formatName + "); choose one with --format";
    else if (chosen.target != usual)
        chosen.warning = std::string("the slot holds ") + slot.formatName + "; whether the firmware shows " +
                         chosen.target->title + " there is unverified";
    return chosen;
}

std::vector<std::uint8_t> slot_epa_mark(const FoundLogo& slot)
{
    if (slot.formatId != FORMAT_STANDARD_EPA || slot.bytes.size() < MINI_LOGO_SIZE)
        return {};
    return std::vector<std::uint8_t>(slot.bytes.end() - MINI_LOGO_SIZE, slot.bytes.end());
}

RomPackers default_rom_packers()
{
    RomPackers packers;
    packers.lh5 = [](std::span<const std::uint8_t> input) { return lh5_encode(input); };
    packers.phoenixLzss = phoenix_lzss_encode;
    packers.phoenixLzari = phoenix_lzari_encode;
    return packers;
}

RomReplacement replace_rom_logo(std::span<const std::uint8_t> image, const FoundLogo& target,
                                std::span<const std::uint8_t> newLogo, const RomPackers& packers)
{
    RomReplacement r;
    // The PCX inside an AMI option-ROM logo module is what gets written. That module's
    // decoder draws the header palette as stored, a plain PCX's clears the two low bits of
    // each value: cleared in the file, both draw the same picture.
    RomCandidate written = target;
    std::vector<std::uint8_t> logo(newLogo.begin(), newLogo.end());
    if (target.formatId == FORMAT_AMI_GFX_PCX) {
        if (!inner_pcx(image, target, written)) {
            r.write.refusal = "the PCX inside the module is not found";
            return r;
        }
        for (std::size_t i = PCX_HEADER_PALETTE_AT; i < PCX_HEADER_PALETTE_AT + 48 && i < logo.size(); ++i)
            logo[i] &= 0xFC;
    }
    r.write = write_logo_into_rom(image, written, logo, packers);
    if (!r.write.ok)
        return r;
    r.verification = verify_rom_write(image, r.write.image, written, logo, r.write.report);
    check_pictures(r, target, logo, r.verification);
    r.verification.ok = r.verification.failures.empty();
    return r;
}

std::vector<std::string> replacement_report(const RomReplacement& r, const ReplacementReportTexts& texts)
{
    std::vector<std::string> lines;
    const RomWriteReport& w = r.write.report;
    if (!w.slot.empty())
        lines.push_back(format_string(texts.slot, w.slot.c_str()));
    if (!r.write.ok)
        return lines;
    long long left = static_cast<long long>(w.room) - static_cast<long long>(w.newPacked);
    lines.push_back(format_string(texts.packedSize, static_cast<unsigned long long>(w.oldPacked),
                                  static_cast<unsigned long long>(w.newPacked),
                                  static_cast<unsigned long long>(w.room), left));
    if (w.moved != 0)
        lines.push_back(
            format_string(texts.moved, static_cast<unsigned long long>(w.moved), static_cast<long long>(w.shift)));
    for (const std::string& fixed : w.fixed)
        lines.push_back(format_string(texts.fixed, fixed.c_str()));
    for (const std::string& failure : r.verification.failures)
        lines.push_back(format_string(texts.verificationFailed, failure.c_str()));
    if (r.verification.ok)
        lines.push_back(format_string(texts.verified, r.verification.passed.size()));
    return lines;
}
