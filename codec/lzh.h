// The lh5 decoder ("kernel2"): LZSS over an 8 KiB window with static Huffman codes per block.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/kernel_messages.h"

// What a caller hands the kernel.
struct LzhRequest {
    std::span<const std::uint8_t> input;  // the packed bytes the file holds, from the first one
    std::uint32_t unpackedSize;           // bytes to produce
    std::uint32_t packedSize;             // bytes the bit reader may take; those input lacks read as 0xFF
    int dictionaryBits;                   // log2 of the window size; logo containers use 13
    int method;                           // 5; 7 selects the length offset 254
};

struct LzhResult {
    // At least unpackedSize bytes: the last match is copied whole, so up to 255 more.
    std::vector<std::uint8_t> bytes;
    // Packed bytes a byte-at-a-time reader would have taken (never beyond packedSize nor
    // the input): where whatever follows the stream begins.
    std::size_t consumed = 0;
    bool allocationFailed = false;  // the output could not be allocated; bytes is empty
    // The stream names position classes past those of the requested window: it copies
    // from farther back than the window reaches, so its output is not the data.
    bool positionsPastWindow = false;
};

// Decodes the request; bad tables are reported to messages ("Bad table ...", "STOP!").
LzhResult lzh_decode(const LzhRequest& request, KernelSink& messages);
