// Reading the Award image map for a write: members, runs, the decompression block's bytes A
// and B (see award_image.h).
#include "romwrite/award_image.h"

namespace {

constexpr char DECOMPRESSION_TAG[] = "= Award Decompression Bios =";
constexpr std::size_t DECOMPRESSION_TAG_LENGTH = sizeof DECOMPRESSION_TAG - 1;
constexpr std::uint64_t TAG_ALIGNMENT = 0x400;   // the block starts on a 1 KiB boundary
constexpr std::uint64_t PAGE_LAST = 0xFFF;       // B is the last byte of D's 4 KiB page
constexpr unsigned MAX_RUN_MEMBERS = 1024;       // far more than any image holds
constexpr std::uint8_t FILL = 0xFF;

std::string at_text(std::uint64_t at)
{
    return "0x" + hex_text(at, 8);
}

}  // namespace

std::uint8_t sum8(RomBytes bytes)
{
    unsigned s = 0;
    for (std::uint8_t b : bytes)
        s += b;
    return static_cast<std::uint8_t>(s);
}

std::optional<AwardMember> read_award_member(RomBytes image, std::uint64_t at)
{
    if (!rom_has(image, at + AWARD_METHOD_AT, "-lh", 3) || rom_u8(image, at + AWARD_METHOD_AT + 4) != '-' ||
        rom_u8(image, at + AWARD_LEVEL_AT) != 1)
        return std::nullopt;
    AwardMember m;
    m.at = at;
    m.headerSize = rom_u8(image, at);
    m.nameLength = rom_u8(image, at + AWARD_NAME_LENGTH_AT);
    if (m.headerSize < AWARD_BASE_HEADER + m.nameLength)
        return std::nullopt;
    RomBytes summed = rom_range(image, at + 2, m.headerSize);
    if (summed.empty() || sum8(summed) != rom_u8(image, at + AWARD_HEADER_SUM_AT))
        return std::nullopt;
    m.packedSize = rom_u32(image, at + AWARD_SKIP_SIZE_AT);
    m.originalSize = rom_u32(image, at + AWARD_ORIGINAL_SIZE_AT);
    m.loadId = rom_u16(image, at + AWARD_SEGMENT_AT);
    std::uint64_t dataAt = at + m.headerSize + 2;
    if (dataAt > image.size() || m.packedSize > image.size() - dataAt)
        return std::nullopt;
    m.end = dataAt + m.packedSize;
    m.next = m.end + (m.loadId == AWARD_SYSTEM_BIOS_ID ? 2 : 1);
    return m;
}

std::optional<AwardChecksums> find_award_checksums(RomBytes image)
{
    std::optional<AwardChecksums> found;
    // The highest aligned hit: a copy of the text lower down would be data, not the block.
    for (std::uint64_t at : rom_find_all(image, DECOMPRESSION_TAG, DECOMPRESSION_TAG_LENGTH)) {
        if (at % TAG_ALIGNMENT != 0 || (at | PAGE_LAST) >= image.size())
            continue;
        found = AwardChecksums{at, (at | PAGE_LAST) - 1, at | PAGE_LAST};
    }
    return found;
}

bool award_byte_a_holds(RomBytes image, const AwardChecksums& checks)
{
    return sum8(image.first(checks.byteA)) == image[checks.byteA];
}

bool award_byte_b_holds(RomBytes image, const AwardChecksums& checks)
{
    return sum8(image.subspan(checks.block, checks.byteB - checks.block)) == image[checks.byteB];
}

AwardRun walk_award_run(RomBytes image, std::uint64_t first)
{
    AwardRun run;
    std::uint64_t at = first;
    for (unsigned n = 0;; ++n) {
        if (n == MAX_RUN_MEMBERS) {
            run.problem = "the run at " + at_text(first) + " holds more than 1024 members";
            return run;
        }
        std::optional<AwardMember> m = read_award_member(image, at);
        if (!m) {
            run.problem = "no valid member at " + at_text(at) + " inside the run at " + at_text(first) +
                          " (neither a member nor 0xFF fill follows the one before)";
            return run;
        }
        if (m->next > image.size()) {
            run.problem = "the member at " + at_text(at) + " runs to the end of the image without its separator";
            return run;
        }
        if (image[m->end] != 0x00) {
            run.problem = "the member at " + at_text(at) + " is not followed by 0x00";
            return run;
        }
        run.members.push_back(*m);
        at = m->next;  // each step moves forward by at least a header
        if (at == image.size() || image[at] == FILL)
            break;
    }
    run.end = at;
    run.limit = at;
    while (run.limit < image.size() && image[run.limit] == FILL)
        ++run.limit;
    return run;
}
