// Phoenix BIOS 4.0 images: the BCP records (BCPSYS with the address of the first module,
// BCPCMP with the compression and its ring fill byte), every module header found by its
// 00 31 31 signature (the chain from BCPSYS reaches no module the search does not find, so
// it is not walked; its first pointer still says where the image ends in the file, as in a
// 256 KiB file holding a 128 KiB image, and so how fragment pointers map), fragmented
// modules, and the BCD6F1 blocks of 1995-era images.
//
// Module compression codes: 0 stored (an 'L' module may hold an 8-byte LH5 container:
// packed size, expanded size, bare lh5 stream), 2 LZARI, 3 LZSS, 5 LZINT (a 4-byte size,
// then lh5); 4 (LZHUF) is listed as not unpacked.
#include <algorithm>
#include <optional>
#include <set>

#include "codec/lh5_frames.h"
#include "codec/phoenix_lzari.h"
#include "codec/phoenix_lzss.h"
#include "formats/phoenix_layout.h"
#include "rom/rom_parts.h"

namespace {

constexpr unsigned MAX_BCP_RECORDS = 256;
constexpr unsigned MAX_FRAGMENTS = 64;
constexpr std::uint64_t IMAGE_END_STEP = 0x10000;  // images end on 64 KiB boundaries
constexpr std::uint64_t ADDRESS_SPACE = 0x100000000ull;

constexpr std::uint64_t RING_CODER_COST = 8;   // work units per byte of LZSS and LZARI (LZARI: about 10 ns a byte)
constexpr std::uint8_t LOGO_TYPE = 'L';
constexpr std::uint8_t USER_TYPE = 'U';        // a user module also carried a logo

struct Compression {
    std::uint8_t algorithm = 0;  // BCPCMP: 0 LZSS, 1 LZARI, 2 LZHUF, 3 LZINT
    std::uint8_t fill = PHOENIX_DEFAULT_FILL;
};

// File offset of a 32-bit pointer into an image that ends at file offset end.
std::optional<std::uint64_t> map_at(std::uint32_t pointer, std::uint64_t end)
{
    std::uint64_t below = ADDRESS_SPACE - pointer;  // bytes from the pointer to the top of memory
    if (pointer == 0 || below > end)
        return std::nullopt;
    return end - below;
}

bool is_letter(std::uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The rules a module header must pass (the chain's, the brute force's alike).
bool valid_module(RomBytes image, std::uint64_t at, std::uint32_t maxModule)
{
    if (!rom_has(image, at + PHOENIX_SIGNATURE_AT, "\x00\x31\x31", 3))
        return false;
    std::uint8_t code = rom_u8(image, at + PHOENIX_COMPRESSION_AT);
    std::uint64_t fragment = rom_u32(image, at + PHOENIX_FRAGMENT_LENGTH_AT);
    return is_letter(rom_u8(image, at + PHOENIX_TYPE_AT)) &&
           rom_u8(image, at + PHOENIX_HEADER_LENGTH_AT) == PHOENIX_MODULE_HEADER_SIZE &&
           (code == PHOENIX_CODE_STORED || (code >= PHOENIX_CODE_LZARI && code <= PHOENIX_CODE_LZINT)) &&
           rom_u32(image, at + PHOENIX_EXPANDED_AT) <= maxModule && fragment <= maxModule &&
           !rom_range(image, at + PHOENIX_MODULE_HEADER_SIZE, fragment).empty();
}

Compression read_compression(RomBytes image)
{
    Compression c;
    std::vector<std::uint64_t> hits = rom_find_all(image, "BCPCMP", 6);
    if (hits.empty())
        return c;
    std::uint64_t at = hits.front();
    bool oldRevision = rom_u8(image, at + 6) == 0 && rom_u8(image, at + 7) == 0;
    c.algorithm = rom_u8(image, at + PHOENIX_BCPCMP_ALGORITHM_AT);
    c.fill = rom_u8(image, at + (oldRevision ? PHOENIX_BCPCMP_OLD_FILL_AT : PHOENIX_BCPCMP_FILL_AT));
    return c;
}

// The BCPSYS record: through the BCPSEGMENT list, else by a direct search.
std::optional<std::uint64_t> find_bcpsys(RomBytes image, std::uint64_t& segmentAt)
{
    std::vector<std::uint64_t> segments = rom_find_all(image, "BCPSEGMENT", 10);
    if (!segments.empty()) {
        segmentAt = segments.front();
        std::uint64_t at = segmentAt + 10;
        for (unsigned n = 0; n < MAX_BCP_RECORDS; ++n) {
            std::uint16_t length = rom_u16(image, at + PHOENIX_BCP_LENGTH_AT);
            if (rom_u8(image, at) == 0 || length < PHOENIX_BCP_RECORD_HEADER || rom_range(image, at, length).empty())
                break;
            if (rom_has(image, at, "BCPSYS", 6))
                return at;
            at += length;
        }
    }
    std::vector<std::uint64_t> hits = rom_find_all(image, "BCPSYS", 6);
    if (hits.empty())
        return std::nullopt;
    return hits.front();
}

// Image end under which the first module pointer lands on a valid header: the file's
// end first, then every 64 KiB boundary from the BCP records up.
std::optional<std::uint64_t> find_image_end(RomBytes image, std::uint32_t first, std::uint64_t segmentAt,
                                            std::uint32_t maxModule)
{
    std::vector<std::uint64_t> ends{image.size()};
    for (std::uint64_t e = (segmentAt / IMAGE_END_STEP + 1) * IMAGE_END_STEP; e < image.size(); e += IMAGE_END_STEP)
        ends.push_back(e);
    for (std::uint64_t end : ends) {
        std::optional<std::uint64_t> at = map_at(first, end);
        if (at && valid_module(image, *at, maxModule))
            return end;
    }
    return std::nullopt;
}

// The packed bytes of the module at at: its first fragment and any it points on to, each
// charged before it is copied.
std::vector<std::uint8_t> gather_fragments(RomScanState& state, const RomBuffer& buffer, std::uint64_t at,
                                           std::uint64_t end, std::vector<std::string>& notes)
{
    RomBytes image = buffer.bytes;
    std::uint64_t expanded = rom_u32(image, at + PHOENIX_EXPANDED_AT);
    RomBytes first = rom_range(image, at + PHOENIX_MODULE_HEADER_SIZE, rom_u32(image, at + PHOENIX_FRAGMENT_LENGTH_AT));
    if (!state.charge(first.size(), buffer, at))
        return {};
    std::vector<std::uint8_t> data(first.begin(), first.end());
    std::uint32_t next = rom_u32(image, at + PHOENIX_NEXT_FRAGMENT_AT);
    std::set<std::uint64_t> visited;
    for (unsigned n = 0; (next & PHOENIX_FRAGMENT_POINTER_MARK) == PHOENIX_FRAGMENT_POINTER_MARK; ++n) {
        std::optional<std::uint64_t> f = map_at(next, end);
        if (n == MAX_FRAGMENTS || !f || !visited.insert(*f).second) {
            notes.push_back("fragment chain broken");
            break;
        }
        std::uint64_t length = rom_u32(image, *f + PHOENIX_FRAGMENT_LENGTH_IN_HEADER);
        RomBytes piece = rom_range(image, *f + PHOENIX_FRAGMENT_HEADER_SIZE, length);
        if (piece.empty() || data.size() + length > expanded) {
            notes.push_back("fragment chain broken");
            break;
        }
        if (!state.charge(length, buffer, *f))
            return {};
        data.insert(data.end(), piece.begin(), piece.end());
        next = rom_u32(image, *f);
    }
    return data;
}

// Unpacks data by module compression code (BCD6F1 blocks pass the code their BCPCMP
// algorithm stands for). Returns the compression's name.
std::string unpack_module(RomScanState& state, const RomBuffer& buffer, std::uint64_t where, std::uint8_t code,
                          std::vector<std::uint8_t>& data, std::uint32_t expanded, std::uint8_t fill, RomCandidate& c)
{
    RomUnpacked out;
    std::string name;
    switch (code) {
    case PHOENIX_CODE_STORED: {
        std::uint32_t innerPacked = rom_u32(data, 0);
        if (data.size() >= LH5_CONTAINER_HEADER && innerPacked == data.size() - LH5_CONTAINER_HEADER) {
            out = state.unpack_lh(buffer, where, RomBytes(data).subspan(LH5_CONTAINER_HEADER), rom_u32(data, 4), 5);
            if (out.complete) {
                c.bytes = std::move(out.bytes);
                return "LH5 container";
            }
        }
        if (data.size() <= state.limits().maxModuleSize)
            c.bytes = std::move(data);
        return "none";
    }
    case PHOENIX_CODE_LZINT: {
        std::uint32_t size = rom_u32(data, 0);
        if (size != expanded)
            c.notes.push_back("LZINT size " + std::to_string(size) + " differs from the module's " + std::to_string(expanded));
        RomBytes stream = data.size() > LZINT_SIZE_PREFIX ? RomBytes(data).subspan(LZINT_SIZE_PREFIX) : RomBytes{};
        out = state.unpack_lh(buffer, where, stream, std::min(size, expanded), 5);
        name = "LZINT";
        break;
    }
    case PHOENIX_CODE_LZARI:
    case PHOENIX_CODE_LZSS:
        name = code == PHOENIX_CODE_LZARI ? "LZARI" : "LZSS";
        // The ring coders spend several times an lh5 stream's work per byte out.
        if (expanded <= state.limits().maxModuleSize &&
            state.charge(RING_CODER_COST * (std::uint64_t{expanded} + data.size()), buffer, where)) {
            PhoenixUnpacked p;
            if (code == PHOENIX_CODE_LZARI) {
                std::uint32_t size = phoenix_lzari_size(data);
                if (size != expanded)
                    c.notes.push_back("LZARI size " + std::to_string(size) + " differs from the module's " +
                                      std::to_string(expanded));
                p = phoenix_lzari_decode(data, std::min(size, expanded), fill);
            } else {
                p = phoenix_lzss_decode(data, expanded, fill);
            }
            out.complete = p.complete;
            out.bytes = std::move(p.bytes);
        }
        break;
    case PHOENIX_CODE_LZHUF:
        c.notes.push_back("LZHUF is not unpacked");
        return "LZHUF";
    default:
        return "unknown";
    }
    if (out.complete)
        c.bytes = std::move(out.bytes);
    else if (expanded > state.limits().maxModuleSize)
        c.notes.push_back("unpacked size " + std::to_string(expanded) + " is over the cap");
    else if (!state.stopped())
        c.notes.push_back("could not decompress");
    return name;
}

void add_module(RomScanState& state, RomBuffer& buffer, std::uint64_t at, std::uint64_t end, std::uint8_t fill)
{
    RomBytes image = buffer.bytes;
    std::uint8_t type = rom_u8(image, at + PHOENIX_TYPE_AT);
    RomContainer module;
    module.kind = "Phoenix module";
    module.name = std::to_string(rom_u8(image, at + PHOENIX_INSTANCE_AT));
    module.name.insert(module.name.begin(), static_cast<char>(type));
    module.detail = hex_text(std::uint32_t{rom_u16(image, at + PHOENIX_LOAD_SEGMENT_AT)} * 0x1000 & 0xFFFF, 4) + ":" +
                    hex_text(rom_u16(image, at + PHOENIX_LOAD_OFFSET_AT), 4);
    module.offset = at;
    module.length = PHOENIX_MODULE_HEADER_SIZE + rom_u32(image, at + PHOENIX_FRAGMENT_LENGTH_AT);
    std::uint8_t code = rom_u8(image, at + PHOENIX_COMPRESSION_AT);
    module.fields = {{"headerLength", PHOENIX_MODULE_HEADER_SIZE}, {"compressionCode", code},
                     {"expandedSize", rom_u32(image, at + PHOENIX_EXPANDED_AT)},
                     {"fragmentLength", rom_u32(image, at + PHOENIX_FRAGMENT_LENGTH_AT)},
                     {"nextFragment", rom_u32(image, at + PHOENIX_NEXT_FRAGMENT_AT)}, {"imageEnd", end}};
    RomCandidate c;
    c.namedSlot = type == LOGO_TYPE || type == USER_TYPE;
    c.endKnown = true;
    std::vector<std::uint8_t> data = gather_fragments(state, buffer, at, end, c.notes);
    if (state.stopped())
        return;
    module.compression =
        unpack_module(state, buffer, at, code, data, rom_u32(image, at + PHOENIX_EXPANDED_AT), fill, c);
    if (!c.bytes.empty())
        RomScanState::claim(buffer, module.offset, module.length);
    state.offer(buffer, std::move(module), std::move(c));
}

void find_bcd6f1_blocks(RomScanState& state, RomBuffer& buffer, const Compression& compression)
{
    RomBytes image = buffer.bytes;
    for (std::uint64_t at : rom_find_all(image, PHOENIX_BCD6F1_TAG, PHOENIX_BCD6F1_TAG_LENGTH)) {
        if (state.stopped())
            return;
        std::uint32_t expanded = rom_u32(image, at + PHOENIX_BCD6F1_EXPANDED_AT);
        RomBytes packed =
            rom_range(image, at + PHOENIX_BCD6F1_HEADER_SIZE, rom_u32(image, at + PHOENIX_BCD6F1_PACKED_AT));
        if (packed.empty() || expanded > state.limits().maxModuleSize || !state.charge(packed.size(), buffer, at))
            continue;
        RomContainer block;
        block.kind = "Phoenix BCD6F1";
        block.name = hex_text(rom_u16(image, at + PHOENIX_BCD6F1_SEGMENT_AT), 4);
        block.offset = at;
        block.length = PHOENIX_BCD6F1_HEADER_SIZE + packed.size();
        block.fields = {{"headerLength", PHOENIX_BCD6F1_HEADER_SIZE}, {"expandedSize", expanded},
                        {"packedSize", packed.size()}};
        RomCandidate c;
        c.endKnown = true;
        std::vector<std::uint8_t> data(packed.begin(), packed.end());
        // BCPCMP's algorithm 0 packs with LZSS and a space fill; any other with LZARI.
        std::uint8_t code = compression.algorithm != 0 ? PHOENIX_CODE_LZARI : PHOENIX_CODE_LZSS;
        std::uint8_t fill = compression.algorithm != 0 ? compression.fill : PHOENIX_DEFAULT_FILL;
        block.compression = unpack_module(state, buffer, at, code, data, expanded, fill, c);
        if (!c.bytes.empty())
            RomScanState::claim(buffer, block.offset, block.length);
        state.offer(buffer, std::move(block), std::move(c));
    }
}

}  // namespace

void find_phoenix_modules(RomScanState& state, RomBuffer& buffer)
{
    RomBytes image = buffer.bytes;
    std::uint32_t maxModule = state.limits().maxModuleSize;
    Compression compression = read_compression(image);
    std::uint64_t segmentAt = 0;
    std::optional<std::uint64_t> sys = find_bcpsys(image, segmentAt);
    // BCPSYS's first module pointer says where the image ends in the file, which maps the
    // fragment pointers; the modules themselves are all found by their headers.
    std::uint64_t end = image.size();
    if (sys && rom_u16(image, *sys + PHOENIX_BCP_LENGTH_AT) >= PHOENIX_BCPSYS_WITH_POINTER) {
        std::uint32_t first = rom_u32(image, *sys + PHOENIX_BCPSYS_FIRST_MODULE_AT);
        end = find_image_end(image, first, segmentAt, maxModule).value_or(end);
    }
    // "11" is searched, not the leading 00: images hold long runs of zeros.
    for (std::uint64_t hit : rom_find_all(image, "\x31\x31", 2)) {
        if (state.stopped())
            return;
        if (hit < PHOENIX_SIGNATURE_AT + 1 || image[hit - 1] != 0)
            continue;
        std::uint64_t at = hit - 1 - PHOENIX_SIGNATURE_AT;
        if (valid_module(image, at, maxModule))
            add_module(state, buffer, at, end, compression.fill);
    }
    find_bcd6f1_blocks(state, buffer, compression);
}

std::uint8_t phoenix_ring_fill(RomBytes image)
{
    return read_compression(image).fill;
}
