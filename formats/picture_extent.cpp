#include "formats/picture_extent.h"

#include <algorithm>
#include <cstring>

#include "core/logo.h"
#include "core/stream_io.h"
#include "formats/awbm_layout.h"
#include "formats/bmp_layout.h"
#include "formats/container_walk.h"
#include "formats/geometry.h"
#include "formats/pcx_layout.h"
#include "formats/pg_layout.h"
#include "formats/textlogo_layout.h"

namespace {

constexpr std::uint8_t PCX_RUN_FLAGS = 0xC0;
constexpr std::uint8_t PCX_RUN_LENGTH_MASK = 0x3F;
constexpr std::size_t PCX_RESERVED_AT = 64;
constexpr std::size_t PCX_PLANES_AT = 65;
constexpr std::uint8_t PCX_PALETTE_MARK = 0x0C;
constexpr std::uint64_t PCX_PALETTE_TRAILER = 769;  // the mark and 256 x RGB
constexpr std::uint64_t PCX_LINE_SLACK = 8;         // bytes per line a writer may add to the width's

constexpr std::uint64_t BMP_FILE_HEADER = 14;
constexpr std::uint64_t BMP_SIZE_SLACK = 4096;  // bfSize may count a little more than the pixels
constexpr std::uint32_t BMP_CORE_HEADER = 12;   // BITMAPCOREHEADER: 16-bit sizes

constexpr std::uint64_t AWBM16_BLOCK = 4 + 16 * 3;    // "RGB " and 16 entries
constexpr std::uint64_t AWBM256_BLOCK = 4 + 256 * 3;  // "RGB " and 256 entries
constexpr std::size_t AWBM_DEPTH_AT = 11;             // compressed: 1 in the tag's last byte means 256 colours

constexpr std::uint64_t PG_STANDARD_PLANES_AT = 18;
constexpr std::uint64_t PG_TABLE_AT = 12;            // own palette: 4-byte entries, their count at 10
constexpr std::uint64_t PG_TABLE_ENTRY = 4;
constexpr std::uint64_t PG_SIZE_BLOCK = 8;           // after the table: width, height, two unused words
constexpr unsigned PG_PLANES = 4;

constexpr std::uint64_t GRFX_DATA_OFFSET_AT = 12;    // counted from 8
constexpr std::uint64_t GRFX_DATA_BASE = 8;
constexpr std::uint64_t GRFX_MIN_DATA_AT = 32;

constexpr std::uint64_t ICON_HEAD = PHOENIX_HEAD_SIZE;
constexpr std::uint64_t ICON_SUBSTITUTION = PHOENIX_SUBSTITUTION_SIZE;

constexpr std::uint64_t GLE_HEADER = 8;
constexpr std::uint64_t GLE_CELL_BYTES = 14;

constexpr std::uint64_t TM_DATA_OFFSET_AT = 10;
constexpr std::uint64_t TM_WIDTH_AT = 18;
constexpr std::uint64_t TM_HEIGHT_AT = 22;
constexpr std::uint64_t TM_FIRST_PIXELS = 54 + 16 * 4;  // after the 16-entry palette at 54

constexpr std::uint64_t TEXTLOGO_TAG_AT = 0x80;
constexpr std::uint64_t LOGO_TAG_SIZE = 4;           // "TEXT" before "LOGO", "LOGO" before the fields
constexpr std::uint64_t LOGO_GLYPH_BYTES_AT = 8;
constexpr std::uint64_t LOGO_COLUMNS_AT = 0x0C;
constexpr std::uint64_t LOGO_ROWS_AT = 0x0E;

constexpr std::uint64_t SCRN_SIZE_AT = 4;
constexpr std::uint64_t SCN_SIZE_AT = 4;
constexpr std::uint64_t SCN_MIN_SIZE = 10;

bool side_ok(std::uint64_t side)
{
    return side != 0 && side <= MAX_MEASURED_SIDE;
}

// An extent of length bytes, complete when they lie inside b.
PictureExtent extent(std::uint64_t width, std::uint64_t height, std::uint64_t length, const LayoutBytes& b)
{
    PictureExtent e;
    e.width = static_cast<std::uint32_t>(width);
    e.height = static_cast<std::uint32_t>(height);
    e.length = length;
    e.complete = length != 0 && length <= b.size();
    return e;
}

// Steps over one PCX scanline of length bytes from pos, as unpack_pcx_scanline reads it:
// a run is cut at the line's end. False when the bytes end inside the line.
bool walk_pcx_line(std::span<const std::uint8_t> b, std::uint64_t& pos, std::uint64_t length)
{
    const std::uint8_t* data = b.data();
    const std::uint64_t size = b.size();
    std::uint64_t filled = 0;
    while (filled < length) {
        if (pos >= size)
            return false;
        std::uint8_t code = data[pos++];
        std::uint64_t run = 1;
        if ((code & PCX_RUN_FLAGS) == PCX_RUN_FLAGS) {
            if (pos >= size)
                return false;
            ++pos;
            run = code & PCX_RUN_LENGTH_MASK;
        }
        filled += std::min(run, length - filled);
    }
    return true;
}

// Walks count/value or value/count pairs from pos until size bytes are given; copies(a, b)
// is what a pair gives. The end, or 0 when the bytes end first.
template <typename Copies>
std::uint64_t walk_pairs(const LayoutBytes& b, std::uint64_t pos, std::uint64_t size, Copies copies)
{
    std::uint64_t filled = 0;
    while (filled < size) {
        if (pos + 2 > b.size())
            return 0;
        filled += copies(b.u8(pos), b.u8(pos + 1));
        pos += 2;
    }
    return pos;
}

}  // namespace

