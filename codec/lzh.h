// The lh5 decoder ("kernel2"): LZSS over an 8 KiB window with static Huffman codes per block.
#pragma once

#include <cstdint>
#include <cstdio>

// What detection hands the kernel.
struct LzhRequest {
    std::FILE* input;            // read from its current position
    std::FILE* output;           // unpacked bytes go here; may be null
    std::uint32_t unpackedSize;  // bytes to produce
    std::uint32_t packedSize;    // bytes the bit reader may take from input
    int dictionaryBits;          // log2 of the window size; callers pass 13
    int method;                  // callers pass 5; 7 selects the length offset 254
};

void lzh_decode(LzhRequest request);

// "Kernel: " messages on standard error.
void kernel_report(const char* prefix, const char* message, const char* detail);
void kernel_error(const char* message, const char* detail);
[[noreturn]] void kernel_fatal(const char* detail);
