// The Award image as a writer sees it: level-1 members in runs (member, 0x00, member, ...;
// after the system BIOS 0x00 and its checksum byte), 0xFF fill after a run, the
// decompression block at D with its page byte B = sum8 [D, B) at D OR 0xFFF, and byte A =
// sum8 [0, A) just below it, which holds only in some images. Shared by the writer and
// the verification.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rom/rom_parts.h"

// Level-1 member header fields.
constexpr std::uint64_t AWARD_HEADER_SUM_AT = 0x01;
constexpr std::uint64_t AWARD_METHOD_AT = 0x02;
constexpr std::uint64_t AWARD_SKIP_SIZE_AT = 0x07;
constexpr std::uint64_t AWARD_ORIGINAL_SIZE_AT = 0x0B;
constexpr std::uint64_t AWARD_SEGMENT_AT = 0x11;     // the load ID
constexpr std::uint64_t AWARD_LEVEL_AT = 0x14;
constexpr std::uint64_t AWARD_NAME_LENGTH_AT = 0x15;
constexpr std::uint64_t AWARD_NAME_AT = 0x16;
constexpr std::uint64_t AWARD_BASE_HEADER = 25;      // H = 25 + name length: Award adds no extra bytes
constexpr std::uint16_t AWARD_SYSTEM_BIOS_ID = 0x5000;  // the only member with a checksum byte after its 0x00

struct AwardMember {
    std::uint64_t at = 0;
    std::uint64_t headerSize = 0;  // H, counted from offset 2
    std::uint64_t nameLength = 0;
    std::uint64_t packedSize = 0;  // the skip size
    std::uint32_t originalSize = 0;
    std::uint16_t loadId = 0;
    std::uint64_t end = 0;         // first byte after the packed data
    std::uint64_t next = 0;        // first byte after the separator (and the system BIOS checksum byte)
};

// The member at at when its level-1 header holds together: the header sum right, its data
// inside the image. Separators are not looked at.
std::optional<AwardMember> read_award_member(RomBytes image, std::uint64_t at);

// 8-bit sum of the bytes.
std::uint8_t sum8(RomBytes bytes);

// Where the decompression block's page checksums sit.
struct AwardChecksums {
    std::uint64_t block = 0;  // D: "= Award Decompression Bios ="
    std::uint64_t byteA = 0;  // (D OR 0xFFF) - 1: sum8 [0, A), where it holds
    std::uint64_t byteB = 0;  // D OR 0xFFF: sum8 [D, B)
};

// The decompression block's checksum bytes, or nothing when the image has no block on a
// 1 KiB boundary with its page inside the image.
std::optional<AwardChecksums> find_award_checksums(RomBytes image);

bool award_byte_a_holds(RomBytes image, const AwardChecksums& checks);
bool award_byte_b_holds(RomBytes image, const AwardChecksums& checks);

// The members of the run that starts at first, each with its separator checked, or why the
// run does not hold together ("the member at 0x... is not followed by 0x00").
struct AwardRun {
    std::vector<AwardMember> members;
    std::uint64_t end = 0;    // after the last separator: where the fill begins
    std::uint64_t limit = 0;  // the first byte at or after end that is not 0xFF (or the image's end)
    std::string problem;      // empty when the run holds together
};
AwardRun walk_award_run(RomBytes image, std::uint64_t first);
