// The AMIBIOSC dword checksum and the module chain by its core's size rules (see ami_image.h).
#include "romwrite/ami_image.h"

#include "romwrite/rom_write_parts.h"

namespace {

std::uint64_t round_up(std::uint64_t value, std::uint64_t unit)
{
    return (value + unit - 1) / unit * unit;
}

// The span of a module that is not the highest, from where the module above begins: its
// bytes exactly, or on the 0800 core its bytes padded as the core pads them (a packed
// module to the next multiple of 4; a stored one by 0 to 3 bytes, as no sample showed
// its rule). 0 when the module does not end there.
std::uint64_t span_below(RomBytes image, const AmiChainModule& m, std::uint64_t above, const AmiCoreRules& core)
{
    std::uint64_t span = above - m.at;
    if (span < m.bytes)
        return 0;
    bool stored = rom_u8(image, m.at + AMI_FLAGS_AT) & AMI_FLAG_STORED;
    bool fits = stored ? span - m.bytes < core.moduleAlign : span == round_up(m.bytes, core.moduleAlign);
    return fits ? span : 0;
}

}  // namespace

bool ami_dword_sum(RomBytes image, std::uint64_t header, std::uint32_t& sum)
{
    std::uint64_t end = header + AMI_HEADER_SIZE;
    std::uint64_t length = std::uint64_t{rom_u16(image, header + AMI_SUM_LENGTH_AT)} * AMI_SUM_UNIT;
    if (end > image.size() || length > end)
        return false;
    sum = 0;
    for (std::uint64_t at = end - length; at < end; at += 4)
        sum += rom_u32(image, at);
    return true;
}

bool ami_dword_sum_holds(RomBytes image, std::uint64_t header)
{
    std::uint32_t sum = 0;
    return ami_dword_sum(image, header, sum) && sum == 0;
}

std::uint64_t ami_module_bytes(RomBytes image, std::uint64_t at, const AmiCoreRules& core)
{
    if (rom_u8(image, at + AMI_FLAGS_AT) & AMI_FLAG_STORED) {
        std::uint16_t size = rom_u16(image, at + AMI_CSIZE_AT);
        return size == 0 || size == AMI_LONG_SIZE ? 0 : AMI_STORED_DATA_AT + size;
    }
    return ami_packed_module_bytes(core, rom_u32(image, at + AMI_PACKED_SIZE_AT));
}

AmiChain walk_ami_chain(RomBytes image)
{
    AmiChain chain;
    std::optional<std::uint64_t> header = find_ami_header(image);
    if (!header || image.size() > AMI_REAL_MODE_TOP || *header + AMI_HEADER_SIZE > image.size()) {
        chain.problem = "no AMIBIOSC header in an image of at most 1 MiB";
        return chain;
    }
    chain.header = *header;
    const std::uint8_t* version = image.data() + *header + AMI_VERSION_AT;
    chain.core = ami_core_rules(version);
    if (!chain.core) {
        chain.problem = "only the 0627, 0631, 0700 and 0800 cores are written; this image's core " +
                        printable_name(std::string(version, version + AMI_VERSION_LENGTH)) +
                        " lays its modules by rules that are not known";
        return chain;
    }
    const AmiCoreRules& core = *chain.core;
    std::uint64_t above = *header;  // where the module above begins; the header for the highest
    std::uint64_t pointerAt = *header + AMI_BEGIN_OFFSET_AT;
    for (unsigned n = 0; n < AMI_MAX_MODULES; ++n) {
        std::uint16_t offset = rom_u16(image, pointerAt + AMI_PREV_OFFSET_AT);
        std::uint16_t segment = rom_u16(image, pointerAt + AMI_PREV_SEGMENT_AT);
        if (offset == AMI_END_OF_CHAIN || segment == AMI_END_OF_CHAIN)
            return chain;
        std::optional<std::uint64_t> at = map_ami_pointer(image, segment, offset);
        AmiChainModule m;
        m.at = at.value_or(0);
        m.bytes = at && *at < above ? ami_module_bytes(image, *at, core) : 0;
        if (m.bytes != 0 && n == 0) {
            // The highest module's own padding, then a gap of up to topGapMax bytes.
            m.span = round_up(m.bytes, core.moduleAlign);
            if (m.at + m.span > above || above - (m.at + m.span) > core.topGapMax)
                m.span = 0;
        } else if (m.bytes != 0) {
            m.span = span_below(image, m, above, core);
        }
        if (m.span == 0) {
            chain.problem = std::string("the module chain is not laid below the header as the ") + core.version +
                            " core lays it (at " + offset_text(m.at) + "); its modules are not moved";
            return chain;
        }
        chain.modules.push_back(m);
        above = m.at;
        pointerAt = m.at;
    }
    chain.problem = "the module chain runs past 128 modules";
    return chain;
}
