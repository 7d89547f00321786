// What the family encoders take: a picture of palette indices with its palette in 6-bit
// values (0..63), as every target's decoder draws it (each value times 4), and the small
// byte writers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/encode_logo.h"

struct IndexedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> indices;  // width x height, rows top-down
    std::vector<Rgb8> palette;          // 6-bit values; at most the target's colours

    std::uint8_t at(std::uint32_t x, std::uint32_t y) const
    {
        return indices[static_cast<std::size_t>(y) * width + x];
    }
    // Entry i, or black past the palette's end (the entries a file fills with zeros).
    Rgb8 entry(unsigned i) const { return i < palette.size() ? palette[i] : Rgb8{}; }
};

// An 8-bit channel value on the 6-bit DAC: v6 = (v8 x 63 + 127) / 255, so 0 stays 0 and
// 255 becomes 63.
inline std::uint8_t to_6bit(std::uint8_t v8)
{
    return static_cast<std::uint8_t>((v8 * 63u + 127u) / 255u);
}

// A 6-bit value as our decoders draw it: v x 4.
inline std::uint8_t from_6bit(std::uint8_t v6)
{
    return static_cast<std::uint8_t>(v6 * 4u);
}

// Little-endian writers over a growing file.
inline void put_u8(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void put_u16(std::vector<std::uint8_t>& out, unsigned v)
{
    put_u8(out, v & 0xFF);
    put_u8(out, (v >> 8) & 0xFF);
}
inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}
inline void put_text(std::vector<std::uint8_t>& out, const char* text)
{
    while (*text)
        put_u8(out, static_cast<unsigned char>(*text++));
}
// Zeros up to offset (nothing when the file is already that long).
inline void pad_to(std::vector<std::uint8_t>& out, std::size_t offset)
{
    if (out.size() < offset)
        out.resize(offset, 0);
}
// The order of a palette entry's three values in a file.
enum class ChannelOrder { rgb, bgr };

// Appends count palette entries of three values (zeros past the palette), each 6-bit value
// times scale: 1 where the file holds 6-bit values, 4 where it holds 8-bit ones.
inline void put_palette(std::vector<std::uint8_t>& out, const IndexedPicture& picture, unsigned count,
                        ChannelOrder order, unsigned scale = 1)
{
    for (unsigned i = 0; i < count; ++i) {
        const Rgb8 c = picture.entry(i);
        put_u8(out, (order == ChannelOrder::rgb ? c.r : c.b) * scale);
        put_u8(out, c.g * scale);
        put_u8(out, (order == ChannelOrder::rgb ? c.b : c.r) * scale);
    }
}

// Overwrites a 16- or 32-bit field written earlier.
inline void patch_u16(std::vector<std::uint8_t>& out, std::size_t at, unsigned v)
{
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
inline void patch_u32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    patch_u16(out, at, v & 0xFFFF);
    patch_u16(out, at + 2, v >> 16);
}
