// The picture drawn for a JPEG logo whose data libjpeg rejects.
#pragma once

#include <cstdint>

// Fills a width x height RGB buffer (nothing when it is null): pixel (x, y) takes standard colour
// (x mod (y + 1)) mod 256, folded into the 16-entry table by taking it modulo 16.
void draw_test_pattern(std::uint8_t* image, std::uint16_t width, std::uint16_t height);
