// The raw signature sweep: pictures stored as they are, found by their magic anywhere in
// the image or inside an unpacked module, and cut to the length their header gives.
//   PCX (0A, run-length rows walked to their end, 8-bit palette trailer), BMP ("BM",
//   header sizes), AWBM (palette tag after the pixels, or a bounded carve when packed),
//   PG, GRFX/XFRG, ICON (header sizes), TEXTLOGO (validated block), JPEG (markers walked
//   to EOI), $OSB, SCRN, SCN (container walks of their own: carved to the end of the
//   buffer, at most the carve limit).
// Hits in the file that overlap a structure the walks found are dropped (its unpacked
// bytes are swept instead), and so are hits at offset 0 of a module (the module itself
// is a candidate). The sweep of one buffer spends at most a few times the buffer's size
// on walks and carves, so a buffer packed with signatures still costs linear time.
#include <algorithm>

#include "rom/rom_parts.h"

namespace {

constexpr std::uint64_t MAX_SIDE = 8192;           // no picture side beyond this is a logo
constexpr std::uint64_t PCX_HEADER_SIZE = 128;
constexpr std::uint8_t PCX_RUN = 0xC0;
constexpr std::uint8_t PCX_PALETTE_MARK = 0x0C;
constexpr std::uint64_t PCX_PALETTE_TRAILER = 769;  // the mark and 256 x RGB
constexpr std::uint64_t BMP_FILE_HEADER = 14;
constexpr std::uint64_t BMP_SIZE_SLACK = 4096;     // bfSize may count a little more than the pixels
constexpr std::uint64_t AWBM_HEADER = 8;
constexpr std::uint64_t AWBM16_TRAILER = 4 + 16 * 3;
constexpr std::uint64_t AWBM256_TRAILER = 4 + 256 * 3;
constexpr std::uint64_t PG_PLANES_AT = 18;
constexpr std::uint64_t PG_OWN_PLANES_AT = 84;      // after a 16-entry palette and the size
constexpr std::uint64_t GRFX_MIN_DATA_AT = 32;      // the header, at least
constexpr std::uint64_t ICON_HEADER = 19;
constexpr std::uint64_t ICON_SUBSTITUTION = 16;
constexpr std::uint64_t SWEEP_WORK_PER_BYTE = 4;
constexpr std::uint64_t SWEEP_WORK_FLOOR = 1u << 20;

std::uint64_t fits(RomBytes b, std::uint64_t at, std::uint64_t length)
{
    return length != 0 && at <= b.size() && length <= b.size() - at ? length : 0;
}

bool side_ok(std::uint64_t side)
{
    return side != 0 && side <= MAX_SIDE;
}

std::uint64_t bmp_extent(RomBytes b)
{
    std::uint32_t fileSize = rom_u32(b, 2);
    std::uint32_t dataAt = rom_u32(b, 10);
    std::uint32_t infoSize = rom_u32(b, 14);
    bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 && infoSize != 108 &&
        infoSize != 124)
        return 0;
    std::int64_t width = core ? rom_u16(b, 18) : static_cast<std::int32_t>(rom_u32(b, 18));
    std::int64_t height = core ? rom_u16(b, 20) : static_cast<std::int32_t>(rom_u32(b, 22));
    unsigned planes = rom_u16(b, core ? 22 : 26);
    unsigned bits = rom_u16(b, core ? 24 : 28);
    std::uint32_t compression = core ? 0 : rom_u32(b, 30);
    if (height < 0)
        height = -height;
    if (rom_u32(b, 6) != 0 || planes != 1 || width <= 0 || !side_ok(static_cast<std::uint64_t>(width)) ||
        !side_ok(static_cast<std::uint64_t>(height)) || compression > 3 || dataAt < BMP_FILE_HEADER + infoSize)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    if (compression == 1 || compression == 2)  // run-length: only the header says how long
        return fileSize > dataAt ? fits(b, 0, fileSize) : 0;
    std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    std::uint64_t needed = dataAt + stride * static_cast<std::uint64_t>(height);
    if (fileSize != 0 && (fileSize + BMP_SIZE_SLACK < needed || fileSize > needed + BMP_SIZE_SLACK))
        return 0;
    return fits(b, 0, needed);
}

