// What the Phoenix BIOS decompressors (LZSS and LZARI) return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PhoenixUnpacked {
    std::vector<std::uint8_t> bytes;  // what was produced, never more than asked
    std::size_t consumed = 0;         // packed bytes taken
    bool complete = false;            // the expanded size was reached (false: input ran out first)
};
