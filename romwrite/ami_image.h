// The AMIBIOSC header as a writer sees it: the length L (+0x0C, in 8-byte units) and the
// dword checksum C (+0x0E) that makes the little-endian u32 words of the L × 8 bytes
// ending at the header's end (header + 22) sum to 0 mod 2^32, C among them.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/ami_layout.h"
#include "rom/rom_parts.h"

// The sum of the u32 words of the range the header's L names; false when the range lies
// outside the image.
bool ami_dword_sum(RomBytes image, std::uint64_t header, std::uint32_t& sum);
bool ami_dword_sum_holds(RomBytes image, std::uint64_t header);
