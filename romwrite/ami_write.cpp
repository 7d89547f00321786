// AMIBIOSC modules of the 0627, 0631, 0700 and 0800 cores, laid downward from the header,
// each where its core's size rules put it (formats/ami_layout.h): the logo module is
// rebuilt (bare lh5 stream or stored bytes; CSize, PackedSize as the core counts it,
// ExpandedSize), its upper end stays (and so the gap between the highest module and the
// header), and every module below it moves by the change in what it occupies; on the 0800
// core the module is padded so that this change keeps a multiple of 4 and every module
// below keeps its alignment. Then the pointer aimed at each moved module (Begin, or the
// Prev of the module above it) is rewritten; where the dword sum covers the modules (all
// cores but 0700) the '0' padding below the lowest module and the length L follow it, on
// 0700 L is kept; the dword checksum C is recomputed last. A logo inside a module (the PCX
// of an 0x0E "55 AA" module) is replaced in the unpacked module when it is not larger, and
// the module re-packed. Other cores are refused.
#include <algorithm>

#include "romwrite/ami_image.h"
#include "romwrite/rom_write_parts.h"

namespace {

constexpr std::uint8_t FILL = 0xFF;
// The byte the 0800 core's padding after a rebuilt module takes when the image's own
// padding shows no single value (or there is none): 0xFF, erased flash, which the free
// space below the chain holds too. Nothing reads the padding; the dword sum is recomputed
// over whatever it holds.
constexpr std::uint8_t DEFAULT_MODULE_PADDING = 0xFF;
constexpr std::uint64_t MAX_SUM_UNITS = 0xFFFF;  // L is 16 bits

// Writes the pointer at pointerAt so that it names file offset target; the old segment is
// kept where the offset fits in it.
void aim_pointer(RomImageBytes& out, std::uint64_t pointerAt, std::uint64_t target)
{
    std::uint64_t linear = ((AMI_REAL_MODE_TOP - out.size()) & (AMI_REAL_MODE_TOP - 1)) + target;
    std::uint64_t segment = rom_u16(out, pointerAt + AMI_PREV_SEGMENT_AT);
    if (linear < segment * 16 || linear - segment * 16 > 0xFFFF)
        segment = linear >> 4;
    put_le16(out, pointerAt + AMI_PREV_OFFSET_AT, static_cast<std::uint16_t>(linear - segment * 16));
    put_le16(out, pointerAt + AMI_PREV_SEGMENT_AT, static_cast<std::uint16_t>(segment));
}

// The module at old.at rebuilt around payload, stored or packed as it was, without padding.
std::vector<std::uint8_t> rebuild_module(RomBytes image, const AmiChainModule& old, const AmiCoreRules& core,
                                         std::span<const std::uint8_t> payload, const RomPackers& packers,
                                         std::string& problem)
{
    bool stored = rom_u8(image, old.at + AMI_FLAGS_AT) & AMI_FLAG_STORED;
    std::uint64_t headerSize = stored ? AMI_STORED_DATA_AT : AMI_PACKED_DATA_AT;
    std::vector<std::uint8_t> m(image.begin() + old.at, image.begin() + old.at + headerSize);
    if (stored) {
        if (payload.size() >= AMI_LONG_SIZE) {
            problem = "a stored module holds less than 64 KiB";
            return {};
        }
        put_le16(m, AMI_CSIZE_AT, static_cast<std::uint16_t>(payload.size()));
        m.insert(m.end(), payload.begin(), payload.end());
        return m;
    }
    std::vector<std::uint8_t> stream = packers.lh5 ? packers.lh5(payload) : std::vector<std::uint8_t>{};
    if (stream.empty()) {
        problem = "the lh5 packer could not pack the new logo";
        return {};
    }
    // CSize: the low 16 bits of PackedSize, which counts the size fields on 0627 and 0631.
    std::uint32_t packed = static_cast<std::uint32_t>(stream.size() + core.packedSizeExtra);
    put_le16(m, AMI_CSIZE_AT, static_cast<std::uint16_t>(packed));
    put_le32(m, AMI_PACKED_SIZE_AT, packed);
    put_le32(m, AMI_EXPANDED_SIZE_AT, static_cast<std::uint32_t>(payload.size()));
    m.insert(m.end(), stream.begin(), stream.end());
    return m;
}

// The byte every padding byte of the chain holds (the bytes between a module's data and
// its span's end), when they agree; empty when there are none or they differ.
std::optional<std::uint8_t> padding_convention(RomBytes image, const AmiChain& chain)
{
    std::optional<std::uint8_t> seen;
    for (const AmiChainModule& m : chain.modules) {
        for (std::uint64_t at = m.at + m.bytes; at < m.at + m.span; ++at) {
            if (seen && *seen != image[at])
                return std::nullopt;
            seen = image[at];
        }
    }
    return seen;
}

// The payload of the module when the logo sits inside it: the module's unpacked bytes with
// the new logo in place of the old one (not larger; the rest of its span zero).
bool logo_inside_module(const RomCandidate& logo, const RomCandidate& module, std::span<const std::uint8_t> newLogo,
                        std::vector<std::uint8_t>& payload, std::string& problem)
{
    auto found = std::search(module.bytes.begin(), module.bytes.end(), logo.bytes.begin(), logo.bytes.end());
    if (logo.bytes.empty() || found == module.bytes.end()) {
        problem = "the logo is not found in its module's unpacked bytes";
        return false;
    }
    if (newLogo.size() > logo.bytes.size()) {
        problem = "the logo sits inside a module whose own fields about it are unknown: it is replaced only by one "
                  "not larger (" + grouped(newLogo.size()) + " bytes against " + grouped(logo.bytes.size()) + ")";
        return false;
    }
    payload = module.bytes;
    auto at = payload.begin() + (found - module.bytes.begin());
    std::copy(newLogo.begin(), newLogo.end(), at);
    std::fill(at + static_cast<std::ptrdiff_t>(newLogo.size()), at + static_cast<std::ptrdiff_t>(logo.bytes.size()), 0);
    return true;
}

}  // namespace

