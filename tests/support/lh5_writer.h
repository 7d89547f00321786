// Hand-made lh5 streams for tests: block heads with chosen code lengths, and tokens
// coded with the canonical codes those lengths give. Bits go out most significant first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/fixtures.h"

using Lengths = std::vector<unsigned>;  // code length per symbol, 0 for unused symbols

constexpr unsigned NT_COUNT_BITS = 5;    // the length code's count field
constexpr int NT_SPECIAL_INDEX = 3;      // after the third length comes a 2-bit zero run
constexpr unsigned NC_COUNT_BITS = 9;    // the literal/length code's count field
constexpr unsigned NP_COUNT_BITS = 4;    // lh5's position-code count field
constexpr unsigned NC = 510;             // literal/length symbols
constexpr unsigned NP = 14;              // lh5's position classes
constexpr unsigned LENGTH_OFFSET = 253;  // symbol 256 + k is a match of length k + 3

class Lh5Writer {
public:
    Lh5Writer& bits(std::uint32_t value, unsigned count)
    {
        for (unsigned i = count; i-- > 0; ++bitCount_) {
            if (bitCount_ % 8 == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1)
                bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bitCount_ % 8));
        }
        return *this;
    }
    std::size_t bit_count() const { return bitCount_; }
    Bytes bytes() const { return bytes_; }  // the last byte padded with zero bits

    // A length-code or position-code length set: the count, then 3-bit lengths (7 and up
    // continued by ones and a zero); after index `special` a 2-bit zero run of 0.
    Lh5Writer& pt_lengths(const Lengths& lengths, unsigned countBits, int special)
    {
        bits(static_cast<unsigned>(lengths.size()), countBits);
        for (unsigned i = 0; i < lengths.size(); ++i) {
            if (lengths[i] < 7)
                bits(lengths[i], 3);
            else
                bits(7, 3).bits((1u << (lengths[i] - 7)) - 1, lengths[i] - 7).bits(0, 1);
            if (static_cast<int>(i) + 1 == special)
                bits(0, 2);
        }
        return *this;
    }
    // A code sent as one value: a count of 0, then the value.
    Lh5Writer& single(unsigned value, unsigned countBits) { return bits(0, countBits).bits(value, countBits); }
    // A block whose three codes are single values: every symbol is `literal`, no bits taken.
    Lh5Writer& single_value_block(unsigned count, unsigned literal, unsigned positionClass = 0)
    {
        bits(count, 16).single(0, NT_COUNT_BITS).single(literal, NC_COUNT_BITS);
        return single(positionClass, NP_COUNT_BITS);
    }
    // The canonical code of a symbol under lengths.
    Lh5Writer& symbol(const Lengths& lengths, unsigned sym)
    {
        unsigned len = lengths.at(sym);
        std::uint32_t code = 0;
        for (unsigned l = 1; l < len; ++l)
            code = (code + static_cast<std::uint32_t>(std::count(lengths.begin(), lengths.end(), l))) << 1;
        code += static_cast<std::uint32_t>(std::count(lengths.begin(), lengths.begin() + sym, len));
        return bits(code, len);
    }

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

// Lengths 1, 2, ..., n-1, n-1 on the given n symbols: a complete code.
inline Lengths chain_lengths(std::size_t alphabet, const std::vector<unsigned>& symbols)
{
    Lengths lengths(alphabet, 0);
    for (unsigned i = 0; i < symbols.size(); ++i)
        lengths.at(symbols[i]) = i + 1 < symbols.size() ? i + 1 : i;
    return lengths;
}

// Complete codes: the 19 length-code symbols (13 of length 4, 6 of length 5), the 14
// position classes.
inline Lengths full_nt_lengths()
{
    Lengths lengths(19, 5);
    std::fill_n(lengths.begin(), 13, 4);
    return lengths;
}
inline Lengths full_p_lengths()
{
    return chain_lengths(NP, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
}

// The block size, then the three codes, every length sent; literal/length lengths go out
// as length-code symbols, 0 for unused and length + 2 otherwise.
inline void write_block_head(Lh5Writer& w, unsigned count, const Lh5Codes& codes)
{
    w.bits(count, 16).pt_lengths(codes.nt, NT_COUNT_BITS, NT_SPECIAL_INDEX);
    w.bits(static_cast<unsigned>(codes.c.size()), NC_COUNT_BITS);
    for (unsigned length : codes.c)
        w.symbol(codes.nt, length == 0 ? 0 : length + 2);
    w.pt_lengths(codes.p, NP_COUNT_BITS, -1);
}

// A match of length 3..256 from distance 1..8192 back.
inline void write_match(Lh5Writer& w, const Lh5Codes& codes, unsigned length, unsigned distance)
{
    w.symbol(codes.c, length + LENGTH_OFFSET);
    unsigned position = distance - 1, cls = 0;
    while ((position >> cls) != 0)
        ++cls;
    w.symbol(codes.p, cls);
    if (cls > 1)
        w.bits(position - (1u << (cls - 1)), cls - 1);
}

// An lh5 block of literals only, each coded in 8 bits as itself: data (at most 65,535
// bytes) as it stands, behind the block head. Independent of any encoder.
inline Bytes lh5_literal_stream(const Bytes& data)
{
    Lh5Codes codes{full_nt_lengths(), Lengths(NC, 0), full_p_lengths()};
    std::fill_n(codes.c.begin(), 256, 8);  // 256 codes of 8 bits: complete, and code b is b
    Lh5Writer w;
    write_block_head(w, static_cast<unsigned>(data.size()), codes);
    for (std::uint8_t byte : data)
        w.bits(byte, 8);
    return w.bytes();
}
