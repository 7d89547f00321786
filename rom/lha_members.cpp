// LHA members anywhere in the image: the one-member archives Award ROMs are built of
// (level 1, load address in the date fields), and the members of plain .lzh archives
// (levels 0, 1 and 2). Methods -lh0- (stored) and -lh4-, -lh5-, -lh6-, -lh7- through
// the lh5 kernel, each with its own window (4 to 64 KiB); a member whose copies reach
// further back than its method's window does not unpack, and its note says so. Other
// methods are listed as not unpacked.
//
// A member is found by its method text "-lh?-" two bytes in, then validated: level 0..2,
// header size room for the name and CRC, the 8-bit header checksum (levels 0, 1), the
// extended-header chain, and the data inside the image. A header whose checksum fails
// is still tried, and kept only when its data unpacks to the stored CRC-16. Members never
// share extended headers: a chain that steps onto one an earlier header of the buffer
// walked is refused, so every extended header is read (and summed) once however many
// crafted headers point into one chain.
#include <algorithm>
#include <iterator>

#include "rom/rom_parts.h"

namespace {

constexpr std::uint64_t METHOD_AT = 2;        // "-lh5-"
constexpr std::uint64_t PACKED_SIZE_AT = 7;   // level 0: packed size; level 1: skip size
constexpr std::uint64_t ORIGINAL_SIZE_AT = 11;
constexpr std::uint64_t STAMP_OFFSET_AT = 0x0F;  // DOS time; Award: offset of the load address
constexpr std::uint64_t STAMP_SEGMENT_AT = 0x11; // DOS date; Award: segment, the module ID
constexpr std::uint64_t LEVEL_AT = 0x14;
constexpr std::uint64_t NAME_LENGTH_AT = 0x15;
constexpr std::uint64_t NAME_AT = 0x16;
constexpr std::uint64_t LEVEL2_CRC_AT = 0x15;
constexpr std::uint64_t LEVEL2_FIRST_EXTENSION_AT = 0x18;  // size of the first extended header
constexpr std::uint64_t LEVEL2_BASE_SIZE = 0x1A;
constexpr std::uint8_t EXT_HEADER_CRC = 0x00;
constexpr std::uint8_t EXT_FILE_NAME = 0x01;
constexpr std::uint8_t OS_ID_SPACE = 0x20;     // what Award writes
constexpr std::uint8_t OS_ID_MSDOS = 'M';      // SOYO ROMs rebuilt with other tools
constexpr unsigned MAX_EXTENSIONS = 64;        // extended headers per member
constexpr std::uint16_t MIN_EXTENSION_SIZE = 3;  // type byte and next size
constexpr std::uint64_t HEADER_COST = 32;      // bytes every hit reads before its sums
constexpr std::uint16_t AWARD_LOGO_SEGMENTS[] = {0x4000, 0x4002, 0x4011};  // full-screen, EPA, Gigabyte dual BIOS

// Extended headers already walked in this buffer: one bit per byte offset.
class SeenExtensions {
public:
    explicit SeenExtensions(std::uint64_t size) : bits_((size + 7) / 8, 0) {}
    // True when at was not seen before (and marks it).
    bool insert(std::uint64_t at)
    {
        std::uint8_t& byte = bits_[static_cast<std::size_t>(at / 8)];
        std::uint8_t bit = static_cast<std::uint8_t>(1u << (at % 8));
        bool fresh = (byte & bit) == 0;
        byte |= bit;
        return fresh;
    }

private:
    std::vector<std::uint8_t> bits_;
};

struct LhaHeader {
    std::uint64_t dataAt = 0;    // from the member start
    std::uint64_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint16_t crc = 0;
    std::string name;
    bool checksumOk = true;
    bool award = false;          // level 1 with a load address instead of a date
    int method = -1;             // 0, 4 .. 7; -1 for a method not unpacked
    std::string methodName;
    std::uint64_t headerSize = 0;  // as stored: from 2 on (levels 0, 1), whole (level 2)
    std::uint64_t walked = 0;      // bytes of extended headers walked
};

std::uint8_t sum8(RomBytes b)
{
    unsigned s = 0;
    for (std::uint8_t v : b)
        s += v;
    return static_cast<std::uint8_t>(s);
}

// Method number of "-lhN-"; -1 for the others ("-lzs-", "-lhd-", ...).
int method_number(RomBytes m)
{
    if (m[1] != 'l' || m[2] != 'h')
        return -1;
    if (m[3] == '0')
        return 0;
    if (m[3] >= '4' && m[3] <= '7')
        return m[3] - '0';
    return -1;
}

// Follows an extended-header chain from the buffer offset at whose first size is size;
// adds the sizes to total, the file name to name. False for a chain that breaks the rules
// or steps onto an extended header another member walked.
bool walk_extensions(RomBytes image, std::uint64_t at, std::uint16_t size, std::uint64_t limit, std::uint64_t& total,
                     std::string* name, SeenExtensions& seen)
{
    for (unsigned n = 0; size != 0; ++n) {
        RomBytes ext = rom_range(image, at, size);
        if (n == MAX_EXTENSIONS || size < MIN_EXTENSION_SIZE || total + size > limit || ext.empty() || !seen.insert(at))
            return false;
        if (name && ext[0] == EXT_FILE_NAME)
            name->assign(ext.begin() + 1, ext.end() - 2);
        total += size;
        at += size;
        size = rom_u16(ext, size - 2);
    }
    return true;
}

// Reads and validates the header of a level 0 or 1 member at x.
bool read_level01(RomBytes image, std::uint64_t x, unsigned level, LhaHeader& h, SeenExtensions& seen)
{
    std::uint64_t headerSize = rom_u8(image, x);  // from offset 2 on
    h.headerSize = headerSize;
    std::uint64_t nameLength = rom_u8(image, x + NAME_LENGTH_AT);
    std::uint64_t minimum = NAME_AT + nameLength + (level == 1 ? 3 : 0);  // name, CRC, OS ID
    if (headerSize < minimum)
        return false;
    RomBytes summed = rom_range(image, x + 2, headerSize);
    if (summed.empty())
        return false;
    h.checksumOk = sum8(summed) == rom_u8(image, x + 1);
    const std::uint8_t* name = image.data() + x + NAME_AT;
    h.name.assign(name, name + nameLength);
    h.crc = rom_u16(image, x + NAME_AT + nameLength);
    h.dataAt = headerSize + 2;
    std::uint64_t skip = rom_u32(image, x + PACKED_SIZE_AT);
    if (level == 0) {
        h.packedSize = skip;
        return true;
    }
    // Level 1: the skip size also counts the extended headers that follow the base header.
    std::uint64_t extensions = 0;
    std::uint16_t first = rom_u16(image, x + headerSize);
    bool chainOk = walk_extensions(image, x + h.dataAt, first, skip, extensions, nullptr, seen);
    h.walked = extensions;
    if (!chainOk)
        return false;
    h.dataAt += extensions;
    h.packedSize = skip - extensions;
    std::uint8_t osId = rom_u8(image, x + NAME_AT + nameLength + 2);
    h.award = extensions == 0 && (osId == OS_ID_SPACE || osId == OS_ID_MSDOS) && rom_u16(image, x + STAMP_OFFSET_AT) == 0;
    return true;
}

// Reads and validates a level 2 header at x (no checksum byte; a header CRC may follow).
bool read_level2(RomBytes image, std::uint64_t x, LhaHeader& h, SeenExtensions& seen)
{
    std::uint64_t headerSize = rom_u16(image, x);
    h.headerSize = headerSize;
    if (headerSize < LEVEL2_BASE_SIZE || rom_range(image, x, headerSize).empty())
        return false;
    std::uint64_t extensions = 0;
    std::uint16_t first = rom_u16(image, x + LEVEL2_FIRST_EXTENSION_AT);
    bool chainOk = walk_extensions(image, x + LEVEL2_BASE_SIZE, first, headerSize - LEVEL2_BASE_SIZE, extensions,
                                   &h.name, seen);
    h.walked = extensions;
    // Some packers add one byte so that the size's low byte is not 0.
    if (!chainOk || (LEVEL2_BASE_SIZE + extensions != headerSize && LEVEL2_BASE_SIZE + extensions + 1 != headerSize))
        return false;
    // The header CRC, when present, covers the whole header with its own field zeroed:
    // summed in place, in three parts, with no copy.
    std::uint64_t at = x + LEVEL2_BASE_SIZE;
    for (std::uint16_t size = first; size != 0; size = rom_u16(image, at - 2)) {
        if (rom_u8(image, at) == EXT_HEADER_CRC && size >= 5) {
            std::uint64_t field = at + 1;
            constexpr std::uint8_t ZEROS[2] = {0, 0};
            std::uint16_t crc = crc16_arc(rom_range(image, x, field - x));
            crc = crc16_arc(ZEROS, crc);
            crc = crc16_arc(rom_range(image, field + 2, x + headerSize - field - 2), crc);
            h.checksumOk = crc == rom_u16(image, field);
            h.walked += headerSize;
        }
        at += size;
    }
    h.crc = rom_u16(image, x + LEVEL2_CRC_AT);
    h.dataAt = headerSize;
    h.packedSize = rom_u32(image, x + PACKED_SIZE_AT);
    return true;
}

bool is_award_logo_segment(std::uint16_t segment)
{
    return std::find(std::begin(AWARD_LOGO_SEGMENTS), std::end(AWARD_LOGO_SEGMENTS), segment) !=
           std::end(AWARD_LOGO_SEGMENTS);
}

void try_member(RomScanState& state, RomBuffer& buffer, std::uint64_t x, SeenExtensions& seen)
{
    RomBytes image = buffer.bytes;
    unsigned level = rom_u8(image, x + LEVEL_AT);
    LhaHeader h;
    bool ok = level == 2 ? read_level2(image, x, h, seen) : level <= 1 && read_level01(image, x, level, h, seen);
    if (!state.charge(HEADER_COST + (level <= 1 ? h.headerSize : 0) + h.walked, buffer, x) || !ok)
        return;
    h.originalSize = rom_u32(image, x + ORIGINAL_SIZE_AT);
    h.methodName.assign(image.begin() + x + METHOD_AT, image.begin() + x + METHOD_AT + 5);
    h.method = method_number(rom_range(image, x + METHOD_AT, 5));

    RomContainer member;
    member.kind = h.award ? "Award LHA" : "LHA archive";
    member.name = h.name;
    member.compression = h.methodName.substr(1, 3);
    member.offset = x;
    member.length = h.dataAt + h.packedSize;
    std::uint16_t segment = rom_u16(image, x + STAMP_SEGMENT_AT);
    if (h.award)
        member.detail = hex_text(segment, 4) + ":" + hex_text(rom_u16(image, x + STAMP_OFFSET_AT), 4);
    member.fields = {{"level", level},           {"headerSize", h.headerSize},   {"dataAt", h.dataAt},
                     {"packedSize", h.packedSize}, {"originalSize", h.originalSize}, {"crc16", h.crc},
                     {"loadSegment", segment},   {"loadOffset", rom_u16(image, x + STAMP_OFFSET_AT)}};
    if (h.packedSize > image.size() - x || h.dataAt > image.size() - x - h.packedSize) {
        if (h.checksumOk)
            state.skip(buffer, &member, x,
                       "runs past the end (" + std::to_string(h.dataAt + h.packedSize) + " bytes, " +
                           std::to_string(image.size() - x) + " there)");
        return;
    }
    if (h.originalSize > state.limits().maxModuleSize) {
        if (h.checksumOk)
            state.skip(buffer, &member, x,
                       "unpacked size " + std::to_string(h.originalSize) + " is over the cap of " +
                           std::to_string(state.limits().maxModuleSize) + " bytes");
        return;
    }

    RomCandidate c;
    RomBytes packed = rom_range(image, x + h.dataAt, h.packedSize);
    RomUnpacked unpacked;
    if (h.method == 0) {
        if (h.packedSize == h.originalSize && state.charge(h.originalSize, buffer, x)) {
            unpacked.bytes.assign(packed.begin(), packed.end());
            unpacked.complete = true;
        }
    } else if (h.method > 0) {
        unpacked = state.unpack_lh(buffer, x, packed, h.originalSize, h.method);
    } else {
        c.notes.push_back("method " + h.methodName + " is not unpacked");
    }
    bool crcOk = unpacked.complete && state.charge(unpacked.bytes.size(), buffer, x) &&
                 crc16_arc(unpacked.bytes) == h.crc;
    // A header that fails its checksum is taken only on the word of its data.
    if (!h.checksumOk && !crcOk) {
        if (unpacked.complete)
            state.skip(buffer, &member, x, "header checksum and CRC-16 mismatch: not taken as a member");
        return;
    }
    if (!h.checksumOk)
        c.notes.push_back("header checksum mismatch");
    if (!unpacked.complete) {
        if (h.method >= 0)
            c.notes.push_back(unpacked.problem.empty() ? "could not decompress" : unpacked.problem);
        unpacked.bytes.clear();
    } else if (!crcOk) {
        c.notes.push_back("CRC-16 mismatch");
    }
    c.bytes = std::move(unpacked.bytes);
    c.namedSlot = h.award && is_award_logo_segment(segment);
    c.endKnown = crcOk;
    if (crcOk)
        RomScanState::claim(buffer, member.offset, member.length);
    state.offer(buffer, std::move(member), std::move(c));
}

}  // namespace

void find_lha_members(RomScanState& state, RomBuffer& buffer)
{
    RomBytes image = buffer.bytes;
    SeenExtensions seen(image.size());
    // "-l" at +2 and "-" at +6 of every member; the name is checked by try_member.
    for (std::uint64_t hit : rom_find_all(image, "-l", 2)) {
        if (state.stopped())
            return;
        if (hit < METHOD_AT || rom_u8(image, hit + 4) != '-')
            continue;
        try_member(state, buffer, hit - METHOD_AT, seen);
    }
}
