// The lh5 encoder: the counterpart of lzh_decode (lzh.h), writing the bit stream of
// lzh_format.h.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct Lh5EncodeOptions {
    int dictionaryBits = 13;  // log2 of the window: 13 for -lh5- (and EFI); wider windows for the Tiano kind (19)
};

// Packs input as one -lh5- bit stream (blocks of a 16-bit symbol count and three canonical Huffman tables).
// Matches never reach before the first byte, so any lh5 decoder, with or without a
// pre-filled window, gives the input back. Empty input gives an empty stream.
std::vector<std::uint8_t> lh5_encode(std::span<const std::uint8_t> input, const Lh5EncodeOptions& options = {});
