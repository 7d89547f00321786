// The Phoenix BIOS 4.0 stream formats, as their decoders (phoenix_lzss.cpp,
// phoenix_lzari.cpp) and encoders (phoenix_lzss_encode.cpp, phoenix_lzari_encode.cpp) both
// see them: Okumura's LZSS and LZARI over the 4 KiB ring of phoenix_ring.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/phoenix_ring.h"

// "LZSS" (module compression code 3): N = 4096, F = 18, THRESHOLD = 2.
namespace phoenix_lzss {

constexpr std::size_t RING_START = 0xFEE;  // N - F: where the first byte goes
constexpr unsigned MIN_MATCH = 3;          // THRESHOLD + 1
constexpr unsigned MAX_MATCH = 18;         // F
constexpr unsigned FLAG_ITEMS = 8;         // items served by one flag byte

}  // namespace phoenix_lzss

// "LZARI" (module compression code 2): N = 4096, F = 60, THRESHOLD = 2.
namespace phoenix_lzari {

constexpr std::size_t SIZE_FIELD = 4;  // the expanded size, little-endian

constexpr unsigned RING_SIZE = PhoenixRing::SIZE;  // N
constexpr unsigned MAX_MATCH = 60;                 // F
constexpr unsigned THRESHOLD = 2;                  // matches are longer than this
constexpr unsigned RING_START = RING_SIZE - MAX_MATCH;
constexpr unsigned LITERALS = 256;
constexpr unsigned CHARACTERS = LITERALS - THRESHOLD + MAX_MATCH;  // 314: literals and lengths 3..60
constexpr unsigned LENGTH_BASE = LITERALS - THRESHOLD - 1;         // character 256 is length 3

// The coder's interval, in quarters of 2^17.
constexpr std::uint32_t Q1 = 0x8000;
constexpr std::uint32_t Q2 = 0x10000;
constexpr std::uint32_t Q3 = 0x18000;
constexpr std::uint32_t Q4 = 0x20000;
constexpr std::uint32_t MAX_CUM = Q1 - 1;  // the character counts are halved at this total

// Cumulative frequencies of the static position model: position p has weight
// 10000 / (p + 201), and POSITION_CUM[p] sums the weights of positions p..4095.
inline constexpr std::array<std::uint32_t, RING_SIZE + 1> POSITION_CUM = [] {
    std::array<std::uint32_t, RING_SIZE + 1> cum{};
    for (unsigned i = RING_SIZE; i > 0; --i)
        cum[i - 1] = cum[i] + 10000 / (i + 200);
    return cum;
}();
// Both models' totals stay below Q1, the least range between symbols.
static_assert(POSITION_CUM[0] < Q1 && MAX_CUM < Q1);

}  // namespace phoenix_lzari
