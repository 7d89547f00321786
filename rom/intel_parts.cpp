// Intel flash parts (.BIO, .BI1, .BI2 ...): a 128- or 160-byte part header with "FLASH"
// at 0x5A (or behind a 512-byte prefix), then the part's share of the flash data; and
// the raw TEXTLOGO block such data (or a whole Intel image) holds on a 4 KiB boundary.
//
// A TEXTLOGO block is kept only when its header holds together: header length 21,
// non-zero columns and rows, a glyph byte count that is a non-zero multiple of 8, and
// the block inside the data. The same text in the display code that draws it fails.
// The picture file the decoder reads has the block at 0x80, where the part header puts
// it in a part file; the candidate is that: 0x80 zero bytes, then the block.
#include <algorithm>
#include <optional>

#include "formats/picture_extent.h"
#include "rom/rom_parts.h"

namespace {

constexpr std::uint64_t PART_SIGNATURE_AT = 0x5A;     // "FLASH\0"
constexpr std::uint64_t PART_PREFIX = 0x200;          // some parts have 512 bytes before the header
constexpr std::uint64_t PART_DATA_LENGTH_AT = 0x54;
constexpr std::uint64_t PART_AREA_NAME_AT = 0x28;
constexpr std::uint64_t PART_VERSION_AT = 0x70;
constexpr std::uint64_t PART_VERSION_MAX = 32;
constexpr std::uint64_t PART_HEADER_BASE = 112;       // header = 112 + version and NUL, to 32 bytes
constexpr std::uint64_t PART_HEADER_ALIGN = 32;

constexpr std::uint64_t LOGO_AT = 4;                  // "LOGO" inside "TEXTLOGO"
constexpr std::uint64_t HEADER_LENGTH_AT = 4;         // from "LOGO"
constexpr std::uint16_t TEXTLOGO_HEADER_LENGTH = 21;
constexpr std::uint64_t PICTURE_FILE_BLOCK_AT = 0x80;

struct Part {
    std::uint64_t dataAt = 0;  // file offset of the part data
    std::uint64_t dataLength = 0;
    std::string areaName;
};

// The part header of the file, if it has one.
std::optional<Part> read_part(RomBytes image)
{
    for (std::uint64_t prefix : {std::uint64_t{0}, PART_PREFIX}) {
        if (!rom_has(image, prefix + PART_SIGNATURE_AT, "FLASH\0", 6))
            continue;
        std::uint64_t version = 0;
        while (version < PART_VERSION_MAX && rom_u8(image, prefix + PART_VERSION_AT + version) != 0)
            ++version;
        std::uint64_t header = (PART_HEADER_BASE + version + 1 + PART_HEADER_ALIGN - 1) / PART_HEADER_ALIGN * PART_HEADER_ALIGN;
        std::uint64_t at = prefix + header;
        if (at > image.size())
            return std::nullopt;
        std::uint64_t length = std::min<std::uint64_t>(rom_u32(image, prefix + PART_DATA_LENGTH_AT), image.size() - at);
        RomBytes name = rom_range(image, prefix + PART_AREA_NAME_AT, 24);
        std::string areaName(name.begin(), name.end());
        return Part{at, length, areaName.substr(0, areaName.find('\0'))};
    }
    return std::nullopt;
}

}  // namespace

void find_intel_textlogos(RomScanState& state, RomBuffer& buffer)
{
    RomBytes image = buffer.bytes;
    std::optional<Part> part = read_part(image);
    if (!part)
        return;
    RomBytes data = rom_range(image, part->dataAt, part->dataLength);
    for (std::uint64_t at : rom_find_all(data, "TEXTLOGO", 8)) {
        if (state.stopped())
            return;
        PictureExtent block = measure_logo_block(LayoutBytes(data.subspan(static_cast<std::size_t>(at + LOGO_AT))));
        std::uint64_t length = LOGO_AT + block.length;
        if (rom_u16(data, at + LOGO_AT + HEADER_LENGTH_AT) != TEXTLOGO_HEADER_LENGTH || !block.complete ||
            !state.charge(PICTURE_FILE_BLOCK_AT + length, buffer, part->dataAt + at))
            continue;
        RomContainer container{"Intel part", "TEXTLOGO", part->areaName, "none", part->dataAt + at, length,
                               {{"partDataAt", part->dataAt}, {"partDataLength", part->dataLength}}};
        RomCandidate c;
        c.bytes = textlogo_picture_file(rom_range(data, at, length));
        c.endKnown = true;
        RomScanState::claim(buffer, container.offset, length);
        state.offer(buffer, std::move(container), std::move(c));
    }
}
