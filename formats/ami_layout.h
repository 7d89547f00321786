// The AMIBIOS "AMIBIOSC" image (cores 0627, 0631, 0700, 0800) and the MSI boards' raw PCX
// slots, as the ROM scanner reads them and the ROM writer rebuilds them.
//   Header, 22 bytes, ending on a 4 KiB boundary: "AMIBIOSC", the core version in four
//   ASCII digits, the checksum length L (in 8-byte units), the dword checksum C that makes
//   the little-endian u32 words of the L x 8 bytes ending at the header's end sum to 0
//   mod 2^32 (C among them), and the Begin pointer (offset, then segment) to the highest
//   module.
//   Module header: the Prev pointer to the next module down (FFFF in either half ends the
//   chain), CSize, the ID, the flags (0x80: stored), RealCS; a packed module adds
//   PackedSize and ExpandedSize and its bare lh5 stream follows at 0x14, a stored module's
//   CSize bytes follow at 0x0C.
//   What a packed module's PackedSize counts, and how many bytes the module occupies
//   before the next header, depends on the core (ami_core_rules).
//   MSI slots: a 2-byte length, then that many bytes of PCX, at each 32 KiB boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr char AMI_TAG[] = "AMIBIOSC";
constexpr std::size_t AMI_TAG_LENGTH = 8;
constexpr std::uint64_t AMI_VERSION_AT = 0x08;  // four ASCII digits
constexpr std::size_t AMI_VERSION_LENGTH = 4;
constexpr std::uint64_t AMI_SUM_LENGTH_AT = 0x0C;    // L, in AMI_SUM_UNIT bytes
constexpr std::uint64_t AMI_SUM_AT = 0x0E;           // C
constexpr std::uint64_t AMI_BEGIN_OFFSET_AT = 0x12;  // Begin pointer: offset, then segment
constexpr std::uint64_t AMI_BEGIN_SEGMENT_AT = 0x14;
constexpr std::uint64_t AMI_HEADER_SIZE = 0x16;
constexpr std::uint64_t AMI_SUM_UNIT = 8;
// Real-mode images of up to 1 MiB end at linear 1 MiB.
constexpr std::uint64_t AMI_REAL_MODE_TOP = 0x100000;

// Module header fields.
constexpr std::uint64_t AMI_PREV_OFFSET_AT = 0x00;
constexpr std::uint64_t AMI_PREV_SEGMENT_AT = 0x02;
constexpr std::uint64_t AMI_CSIZE_AT = 0x04;
constexpr std::uint64_t AMI_ID_AT = 0x06;
constexpr std::uint64_t AMI_FLAGS_AT = 0x07;
constexpr std::uint64_t AMI_PACKED_SIZE_AT = 0x0C;
constexpr std::uint64_t AMI_EXPANDED_SIZE_AT = 0x10;
constexpr std::uint64_t AMI_STORED_DATA_AT = 0x0C;
constexpr std::uint64_t AMI_PACKED_DATA_AT = 0x14;
constexpr std::uint8_t AMI_FLAG_STORED = 0x80;
constexpr std::uint16_t AMI_END_OF_CHAIN = 0xFFFF;
// A stored module whose CSize is 0 or 0xFFFF keeps its 32-bit size 8 bytes before its header.
constexpr std::uint16_t AMI_LONG_SIZE = 0xFFFF;
constexpr std::uint64_t AMI_LONG_SIZE_BEFORE = 8;
constexpr unsigned AMI_MAX_MODULES = 128;

// What the cores seen differ in.
struct AmiCoreRules {
    char version[AMI_VERSION_LENGTH + 1];
    // Bytes PackedSize counts beyond the lh5 stream: the two 4-byte size fields on 0627
    // and 0631, none on 0700 and 0800.
    std::uint64_t packedSizeExtra;
    // A packed module occupies its header and stream rounded up to a multiple of this
    // (0800: 0 to 3 padding bytes before the next header).
    std::uint64_t moduleAlign;
    // The highest module may end this many bytes below the header (0627 and 0631: it ends
    // where the header starts).
    std::uint64_t topGapMax;
    // The dword sum covers every module (L reaches 0 to 8 bytes below the lowest, the gap
    // '0' padding); false on 0700, whose L covers only the 32 bytes ending at the header's
    // end and is kept as it is.
    bool sumCoversModules;
};

// The cores whose module layout is known.
constexpr AmiCoreRules AMI_CORES[] = {
    {"0627", 8, 1, 0, true},
    {"0631", 8, 1, 0, true},
    {"0700", 0, 1, 10, false},
    {"0800", 0, 4, 10, true},
};

// The rules of the core whose four version bytes are given; nullptr for another core.
inline const AmiCoreRules* ami_core_rules(const std::uint8_t* version)
{
    for (const AmiCoreRules& core : AMI_CORES)
        if (std::memcmp(version, core.version, AMI_VERSION_LENGTH) == 0)
            return &core;
    return nullptr;
}

// Bytes from a packed module's header to the end of its stream, by the core's PackedSize;
// 0 when PackedSize is smaller than what it must count.
inline std::uint64_t ami_packed_module_bytes(const AmiCoreRules& core, std::uint64_t packedSize)
{
    if (packedSize < core.packedSizeExtra)
        return 0;
    return AMI_PACKED_DATA_AT + packedSize - core.packedSizeExtra;
}

// The '0' bytes that fill the summed range below the lowest module.
constexpr std::uint8_t AMI_SUM_PADDING = '0';

// MSI raw PCX slots.
constexpr std::uint64_t MSI_SLOT = 0x8000;
constexpr std::uint64_t MSI_LENGTH_WORD = 2;
