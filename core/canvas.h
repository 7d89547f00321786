// The one way decoders write pixels: writes outside the buffer are dropped, so a wrong
// size in a header can spoil a picture but never memory.
#pragma once

#include <cstdint>
#include <cstring>

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

    // Paints rows first to last - 1 (clipped to the buffer) in one colour: the pixels no
    // data reached in a decoder whose zero-filled buffers give them that colour. Black is
    // what the zero-filled image already holds, so it costs nothing; any other colour
    // costs one row drawn and copied.
    void fill_rows(std::uint32_t first, std::uint32_t last, const std::uint8_t* rgb) const
    {
        if (last > height)
            last = height;
        if (!data || first >= last || (rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0))
            return;
        const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * 3;
        std::uint8_t* row = data + first * rowBytes;
        for (std::uint32_t x = 0; x < width; ++x)
            put(x, first, rgb);
        for (std::uint32_t y = first + 1; y < last; ++y)
            std::memcpy(data + y * rowBytes, row, rowBytes);
    }
};
