// Hand-made lh5 streams for tests: blocks whose codes are sent as single values, and raw
// bits for malformed heads. Bits go out most significant first.
#pragma once

#include <cstdint>

#include "support/fixtures.h"

constexpr unsigned NT_COUNT_BITS = 5;  // the length code's count field
constexpr unsigned NC_COUNT_BITS = 9;  // the literal/length code's count field
constexpr unsigned NP_COUNT_BITS = 4;  // lh5's and EFI's position-code count field
constexpr unsigned TIANO_NP_COUNT_BITS = 5;

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
    Bytes bytes() const { return bytes_; }  // the last byte padded with zero bits

    // A code sent as one value: a count of 0, then the value.
    Lh5Writer& single(unsigned value, unsigned countBits) { return bits(0, countBits).bits(value, countBits); }
    // A block of `count` symbols (0: 65,536) whose three codes are single values: every symbol
    // is `symbol` (256 + k: a match of length k + 3, k + 2 for lh7) from position class
    // `positionClass`, and none takes a bit.
    Lh5Writer& single_value_block(unsigned count, unsigned symbol, unsigned positionClass = 0,
                                  unsigned positionCountBits = NP_COUNT_BITS)
    {
        bits(count, 16).single(0, NT_COUNT_BITS).single(symbol, NC_COUNT_BITS);
        return single(positionClass, positionCountBits);
    }

private:
    Bytes bytes_;
    std::size_t bitCount_ = 0;
};
