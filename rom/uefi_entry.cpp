// Where a UEFI image's volumes lie: behind an Intel flash descriptor in its BIOS region,
// behind a capsule header, or anywhere in a bare BIOS region. Volumes are found by their
// "_FVH" signature within that area and walked in order, each from its end onward. Also
// the walker's bookkeeping: notes, the pictures of a file, and the two entry points.
#include <algorithm>
#include <cstdio>

#include "rom/uefi_parts.h"

namespace {

constexpr std::uint64_t DESCRIPTOR_SIGNATURE_AT = 0x10;
constexpr std::uint32_t DESCRIPTOR_SIGNATURE = 0x0FF0A55A;
constexpr std::uint64_t FLMAP0_AT = 0x14;            // bits 16..23: region table base >> 4
constexpr std::uint64_t BIOS_REGION_ENTRY = 4;       // FLREG1, after the descriptor's own entry
constexpr std::uint32_t REGION_FIELD_MASK = 0x7FFF;  // base and limit in 4 KiB units
constexpr unsigned REGION_UNIT_SHIFT = 12;

// Capsules whose header carries its size as a 32-bit value at 0x10: the EFI capsule, the
// firmware-management capsule and AMI's signed and unsigned capsules.
constexpr const char* CAPSULE_GUIDS[] = {"3B6686BD-0D76-4030-B70E-B5519E2FC5A0", "6DCBD5ED-E82D-4C44-BDA1-7194199AD92A",
                                         "4A3CA68B-7723-48FB-803D-578CC1FEC44D", "14EEBB90-890A-43DB-AED1-5D3C4588A418"};
constexpr std::uint64_t CAPSULE_HEADER_SIZE_AT = 0x10;

}  // namespace

std::string uefi_guid_text(RomBytes b, std::uint64_t at)
{
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", rom_u32(b, at),
                  rom_u16(b, at + 4), rom_u16(b, at + 6), rom_u8(b, at + 8), rom_u8(b, at + 9), rom_u8(b, at + 10),
                  rom_u8(b, at + 11), rom_u8(b, at + 12), rom_u8(b, at + 13), rom_u8(b, at + 14), rom_u8(b, at + 15));
    return text;
}

void UefiWalker::walk_region(std::uint64_t start, std::uint64_t length)
{
    RomBytes image = buffer_.bytes;
    RomBytes region = rom_range(image, start, length);
    std::uint64_t next = 0;  // region offset before which no volume may start: the walk goes forward
    for (std::uint64_t hit : rom_find_all(region, "_FVH", 4)) {
        if (state_.stopped())
            return;
        if (hit < FV_SIGNATURE_AT || hit - FV_SIGNATURE_AT < next)
            continue;
        std::uint64_t at = start + hit - FV_SIGNATURE_AT;
        std::uint64_t volumeLength = 0;
        // The region holds the volume: one that claims more is walked as far as the region goes.
        RomBytes bounded = image.first(static_cast<std::size_t>(start + length));
        if (!walk_volume(bounded, at, VolumeScope{"", true, at, 0, "", "", 0}, volumeLength))
            continue;
        RomScanState::claim(buffer_, at, volumeLength);
        next = hit - FV_SIGNATURE_AT + volumeLength;
    }
}

void UefiWalker::note(std::uint64_t offset, const std::string& label, const std::string& where, const std::string& text)
{
    // The record's detail is the path where the walk met it; the scan caps the records.
    RomContainer record{UEFI_CONTAINER, label, where, "none", offset, 0, {}};
    state_.skip(buffer_, &record, offset, text);
}

void UefiWalker::list_pictures(FileScope& file)
{
    std::string fileText = "file " + file.guid + (file.uiName.empty() ? "" : " \"" + file.uiName + "\"");
    for (PendingPicture& p : file.pictures) {
        RomContainer container{UEFI_CONTAINER,
                               file.guid,
                               file.volumePath + " > " + fileText + (p.sectionPath.empty() ? "" : " > " + p.sectionPath),
                               p.compression.empty() ? "none" : p.compression,
                               file.offset,
                               file.length,
                               {}};
        RomCandidate c;
        c.picture = p.picture;
        c.bytes = std::move(p.bytes);
        state_.offer(buffer_, std::move(container), std::move(c));
    }
    file.pictures.clear();
}

namespace {

// The area of the image that holds its volumes; notes what the descriptor or capsule says.
void volume_area(UefiWalker& walker, RomBytes image, std::uint64_t& start, std::uint64_t& length)
{
    start = 0;
    length = image.size();
    if (rom_u32(image, DESCRIPTOR_SIGNATURE_AT) == DESCRIPTOR_SIGNATURE) {
        std::uint64_t regionTable = ((rom_u32(image, FLMAP0_AT) >> 16) & 0xFF) << 4;
        std::uint32_t bios = rom_u32(image, regionTable + BIOS_REGION_ENTRY);
        std::uint64_t base = std::uint64_t{bios & REGION_FIELD_MASK} << REGION_UNIT_SHIFT;
        std::uint64_t limit = (std::uint64_t{(bios >> 16) & REGION_FIELD_MASK} << REGION_UNIT_SHIFT) | 0xFFF;
        if (base > limit || base >= image.size()) {
            walker.note(0, "flash descriptor", "", "no BIOS region inside the image: the whole image is searched");
            return;
        }
        if (limit >= image.size())
            walker.note(0, "flash descriptor", "", "the BIOS region runs past the image's end");
        start = base;
        length = std::min<std::uint64_t>(limit + 1, image.size()) - base;
        return;
    }
    std::string guid = uefi_guid_text(image, 0);
    for (const char* capsule : CAPSULE_GUIDS) {
        if (guid != capsule)
            continue;
        std::uint64_t header = rom_u32(image, CAPSULE_HEADER_SIZE_AT);
        if (header <= image.size()) {
            start = header;
            length = image.size() - header;
        }
        return;
    }
}

// Walks every volume of the walker's image and hands its records to the scan.
void walk_image(UefiWalker& walker)
{
    std::uint64_t start = 0, length = 0;
    volume_area(walker, walker.buffer().bytes, start, length);
    walker.walk_region(start, length);
}

}  // namespace

void find_uefi_pictures(RomScanState& state, RomBuffer& buffer)
{
    UefiWalker walker(state, buffer);
    walk_image(walker);
}

UefiWalkReport walk_uefi_image(std::span<const std::uint8_t> image, const RomScanLimits& limits)
{
    RomScanState state(image.size(), limits, nullptr);
    RomBuffer file{image, {}, 0, {}};
    UefiWalker walker(state, file);
    walk_image(walker);
    UefiWalkReport report;
    report.volumes = walker.volumes;
    report.files = walker.files;
    report.sections = walker.sections;
    report.candidates = std::move(state.result.candidates);
    report.skipped = std::move(state.result.skipped);
    return report;
}
