// The Phoenix BIOS 4.0 "LZSS" encoder (module compression code 3), the counterpart of
// phoenix_lzss_decode.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Packs input for a decoder whose 4 KiB ring starts full of `fill` (the BCPCMP fill byte)
// and is written from 0xFEE on: flag bytes (least-significant bit first, 1 a literal),
// literals, and matches of 3..18 bytes as absolute ring positions. No header: the module
// keeps the expanded size.
std::vector<std::uint8_t> phoenix_lzss_encode(std::span<const std::uint8_t> input, std::uint8_t fill);
