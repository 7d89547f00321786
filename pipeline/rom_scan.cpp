#include "pipeline/rom_scan.h"

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/load_context.h"
#include "core/owned.h"
#include "core/text_escape.h"
#include "decode/uefi_pictures.h"
#include "formats/pcx_layout.h"
#include "formats/picture_extent.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/input_file.h"
#include "pipeline/ui_strings.h"
#include "rom/uefi_walk.h"

namespace {

// Most pixels a picture may declare per byte of its file: a PCX run pair gives 63 bytes,
// each up to 8 pixels wide at 1 bit per pixel; JPEG and the rest stay far below.
constexpr std::uint64_t MAX_PIXELS_PER_BYTE = 256;
constexpr std::uint64_t SMALL_PICTURE_PIXELS = 64 * 1024;
constexpr std::size_t MAX_NAME_PART = 40;    // characters kept of a member name or ROM leaf
// A raw picture of a two-byte signature has at least this share (1/n) of pixels equal to
// their left neighbour: random bytes in 16 colours give 1/16, drawn pictures far more.
constexpr std::uint64_t MIN_FLAT_SHARE = 4;
constexpr std::size_t MAX_REPORTED_PROBLEMS = 256;
// Work units a detection costs whatever the size of the bytes: the probe chain's reads.
constexpr std::uint64_t DETECTION_COST = 16 * 1024;

// The measuring rule of each format that has one, applied to the bytes: the picture's
// extent, from where the format's file keeps it. nullopt for a format without a rule.
std::optional<PictureExtent> measured_extent(LogoFormatId id, std::span<const std::uint8_t> bytes)
{
    LayoutBytes b(bytes);
    switch (id) {
    case FORMAT_PCX4:
    case FORMAT_PCX8:
    case FORMAT_BIOSTAR_PCX:
        return measure_pcx(b);
    case FORMAT_AMI_GFX_PCX:
    case FORMAT_SYSTEMSOFT_PCX: {
        // Inside an option ROM: from the first 0A 05 pair of the window, as the decoder reads it.
        std::size_t window = id == FORMAT_AMI_GFX_PCX ? AMI_PCX_WINDOW : SYSTEMSOFT_PCX_WINDOW;
        for (std::size_t k = 0; k < window && k + 1 < bytes.size(); ++k)
            if (bytes[k] == PCX_MAKER && bytes[k + 1] == PCX_VERSION_5)
                return measure_pcx(LayoutBytes(bytes.subspan(k)));
        return PictureExtent{};
    }
    case FORMAT_PLAIN_BMP:
        return measure_bmp(b);
    case FORMAT_AWBM16:
    case FORMAT_AWBM256:
    case FORMAT_AWBM16_COMPRESSED:
    case FORMAT_AWBM256_COMPRESSED:
        return measure_awbm(b);
    case FORMAT_PHOENIX_PG:
        return measure_pg(b);
    case FORMAT_INTEL_GRFX:
        return measure_grfx(b);
    case FORMAT_PHOENIX_ICON:
        return measure_icon(b);
    case FORMAT_AMI_GLE:
        return measure_gle(b);
    case FORMAT_TRIGEM:
        return measure_trigem(b);
    case FORMAT_INTEL_TEXTLOGO:
        return b.has(0, "LOGO", 4) ? measure_logo_block(b) : measure_textlogo(b);
    case FORMAT_JPEG:
        return measure_jpeg(b);
    case FORMAT_OSB:
    case FORMAT_OSB_2:
        return measure_osb(b);
    case FORMAT_PHOENIX_SCRN:
        return measure_scrn(b);
    case FORMAT_SCN_1:
    case FORMAT_SCN_2:
        return measure_scn(b);
    default:
        return std::nullopt;
    }
}

// True when a picture of at least two colours is in the width x height RGB buffer.
bool has_two_colours(const std::uint8_t* rgb, std::uint64_t width, std::uint64_t height)
{
    if (!rgb || width == 0 || height == 0)
        return false;
    std::uint64_t bytes = width * height * 3;
    for (std::uint64_t i = 3; i < bytes; i += 3) {
        if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2])
            return true;
    }
    return false;
}

bool picture_has_two_colours(DecodedLogo& logo)
{
    const LogoDescriptor& d = logo.descriptor;
    if (d.frameCount == 0)
        return has_two_colours(d.image, d.width, d.height);
    for (const LogoFrame& frame : logo.buffers.frames) {
        if (has_two_colours(frame.pixels, frame.width, frame.height))
            return true;
    }
    return false;
}

