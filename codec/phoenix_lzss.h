// Phoenix BIOS 4.0 "LZSS" (module compression code 3): flag bytes, literals and
// absolute-position matches over a 4 KiB ring.
#pragma once

#include <cstdint>
#include <span>

#include "codec/phoenix_unpacked.h"

// Flag-byte LZSS over a 4 KiB ring filled with `fill` (the BCPCMP fill byte, 0x20 in
// every ROM seen). Stops at expandedSize bytes, at the end of the input, or at a match
// pair cut by that end. An output that cannot be allocated gives an empty result.
PhoenixUnpacked phoenix_lzss_decode(std::span<const std::uint8_t> packed, std::uint32_t expandedSize,
                                    std::uint8_t fill);
