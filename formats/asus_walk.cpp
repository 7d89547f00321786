#include "formats/asus_walk.h"

#include <cstring>

#include "core/stream_io.h"
#include "formats/geometry.h"

namespace {

constexpr std::size_t FILE_HEAD_SIZE = 20;         // "ASUS" file head of the 4OSB chains
constexpr std::size_t SEARCH_READ_SIZE = 8;        // each search candidate is an 8-byte read
constexpr std::uint32_t DYNAMIC_V3_FIRST_RECORD = 0x40;  // after the 64-byte palette
constexpr std::uint32_t SUSA_SEARCH_STEP = 16;     // the "SUSA" record stands on a 16-byte boundary
constexpr std::uint32_t SUSA_SEARCH_LAST = 1008;
constexpr std::uint32_t SUSA_EXTRA = 60;           // 8-byte head + 52-byte trailer
constexpr std::uint32_t OSB640_SEARCH_COUNT = 4096;
constexpr std::uint32_t AMI_SEARCH_COUNT = 1024;
constexpr std::size_t AMI_FILE_HEAD_SIZE = 11;       // the palette base is the 16-bit value at 9
constexpr std::uint32_t AMI_PALETTE_SIZE = 0x30;   // 16 entries of 3 bytes before the first "IMG"
constexpr std::uint8_t MOV_SI_IMM16 = 0xBE;
constexpr std::uint8_t ADD_ESI_IMM32[] = {0x66, 0x81, 0xC6};

bool has_tag(const std::uint8_t* head, const char* tag)
{
    return std::memcmp(head, tag, std::strlen(tag)) == 0;
}

// Bounded reads with the walks' end-of-file rule: a walk makes no further step once a
// read (a search read included) came back short.
struct ChainReader {
    explicit ChainReader(std::FILE* s) : stream(s), size(stream_size(s)) {}

    void read(std::uint64_t offset, std::uint8_t* buf, std::size_t n)
    {
        hitEnd = read_at(stream, offset, buf, n) < n;
    }
    bool can_step(std::uint64_t offset) const { return !hitEnd && offset < size; }

    // Tests the 8-byte reads at base + k, k = 0, step, ... below count (one block read
    // for them all); copies the first that match() accepts into hit and returns its k,
    // or returns count. The end-of-file state is that of the last 8-byte read tested.
    template <typename Match>
    std::uint32_t search(std::uint64_t base, std::uint32_t count, std::uint32_t step, Match match,
                         std::uint8_t (&hit)[SEARCH_READ_SIZE])
    {
        std::vector<std::uint8_t> window(count + SEARCH_READ_SIZE);
        std::size_t got = read_at(stream, base, window.data(), window.size());
        std::uint32_t k = 0;
        while (k < count && !match(window.data() + k))
            k += step;
        std::uint32_t lastRead = k < count ? k : count - step;
        std::memcpy(hit, window.data() + lastRead, SEARCH_READ_SIZE);
        hitEnd = got < lastRead + SEARCH_READ_SIZE;
        return k;
    }

    std::FILE* stream;
    std::uint64_t size;
    bool hitEnd = false;
};

// Where the walk goes after a record: offset + length in 32 bits, or false when that does
// not move past the record (length 0 or a sum that wraps), which makes it the last one.
bool next_offset(std::uint32_t offset, std::uint32_t length, std::uint32_t& next)
{
    next = offset + length;
    return next > offset;
}

// "IMG" records from offset on, appended to chain.records.
void walk_img_records(ChainReader& r, std::uint32_t offset, unsigned limit, AsusChain& chain)
{
    std::uint8_t head[IMG_HEAD_SIZE];
    while (chain.records.size() < limit && r.can_step(offset)) {
        r.read(offset, head, sizeof head);
        if (!has_tag(head, "IMG"))
            return;
        AsusRecord rec;
        rec.offset = offset;
        rec.width = rd_u16(head, 4);
        rec.height = rd_u16(head, 6);
        rec.length = img_record_length(rec.width, rec.height);
        chain.records.push_back(rec);
        if (!next_offset(offset, rec.length, offset))
            return;
    }
}

}  // namespace

std::uint32_t packed_4bit_size(std::uint16_t width, std::uint16_t height)
{
    return static_cast<std::uint32_t>(round_up_8(width)) * height / 2;
}

std::uint32_t img_record_length(std::uint16_t width, std::uint16_t height)
{
    return round_up_16(packed_4bit_size(width, height) + IMG_HEAD_SIZE);
}

std::uint32_t susa_record_length(std::uint16_t width, std::uint16_t height)
{
    return round_up_16(packed_4bit_size(width, height) + SUSA_EXTRA);
}

