// JPEG logos: recognised but not decoded; a test pattern stands in for the picture.
#include "decode/decoders.h"
#include "decode/standard_colors.h"
#include "decode/test_pattern.h"

namespace {
constexpr unsigned STANDARD_COLOR_COUNT = 16;
}

void draw_test_pattern(std::uint8_t* image, std::uint16_t width, std::uint16_t height)
{
    if (!image)
        return;
    std::uint8_t colors[STANDARD_COLOR_COUNT][3];
    for (unsigned n = 0; n < STANDARD_COLOR_COUNT; ++n)
        standard_color_rgb(n, colors[n]);
    std::uint8_t* pixel = image;
    for (std::uint32_t y = 0; y < height; ++y) {
        // Colour (x mod (y + 1)) mod 256; values from 16 up (rows below 15) wrap round
        // the 16-entry table, so the colour is the low four bits of x mod (y + 1).
        std::uint32_t k = 0;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* rgb = colors[k % STANDARD_COLOR_COUNT];
            pixel[0] = rgb[0];
            pixel[1] = rgb[1];
            pixel[2] = rgb[2];
            pixel += 3;
            if (++k == y + 1)
                k = 0;
        }
    }
}

void decode_JPEG(std::uint8_t* image, LogoDescriptor d, LoadContext&)
{
    draw_test_pattern(image, d.width, d.height);
}
