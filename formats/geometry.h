// Rounding rules of the logo layouts, shared by detection and the decoders.
#pragma once

#include <cstdint>

// Width rounded up to a multiple of 8 (4-bit planar rows), kept to 16 bits.
inline std::uint16_t round_up_8(std::uint16_t width)
{
    return width % 8 ? static_cast<std::uint16_t>((width / 8) * 8 + 8) : width;
}

// Byte count rounded up to a multiple of 16 (ASUS records).
inline std::uint32_t round_up_16(std::uint32_t count)
{
    return count % 16 ? (count / 16) * 16 + 16 : count;
}
