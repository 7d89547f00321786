// AMIBIOS images of the "AMIBIOSC" kind (core versions 0627 .. 0800): the module chain
// that starts at the Begin pointer of the AMIBIOSC header and runs to lower addresses,
// each module stored or a bare lh5 stream; and the MSI boards' raw PCX slots, a length
// word and a PCX picture at each 32 KiB boundary, outside the chain.
#include <algorithm>
#include <iterator>
#include <optional>

#include "formats/ami_layout.h"
#include "formats/pcx_layout.h"
#include "formats/picture_extent.h"
#include "rom/rom_parts.h"

namespace {

constexpr std::uint64_t MSI_SLOTS_BELOW = 0x40000;  // the slots seen lie in the lower 256 KiB
constexpr std::uint64_t PCX_SLACK = 64;             // bytes a packer may leave after the rows
// Module IDs whose names say logo: OEM Logo (0E, 25), Small Logo, Dual Logo, OEM Logo Data,
// Graphic Logo Data, Action Logo Data, and ASRock's GIF, JPEG and PCX logos (FA .. FD).
constexpr std::uint8_t LOGO_MODULE_IDS[] = {0x0E, 0x1A, 0x1D, 0x25, 0x31, 0x33, 0x35, 0xFA, 0xFB, 0xFC, 0xFD};

// True when [start, start + length) overlaps a range the buffer's structures claimed.
bool overlaps(const RomBuffer& buffer, std::uint64_t start, std::uint64_t length)
{
    for (const auto& [s, e] : buffer.claims)
        if (start < e && s < start + length)
            return true;
    return false;
}

bool is_digit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

void add_module(RomScanState& state, RomBuffer& buffer, std::uint64_t at, std::uint64_t end)
{
    RomBytes image = buffer.bytes;
    std::uint8_t id = rom_u8(image, at + AMI_ID_AT);
    std::uint8_t flags = rom_u8(image, at + AMI_FLAGS_AT);
    RomContainer module;
    module.kind = "AMI module";
    module.name = hex_text(id, 2);
    module.detail = "flags " + hex_text(flags, 2);
    module.offset = at;
    RomCandidate c;
    c.namedSlot = std::find(std::begin(LOGO_MODULE_IDS), std::end(LOGO_MODULE_IDS), id) != std::end(LOGO_MODULE_IDS);
    c.endKnown = true;
    if (flags & AMI_FLAG_STORED) {
        std::uint64_t size = rom_u16(image, at + AMI_CSIZE_AT);
        if ((size == 0 || size == AMI_LONG_SIZE) && at >= AMI_LONG_SIZE_BEFORE)
            size = rom_u32(image, at - AMI_LONG_SIZE_BEFORE);
        size = std::min<std::uint64_t>(size, end - at - std::min(end - at, AMI_STORED_DATA_AT));
        module.compression = "none";
        module.length = AMI_STORED_DATA_AT + size;
        module.fields = {{"id", id}, {"flags", flags}, {"dataAt", AMI_STORED_DATA_AT}, {"size", size}};
        if (size > state.limits().maxModuleSize)
            c.notes.push_back("size " + std::to_string(size) + " is over the cap");
        else if (state.charge(size, buffer, at)) {
            RomBytes data = rom_range(image, at + AMI_STORED_DATA_AT, size);
            c.bytes.assign(data.begin(), data.end());
        }
    } else {
        std::uint64_t packed = rom_u32(image, at + AMI_PACKED_SIZE_AT);
        std::uint32_t expanded = rom_u32(image, at + AMI_EXPANDED_SIZE_AT);
        // The stream is clamped to the end of the image: some cores count the 8 size bytes.
        std::uint64_t start = std::min<std::uint64_t>(at + AMI_PACKED_DATA_AT, end);
        packed = std::min(packed, end - start);
        module.compression = "lh5";
        module.length = AMI_PACKED_DATA_AT + packed;  // the 0x14-byte header and the stream
        module.fields = {{"id", id}, {"flags", flags}, {"dataAt", AMI_PACKED_DATA_AT}, {"packedSize", packed},
                         {"expandedSize", expanded}};
        RomUnpacked unpacked = state.unpack_lh(buffer, at, rom_range(image, start, packed), expanded, 5);
        if (unpacked.complete)
            c.bytes = std::move(unpacked.bytes);
        else if (expanded > state.limits().maxModuleSize)
            c.notes.push_back("unpacked size " + std::to_string(expanded) + " is over the cap");
        else if (!state.stopped())
            c.notes.push_back("could not decompress");
    }
    // Only a module that unpacked claims its bytes: a false chain must not hide the raw
    // pictures behind the range its garbage sizes give.
    if (!c.bytes.empty())
        RomScanState::claim(buffer, module.offset, std::min(module.length, end - at));
    state.offer(buffer, std::move(module), std::move(c));
}

}  // namespace