// True when at least 1/MIN_FLAT_SHARE of the pixels equal their left neighbour.
bool rows_are_drawn(const LogoDescriptor& d)
{
    if (!d.image || d.width < 2)
        return false;
    std::uint64_t same = 0, pairs = 0;
    for (std::uint64_t y = 0; y < d.height; ++y) {
        const std::uint8_t* row = d.image + y * d.width * 3;
        for (std::uint64_t x = 1; x < d.width; ++x, ++pairs)
            same += std::memcmp(row + 3 * x, row + 3 * (x - 1), 3) == 0;
    }
    return same * MIN_FLAT_SHARE >= pairs;
}

// Signatures of two bytes, whose raw hits must show drawn rows.
bool weak_signature(const std::string& signature)
{
    return signature == "PG";
}

// The scan's confirmation: detection and a decode of each candidate, the logos kept.
class Confirmer : public RomLogoCheck {
public:
    bool is_logo(const RomCandidate& candidate, RomWork& work) override;

    std::vector<FoundLogo> logos;
    std::vector<RomSkipped> dropped;
    std::uint64_t keptBytes = 0;
};

bool Confirmer::is_logo(const RomCandidate& candidate, RomWork& work)
{
    std::span<const std::uint8_t> bytes = candidate.bytes;
    if (!work.charge(DETECTION_COST + bytes.size()))  // the probes, and the copy they read
        return false;
    SilentSink silent;
    LogoDescriptor d;
    {
        LoadContext load(silent, false);
        d = detect_found_logo(load, bytes);
    }
    bool known = d.formatId != FORMAT_UNKNOWN || uefi_picture_kind(bytes) != UefiPicture::none;
    if (!known || d.width == 0 || d.height == 0)
        return false;
    std::uint64_t pixels = std::uint64_t{d.width} * d.height * (d.frameCount ? d.frameCount : 1);
    if (pixels > MAX_ROM_CONFIRM_PIXELS || (pixels > SMALL_PICTURE_PIXELS && pixels / MAX_PIXELS_PER_BYTE > bytes.size()))
        return false;
    std::optional<PictureExtent> extent = measured_extent(d.formatId, bytes);
    if (extent && !extent->complete)
        return false;
    // The decode: its copy of the bytes and its pixels.
    if (!work.charge(bytes.size() + pixels))
        return false;

    HeadlessFrontEnd quiet;
    quiet.quiet = true;
    quiet.sink = &silent;
    LoadContext load(silent, false);
    DecodedLogo logo = decode_found_logo(load, bytes, candidate.name, quiet, ENGLISH_STRINGS);
    if (!logo.decoded)
        return false;
    bool blank = !picture_has_two_colours(logo);
    if (blank && !candidate.namedSlot)
        return false;
    if (candidate.container == "raw" && weak_signature(candidate.signature) && !rows_are_drawn(logo.descriptor))
        return false;
    if (keptBytes + bytes.size() > MAX_ROM_KEPT_BYTES) {
        RomSkipped s{candidate.offset, candidate.path, "a logo, not listed: the listed logos hold " +
                                                           std::to_string(MAX_ROM_KEPT_BYTES >> 20) + " MiB already"};
        dropped.push_back(std::move(s));
        return false;
    }
    keptBytes += bytes.size();
    FoundLogo found;
    static_cast<RomCandidate&>(found) = candidate;
    if (blank)
        found.notes.push_back("blank picture");
    found.formatId = logo.descriptor.formatId;
    found.formatName = logo.descriptor.formatName ? logo.descriptor.formatName : "";
    found.width = logo.descriptor.width;
    found.height = logo.descriptor.height;
    found.frameCount = logo.descriptor.frameCount;
    logos.push_back(std::move(found));
    return true;
}

// Keeps [A-Za-z0-9-]; any other byte becomes '_', runs of them one '_'.
std::string name_part(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (keep)
            out += static_cast<char>(c);
        else if (out.empty() || out.back() != '_')
            out += '_';
        if (out.size() == MAX_NAME_PART)
            break;
    }
    return out;
}

// The member name as a file name part: no DOS path, nothing after a NUL.
std::string member_part(const FoundLogo& logo)
{
    std::string name = logo.name.substr(0, logo.name.find('\0'));
    std::size_t cut = name.find_last_of("\\/:");
    if (cut != std::string::npos)
        name = name.substr(cut + 1);
    std::string part = name_part(name);
    if (part.empty() || part == "_")
        part = name_part(logo.container);
    return part;
}

