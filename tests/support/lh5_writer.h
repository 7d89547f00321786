// Hand-made lh5 streams for tests: block heads with chosen code lengths, and tokens
// coded with the canonical codes those lengths give.
#pragma once

#include <cstdint>
#include <vector>

#include "support/fixtures.h"

using Lengths = std::vector<unsigned>;  // code length per symbol, 0 for unused symbols

// Most significant bit first, like the kernel reads.
class Lh5Writer {
public:
    Lh5Writer& bits(std::uint32_t value, unsigned count);
    std::size_t bit_count() const { return bitCount_; }
    Bytes bytes() const { return bytes_; }  // the last byte padded with zero bits

    // A length-code or position-code length set, as the count then 3-bit lengths (7 and
    // up continued by ones and a zero); after index `special` a 2-bit zero run of 0.
    Lh5Writer& pt_lengths(const Lengths& lengths, unsigned countBits, int special);
    // A code sent as one value: a count of 0, then the value.
    Lh5Writer& single(unsigned value, unsigned countBits) { return bits(0, countBits).bits(value, countBits); }
    // The canonical code of symbol under lengths.
    Lh5Writer& symbol(const Lengths& lengths, unsigned symbol);

private:
    Bytes bytes_;
    std::size_t bitCount_ = 0;
};

// One block's codes in full (no single-value codes).
struct Lh5Codes {
    Lengths nt;  // length code, 19 symbols
    Lengths c;   // literal/length code, 510 symbols
    Lengths p;   // position code, 14 classes
};

// Count, then the three codes.
void write_block_head(Lh5Writer& w, unsigned count, const Lh5Codes& codes);
// A match of length 3..256 from distance 1..8192 back.
void write_match(Lh5Writer& w, const Lh5Codes& codes, unsigned length, unsigned distance);

// Lengths 1, 2, ..., n-1, n-1 on the given n symbols: a complete code.
Lengths chain_lengths(std::size_t alphabet, const std::vector<unsigned>& symbols);
// A complete length code over all 19 symbols (13 of length 4, 6 of length 5).
Lengths full_nt_lengths();

// An lh5 stream of literals only, each coded in 8 bits as itself: data as it stands,
// behind one block head per 65,535 bytes. Independent of any encoder.
Bytes lh5_literal_stream(const Bytes& data);