std::optional<std::uint64_t> find_ami_header(RomBytes image)
{
    std::optional<std::uint64_t> fallback;
    for (std::uint64_t at : rom_find_all(image, AMI_TAG, AMI_TAG_LENGTH)) {
        RomBytes version = rom_range(image, at + AMI_TAG_LENGTH, 4);
        if (version.empty() || !is_digit(version[0]) || !is_digit(version[1]) || !is_digit(version[2]) ||
            !is_digit(version[3]))
            continue;
        if (std::memcmp(version.data(), "0000", 4) != 0)
            return at;
        if (!fallback)
            fallback = at;
    }
    return fallback;
}

std::optional<std::uint64_t> map_ami_pointer(RomBytes image, std::uint16_t segment, std::uint16_t offset)
{
    std::uint64_t size = image.size();
    std::uint64_t linear = std::uint64_t{segment} * 16 + offset;
    if (size <= AMI_REAL_MODE_TOP) {
        std::uint64_t base = (AMI_REAL_MODE_TOP - size) & (AMI_REAL_MODE_TOP - 1);
        if (linear < base || linear - base >= size)
            return std::nullopt;
        return linear - base;
    }
    std::uint64_t wide = (std::uint64_t{segment} << 16) + offset;
    if (wide < size)
        return wide;
    if (linear >= AMI_REAL_MODE_TOP)
        return std::nullopt;
    return size - AMI_REAL_MODE_TOP + linear;
}

void find_ami_modules(RomScanState& state, RomBuffer& buffer)
{
    RomBytes image = buffer.bytes;
    std::optional<std::uint64_t> header = find_ami_header(image);
    if (!header || rom_range(image, *header, AMI_HEADER_SIZE).empty())
        return;
    std::optional<std::uint64_t> at = map_ami_pointer(image, rom_u16(image, *header + AMI_BEGIN_SEGMENT_AT),
                                                      rom_u16(image, *header + AMI_BEGIN_OFFSET_AT));
    // Every step goes to a lower address, so the walk ends; the count caps it too.
    std::uint64_t ceiling = image.size();
    for (unsigned n = 0; at && n < AMI_MAX_MODULES && *at < ceiling && !state.stopped(); ++n) {
        if (rom_range(image, *at, AMI_PACKED_DATA_AT).empty())
            return;
        add_module(state, buffer, *at, image.size());
        ceiling = *at;
        std::uint16_t prevOffset = rom_u16(image, *at + AMI_PREV_OFFSET_AT);
        std::uint16_t prevSegment = rom_u16(image, *at + AMI_PREV_SEGMENT_AT);
        if (prevOffset == AMI_END_OF_CHAIN || prevSegment == AMI_END_OF_CHAIN)
            return;
        at = map_ami_pointer(image, prevSegment, prevOffset);
    }
}

void find_msi_pcx_slots(RomScanState& state, RomBuffer& buffer)
{
    RomBytes image = buffer.bytes;
    for (std::uint64_t slot = 0; slot < MSI_SLOTS_BELOW && slot < image.size() && !state.stopped(); slot += MSI_SLOT) {
        std::uint64_t length = rom_u16(image, slot);
        if (length + MSI_LENGTH_WORD > MSI_SLOT || rom_u8(image, slot + MSI_LENGTH_WORD) != PCX_MAKER)
            continue;
        // The picture must fill its length word: a header whose rows were overwritten by
        // later data ends somewhere else. It must not reach into a module either.
        RomBytes data = rom_range(image, slot + MSI_LENGTH_WORD, length);
        PictureExtent extent = measure_pcx(LayoutBytes(data));
        if (!state.charge(extent.walked + length, buffer, slot))
            return;
        bool fills = extent.complete && extent.length <= length && length - extent.length <= PCX_SLACK;
        if (!fills || overlaps(buffer, slot, length + MSI_LENGTH_WORD))
            continue;
        RomContainer container{"MSI PCX slot", "slot " + std::to_string(slot / MSI_SLOT), "", "none", slot,
                               length + MSI_LENGTH_WORD, {{"lengthWordAt", 0}, {"length", length}}};
        RomCandidate c;
        c.bytes.assign(data.begin(), data.end());
        c.endKnown = true;
        RomScanState::claim(buffer, slot, length + MSI_LENGTH_WORD);
        state.offer(buffer, std::move(container), std::move(c));
    }
}
