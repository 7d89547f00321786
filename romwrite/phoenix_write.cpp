// Phoenix 4.0 BCP modules, written in place: the new module (LZSS or LZARI with the ring
// pre-filled with BCPCMP's fill byte, through the packers; LZINT and the 8-byte LH5
// container of the Intel 'L' modules, framed by codec/lh5_frames.h; or stored) must not be larger than the old one, as where free space lies in these
// images is unknown. Expanded length (+0x0F) and fragment length (+0x13) are rewritten, the
// rest of the old data becomes 0xFF. A fragmented module is refused. No checksum of these
// images is known, so every write carries PHOENIX_UNVERIFIED.
#include "codec/lh5_frames.h"
#include "romwrite/rom_write_parts.h"

namespace {

constexpr std::uint64_t HEADER_LENGTH_AT = 0x09;
constexpr std::uint64_t COMPRESSION_AT = 0x0A;
constexpr std::uint64_t EXPANDED_AT = 0x0F;
constexpr std::uint64_t FRAGMENT_LENGTH_AT = 0x13;
constexpr std::uint64_t NEXT_FRAGMENT_AT = 0x17;
constexpr std::uint64_t MODULE_HEADER_SIZE = 27;
constexpr std::uint32_t FRAGMENT_POINTER_MARK = 0xF0000000;  // NextFrag is a pointer when its top nibble is F
constexpr std::uint8_t CODE_STORED = 0;
constexpr std::uint8_t CODE_LZARI = 2;
constexpr std::uint8_t CODE_LZSS = 3;
constexpr std::uint8_t CODE_LZINT = 5;
constexpr std::uint8_t FILL = 0xFF;

// The module data for payload in the module's own compression; empty with why.
std::vector<std::uint8_t> pack_module(RomBytes image, const RomCandidate& target, std::uint8_t code,
                                      std::span<const std::uint8_t> payload, const RomPackers& packers,
                                      std::string& why)
{
    std::uint8_t fill = phoenix_ring_fill(image);
    std::vector<std::uint8_t> out;
    switch (code) {
    case CODE_LZSS:
        out = packers.phoenixLzss ? packers.phoenixLzss(payload, fill) : std::vector<std::uint8_t>{};
        break;
    case CODE_LZARI:
        out = packers.phoenixLzari ? packers.phoenixLzari(payload, fill) : std::vector<std::uint8_t>{};
        break;
    case CODE_LZINT:
        out = phoenix_lzint_encode(payload);
        break;
    case CODE_STORED:
        if (target.compression == "LH5 container")
            out = lh5_container_encode(payload);
        else
            out.assign(payload.begin(), payload.end());
        break;
    default:
        why = "modules of compression code " + std::to_string(code) + " are not written";
        return {};
    }
    if (out.empty())
        why = "no " + target.compression + " packer could pack the new logo";
    return out;
}

}  // namespace

RomWriteResult write_phoenix_module(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                    const RomPackers& packers)
{
    RomWriteResult r;
    const std::uint64_t at = target.offset;
    r.report.slot = "Phoenix module " + printable_name(target.name) + " at " + offset_text(at);
    r.report.notices.push_back(PHOENIX_UNVERIFIED);
    std::uint8_t code = rom_u8(image, at + COMPRESSION_AT);
    std::uint64_t oldLength = rom_u32(image, at + FRAGMENT_LENGTH_AT);
    if (rom_u8(image, at + HEADER_LENGTH_AT) != MODULE_HEADER_SIZE ||
        rom_range(image, at + MODULE_HEADER_SIZE, oldLength).empty())
        return refuse(r, "the module at " + offset_text(at) + " no longer reads as a Phoenix module");
    if ((rom_u32(image, at + NEXT_FRAGMENT_AT) & FRAGMENT_POINTER_MARK) == FRAGMENT_POINTER_MARK)
        return refuse(r, "the module at " + offset_text(at) + " is fragmented; fragmented modules are not written");
    std::string why;
    std::vector<std::uint8_t> data = pack_module(image, target, code, newLogo, packers, why);
    if (data.empty())
        return refuse(r, why);
    r.report.oldPacked = oldLength;
    r.report.newPacked = data.size();
    r.report.room = oldLength;
    if (data.size() > oldLength)
        return refuse(r, too_large(data.size(), oldLength, at + MODULE_HEADER_SIZE + oldLength) +
                             " (free space in Phoenix images is unknown: a module is written only in place)");

    RomImageBytes out(image.begin(), image.end());
    put_le32(out, at + EXPANDED_AT, static_cast<std::uint32_t>(newLogo.size()));
    put_le32(out, at + FRAGMENT_LENGTH_AT, static_cast<std::uint32_t>(data.size()));
    std::uint64_t dataAt = at + MODULE_HEADER_SIZE;
    std::copy(data.begin(), data.end(), out.begin() + dataAt);
    std::fill(out.begin() + dataAt + data.size(), out.begin() + dataAt + oldLength, FILL);
    r.report.newOffset = at;
    r.report.containerOffset = at;
    r.report.touched.push_back({at + EXPANDED_AT, at + NEXT_FRAGMENT_AT});
    r.report.touched.push_back({dataAt, dataAt + oldLength});
    r.report.fixed.push_back("the module's expanded and fragment lengths");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
