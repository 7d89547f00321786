// Probes that unpack the logo while they detect it; the unpacked bytes, kept in memory,
// take the place of the load's input:
//   Intel GRFXLOGO container ("GRFXLOGO" at 0x80, lh5-packed four-plane picture),
//   Intel compressed PG (ED AC ED AC at 0xA0, lh5-packed PG picture),
//   Intel compressed GRFX ("GRFX" at 0x80 without "LOGO", lh5-packed GRFX picture),
//   Dell NVRAM logo ("NVRAM", a BMP packed with Dell's LZ77 coder).
#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/dell_lz77.h"
#include "codec/lzh.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "detect/probe_context.h"
#include "formats/bmp_layout.h"
#include "formats/intel_layout.h"
#include "formats/pg_layout.h"

namespace {

constexpr std::uint16_t SIXTEEN_COLORS = 16;

constexpr const char* GRFXLOGO_FATAL = "FATAL ERROR in Detect Module: Intel Graphics (GRFXLOGO)\n";
constexpr const char* COMPRESSED_PG_FATAL = "FATAL ERROR in Detect Module: Intel Graphics (Compressed PG)\n";
constexpr const char* COMPRESSED_GRFX_FATAL = "FATAL ERROR in Detect Module: Intel Graphics (Compressed GRFX)\n";
constexpr const char* DELL_NVRAM_FATAL = "FATAL ERROR in Detect Module: Dell Graphics (NVRAM)\n";
constexpr const char* DELL_ALLOCATION_FATAL = "FATAL ERROR in Decode Module: Dell Graphics\n";

constexpr int LH5_WINDOW_BITS = INTEL_LH5_WINDOW_BITS;
constexpr int LH5_METHOD = INTEL_LH5_METHOD;

// An lh5 literal costs at most 16 bits and every block head a few hundred bytes, so no
// stream that yields MAX_UNPACKED_SIZE bytes needs more packed bytes than this.
constexpr std::uint32_t MAX_PACKED_READ = 2 * MAX_UNPACKED_SIZE + 64 * 1024;

constexpr std::size_t TAG_BLOCK = 21;
constexpr std::uint64_t TAG_OFFSET = INTEL_TAG_OFFSET;

// GRFXLOGO: 16-bit packed size at 0x88, unpacked size at 0x8C, data from 0x90; the
// unpacked picture has its height at 4 and its width at 6.
constexpr std::size_t GRFXLOGO_PACKED = 0x88 - TAG_OFFSET;
constexpr std::size_t GRFXLOGO_UNPACKED = 0x8C - TAG_OFFSET;
constexpr std::uint64_t GRFXLOGO_DATA = 0x90;
constexpr std::size_t GRFXLOGO_HEAD = 8;
constexpr std::size_t GRFXLOGO_HEIGHT = 4;
constexpr std::size_t GRFXLOGO_WIDTH = 6;

// Compressed PG: the unpacked PG header has the size at 10 and 12, or, with its own
// 16-entry palette table (byte 3 = 1), 0x42 bytes further on.
constexpr std::uint64_t PG_MARK_OFFSET = PG_CONTAINER_MARK_AT;
constexpr std::uint64_t PG_SIZES_OFFSET = 0xA7;
constexpr std::size_t PG_UNPACKED = PG_CONTAINER_UNPACKED_AT - PG_SIZES_OFFSET;
constexpr std::size_t PG_PACKED = PG_CONTAINER_PACKED_AT - PG_SIZES_OFFSET;
constexpr std::uint64_t PG_DATA = PG_CONTAINER_DATA;
constexpr std::size_t PG_HEAD = 18;
constexpr std::size_t PG_PALETTE_FLAG = PG_PALETTE_FLAG_AT;
constexpr std::uint64_t PG_HEAD_AFTER_PALETTE = PG_OWN_SIZE_AT - PG_SIZE_AT;
constexpr std::size_t PG_WIDTH = PG_SIZE_AT;
constexpr std::size_t PG_HEIGHT = PG_SIZE_AT + 2;

// Compressed GRFX: the unpacked GRFX header has the size at 18 and 20.
constexpr std::size_t GRFX_NOT_LOGO = GRFX_CONTAINER_NOT_LOGO_AT - TAG_OFFSET;
constexpr std::size_t GRFX_UNPACKED = GRFX_CONTAINER_UNPACKED_AT - TAG_OFFSET;
constexpr std::uint32_t GRFX_PACKED_UNIT = GRFX_CONTAINER_PACKED_UNIT;
constexpr std::uint64_t GRFX_DATA = GRFX_CONTAINER_DATA;
constexpr std::size_t GRFX_HEAD = GRFX_HEADER_SIZE;
constexpr std::size_t GRFX_WIDTH = GRFX_WIDTH_AT;
constexpr std::size_t GRFX_HEIGHT = GRFX_HEIGHT_AT;

// Dell NVRAM: 16-bit packed length (counting the 14-byte header) at 12, the payload
// from 14; the unpacked picture is a BMP.
constexpr std::size_t DELL_PACKED_LENGTH = 12;
constexpr std::int32_t DELL_HEADER_SIZE = 14;

bool intel_candidate(const DetectContext& ctx)
{
    return !header_has(ctx, 0, "TEXT");
}

// Unpacks the lh5 stream at dataOffset into memory, where it takes the place of the
// load's input; the file size becomes the unpacked size. Leaves the new stream rewound.
void unpack_lh5(DetectContext& ctx, LogoDescriptor& d, const char* fatalMessage, std::uint64_t dataOffset,
                std::uint32_t unpackedSize, std::uint32_t packedSize)
{
    if (unpackedSize > MAX_UNPACKED_SIZE)
        unpackedSize = MAX_UNPACKED_SIZE;
    // The bit reader takes at most packedSize bytes; what the file does not hold reads as 0xFF.
    std::uint64_t available = ctx.fileSize > dataOffset ? ctx.fileSize - dataOffset : 0;
    std::uint64_t wanted = std::min<std::uint64_t>({packedSize, available, MAX_PACKED_READ});
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(wanted));
    packed.resize(read_at(d.stream, dataOffset, packed.data(), packed.size()));

