// The Intel GRFX picture and the Intel lh5 containers of GRFX and PG pictures.
//   GRFX: "GRFX" (or "XFRG"), at 12 the pixels' offset less 8, the size at 18 and 20, 16
//   palette entries of red, green, blue (6-bit) at 32, then rows of packed 4-bit pixels
//   (the left pixel in the high four bits), top row first.
//   Compressed GRFX: "GRFX" at 0x80, then four bytes that each differ from "LOGO"; the
//   packed size is (byte 0x84 + byte 0x85) x 65,536, the unpacked size the 32-bit value
//   at 0x88, the lh5 stream from 0x8C; it unpacks to a GRFX picture.
//   Compressed PG: ED AC ED AC at 0xA0, the 32-bit unpacked size at 0xAF and packed size
//   at 0xB3, the lh5 stream from 0xBF; it unpacks to a PG picture.
// Every stream has an 8 KiB window (13 bits) and is method 5.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int INTEL_LH5_WINDOW_BITS = 13;
constexpr int INTEL_LH5_METHOD = 5;

constexpr std::size_t GRFX_HEADER_SIZE = 32;
constexpr std::size_t GRFX_DATA_OFFSET_AT = 12;  // the pixels' offset less GRFX_DATA_BIAS
constexpr std::uint64_t GRFX_DATA_BIAS = 8;
constexpr std::size_t GRFX_WIDTH_AT = 18;
constexpr std::size_t GRFX_HEIGHT_AT = 20;
constexpr std::size_t GRFX_PALETTE_AT = GRFX_HEADER_SIZE;
constexpr std::size_t GRFX_PALETTE_SIZE = 16 * 3;  // red, green, blue (6-bit)
// Where the pixels start in the GRFX files known: 16 bytes after the palette.
constexpr std::uint64_t GRFX_USUAL_DATA_OFFSET = 80;

// The containers keep their tag and fields from 0x80 (0xA0 for compressed PG); a file
// starting "TEXT" is never one of them.
constexpr std::uint64_t INTEL_TAG_OFFSET = 0x80;

constexpr std::uint64_t GRFX_CONTAINER_NOT_LOGO_AT = 0x84;
constexpr std::uint64_t GRFX_CONTAINER_UNPACKED_AT = 0x88;
constexpr std::uint32_t GRFX_CONTAINER_PACKED_UNIT = 65536;
constexpr std::uint64_t GRFX_CONTAINER_DATA = 0x8C;

constexpr std::uint64_t PG_CONTAINER_MARK_AT = 0xA0;
constexpr std::uint8_t PG_CONTAINER_MARK[] = {0xED, 0xAC, 0xED, 0xAC};
constexpr std::uint64_t PG_CONTAINER_UNPACKED_AT = 0xAF;
constexpr std::uint64_t PG_CONTAINER_PACKED_AT = 0xB3;
constexpr std::uint64_t PG_CONTAINER_DATA = 0xBF;
