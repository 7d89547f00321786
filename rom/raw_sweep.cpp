// The raw signature sweep: pictures stored as they are, found by their magic anywhere in
// a buffer (the file, or the unpacked bytes of a member or module), in one pass in offset
// order, and cut to the extent the format's measuring rule gives (formats/picture_extent.h):
//   PCX, BMP ("BM"), AWBM, PG, GRFX/XFRG, ICON, GLE ("GL"), TriGem ("TM"), TEXTLOGO and the
//   bare "LOGO" block, JPEG, and the composites $OSB, SCRN and SCN (their real ends).
// A hit is offered only when its picture is all inside the buffer and it overlaps no
// structure the container passes found (whose unpacked bytes are scanned instead) nor a
// logo already listed: a listed logo claims its range, so its frames and the tails of its
// chain are not listed again. Hits at offset 0 of unpacked bytes are the container itself,
// which was offered whole. The signatures of two bytes get more checks before they are
// offered: header bytes that every such file holds, and (in confirmation) rows that are
// not noise. Every measurement is charged to the scan's budget, failed walks included.
#include <array>
#include <algorithm>

#include "formats/picture_extent.h"
#include "rom/rom_parts.h"

namespace {

constexpr std::uint64_t MEASURE_COST = 64;  // header bytes every measurement reads
constexpr std::uint64_t WALK_COST = 3;      // work units per byte a walk steps through (rows, pairs, markers)
constexpr std::uint64_t TEXTLOGO_LOGO_AT = 4;  // "LOGO" inside "TEXTLOGO"

// Header bytes beyond the magic that every file of a weak (two-byte) signature holds.
bool pg_header_sane(RomBytes b)
{
    return rom_u8(b, 2) == 0 && rom_u8(b, 3) <= 1;  // reserved, palette flag
}

bool gle_header_sane(RomBytes b)
{
    return rom_u8(b, 3) == 0 && rom_u8(b, 6) < 16 && rom_u8(b, 7) == 0;  // colour index of the cells
}

bool trigem_header_sane(RomBytes b)
{
    return rom_u32(b, 6) == 0 && rom_u32(b, 10) < 0x10000;  // reserved as in a BMP, a near pixel offset
}

// "TEXTLOGO" also stands in the code that draws the block: a block holds its header
// length 21 four bytes after "LOGO".
bool textlogo_header_sane(RomBytes b)
{
    return rom_u16(b, 8) == 21;
}

bool logo_block_header_sane(RomBytes b)
{
    return rom_u16(b, 4) == 21;
}

bool always(RomBytes)
{
    return true;
}

struct Signature {
    const char* magic;
    std::size_t length;
    const char* name;
    PictureLayout layout;
    bool (*sane)(RomBytes);
};

// The magics swept, with the name a hit is listed under.
constexpr Signature SIGNATURES[] = {
    {"\x0A", 1, "PCX", PictureLayout::pcx, always},
    {"BM", 2, "BMP", PictureLayout::bmp, always},
    {"AWBM", 4, "AWBM", PictureLayout::awbm, always},
    {"PG", 2, "PG", PictureLayout::pg, pg_header_sane},
    {"GRFX", 4, "GRFX", PictureLayout::grfx, always},
    {"XFRG", 4, "GRFX", PictureLayout::grfx, always},
    {"ICON", 4, "ICON", PictureLayout::icon, always},
    {"GL", 2, "GLE", PictureLayout::gle, gle_header_sane},
    {"TM", 2, "TM", PictureLayout::trigem, trigem_header_sane},
    {"TEXTLOGO", 8, "TEXTLOGO", PictureLayout::logoBlock, textlogo_header_sane},
    {"LOGO", 4, "LOGO", PictureLayout::logoBlock, logo_block_header_sane},
    {"\xFF\xD8\xFF", 3, "JPEG", PictureLayout::jpeg, always},
    {"$OSB", 4, "$OSB", PictureLayout::osb, always},
    {"SCRN", 4, "SCRN", PictureLayout::scrn, always},
    {"SCN\0", 4, "SCN", PictureLayout::scn, always},
};

// For each pair of leading bytes, a bit per signature that starts with them (a one-byte
// magic with every second byte): most offsets of a ROM, erased flash included, start no
// signature at all and cost one lookup.
constexpr std::array<std::uint32_t, 1u << 16> LEADING_PAIRS = [] {
    std::array<std::uint32_t, 1u << 16> t{};
    for (std::size_t k = 0; k < std::size(SIGNATURES); ++k) {
        unsigned first = static_cast<std::uint8_t>(SIGNATURES[k].magic[0]);
        for (unsigned second = 0; second < 256; ++second)
            if (SIGNATURES[k].length == 1 || static_cast<std::uint8_t>(SIGNATURES[k].magic[1]) == second)
                t[first | (second << 8)] |= 1u << k;
    }
    return t;
}();

// Sorted, merged claims of the buffer.
std::vector<std::pair<std::uint64_t, std::uint64_t>> merged_claims(std::vector<std::pair<std::uint64_t, std::uint64_t>> c)
{
    std::sort(c.begin(), c.end());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> out;
    for (const auto& r : c) {
        if (!out.empty() && r.first <= out.back().second)
            out.back().second = std::max(out.back().second, r.second);
        else
            out.push_back(r);
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> textlogo_picture_file(RomBytes block)
{
    constexpr std::uint64_t PICTURE_FILE_BLOCK_AT = 0x80;
    std::vector<std::uint8_t> file(PICTURE_FILE_BLOCK_AT + block.size(), 0);
    std::copy(block.begin(), block.end(), file.begin() + PICTURE_FILE_BLOCK_AT);
    return file;
}

void sweep_raw_signatures(RomScanState& state, RomBuffer& buffer)
{
    RomBytes b = buffer.bytes;
    const auto claims = merged_claims(buffer.claims);
    const std::array<std::uint32_t, 1u << 16>& pairs = LEADING_PAIRS;
    std::size_t k = 0;  // first claim that ends after the current offset
    for (std::uint64_t at = buffer.depth > 0 ? 1 : 0; at < b.size(); ++at) {
        std::uint32_t candidates = pairs[b[at] | (rom_u8(b, at + 1) << 8)];
        if (candidates == 0)
            continue;
        while (k < claims.size() && claims[k].second <= at)
            ++k;
        if (k < claims.size() && claims[k].first <= at) {
            at = claims[k].second - 1;  // inside a structure or a listed logo
            continue;
        }
        for (std::size_t s = 0; s < std::size(SIGNATURES) && candidates; ++s) {
            if (!(candidates & (1u << s)))
                continue;
            const Signature& sig = SIGNATURES[s];
            RomBytes rest = b.subspan(static_cast<std::size_t>(at));
            if (!rom_has(rest, 0, sig.magic, sig.length) || !sig.sane(rest))
                continue;
            std::uint64_t pictureAt = sig.layout == PictureLayout::logoBlock && sig.length == 8 ? TEXTLOGO_LOGO_AT : 0;
            PictureExtent e = measure_picture(sig.layout, LayoutBytes(rest.subspan(static_cast<std::size_t>(
                                                              std::min<std::uint64_t>(pictureAt, rest.size())))));
            if (!state.charge(MEASURE_COST + WALK_COST * e.walked, buffer, at))
                return;
            if (e.length == 0 || !e.complete)
                continue;
            std::uint64_t length = pictureAt + e.length;
            if (k < claims.size() && claims[k].first < at + length)
                continue;  // runs into a structure: overwritten, or not a picture
            if (!state.charge(length, buffer, at))
                return;
            RomBytes carved = rest.first(static_cast<std::size_t>(length));
            RomCandidate c;
            c.bytes = pictureAt ? textlogo_picture_file(carved) : std::vector<std::uint8_t>(carved.begin(), carved.end());
            c.endKnown = true;
            c.signature = sig.name;
            RomContainer raw{"raw", sig.name, buffer.depth > 0 ? "+0x" + hex_text(at, 1) : "", "none", at, length, {}};
            if (state.offer(buffer, std::move(raw), std::move(c))) {
                at += length - 1;  // the logo claims its bytes
                break;
            }
            if (state.stopped())
                return;
        }
    }
}
