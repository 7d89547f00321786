// Match finding for the LZ77 encoders (lh5, Phoenix LZSS and LZARI): binary search trees
// over the positions in the window, and a table of every position's matches for their
// parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

constexpr unsigned LZ_MIN_MATCH = 3;  // every format here starts its lengths at 3

struct LzMatch {
    unsigned length = 0;
    std::uint32_t distance = 0;  // 1 = the byte before
};

struct LzMatchLimits {
    std::uint32_t maxDistance;
    unsigned maxLength;
    unsigned chain;       // candidates tried per position
    unsigned niceLength;  // a match this long is taken whole and its bytes not searched; above maxLength: never
};

// The input after `history` bytes of fill: what a decoder with a pre-filled ring sees.
std::vector<std::uint8_t> lz_after_fill(std::span<const std::uint8_t> input, std::size_t history, std::uint8_t fill);

// Every position's matches in the bytes after `history`: the first history bytes are what
// the decoder's window holds before the first byte it makes (a pre-filled ring), and
// matches may start in them.
class LzMatchTable {
public:
    LzMatchTable(std::span<const std::uint8_t> bytes, std::size_t history, const LzMatchLimits& limits);

    // Position i's matches (i counts from the first byte after the history) in increasing
    // length, each the nearest of its length: an entry serves the lengths above the
    // entry before it, up to its own.
    std::span<const LzMatch> at(std::size_t i) const
    {
        return std::span(matches_).subspan(first_[i], first_[i + 1] - first_[i]);
    }
    // Position i's last match is to be taken whole or not at all: it is a long match or
    // the rest of one, whose bytes were not searched.
    bool whole(std::size_t i) const { return whole_[i] != 0; }
    // The longest match at i; length 0 when there is none.
    LzMatch longest(std::size_t i) const { return first_[i] < first_[i + 1] ? matches_[first_[i + 1] - 1] : LzMatch{}; }

private:
    std::vector<LzMatch> matches_;
    std::vector<std::uint32_t> first_;  // position i's matches: first_[i] .. first_[i + 1]
    std::vector<std::uint8_t> whole_;
};
