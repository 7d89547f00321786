// The Phoenix BIOS 4.0 "LZARI" encoder (module compression code 2), the counterpart of
// phoenix_lzari_decode.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Packs input for a decoder whose 4 KiB ring starts full of `fill` (the BCPCMP fill byte)
// and is written from 0xFC4 on: the 4-byte expanded size, then the arithmetic-coded
// literals, match lengths 3..60 and positions, with the decoder's adaptive character
// model and static position model.
std::vector<std::uint8_t> phoenix_lzari_encode(std::span<const std::uint8_t> input, std::uint8_t fill);
