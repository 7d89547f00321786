// The one way decoders write pixels: writes outside the buffer are dropped, so a wrong
// size in a header can spoil a picture but never memory.
#pragma once

#include <cstdint>

struct RgbCanvas {
    std::uint8_t* data = nullptr;  // width x height x 3 bytes, rows top-down; may be null
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    void put(std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b) const
    {
        if (!data || x >= width || y >= height)
            return;
        std::uint8_t* p = data + (static_cast<std::uint64_t>(y) * width + x) * 3;
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
    void put(std::uint32_t x, std::uint32_t y, const std::uint8_t* rgb) const { put(x, y, rgb[0], rgb[1], rgb[2]); }
};
