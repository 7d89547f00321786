// The byte-oriented LZ77 coder of Dell's NVRAM logo container.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct DellResult {
    std::vector<std::uint8_t> bytes;  // at most 196,608 bytes
    bool allocationFailed = false;    // the output could not be allocated
};

// Unpacks a payload (the container's bytes from offset 14 on, as many as its packed
// length names).
DellResult dell_decompress(std::span<const std::uint8_t> payload);
