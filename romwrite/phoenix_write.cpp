// Phoenix 4.0 BCP modules, written in place: the new module (LZSS or LZARI with the ring
// pre-filled with BCPCMP's fill byte, through the packers; LZINT and the 8-byte LH5
// container of the Intel 'L' modules, framed by codec/lh5_frames.h; or stored) must not be larger than the old one, as where free space lies in these
// images is unknown. Expanded length (+0x0F) and fragment length (+0x13) are rewritten, the
// rest of the old data becomes 0xFF. A fragmented module is refused. No checksum of these
// images is known, so every write carries PHOENIX_UNVERIFIED.
#include "codec/lh5_frames.h"
#include "formats/phoenix_layout.h"
#include "romwrite/rom_write_parts.h"

namespace {

constexpr std::uint8_t FILL = 0xFF;

// The module data for payload in the module's own compression; empty with why.
std::vector<std::uint8_t> pack_module(RomBytes image, const RomCandidate& target, std::uint8_t code,
                                      std::span<const std::uint8_t> payload, const RomPackers& packers,
                                      std::string& why)
{
    std::uint8_t fill = phoenix_ring_fill(image);
    std::vector<std::uint8_t> out;
    switch (code) {
    case PHOENIX_CODE_LZSS:
        out = packers.phoenixLzss ? packers.phoenixLzss(payload, fill) : std::vector<std::uint8_t>{};
        break;
    case PHOENIX_CODE_LZARI:
        out = packers.phoenixLzari ? packers.phoenixLzari(payload, fill) : std::vector<std::uint8_t>{};
        break;
    case PHOENIX_CODE_LZINT: out = phoenix_lzint_encode(payload); break;
    case PHOENIX_CODE_STORED:
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
    std::uint8_t code = rom_u8(image, at + PHOENIX_COMPRESSION_AT);
    std::uint64_t oldLength = rom_u32(image, at + PHOENIX_FRAGMENT_LENGTH_AT);
    if (rom_u8(image, at + PHOENIX_HEADER_LENGTH_AT) != PHOENIX_MODULE_HEADER_SIZE ||
        rom_range(image, at + PHOENIX_MODULE_HEADER_SIZE, oldLength).empty())
        return refuse(r, "the module at " + offset_text(at) + " no longer reads as a Phoenix module");
    if ((rom_u32(image, at + PHOENIX_NEXT_FRAGMENT_AT) & PHOENIX_FRAGMENT_POINTER_MARK) ==
        PHOENIX_FRAGMENT_POINTER_MARK)
        return refuse(r, "the module at " + offset_text(at) + " is fragmented; fragmented modules are not written");
    std::string why;
    std::vector<std::uint8_t> data = pack_module(image, target, code, newLogo, packers, why);
    if (data.empty())
        return refuse(r, why);
    r.report.oldPacked = oldLength;
    r.report.newPacked = data.size();
    r.report.room = oldLength;
    if (data.size() > oldLength)
        return refuse(r, too_large(data.size(), oldLength, at + PHOENIX_MODULE_HEADER_SIZE + oldLength) +
                             " (free space in Phoenix images is unknown: a module is written only in place)");

    RomImageBytes out(image.begin(), image.end());
    put_le32(out, at + PHOENIX_EXPANDED_AT, static_cast<std::uint32_t>(newLogo.size()));
    put_le32(out, at + PHOENIX_FRAGMENT_LENGTH_AT, static_cast<std::uint32_t>(data.size()));
    std::uint64_t dataAt = at + PHOENIX_MODULE_HEADER_SIZE;
    std::copy(data.begin(), data.end(), out.begin() + dataAt);
    std::fill(out.begin() + dataAt + data.size(), out.begin() + dataAt + oldLength, FILL);
    r.report.newOffset = at;
    r.report.containerOffset = at;
    r.report.touched.push_back({at + PHOENIX_EXPANDED_AT, at + PHOENIX_NEXT_FRAGMENT_AT});
    r.report.touched.push_back({dataAt, dataAt + oldLength});
    r.report.fixed.push_back("the module's expanded and fragment lengths");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