std::uint64_t awbm_extent(RomBytes b, std::uint64_t maxCarve)
{
    std::uint64_t width = (rom_u16(b, 4) + 7u) / 8 * 8;
    std::uint64_t height = rom_u16(b, 6);
    if (!side_ok(width) || !side_ok(height))
        return 0;
    std::uint64_t pixels = width * height;
    if (rom_has(b, AWBM_HEADER + pixels / 2, "RGB ", 4))
        return fits(b, 0, AWBM_HEADER + pixels / 2 + AWBM16_TRAILER);
    if (rom_has(b, AWBM_HEADER + pixels, "RGB ", 4))
        return fits(b, 0, AWBM_HEADER + pixels + AWBM256_TRAILER);
    // Packed: palette block, then value/count pairs, each giving at least one pixel.
    return std::min<std::uint64_t>({b.size(), maxCarve, AWBM_HEADER + AWBM256_TRAILER + 2 * pixels});
}

std::uint64_t pg_extent(RomBytes b)
{
    bool ownPalette = rom_u8(b, 3) == 1;
    std::uint64_t width = rom_u16(b, ownPalette ? PG_OWN_PLANES_AT - 8 : 10);
    std::uint64_t height = rom_u16(b, ownPalette ? PG_OWN_PLANES_AT - 6 : 12);
    if (!side_ok(width) || !side_ok(height))
        return 0;
    return fits(b, 0, (ownPalette ? PG_OWN_PLANES_AT : PG_PLANES_AT) + 4 * height * ((width + 7) / 8));
}

std::uint64_t grfx_extent(RomBytes b)
{
    std::uint64_t width = rom_u16(b, 18);
    std::uint64_t height = rom_u16(b, 20);
    std::uint64_t dataAt = rom_u16(b, 12) + 8u;
    if (!side_ok(width) || !side_ok(height) || dataAt < GRFX_MIN_DATA_AT)
        return 0;
    return fits(b, 0, dataAt + width / 2 * height);
}

std::uint64_t icon_extent(RomBytes b)
{
    unsigned depth = rom_u8(b, 4);
    std::uint64_t width = rom_u16(b, 5);
    std::uint64_t height = rom_u16(b, 7);
    if (!side_ok(width) || !side_ok(height) || (depth != 4 && depth != 8))
        return 0;
    if (depth == 4)
        return fits(b, 0, ICON_HEADER + ICON_SUBSTITUTION + (width + 1) / 2 * height);
    return fits(b, 0, ICON_HEADER + width * height);
}

// Walks the JPEG markers to EOI; 0 when there is none inside the buffer.
std::uint64_t jpeg_extent(RomBytes b)
{
    std::uint64_t at = 2;
    bool scanned = false;
    while (at + 1 < b.size()) {
        std::uint8_t marker = b[at + 1];
        if (b[at] != 0xFF)
            return 0;
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9)
            return scanned ? at + 2 : 0;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        std::uint64_t length = (std::uint64_t{rom_u8(b, at + 2)} << 8) | rom_u8(b, at + 3);  // big-endian
        if (length < 2)
            return 0;
        at += 2 + length;
        if (marker == 0xDA) {
            // The coded data runs to the next marker that is neither a stuffed 00 nor RSTn.
            scanned = true;
            while (at + 1 < b.size() && !(b[at] == 0xFF && b[at + 1] != 0x00 && (b[at + 1] < 0xD0 || b[at + 1] > 0xD7)))
                ++at;
        }
    }
    return 0;
}

struct Signature {
    const char* magic;
    std::size_t length;
    const char* name;
};

// The magics swept, with the name a hit is listed under.
constexpr Signature SIGNATURES[] = {
    {"\x0A", 1, "PCX"},   {"BM", 2, "BMP"},     {"AWBM", 4, "AWBM"}, {"PG", 2, "PG"},
    {"GRFX", 4, "GRFX"},  {"XFRG", 4, "GRFX"},  {"ICON", 4, "ICON"}, {"TEXTLOGO", 8, "TEXTLOGO"},
    {"\xFF\xD8\xFF", 3, "JPEG"}, {"$OSB", 4, "$OSB"}, {"SCRN", 4, "SCRN"}, {"SCN", 3, "SCN"},
};

// Length of the picture named name at the start of b, by its signature's rule.
std::uint64_t extent_of(const std::string& name, RomBytes b, std::uint64_t maxCarve)
{
    if (name == "PCX")
        return pcx_extent(b, 0);
    if (name == "BMP")
        return bmp_extent(b);
    if (name == "AWBM")
        return awbm_extent(b, maxCarve);
    if (name == "PG")
        return pg_extent(b);
    if (name == "GRFX")
        return grfx_extent(b);
    if (name == "ICON")
        return icon_extent(b);
    if (name == "TEXTLOGO")
        return textlogo_extent(b, 0);
    if (name == "JPEG")
        return jpeg_extent(b);
    return std::min<std::uint64_t>(b.size(), maxCarve);
}

}  // namespace

