// The 4 KiB ring of the Phoenix BIOS decompressors (LZSS and LZARI) and the output it
// feeds: every byte produced goes to both, and matches copy from the ring.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class PhoenixRing {
public:
    static constexpr std::size_t SIZE = 4096;
    static constexpr std::size_t MASK = SIZE - 1;

    // The ring starts full of fill and is written from start on; out grows to target at most.
    PhoenixRing(std::vector<std::uint8_t>& out, std::size_t target, std::uint8_t fill, std::size_t start)
        : out_(out), target_(target), position_(start & MASK)
    {
        ring_.fill(fill);
    }

    bool full() const { return out_.size() >= target_; }
    // Where the next byte goes.
    std::size_t position() const { return position_; }

    void put(std::uint8_t byte)
    {
        out_.push_back(byte);
        ring_[position_] = byte;
        position_ = (position_ + 1) & MASK;
    }

    // Copies length bytes from the ring at source, cut at the target. Byte by byte: a match
    // that reaches the write position repeats what it writes.
    void copy(std::size_t source, std::size_t length)
    {
        if (length > target_ - out_.size())
            length = target_ - out_.size();
        for (std::size_t k = 0; k < length; ++k)
            put(ring_[(source + k) & MASK]);
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t target_;
    std::size_t position_;
    std::array<std::uint8_t, SIZE> ring_;
};