void LayoutBytes::read(std::uint64_t at, std::uint8_t* out, std::size_t n) const
{
    std::memset(out, 0, n);
    if (at >= size_)
        return;
    std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - at));
    if (stream_)
        read_at(stream_, at, out, available);
    else
        std::memcpy(out, bytes_.data() + at, available);
}

std::uint8_t LayoutBytes::u8(std::uint64_t at) const
{
    if (!stream_)
        return at < size_ ? bytes_[static_cast<std::size_t>(at)] : 0;
    std::uint8_t v = 0;
    read(at, &v, 1);
    return v;
}

std::uint16_t LayoutBytes::u16(std::uint64_t at) const
{
    return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8));
}

std::uint32_t LayoutBytes::u32(std::uint64_t at) const
{
    return u16(at) | (static_cast<std::uint32_t>(u16(at + 2)) << 16);
}

bool LayoutBytes::has(std::uint64_t at, const char* text, std::size_t length) const
{
    if (at > size_ || length > size_ - at)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (u8(at + i) != static_cast<std::uint8_t>(text[i]))
            return false;
    return true;
}

PictureExtent measure_pcx(const LayoutBytes& b)
{
    std::uint8_t h[PCX_HEADER_SIZE];
    b.read(0, h, sizeof h);
    unsigned version = h[1], encoding = h[2], bits = h[PCX_BITS_PER_PIXEL_AT], planes = h[PCX_PLANES_AT];
    // Versions 0, 2 .. 5; BioStar writes encoding 0 over run-length rows.
    if (h[0] != PCX_MAKER || version > PCX_VERSION_5 || version == 1 || encoding > PCX_RLE ||
        (bits != 1 && bits != 2 && bits != 4 && bits != 8) || planes == 0 || planes > 4 || h[PCX_RESERVED_AT] != 0)
        return {};
    std::uint16_t xmin = rd_u16(h, 4), ymin = rd_u16(h, 6), xmax = rd_u16(h, 8), ymax = rd_u16(h, 10);
    if (xmax < xmin || ymax < ymin)
        return {};
    std::uint64_t width = xmax - xmin + 1u, height = ymax - ymin + 1u;
    std::uint64_t lineBytes = rd_u16(h, PCX_BYTES_PER_LINE_AT);
    std::uint64_t needed = (width * bits + 7) / 8;
    if (!side_ok(width) || !side_ok(height) || lineBytes < needed || lineBytes > needed + PCX_LINE_SLACK)
        return {};
    PictureExtent e = extent(width, height, 0, b);
    if (b.span().empty())  // a stream: the header's size only
        return e;
    std::uint64_t pos = PCX_HEADER_SIZE;
    for (std::uint64_t y = 0; y < height; ++y) {
        if (!walk_pcx_line(b.span(), pos, lineBytes * planes)) {
            e.walked = pos;
            return e;
        }
    }
    if (bits == 8 && planes == 1 && b.u8(pos) == PCX_PALETTE_MARK && pos + PCX_PALETTE_TRAILER <= b.size())
        pos += PCX_PALETTE_TRAILER;
    e.walked = pos;
    e.length = pos;
    e.complete = true;
    return e;
}

