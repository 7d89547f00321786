// Animated PNG: every frame of a multi-frame logo in one file that browsers and image
// viewers play. The frames are encoded by the PNG layer (png_file.h) and their image data
// re-wrapped in the animation chunks: acTL (frame count), fcTL (size and delay of each
// frame) and fdAT (the data of every frame after the first).
#pragma once

#include <cstdint>
#include <vector>

#include "output/png_file.h"

struct ApngFrame {
    const std::uint8_t* rgb;  // 8-bit RGB, rows top-down; null for a frame without pixels
    std::uint32_t width;
    std::uint32_t height;
};

// Encodes the frames as one 16-bit RGB animated PNG that loops forever, each frame shown
// for delayMs milliseconds. The canvas is as large as the largest frame; a smaller frame
// (or one without pixels) is centred on black. The texts go with the first frame. False
// when no frame has pixels or the encoder fails.
bool encode_apng_rgb16(const std::vector<ApngFrame>& frames, std::uint16_t delayMs, const PngTexts& texts,
                       std::vector<std::uint8_t>& out);
