// The Award AWBM picture: an 8-byte header ("AWBM", width and height as 16-bit values),
// then the picture. A 16-colour picture is four bit planes per row, half a byte a pixel;
// its palette, when it has one, follows as a block of the tag "RGB " and 16 entries of
// 6-bit blue, green, red. Some AWBM16 files carry no palette at all: exactly the header
// and the picture, drawn in the standard colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/geometry.h"

constexpr std::uint64_t AWBM_HEADER_SIZE = 8;
constexpr std::size_t AWBM_WIDTH_AT = 4;
constexpr std::size_t AWBM_HEIGHT_AT = 6;
constexpr std::size_t AWBM_PALETTE_TAG_SIZE = 4;
// Where a compressed AWBM keeps its palette block, and so its tag.
constexpr std::size_t AWBM_LEADING_PALETTE_AT = AWBM_HEADER_SIZE;

// True when the bytes start with the palette tag "RGB " (with the blank).
inline bool awbm_palette_tag(const std::uint8_t* bytes)
{
    return std::memcmp(bytes, "RGB ", AWBM_PALETTE_TAG_SIZE) == 0;
}

// Bytes of a 16-colour picture of width (already rounded to 8) x height.
inline std::uint64_t awbm16_picture_bytes(std::uint16_t width, std::uint16_t height)
{
    return static_cast<std::uint64_t>(width) * height / 2;
}

// The pseudo-random stream that scrambles bit 7 of each run count of a compressed AWBM:
// the well-known linear congruential generator (multiplier 1103515245, increment 12345)
// yielding bits 16 to 30 of its state, started from state 1 for every picture.
class AwbmRunScrambler {
public:
    std::uint8_t next_mask()
    {
        state_ = state_ * 1103515245u + 12345u;
        std::uint32_t r = (state_ >> 16) & 0x7FFF;
        return static_cast<std::uint8_t>((r ^ (r << 1)) & 0x80);  // bit 7 of r XOR bit 6 of r
    }

private:
    std::uint32_t state_ = 1;
};