    LzhResult unpacked = lzh_decode(
        LzhRequest{packed, unpackedSize, packedSize, LH5_WINDOW_BITS, LH5_METHOD}, ctx.load.messages());
    if (unpacked.allocationFailed)
        ctx.load.fatal(fatalMessage);
    ctx.fileSize = static_cast<std::uint32_t>(unpacked.bytes.size());
    d.stream = ctx.load.replace_input(std::move(unpacked.bytes));
    if (!d.stream)
        ctx.load.fatal(fatalMessage);
}

void claim_unpacked(const DetectContext& ctx, LogoDescriptor& d, LogoFormatId id, std::uint16_t width,
                    std::uint16_t height)
{
    claim_picture(d, id, width, height, ctx.fileSize, SIXTEEN_COLORS);
}

}  // namespace

bool probe_intel_grfxlogo(DetectContext& ctx, LogoDescriptor& d)
{
    if (!intel_candidate(ctx))
        return false;
    std::uint8_t tag[TAG_BLOCK];
    read_at(d.stream, TAG_OFFSET, tag, sizeof tag);
    if (!bytes_have(tag, "GRFXLOGO"))
        return false;
    unpack_lh5(ctx, d, GRFXLOGO_FATAL, GRFXLOGO_DATA, rd_u16(tag, GRFXLOGO_UNPACKED), rd_u16(tag, GRFXLOGO_PACKED));
    std::uint8_t head[GRFXLOGO_HEAD];
    read_next(d.stream, head, sizeof head);
    claim_unpacked(ctx, d, FORMAT_INTEL_GRFXLOGO, rd_u16(head, GRFXLOGO_WIDTH), rd_u16(head, GRFXLOGO_HEIGHT));
    return true;
}

