// Helpers for decoder tests: calling one decoder on a hand-made descriptor, and reading
// pictures back through ImageMagick as an independent oracle.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "support/fixtures.h"

using SingleDecoder = void (*)(std::uint8_t*, LogoDescriptor);

// Runs decoder over the file with a descriptor of the given size, as detection would
// leave it, and returns the width x height x 3 image it wrote.
Bytes decode_bytes_with(SingleDecoder decoder, const Bytes& file, std::uint16_t width, std::uint16_t height);

// RGB of pixel (x, y) of a width-wide image as 0xRRGGBB.
std::uint32_t pixel_at(const Bytes& image, unsigned width, unsigned x, unsigned y);

// Expects pixel_at(image, width, x, y) to be rgb for each {x, y, rgb}.
void expect_pixels(const Bytes& image, unsigned width, std::initializer_list<std::array<std::uint32_t, 3>> pixels);

// 8-bit RGB pixels of any picture file ImageMagick reads (of a 16-bit PNG, the high byte of
// each sample); false when convert is missing or fails.
bool convert_to_rgb(const std::string& path, Bytes& rgb);

// Runs "zarpo2-cli png --out-dir" on the file and reads the one PNG it wrote back as 8-bit
// RGB; false when no PNG was written.
bool cli_png_rgb(const std::string& path, Bytes& rgb);

// Every byte with its two low bits cleared, as BMP and plain PCX palettes are drawn.
Bytes clear_low_bits(Bytes rgb);
