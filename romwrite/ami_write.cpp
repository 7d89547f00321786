// AMIBIOSC modules of the 0627 and 0631 cores, whose modules lie back to back downward from
// the header (the highest ends where the header starts): the logo module is rebuilt (bare
// lh5 stream or stored bytes; CSize, PackedSize = stream + 8, ExpandedSize), its upper end
// stays, and every module below it moves by the change in size. Then the pointer aimed at
// each moved module (Begin, or the Prev of the module above it) is rewritten, the '0'
// padding below the lowest module and the length L follow it, and the dword checksum C is
// recomputed last. A logo inside a module (the PCX of an 0x0E "55 AA" module) is replaced
// in the unpacked module when it is not larger, and the module re-packed. The 0700 and 0800
// cores (other size rules, alignment) are refused.
#include "romwrite/ami_image.h"
#include "romwrite/rom_write_parts.h"

namespace {

constexpr std::uint64_t SIZE_BYTES_COUNTED = 8;  // 0627/0631: PackedSize counts the two size fields
constexpr std::uint8_t FILL = 0xFF;

struct Module {
    std::uint64_t at = 0;
    std::uint64_t length = 0;  // bytes it occupies
};

struct Chain {
    std::uint64_t header = 0;
    std::vector<Module> modules;  // chain order: highest first
    std::string problem;
};

std::uint64_t occupied(RomBytes image, std::uint64_t at)
{
    if (rom_u8(image, at + AMI_FLAGS_AT) & AMI_FLAG_STORED) {
        std::uint16_t size = rom_u16(image, at + AMI_CSIZE_AT);
        return size == 0 || size == AMI_LONG_SIZE ? 0 : AMI_STORED_DATA_AT + size;
    }
    std::uint64_t packed = rom_u32(image, at + AMI_PACKED_SIZE_AT);
    return packed < SIZE_BYTES_COUNTED ? 0 : AMI_STORED_DATA_AT + packed;
}

Chain walk_chain(RomBytes image)
{
    Chain chain;
    std::optional<std::uint64_t> header = find_ami_header(image);
    if (!header || image.size() > AMI_REAL_MODE_TOP || *header + AMI_HEADER_SIZE > image.size()) {
        chain.problem = "no AMIBIOSC header in an image of at most 1 MiB";
        return chain;
    }
    chain.header = *header;
    if (!rom_has(image, *header + AMI_VERSION_AT, "0627", 4) && !rom_has(image, *header + AMI_VERSION_AT, "0631", 4)) {
        chain.problem = "only the 0627 and 0631 cores are written; this image's modules follow other size rules";
        return chain;
    }
    std::uint64_t expected = *header;  // where the next module must end
    std::uint64_t pointerAt = *header + AMI_BEGIN_OFFSET_AT;
    for (unsigned n = 0; n < AMI_MAX_MODULES; ++n) {
        std::uint16_t offset = rom_u16(image, pointerAt), segment = rom_u16(image, pointerAt + 2);
        if (offset == AMI_END_OF_CHAIN || segment == AMI_END_OF_CHAIN)
            return chain;
        std::optional<std::uint64_t> at = map_ami_pointer(image, segment, offset);
        std::uint64_t length = at ? occupied(image, *at) : 0;
        if (!at || length == 0 || *at + length != expected) {
            chain.problem = "the module chain is not laid back to back below the header (at " +
                            offset_text(at.value_or(0)) + "); its modules are not moved";
            return chain;
        }
        chain.modules.push_back({*at, length});
        expected = *at;
        pointerAt = *at + AMI_PREV_OFFSET_AT;
    }
    chain.problem = "the module chain runs past 128 modules";
    return chain;
}

// Writes the pointer at pointerAt so that it names file offset target; the old segment is
// kept where the offset fits in it.
void aim_pointer(RomImageBytes& out, std::uint64_t pointerAt, std::uint64_t target)
{
    std::uint64_t linear = ((AMI_REAL_MODE_TOP - out.size()) & (AMI_REAL_MODE_TOP - 1)) + target;
    std::uint64_t segment = rom_u16(out, pointerAt + 2);
    if (linear < segment * 16 || linear - segment * 16 > 0xFFFF)
        segment = linear >> 4;
    put_le16(out, pointerAt, static_cast<std::uint16_t>(linear - segment * 16));
    put_le16(out, pointerAt + 2, static_cast<std::uint16_t>(segment));
}

// The module at old.at rebuilt around payload, stored or packed as it was.
std::vector<std::uint8_t> rebuild_module(RomBytes image, const Module& old, std::span<const std::uint8_t> payload,
                                         const RomPackers& packers, std::string& problem)
{
    bool stored = rom_u8(image, old.at + AMI_FLAGS_AT) & AMI_FLAG_STORED;
    std::vector<std::uint8_t> m(image.begin() + old.at,
                                image.begin() + old.at + (stored ? AMI_STORED_DATA_AT : AMI_PACKED_DATA_AT));
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
    std::uint32_t packed = static_cast<std::uint32_t>(stream.size() + SIZE_BYTES_COUNTED);
    put_le16(m, AMI_CSIZE_AT, static_cast<std::uint16_t>(packed));
    put_le32(m, AMI_PACKED_SIZE_AT, packed);
    put_le32(m, AMI_EXPANDED_SIZE_AT, static_cast<std::uint32_t>(payload.size()));
    m.insert(m.end(), stream.begin(), stream.end());
    return m;
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
    Chain chain = walk_chain(image);
    if (!chain.problem.empty())
        return refuse(r, chain.problem);
    std::size_t k = 0;
    while (k < chain.modules.size() && chain.modules[k].at != module.offset)
        ++k;
    if (k == chain.modules.size())
        return refuse(r, "the module at " + offset_text(module.offset) + " is not in the AMIBIOSC chain");
    const Module old = chain.modules[k];
    std::string problem;
    std::vector<std::uint8_t> rebuilt = rebuild_module(image, old, payload, packers, problem);
    if (rebuilt.empty())
        return refuse(r, problem);

    // The modules from k down move by shift; the sum range and padding follow the lowest.
    const std::uint64_t end = chain.header + AMI_HEADER_SIZE;
    const std::uint64_t oldLowest = chain.modules.back().at;
    const std::uint64_t oldRangeStart =
        end - std::uint64_t{rom_u16(image, chain.header + AMI_SUM_LENGTH_AT)} * AMI_SUM_UNIT;
    std::uint64_t freeStart = std::min(oldLowest, oldRangeStart);
    while (freeStart > 0 && image[freeStart - 1] == FILL)
        --freeStart;
    // The lowest module may go down to where the range of 8-byte units, counted from the
    // header's end, still starts inside the free area.
    const std::uint64_t minLowest = end - (end - freeStart) / AMI_SUM_UNIT * AMI_SUM_UNIT;
    const std::uint64_t ceiling = oldLowest + old.length;  // the lowest start were the target alone
    r.report.oldPacked = old.length;
    r.report.newPacked = rebuilt.size();
    r.report.room = ceiling > minLowest ? ceiling - minLowest : 0;
    if (rebuilt.size() > r.report.room)
        return refuse(r, too_large(rebuilt.size(), r.report.room, freeStart));
    const std::int64_t shift = static_cast<std::int64_t>(old.length) - static_cast<std::int64_t>(rebuilt.size());
    const std::uint64_t newLowest = ceiling - rebuilt.size();
    const std::uint64_t units = (end - newLowest + AMI_SUM_UNIT - 1) / AMI_SUM_UNIT;
    if (units > 0xFFFF)
        return refuse(r, "the checksum range would be longer than its 16-bit length counts");
    const std::uint64_t newRangeStart = end - units * AMI_SUM_UNIT;

    RomImageBytes out(image.begin(), image.end());
    // Clear the old stack below the target (and its padding), then lay the new one.
    std::uint64_t clearFrom = std::min(oldRangeStart, newRangeStart);
    std::fill(out.begin() + clearFrom, out.begin() + old.at + old.length, FILL);
    std::uint64_t newAt = old.at + old.length - rebuilt.size();
    std::copy(rebuilt.begin(), rebuilt.end(), out.begin() + newAt);
    std::uint64_t below = newAt;
    std::vector<std::uint64_t> newStarts(chain.modules.size());
    for (std::size_t i = 0; i < chain.modules.size(); ++i)
        newStarts[i] = chain.modules[i].at;
    newStarts[k] = newAt;
    for (std::size_t i = k + 1; i < chain.modules.size(); ++i) {
        const Module& m = chain.modules[i];
        below -= m.length;
        std::copy(image.begin() + m.at, image.begin() + m.at + m.length, out.begin() + below);
        newStarts[i] = below;
    }
    std::fill(out.begin() + newRangeStart, out.begin() + newLowest, AMI_SUM_PADDING);
    // Pointers: the one aimed at the target (Begin or the Prev above it) and every moved module's.
    for (std::size_t i = k; i < chain.modules.size(); ++i) {
        std::uint64_t pointerAt = i == 0 ? chain.header + AMI_BEGIN_OFFSET_AT : newStarts[i - 1] + AMI_PREV_OFFSET_AT;
        aim_pointer(out, pointerAt, newStarts[i]);
    }
    put_le16(out, chain.header + AMI_SUM_LENGTH_AT, static_cast<std::uint16_t>(units));
    put_le32(out, chain.header + AMI_SUM_AT, 0);
    std::uint32_t sum = 0;
    ami_dword_sum(out, chain.header, sum);
    put_le32(out, chain.header + AMI_SUM_AT, static_cast<std::uint32_t>(0u - sum));

    r.report.newOffset = newAt;  // a logo found inside a module goes by the module's offset
    r.report.containerOffset = newAt;
    r.report.moved = shift != 0 ? chain.modules.size() - 1 - k : 0;
    r.report.shift = shift;
    r.report.touched.push_back({clearFrom, old.at + old.length});
    if (k > 0)
        r.report.touched.push_back(
            {old.at + old.length + AMI_PREV_OFFSET_AT, old.at + old.length + AMI_PREV_OFFSET_AT + 4});
    r.report.touched.push_back({chain.header, end});  // L, C and Begin
    r.report.amiHeader = chain.header;
    r.report.amiSumFixed = true;
    r.report.fixed.push_back(std::string("the module's sizes") + (r.report.moved ? ", the Prev pointers of the moved modules" : ""));
    r.report.fixed.push_back("the AMIBIOSC length L and dword checksum C");
    r.report.notices.push_back("whether the boot code checks the AMIBIOSC dword checksum, and accepts moved modules, "
                               "is unknown: not verified on a board");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