PictureExtent measure_bmp(const LayoutBytes& b)
{
    std::uint32_t fileSize = b.u32(BMP_FILE_SIZE_AT);
    std::uint32_t dataAt = b.u32(BMP_DATA_OFFSET_AT);
    std::uint32_t infoSize = b.u32(BMP_INFO_SIZE_AT);
    bool core = infoSize == BMP_CORE_HEADER;
    if (!core && infoSize != BMP_INFO_HEADER_SIZE && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124)
        return {};
    std::int64_t width = core ? b.u16(BMP_WIDTH_AT) : static_cast<std::int32_t>(b.u32(BMP_WIDTH_AT));
    std::int64_t height = core ? b.u16(20) : static_cast<std::int32_t>(b.u32(BMP_HEIGHT_AT));
    unsigned planes = b.u16(core ? 22 : BMP_PLANES_AT);
    unsigned bits = b.u16(core ? 24 : BMP_BIT_COUNT_AT);
    std::uint32_t compression = core ? 0 : b.u32(BMP_COMPRESSION_AT);
    if (height < 0)
        height = -height;
    if (b.u32(6) != 0 || planes != 1 || width <= 0 || !side_ok(static_cast<std::uint64_t>(width)) ||
        !side_ok(static_cast<std::uint64_t>(height)) || compression > 3 || dataAt < BMP_FILE_HEADER + infoSize)
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    if (compression == 1 || compression == 2)  // run-length: only the header says how long
        return fileSize > dataAt ? extent(width, height, fileSize, b) : PictureExtent{};
    std::uint64_t needed = dataAt + bmp_stored_row_bytes(static_cast<std::uint64_t>(width), bits) * height;
    if (fileSize != 0 && (fileSize + BMP_SIZE_SLACK < needed || fileSize > needed + BMP_SIZE_SLACK))
        return {};
    return extent(width, height, needed, b);
}

PictureExtent measure_awbm(const LayoutBytes& b)
{
    std::uint64_t width = round_up_8(b.u16(AWBM_WIDTH_AT));
    std::uint64_t height = b.u16(AWBM_HEIGHT_AT);
    if (!side_ok(width) || !side_ok(height))
        return {};
    std::uint64_t pixels = width * height;
    if (b.has(AWBM_HEADER_SIZE + pixels / 2, "RGB ", AWBM_PALETTE_TAG_SIZE))
        return extent(width, height, AWBM_HEADER_SIZE + pixels / 2 + AWBM16_BLOCK, b);
    if (b.has(AWBM_HEADER_SIZE + pixels, "RGB ", AWBM_PALETTE_TAG_SIZE))
        return extent(width, height, AWBM_HEADER_SIZE + pixels + AWBM256_BLOCK, b);
    if (!b.has(AWBM_LEADING_PALETTE_AT, "RGB", 3))  // no palette anywhere: the header and 16-colour pixels
        return extent(width, height, AWBM_HEADER_SIZE + pixels / 2, b);
    // Compressed: the palette block, then run pairs whose counts the scrambler hides.
    bool deep = b.u8(AWBM_DEPTH_AT) == 1;
    AwbmRunScrambler scrambler;
    std::uint64_t start = AWBM_HEADER_SIZE + (deep ? AWBM256_BLOCK : AWBM16_BLOCK);
    std::uint64_t end = walk_pairs(b, start, deep ? pixels : pixels / 2, [&](std::uint8_t, std::uint8_t count) {
        return (static_cast<unsigned>(count) ^ scrambler.next_mask()) + 1u;
    });
    PictureExtent e = extent(width, height, end, b);
    e.walked = end ? end : b.size();
    return e;
}

PgLayout read_pg_layout(const LayoutBytes& b)
{
    std::uint8_t head[PG_SUBHEADER_READ];
    b.read(0, head, sizeof head);
    PgLayout l{rd_u16(head, PG_SIZE_AT), rd_u16(head, PG_SIZE_AT + 2), PG_STANDARD_PLANES_AT, 0};
    PgSubHeader sub;
    if (head[3] == PG_OWN_PALETTE) {
        // The value at 10 counts the palette entries, and the size follows them.
        std::uint64_t sizeAt = PG_TABLE_AT + PG_TABLE_ENTRY * rd_u16(head, PG_SIZE_AT);
        l.width = b.u16(sizeAt);
        l.height = b.u16(sizeAt + 2);
        l.planesAt = sizeAt + PG_SIZE_BLOCK;
    } else if (pg_sub_header(head, sub)) {
        l.width = sub.width;
        l.height = sub.rows;
        l.planesAt = PG_SUBHEADER_PLANES_AT;
        l.planeRowBytes = sub.planeRowBytes;
    }
    if (l.planeRowBytes == 0)
        l.planeRowBytes = (l.width + 7u) / 8u;
    return l;
}