// A stored name for a line of text: up to the first NUL, escaped, quotes and backslashes too.
std::string shown_name(const std::string& stored)
{
    return escaped_text(std::string_view(stored).substr(0, stored.find('\0')), "\"\\");
}

}  // namespace

std::string found_logo_name(const std::string& romPath, const FoundLogo& logo)
{
    std::size_t slash = romPath.find_last_of('/');
    std::string leaf = slash == std::string::npos ? romPath : romPath.substr(slash + 1);
    char offset[24];
    std::snprintf(offset, sizeof offset, "%08llx", static_cast<unsigned long long>(logo.offset));
    return name_part(leaf) + "-" + offset + "-" + member_part(logo);
}

std::string found_logo_stem(const std::string& romPath, const FoundLogo& logo)
{
    std::size_t slash = romPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : romPath.substr(0, slash + 1);
    return folder + found_logo_name(romPath, logo);
}

std::string rom_path_text(const std::vector<RomContainer>& path)
{
    std::string text;
    for (const RomContainer& step : path) {
        if (!text.empty())
            text += " > ";
        // A UEFI step's detail is the section path the walk built of GUIDs, kinds and
        // escaped UI names.
        if (step.kind == UEFI_CONTAINER) {
            text += step.kind + " " + step.detail;
            continue;
        }
        text += step.kind + " \"" + shown_name(step.name) + "\"";
        if (!step.detail.empty())
            text += " (" + shown_name(step.detail) + ")";
    }
    return text;
}

std::string found_logo_place(const FoundLogo& logo)
{
    if (!logo.path.empty())
        return rom_path_text(logo.path);
    std::string place = logo.container + " \"" + shown_name(logo.name) + "\"";
    if (!logo.detail.empty())
        place += " (" + shown_name(logo.detail) + ")";
    return place;
}

std::string skipped_text(const RomSkipped& skipped)
{
    if (skipped.path.empty() && skipped.offset == 0)
        return skipped.reason;
    char offset[24];
    std::snprintf(offset, sizeof offset, "0x%08llx", static_cast<unsigned long long>(skipped.offset));
    std::string place = rom_path_text(skipped.path);
    return std::string(offset) + (place.empty() ? "" : " " + place) + ": " + skipped.reason;
}

RomScanReport scan_rom_bytes(std::span<const std::uint8_t> image)
{
    RomScanReport report;
    Confirmer confirmer;
    RomScanResult result = scan_rom_tree(image, RomScanLimits{}, &confirmer);
    report.logos = std::move(confirmer.logos);
    report.skipped = std::move(result.skipped);
    for (RomSkipped& s : confirmer.dropped)
        report.skipped.push_back(std::move(s));
    report.skippedNotKept = result.skippedNotKept;
    report.notScanned = result.notScanned;
    report.incomplete = result.budgetSpent || result.capReached || result.notScanned || !confirmer.dropped.empty();
    for (const RomSkipped& s : report.skipped)
        if (report.problems.size() < MAX_REPORTED_PROBLEMS)
            report.problems.push_back(skipped_text(s));
    if (report.skippedNotKept)
        report.problems.push_back(std::to_string(report.skippedNotKept) + " more records skipped");
    std::stable_sort(report.logos.begin(), report.logos.end(),
                     [](const FoundLogo& a, const FoundLogo& b) { return a.offset < b.offset; });
    return report;
}

bool read_rom_file(const std::string& path, std::vector<std::uint8_t>& image, RomScanReport& report)
{
    image.clear();
    OwnedFile file = open_input_file(path, report.openProblem);
    if (!file) {
        report.opened = false;
        return false;
    }
    const std::uint64_t maxSize = RomScanLimits{}.maxFileSize;
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (image.size() + got > maxSize) {
            report.notScanned = report.incomplete = true;
            report.skipped.push_back({0, {}, rom_too_large_reason(RomScanLimits{})});
            report.problems.push_back(report.skipped.back().reason);
            image.clear();
            return false;
        }
        image.insert(image.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        report.opened = false;
        report.openProblem = std::strerror(errno);
        image.clear();
        return false;
    }
    return true;
}

RomScanReport scan_rom(const std::string& path)
{
    RomScanReport report;
    std::vector<std::uint8_t> image;
    if (!read_rom_file(path, image, report))
        return report;
    return scan_rom_bytes(image);
}
