// Bit reader of the lh5 kernel.
//
// The packed stream is read most significant bit first. The byte sequence behind it is
// the first packedSize bytes of the input, where a byte the input does not have reads as
// 0xFF (the end-of-file value of getc cut to 8 bits), followed by zero bytes for ever.
// Bytes move into a 64-bit accumulator several at a time; consumed() tells where a
// byte-at-a-time reader with a 16-bit look-ahead would have stopped.
#pragma once

#include <cstdint>
#include <span>

class LzhBitReader {
public:
    LzhBitReader(std::span<const std::uint8_t> input, std::uint32_t packedSize);
    LzhBitReader(const LzhBitReader&) = delete;
    LzhBitReader& operator=(const LzhBitReader&) = delete;

    // Makes at least MIN_BITS bits available.
    void refill()
    {
        if (count_ >= MIN_BITS)
            return;
        if (end_ - pos_ < sizeof(std::uint64_t))
            next_block();
        const std::uint8_t* p = block_ + pos_;
        std::uint64_t word = 0;
        for (unsigned i = 0; i < sizeof word; ++i)
            word = (word << 8) | p[i];
        // Whole bytes are counted; the partial byte below them is ORed in again, with
        // the same bits, by the next refill.
        bits_ |= word >> count_;
        unsigned take = (63 - count_) >> 3;
        pos_ += take;
        count_ += take * 8;
    }

    // The next n bits (1..32) without taking them; needs n available bits.
    std::uint32_t peek(unsigned n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }

    // Takes n bits (0..MIN_BITS); needs n available bits.
    void skip(unsigned n)
    {
        bits_ <<= n;
        count_ -= n;
    }

    // Takes and returns the next n bits (0..16).
    std::uint32_t get(unsigned n)
    {
        refill();
        if (n == 0)
            return 0;
        std::uint32_t value = peek(n);
        skip(n);
        return value;
    }

    // Packed bytes taken by a byte-at-a-time reader: never beyond the packed size nor the
    // input's end.
    std::size_t consumed();

    // Bits guaranteed after refill(): a literal/length code, a position code and its
    // extra bits (16 + 16 + 18 for the widest window) fit.
    static constexpr unsigned MIN_BITS = 56;

private:
    void next_block();

    static constexpr std::size_t BLOCK_SIZE = 64 * 1024;
    static constexpr std::size_t TAIL = sizeof(std::uint64_t);

    std::span<const std::uint8_t> input_;
    std::uint32_t packedLeft_;      // packed bytes not yet moved into the block
    std::uint64_t fileBytes_ = 0;   // bytes the input actually supplied
    std::uint64_t blockBase_ = 0;   // packed offset of block_[0]
    std::size_t pos_ = 0;           // next byte of block_ to enter the accumulator
    std::size_t end_ = 0;
    std::uint64_t bits_ = 0;        // the next bits of the stream, from bit 63 down
    unsigned count_ = 0;            // valid bits in bits_
    std::uint8_t block_[BLOCK_SIZE + TAIL];
};