PictureExtent measure_pg(const LayoutBytes& b)
{
    PgLayout l = read_pg_layout(b);
    if (!side_ok(l.width) || !side_ok(l.height))
        return {};
    return extent(l.width, l.height, l.planesAt + PG_PLANES * l.height * l.planeRowBytes, b);
}

PictureExtent measure_grfx(const LayoutBytes& b)
{
    std::uint64_t width = b.u16(18), height = b.u16(20);
    std::uint64_t dataAt = b.u16(GRFX_DATA_OFFSET_AT) + GRFX_DATA_BASE;
    if (!side_ok(width) || !side_ok(height) || dataAt < GRFX_MIN_DATA_AT)
        return {};
    return extent(width, height, dataAt + width / 2 * height, b);
}

PictureExtent measure_icon(const LayoutBytes& b)
{
    unsigned depth = b.u8(4);
    std::uint64_t width = b.u16(5), height = b.u16(7);
    if (!side_ok(width) || !side_ok(height) || (depth != 4 && depth != 8))
        return {};
    if (depth == 4)
        return extent(width, height, ICON_HEAD + ICON_SUBSTITUTION + (width + 1) / 2 * height, b);
    return extent(width, height, ICON_HEAD + width * height, b);
}

PictureExtent measure_gle(const LayoutBytes& b)
{
    std::uint64_t columns = b.u8(4), rows = b.u8(5);
    if (columns == 0 || rows == 0)
        return {};
    return extent(columns * 8, rows * GLE_CELL_BYTES, GLE_HEADER + columns * rows * GLE_CELL_BYTES, b);
}

PictureExtent measure_trigem(const LayoutBytes& b)
{
    std::uint64_t width = b.u16(TM_WIDTH_AT), height = b.u16(TM_HEIGHT_AT);
    std::uint64_t dataAt = b.u32(TM_DATA_OFFSET_AT);
    if (!side_ok(width) || !side_ok(height) || dataAt < TM_FIRST_PIXELS || dataAt >= b.size())
        return {};
    // Count/value pairs; a count of 0 gives nothing and counts as one step towards the end.
    std::uint64_t end = walk_pairs(b, dataAt, width * height / 2, [](std::uint8_t count, std::uint8_t) {
        return std::uint64_t{count};
    });
    PictureExtent e = extent(width, height, end, b);
    e.walked = end ? end - dataAt : b.size() - dataAt;
    return e;
}

PictureExtent measure_logo_block(const LayoutBytes& b)
{
    // The fields count from the origin 4 bytes before "LOGO" (formats/textlogo_layout.h):
    // the glyphs at origin + 21, then the screen map of (character, attribute) pairs.
    std::uint64_t glyphBytes = b.u16(LOGO_GLYPH_BYTES_AT);
    std::uint64_t columns = b.u16(LOGO_COLUMNS_AT), rows = b.u16(LOGO_ROWS_AT);
    if (!b.has(0, "LOGO", LOGO_TAG_SIZE) || columns == 0 || rows == 0 || glyphBytes == 0 || glyphBytes % 8 != 0)
        return {};
    std::uint64_t end = TEXTLOGO_HEADER_LENGTH + glyphBytes / 8 * TEXTLOGO_GLYPH_HEIGHT +
                        TEXTLOGO_CELL_BYTES * columns * rows;
    return extent(columns * TEXTLOGO_CELL_WIDTH, rows * TEXTLOGO_GLYPH_HEIGHT, end - LOGO_TAG_SIZE, b);
}

PictureExtent measure_textlogo(const LayoutBytes& b)
{
    if (!b.has(TEXTLOGO_TAG_AT, "TEXTLOGO", 8))
        return {};
    std::uint64_t logoAt = TEXTLOGO_TAG_AT + LOGO_TAG_SIZE;
    std::uint8_t block[0x20];
    b.read(logoAt, block, sizeof block);
    PictureExtent e = measure_logo_block(LayoutBytes(std::span<const std::uint8_t>(block)));
    if (e.width == 0)
        return {};
    return extent(e.width, e.height, logoAt + e.length, b);
}