AsusChain walk_4osb_chain(std::FILE* stream, OsbChainKind kind, unsigned limit, LoadContext* traceTo)
{
    const bool composite = kind == OsbChainKind::composite;
    ChainReader r(stream);
    AsusChain chain;
    std::uint8_t file[FILE_HEAD_SIZE];
    read_at(stream, 0, file, sizeof file);
    if (!composite && file[16] != 0)  // no picture chain in this layout
        return chain;
    chain.found = true;
    std::uint32_t offset = composite ? rd_u32(file, 12) : rd_u16(file, 12);
    chain.anchor = offset;

    bool stdaBefore = false;
    std::uint8_t head[OSB4_HEAD_SIZE];
    while (chain.records.size() < limit && r.can_step(offset)) {
        const int count = static_cast<int>(chain.records.size());
        if (traceTo && composite)
            traceTo->trace("IMAGE: %i, Offset = %lX ", count, static_cast<unsigned long>(offset));
        r.read(offset, head, sizeof head);
        if (has_tag(head, "STDA")) {
            if (traceTo && !composite)
                traceTo->trace("IMAGE: %i, Offset = %lX\n", count, static_cast<unsigned long>(offset));
            if (!next_offset(offset, OSB4_HEAD_SIZE, offset))
                break;
            stdaBefore = true;
            if (!composite)
                continue;
            // The Composite layout takes the record after "STDA" within the same step.
            r.read(offset, head, sizeof head);
            if (!has_tag(head, "4OSB"))
                continue;  // the next step looks at it again
        } else if (!has_tag(head, "4OSB")) {
            break;
        }
        if (traceTo && !composite)
            traceTo->trace("IMAGE: %i, Offset = %lX\n", count, static_cast<unsigned long>(offset));

        AsusRecord rec;
        rec.offset = offset;
        rec.afterStda = stdaBefore;
        rec.length = rd_u32(head, 4);
        rec.dataOffset = rd_u16(head, 10);
        rec.width = rd_u16(head, 12);
        rec.height = rd_u16(head, 14);
        if (composite && rec.width == 0 && rec.height != 0) {
            std::uint8_t size[4];
            r.read(static_cast<std::uint64_t>(offset) + OSB4_HEAD_SIZE, size, sizeof size);
            rec.width = rd_u16(size, 0);
            rec.height = rd_u16(size, 2);
            rec.sizeAfterHead = true;
        }
        if (traceTo && composite)
            traceTo->trace("WxH: %X, %X\n", rec.width, rec.height);
        chain.records.push_back(rec);
        stdaBefore = false;
        if (!next_offset(offset, rec.length, offset))
            break;
    }
    return chain;
}

AsusChain walk_osb640_chain(std::FILE* stream, unsigned limit)
{
    ChainReader r(stream);
    AsusChain chain;
    std::uint8_t pointer[SEARCH_READ_SIZE];
    std::uint32_t k = r.search(
        0, OSB640_SEARCH_COUNT, 1,
        [](const std::uint8_t* p) { return std::memcmp(p, ADD_ESI_IMM32, sizeof ADD_ESI_IMM32) == 0; }, pointer);
    if (k >= OSB640_SEARCH_COUNT)  // no pointer to the chain: no pictures
        return chain;
    chain.found = true;
    std::uint32_t offset = rd_u16(pointer, 3);
    chain.anchor = offset;

    std::uint8_t head[OSB640_HEAD_SIZE];
    while (chain.records.size() < limit && r.can_step(offset)) {
        r.read(offset, head, sizeof head);
        AsusRecord rec;
        rec.offset = offset;
        rec.length = rd_u32(head, 0);
        if (rec.length == 0)  // the chain's end mark
            break;
        rec.width = rd_u16(head, 6);
        rec.height = rd_u16(head, 8);
        chain.records.push_back(rec);
        if (!next_offset(offset, rec.length, offset))
            break;
    }
    return chain;
}

AsusChain walk_dynamic_v3_chain(std::FILE* stream, unsigned limit)
{
    ChainReader r(stream);
    AsusChain chain;
    chain.found = true;
    chain.anchor = DYNAMIC_V3_FIRST_RECORD;
    walk_img_records(r, DYNAMIC_V3_FIRST_RECORD, limit, chain);
    return chain;
}

AsusChain walk_dynamic_logo_chain(std::FILE* stream, unsigned limit)
{
    ChainReader r(stream);
    AsusChain chain;
    constexpr std::uint32_t count = SUSA_SEARCH_LAST + SUSA_SEARCH_STEP;
    std::uint8_t head[SEARCH_READ_SIZE];
    std::uint32_t k =
        r.search(0, count, SUSA_SEARCH_STEP, [](const std::uint8_t* p) { return has_tag(p, "SUSA"); }, head);
    if (k >= count)  // no "SUSA" record: no pictures
        return chain;
    chain.found = true;
    chain.anchor = k;
    chain.susa.offset = k;
    chain.susa.width = rd_u16(head, 4);
    chain.susa.height = rd_u16(head, 6);
    chain.susa.length = susa_record_length(chain.susa.width, chain.susa.height);
    walk_img_records(r, k + chain.susa.length, limit, chain);
    return chain;
}

AsusChain walk_dynamic_ami_chain(std::FILE* stream, unsigned limit)
{
    ChainReader r(stream);
    AsusChain chain;
    std::uint8_t file[AMI_FILE_HEAD_SIZE];
    read_at(stream, 0, file, sizeof file);
    std::uint16_t base = rd_u16(file, 9);
    std::uint8_t pointer[SEARCH_READ_SIZE];
    std::uint32_t k =
        r.search(base, AMI_SEARCH_COUNT, 1, [](const std::uint8_t* p) { return p[0] == MOV_SI_IMM16; }, pointer);
    chain.anchor = base;  // without the pointer the palette is taken at the base itself
    if (k < AMI_SEARCH_COUNT) {
        chain.found = true;
        chain.anchor = rd_u16(pointer, 1);
    }
    walk_img_records(r, chain.anchor + AMI_PALETTE_SIZE, limit, chain);
    return chain;
}