RomWriteResult write_ami_module(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                const RomPackers& packers)
{
    RomWriteResult r;
    // A logo found inside a module's unpacked bytes is written through that module.
    std::vector<std::uint8_t> payload(newLogo.begin(), newLogo.end());
    RomCandidate module = target;
    if (target.path.size() > 1) {
        bool found = false;
        for (const RomCandidate& c : scan_rom_image(image)) {
            if (!found && c.path.size() == 1 && c.offset == target.offset && c.container == "AMI module") {
                module = c;
                found = true;
            }
        }
        if (!found)
            return refuse(r, "the module holding the logo is not found again");
        std::string problem;
        if (!logo_inside_module(target, module, newLogo, payload, problem))
            return refuse(r, problem);
    }
    r.report.slot = "AMI module " + module.name + " at " + offset_text(module.offset);
    const AmiChain chain = walk_ami_chain(image);
    if (!chain.problem.empty())
        return refuse(r, chain.problem);
    const AmiCoreRules& core = *chain.core;
    std::size_t k = 0;
    while (k < chain.modules.size() && chain.modules[k].at != module.offset)
        ++k;
    if (k == chain.modules.size())
        return refuse(r, "the module at " + offset_text(module.offset) + " is not in the AMIBIOSC chain");
    const AmiChainModule old = chain.modules[k];
    std::string problem;
    std::vector<std::uint8_t> rebuilt = rebuild_module(image, old, core, payload, packers, problem);
    if (rebuilt.empty())
        return refuse(r, problem);
    // The new span is congruent to the old one modulo the core's alignment, so the modules
    // below move by a multiple of it.
    const std::uint64_t align = core.moduleAlign;
    const std::uint64_t padding = (old.span % align + align - rebuilt.size() % align) % align;
    const std::uint64_t newSpan = rebuilt.size() + padding;

    // The modules from k down move by shift; where the sum covers them, its range and the
    // '0' padding below the lowest follow it.
    const std::uint64_t end = chain.header + AMI_HEADER_SIZE;
    const std::uint64_t upperEnd = old.at + old.span;  // stays
    const std::uint64_t oldLowest = chain.modules.back().at;
    const std::uint64_t oldUnits = rom_u16(image, chain.header + AMI_SUM_LENGTH_AT);
    const std::uint64_t oldRangeStart = end - std::min(end, oldUnits * AMI_SUM_UNIT);
    const bool sumFollows = core.sumCoversModules;
    const std::uint64_t oldGapStart = sumFollows ? std::min(oldRangeStart, oldLowest) : oldLowest;
    std::uint64_t freeStart = oldGapStart;
    while (freeStart > 0 && image[freeStart - 1] == FILL)
        --freeStart;
    // The lowest module may go down to where the range of 8-byte units, counted from the
    // header's end, still starts inside the free area (or, on 0700, to the free area's start).
    const std::uint64_t minLowest = sumFollows ? end - (end - freeStart) / AMI_SUM_UNIT * AMI_SUM_UNIT : freeStart;
    const std::uint64_t ceiling = oldLowest + old.span;  // the lowest start were the target's span 0
    std::uint64_t room = ceiling > minLowest ? ceiling - minLowest : 0;
    const std::uint64_t misaligned = (room % align + align - old.span % align) % align;
    room = room >= misaligned ? room - misaligned : 0;
    r.report.oldPacked = old.span;
    r.report.newPacked = newSpan;
    r.report.room = room;
    if (newSpan > room)
        return refuse(r, too_large(newSpan, room, freeStart));
    const std::int64_t shift = static_cast<std::int64_t>(old.span) - static_cast<std::int64_t>(newSpan);
    const std::uint64_t newAt = upperEnd - newSpan;
    const std::uint64_t newLowest = ceiling - newSpan;
    const std::uint64_t units = sumFollows ? (end - newLowest + AMI_SUM_UNIT - 1) / AMI_SUM_UNIT : oldUnits;
    if (units > MAX_SUM_UNITS)
        return refuse(r, "the checksum range would be longer than its 16-bit length counts");
    const std::uint64_t newRangeStart = end - units * AMI_SUM_UNIT;
    // Bytes between the summed range's start and the lowest module other than '0' padding
    // (seen once, meaning unknown) are kept where they are, or the write refused.
    bool keepGap = false;
    if (sumFollows && std::any_of(image.begin() + oldGapStart, image.begin() + oldLowest,
                                  [](std::uint8_t b) { return b != AMI_SUM_PADDING; })) {
        keepGap = newLowest == oldLowest && newRangeStart == oldRangeStart;
        if (!keepGap)
            return refuse(r, "the " + grouped(oldLowest - oldGapStart) + " bytes below the lowest module (at " +
                                 offset_text(oldGapStart) +
                                 ") are not '0' padding and their meaning is unknown; "
                                 "they are not moved, so only a logo that keeps the modules in place is written");
    }

    RomImageBytes out(image.begin(), image.end());
    // Clear the old stack below the target's upper end (and the '0' padding), then lay the
    // new one: the module, its padding, each module below with its own padding.
    std::uint64_t clearFrom = std::min(oldLowest, newLowest);
    if (sumFollows && !keepGap)
        clearFrom = std::min({clearFrom, oldGapStart, newRangeStart});
    std::fill(out.begin() + clearFrom, out.begin() + upperEnd, FILL);
    std::copy(rebuilt.begin(), rebuilt.end(), out.begin() + newAt);
    const std::optional<std::uint8_t> convention = padding_convention(image, chain);
    const std::uint8_t padByte = convention.value_or(DEFAULT_MODULE_PADDING);
    std::fill(out.begin() + newAt + rebuilt.size(), out.begin() + upperEnd, padByte);
    std::uint64_t below = newAt;
    std::vector<std::uint64_t> newStarts(chain.modules.size());
    for (std::size_t i = 0; i < chain.modules.size(); ++i)
        newStarts[i] = chain.modules[i].at;
    newStarts[k] = newAt;
    for (std::size_t i = k + 1; i < chain.modules.size(); ++i) {
        const AmiChainModule& m = chain.modules[i];
        below -= m.span;
        std::copy(image.begin() + m.at, image.begin() + m.at + m.span, out.begin() + below);
        newStarts[i] = below;
    }
    // Pointers: the one aimed at the target (Begin or the Prev above it) and every moved module's.
    for (std::size_t i = k; i < chain.modules.size(); ++i) {
        std::uint64_t pointerAt = i == 0 ? chain.header + AMI_BEGIN_OFFSET_AT : newStarts[i - 1];
        aim_pointer(out, pointerAt, newStarts[i]);
    }
    if (sumFollows && !keepGap) {
        std::fill(out.begin() + newRangeStart, out.begin() + newLowest, AMI_SUM_PADDING);
        put_le16(out, chain.header + AMI_SUM_LENGTH_AT, static_cast<std::uint16_t>(units));
    }
    put_le32(out, chain.header + AMI_SUM_AT, 0);
    std::uint32_t sum = 0;
    ami_dword_sum(out, chain.header, sum);
    put_le32(out, chain.header + AMI_SUM_AT, static_cast<std::uint32_t>(0u - sum));

    r.report.newOffset = newAt;  // a logo found inside a module goes by the module's offset
    r.report.containerOffset = newAt;
    r.report.moved = shift != 0 ? chain.modules.size() - 1 - k : 0;
    r.report.shift = shift;
    r.report.touched.push_back({clearFrom, upperEnd});
    if (k > 0)
        r.report.touched.push_back({upperEnd + AMI_PREV_OFFSET_AT, upperEnd + AMI_PREV_SEGMENT_AT + 2});
    r.report.touched.push_back({chain.header, end});  // L, C and Begin
    r.report.amiHeader = chain.header;
    r.report.amiSumFixed = true;
    r.report.fixed.push_back(std::string("the module's sizes") +
                             (r.report.moved ? ", the Prev pointers of the moved modules" : ""));
    if (padding > 0)
        r.report.fixed.push_back(
            "the module padded to a multiple of " + std::to_string(align) + " with " + std::to_string(padding) +
            " byte(s) 0x" + hex_text(padByte, 2) +
            (convention ? ", as the image pads its modules" : " (the image shows no padding of its own to copy)"));
    r.report.fixed.push_back(sumFollows ? "the AMIBIOSC length L and dword checksum C"
                                        : "the AMIBIOSC dword checksum C (its length L kept: on this core it "
                                          "covers only the bytes just below the header's end)");
    r.report.notices.push_back("whether the boot code checks the AMIBIOSC dword checksum, and accepts moved modules, "
                               "is unknown: not verified on a board");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