std::uint64_t pcx_extent(RomBytes b, std::uint64_t at)
{
    RomBytes h = rom_range(b, at, PCX_HEADER_SIZE);
    if (h.empty() || h[0] != 0x0A || h[2] != 1 || h[64] != 0)
        return 0;
    unsigned version = h[1];
    unsigned bits = h[3];
    unsigned planes = h[65];
    if (version > 5 || version == 1 || (bits != 1 && bits != 2 && bits != 4 && bits != 8) || planes == 0 || planes > 4)
        return 0;
    std::uint16_t xmin = rom_u16(h, 4), ymin = rom_u16(h, 6), xmax = rom_u16(h, 8), ymax = rom_u16(h, 10);
    if (xmax < xmin || ymax < ymin)
        return 0;
    std::uint64_t width = xmax - xmin + 1u;
    std::uint64_t height = ymax - ymin + 1u;
    std::uint64_t lineBytes = rom_u16(h, 66);
    if (!side_ok(width) || !side_ok(height) || lineBytes < (width * bits + 7) / 8 || lineBytes > (width * bits + 7) / 8 + 8)
        return 0;
    std::uint64_t wanted = lineBytes * planes * height;
    std::uint64_t produced = 0;
    std::uint64_t pos = at + PCX_HEADER_SIZE;
    while (produced < wanted) {
        if (pos >= b.size())
            return 0;
        std::uint8_t c = b[pos++];
        if ((c & PCX_RUN) == PCX_RUN) {
            if (pos >= b.size())
                return 0;
            ++pos;
            produced += c & ~PCX_RUN;
        } else {
            ++produced;
        }
    }
    if (bits == 8 && planes == 1 && rom_u8(b, pos) == PCX_PALETTE_MARK && fits(b, pos, PCX_PALETTE_TRAILER))
        pos += PCX_PALETTE_TRAILER;
    return pos - at;
}

void sweep_raw_signatures(RomScanState& state, RomBytes buffer, int parent)
{
    std::uint64_t work = std::max<std::uint64_t>(SWEEP_WORK_FLOOR, SWEEP_WORK_PER_BYTE * buffer.size());
    std::uint64_t maxCarve = state.limits().maxRawCarve;
    for (const Signature& s : SIGNATURES) {
        for (std::uint64_t at : rom_find_all(buffer, s.magic, s.length)) {
            if (state.full())
                return;
            if (parent >= 0 && at == 0)
                continue;
            RomBytes slice = rom_range(buffer, at, std::min<std::uint64_t>(buffer.size() - at, maxCarve));
            std::string name = s.name;
            std::uint64_t length = extent_of(name, slice, maxCarve);
            if (length == 0)
                continue;
            if (length > work)
                return;
            work -= length;
            if (parent < 0 && state.overlaps_claim(at, length))
                continue;
            if (!state.charge(length))
                return;
            RomBytes carved = slice.first(static_cast<std::size_t>(length));
            RomCandidate c;
            c.container = "raw";
            c.name = name;
            c.compression = "none";
            c.bytes = name == "TEXTLOGO" ? textlogo_picture_file(carved) : std::vector<std::uint8_t>(carved.begin(), carved.end());
            if (parent >= 0) {
                const RomCandidate& p = state.candidates()[static_cast<std::size_t>(parent)];
                c.offset = p.offset;
                c.length = p.length;
                c.detail = "+0x" + hex_text(at, 1) + " in " + p.container + " " + p.name;
                c.parent = parent;
            } else {
                c.offset = at;
                c.length = length;
            }
            state.add(std::move(c));
        }
    }
}

std::uint64_t rom_picture_extent(std::span<const std::uint8_t> bytes, std::string& signature)
{
    constexpr std::uint64_t TEXTLOGO_FILE_AT = 0x80;
    signature = "TEXTLOGO";
    if (rom_has(bytes, TEXTLOGO_FILE_AT, "TEXTLOGO", 8)) {
        std::uint64_t length = textlogo_extent(bytes, TEXTLOGO_FILE_AT);
        return length ? TEXTLOGO_FILE_AT + length : 0;
    }
    for (const Signature& s : SIGNATURES) {
        if (rom_has(bytes, 0, s.magic, s.length)) {
            signature = s.name;
            return extent_of(s.name, bytes, bytes.size());
        }
    }
    signature.clear();
    return 0;
}