bool probe_intel_compressed_pg(DetectContext& ctx, LogoDescriptor& d)
{
    if (!intel_candidate(ctx))
        return false;
    std::uint8_t mark[TAG_BLOCK];
    read_at(d.stream, PG_MARK_OFFSET, mark, sizeof mark);
    if (std::memcmp(mark, PG_CONTAINER_MARK, sizeof PG_CONTAINER_MARK) != 0)
        return false;
    std::uint8_t sizes[TAG_BLOCK];
    read_at(d.stream, PG_SIZES_OFFSET, sizes, sizeof sizes);
    unpack_lh5(ctx, d, COMPRESSED_PG_FATAL, PG_DATA, rd_u32(sizes, PG_UNPACKED), rd_u32(sizes, PG_PACKED));
    std::uint8_t head[PG_HEAD];
    read_next(d.stream, head, sizeof head);
    if (head[PG_PALETTE_FLAG] == PG_OWN_PALETTE)
        read_at(d.stream, PG_HEAD_AFTER_PALETTE, head, sizeof head);
    claim_unpacked(ctx, d, FORMAT_INTEL_COMPRESSED_PG, rd_u16(head, PG_WIDTH), rd_u16(head, PG_HEIGHT));
    return true;
}

bool probe_intel_compressed_grfx(DetectContext& ctx, LogoDescriptor& d)
{
    if (!intel_candidate(ctx))
        return false;
    std::uint8_t tag[TAG_BLOCK];
    read_at(d.stream, TAG_OFFSET, tag, sizeof tag);
    if (!bytes_have(tag, "GRFX"))
        return false;
    // Each of the four bytes after the tag must differ from its counterpart in "LOGO".
    const char* logo = "LOGO";
    for (std::size_t i = 0; i < 4; ++i) {
        if (tag[GRFX_NOT_LOGO + i] == static_cast<std::uint8_t>(logo[i]))
            return false;
    }
    std::uint32_t packedSize = (tag[GRFX_NOT_LOGO] + tag[GRFX_NOT_LOGO + 1]) * GRFX_PACKED_UNIT;
    unpack_lh5(ctx, d, COMPRESSED_GRFX_FATAL, GRFX_DATA, rd_u32(tag, GRFX_UNPACKED), packedSize);
    std::uint8_t head[GRFX_HEAD];
    read_next(d.stream, head, sizeof head);
    claim_unpacked(ctx, d, FORMAT_INTEL_COMPRESSED_GRFX, rd_u16(head, GRFX_WIDTH), rd_u16(head, GRFX_HEIGHT));
    return true;
}

bool probe_dell_nvram(DetectContext& ctx, LogoDescriptor& d)
{
    if (!header_has(ctx, 0, "NVRAM"))
        return false;
    std::int32_t packedLength = rd_u16(ctx.header, DELL_PACKED_LENGTH);
    ctx.load.trace("==>>> DELL COMPRESSION: Image Size: %X (%i) bytes\n", static_cast<unsigned>(packedLength),
                   packedLength);
    // A length below the header's 14 bytes leaves an empty payload; bytes the file lacks are 0.
    std::vector<std::uint8_t> payload(packedLength > DELL_HEADER_SIZE ? packedLength - DELL_HEADER_SIZE : 0);
    read_at(d.stream, DELL_HEADER_SIZE, payload.data(), payload.size());
    DellResult unpacked = dell_decompress(payload);
    if (unpacked.allocationFailed)
        ctx.load.fatal(DELL_ALLOCATION_FATAL);
    d.stream = ctx.load.replace_input(std::move(unpacked.bytes));
    if (!d.stream)
        ctx.load.fatal(DELL_NVRAM_FATAL);

    std::uint8_t head[BMP_HEADER_READ];
    read_next(d.stream, head, sizeof head);
    // The packed length stays the data size, although the unpacked picture is larger.
    claim_picture(d, FORMAT_DELL_NVRAM, rd_u16(head, BMP_WIDTH_AT), rd_u16(head, BMP_HEIGHT_AT),
                  static_cast<std::uint32_t>(packedLength), SIXTEEN_COLORS);
    return true;
}
