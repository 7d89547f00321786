#include "pipeline/rom_scan.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/load_context.h"
#include "core/owned.h"
#include "core/text_escape.h"
#include "decode/uefi_pictures.h"
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
constexpr std::uint64_t MIN_DATA_SHARE = 4;  // the picture's data is at least 1/4 of the bytes
constexpr std::size_t MAX_NAME_PART = 40;    // characters kept of a member name or ROM leaf

struct ConfirmBudget {
    std::uint64_t pixels = MAX_ROM_CONFIRM_PIXELS;
    std::size_t decodes = MAX_ROM_CONFIRMATIONS;
};

// The signature whose measuring rule fits each format, where one does.
const char* measured_signature(LogoFormatId id)
{
    switch (id) {
    case FORMAT_PCX4:
    case FORMAT_PCX8:
    case FORMAT_BIOSTAR_PCX:
        return "PCX";
    case FORMAT_PLAIN_BMP:
        return "BMP";
    case FORMAT_AWBM16:
    case FORMAT_AWBM256:
    case FORMAT_AWBM16_COMPRESSED:
    case FORMAT_AWBM256_COMPRESSED:
        return "AWBM";
    case FORMAT_PHOENIX_PG:
        return "PG";
    case FORMAT_INTEL_GRFX:
        return "GRFX";
    case FORMAT_PHOENIX_ICON:
        return "ICON";
    case FORMAT_INTEL_TEXTLOGO:
        return "TEXTLOGO";
    case FORMAT_JPEG:
        return "JPEG";
    default:
        return nullptr;
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

bool picture_is_plausible(DecodedLogo& logo)
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

// Where the format is measured by the raw sweep's rules: the data is all in the bytes and
// takes a fair share of them.
bool data_fills_bytes(LogoFormatId id, std::span<const std::uint8_t> bytes)
{
    const char* expected = measured_signature(id);
    std::string signature;
    std::uint64_t extent = rom_picture_extent(bytes, signature);
    if (!expected || signature != expected)
        return true;
    return extent != 0 && extent * MIN_DATA_SHARE >= bytes.size();
}

// "0x4000 Award LHA "logo.bmp"": how problem lines name a record.
std::string record_text(const RomCandidate& c)
{
    char offset[24];
    std::snprintf(offset, sizeof offset, "0x%llx", static_cast<unsigned long long>(c.offset));
    return std::string(offset) + " " + c.container + " \"" + c.name.substr(0, c.name.find('\0')) + "\"";
}

// Confirms one candidate: fills found's picture fields and returns true when its bytes
// hold a plausible logo.
bool confirm(const RomCandidate& candidate, FoundLogo& found, ConfirmBudget& budget, std::vector<std::string>& problems)
{
    std::span<const std::uint8_t> bytes = candidate.bytes;
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
    if (pixels > SMALL_PICTURE_PIXELS && pixels / MAX_PIXELS_PER_BYTE > bytes.size())
        return false;
    if (!data_fills_bytes(d.formatId, bytes))
        return false;
    if (budget.decodes == 0 || pixels > budget.pixels) {
        problems.push_back(record_text(candidate) + ": not tried, the scan's decoding budget is spent");
        return false;
    }
    budget.decodes -= 1;
    budget.pixels -= pixels;

    HeadlessFrontEnd quiet;
    quiet.quiet = true;
    quiet.sink = &silent;
    LoadContext load(silent, false);
    DecodedLogo logo = decode_found_logo(load, bytes, candidate.name, quiet, ENGLISH_STRINGS);
    if (!logo.decoded || !picture_is_plausible(logo))
        return false;
    static_cast<RomCandidate&>(found) = candidate;
    found.formatId = logo.descriptor.formatId;
    found.formatName = logo.descriptor.formatName ? logo.descriptor.formatName : "";
    found.width = logo.descriptor.width;
    found.height = logo.descriptor.height;
    found.frameCount = logo.descriptor.frameCount;
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

std::string found_logo_place(const FoundLogo& logo)
{
    // A UEFI record's detail is the path the walk built of GUIDs, kinds and escaped UI names.
    if (logo.container == UEFI_CONTAINER)
        return logo.container + " " + logo.detail;
    std::string place = logo.container + " \"" + shown_name(logo.name) + "\"";
    if (!logo.detail.empty())
        place += " (" + shown_name(logo.detail) + ")";
    return place;
}

RomScanReport scan_rom_bytes(std::span<const std::uint8_t> image)
{
    RomScanReport report;
    std::vector<RomCandidate> candidates = scan_rom_image(image);
    std::vector<int> listed(candidates.size(), -1);  // index in report.logos, per candidate
    ConfirmBudget budget;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const RomCandidate& c = candidates[i];
        if (c.container != "raw") {
            for (const std::string& note : c.notes)
                report.problems.push_back(record_text(c) + ": " + note);
        }
        if (c.bytes.empty())
            continue;
        // A logo inside a module that is itself listed would be listed twice.
        if (c.parent >= 0 && listed[static_cast<std::size_t>(c.parent)] >= 0)
            continue;
        FoundLogo found;
        if (!confirm(c, found, budget, report.problems))
            continue;
        listed[i] = static_cast<int>(report.logos.size());
        report.logos.push_back(std::move(found));
    }
    std::stable_sort(report.logos.begin(), report.logos.end(),
                     [](const FoundLogo& a, const FoundLogo& b) { return a.offset < b.offset; });
    return report;
}

RomScanReport scan_rom(const std::string& path)
{
    RomScanReport report;
    OwnedFile file = open_input_file(path, report.openProblem);
    if (!file) {
        report.opened = false;
        return report;
    }
    const std::uint64_t maxSize = RomScanLimits{}.maxFileSize;
    std::vector<std::uint8_t> image;
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (image.size() + got > maxSize) {
            report.problems.push_back("larger than 64 MiB: not scanned");
            return report;
        }
        image.insert(image.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        report.opened = false;
        report.openProblem = std::strerror(errno);
        return report;
    }
    return scan_rom_bytes(image);
}