PictureExtent measure_jpeg(const LayoutBytes& b)
{
    constexpr std::uint8_t MARKER = 0xFF, EOI = 0xD9, SOS = 0xDA, TEM = 0x01, RST0 = 0xD0, RST7 = 0xD7;
    if (b.u8(0) != MARKER || b.u8(1) != 0xD8)
        return {};
    std::uint64_t at = 2;
    bool scanned = false;
    PictureExtent e;
    while (at + 1 < b.size()) {
        std::uint8_t marker = b.u8(at + 1);
        if (b.u8(at) != MARKER)
            break;
        if (marker == MARKER) {  // fill byte
            ++at;
            continue;
        }
        if (marker == EOI) {
            if (!scanned)
                break;
            e.length = at + 2;
            e.complete = true;
            break;
        }
        if ((marker >= RST0 && marker <= RST7) || marker == TEM) {
            at += 2;
            continue;
        }
        std::uint64_t length = (std::uint64_t{b.u8(at + 2)} << 8) | b.u8(at + 3);  // big-endian
        if (length < 2)
            break;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC && e.width == 0) {
            e.height = (std::uint32_t{b.u8(at + 5)} << 8) | b.u8(at + 6);  // frame header: height, then width
            e.width = (std::uint32_t{b.u8(at + 7)} << 8) | b.u8(at + 8);
        }
        at += 2 + length;
        if (marker == SOS) {
            // The coded data runs to the next marker that is neither a stuffed 00 nor RSTn.
            scanned = true;
            while (at + 1 < b.size()) {
                std::uint8_t next = b.u8(at + 1);
                if (b.u8(at) == MARKER && next != 0x00 && (next < RST0 || next > RST7))
                    break;
                ++at;
            }
        }
    }
    e.walked = std::min<std::uint64_t>(at, b.size());
    return e;
}

PictureExtent measure_osb(const LayoutBytes& b)
{
    PictureExtent e;
    std::uint64_t at = 0;
    for (unsigned n = 0; n <= MAX_FRAMES; ++n) {
        if (!b.has(at, "$OSB", 4) || at + OSB_RECORD_SIZE > b.size())
            break;
        if (b.u8(at + OSB_END_MARK_AT) == OSB_END_MARK) {
            e.length = at + OSB_RECORD_SIZE;
            break;
        }
        // Each record holds one BMP or PCX picture, measured by its own rule within its length.
        std::uint64_t length = b.u32(at + OSB_LENGTH_AT);
        std::uint64_t pictureAt = at + OSB_RECORD_SIZE;
        if (length > b.size() - pictureAt)
            break;
        std::uint8_t head[PCX_HEADER_SIZE];
        b.read(pictureAt, head, sizeof head);
        std::span<const std::uint8_t> picture = b.span().empty()
                                                    ? std::span<const std::uint8_t>(head, std::min<std::uint64_t>(length, sizeof head))
                                                    : b.span().subspan(static_cast<std::size_t>(pictureAt), static_cast<std::size_t>(length));
        PictureExtent p = head[0] == 'B' && head[1] == 'M' ? measure_bmp(LayoutBytes(picture)) : measure_pcx(LayoutBytes(picture));
        e.walked += p.walked + OSB_RECORD_SIZE;
        if (!p.complete)
            break;
        e.length = pictureAt + length;
        at = pictureAt + length;
    }
    e.complete = e.length != 0;
    return e;
}

PictureExtent measure_scrn(const LayoutBytes& b)
{
    std::uint64_t size = b.u16(SCRN_SIZE_AT);
    std::uint64_t directory = b.u16(6);
    if (size < 8 || directory >= size)
        return {};
    return extent(0, 0, size, b);
}

PictureExtent measure_scn(const LayoutBytes& b)
{
    std::uint64_t size = b.u32(SCN_SIZE_AT);
    if (size < SCN_MIN_SIZE || b.u8(9) == 0)  // picture count
        return {};
    return extent(0, 0, size, b);
}

PictureExtent measure_picture(PictureLayout layout, const LayoutBytes& b)
{
    switch (layout) {
    case PictureLayout::pcx: return measure_pcx(b);
    case PictureLayout::bmp: return measure_bmp(b);
    case PictureLayout::awbm: return measure_awbm(b);
    case PictureLayout::pg: return measure_pg(b);
    case PictureLayout::grfx: return measure_grfx(b);
    case PictureLayout::icon: return measure_icon(b);
    case PictureLayout::gle: return measure_gle(b);
    case PictureLayout::trigem: return measure_trigem(b);
    case PictureLayout::textlogo: return measure_textlogo(b);
    case PictureLayout::logoBlock: return measure_logo_block(b);
    case PictureLayout::jpeg: return measure_jpeg(b);
    case PictureLayout::osb: return measure_osb(b);
    case PictureLayout::scrn: return measure_scrn(b);
    case PictureLayout::scn: return measure_scn(b);
    }
    return {};
}
