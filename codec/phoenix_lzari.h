// Phoenix BIOS 4.0 "LZARI" (module compression code 2): Okumura-style LZ with an adaptive
// arithmetic-coded model of literals and match lengths, and a static model of positions,
// over a 4 KiB ring.
#pragma once

#include <cstdint>
#include <span>

#include "codec/phoenix_unpacked.h"

// The stream starts with its 4-byte expanded size T; decoding stops after min(T, sizeCap)
// bytes, and complete tells whether that many came out. Bits past the end of the input
// read as 0, for a few bytes' worth; then the stream ends. An output that cannot be
// allocated gives an empty result.
PhoenixUnpacked phoenix_lzari_decode(std::span<const std::uint8_t> packed, std::uint32_t sizeCap, std::uint8_t fill);

// The leading 4-byte size of an LZARI stream (0 when fewer than 4 bytes), for consistency
// checks.
std::uint32_t phoenix_lzari_size(std::span<const std::uint8_t> packed);
