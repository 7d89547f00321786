// Resource limits of one load, checked before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest picture or frame side accepted; real BIOS logos fit far inside.
constexpr std::uint32_t MAX_PICTURE_SIDE = 8192;
// Most RGB bytes one load may hold, all frames and panels together.
constexpr std::uint64_t MAX_LOAD_RGB_BYTES = 256ull << 20;
// Unpacked data (lh5, Dell LZ77): the pictures inside are at most 4 bits per pixel, so the
// largest picture the viewer accepts plus a header allowance bounds what is worth
// unpacking; a crafted size cannot take all memory or minutes.
constexpr std::uint32_t MAX_UNPACKED_SIZE = MAX_PICTURE_SIDE * MAX_PICTURE_SIDE / 2 + 64 * 1024;

// Memory libjpeg may take for one picture (a progressive JPEG keeps all its coefficients,
// two bytes a sample); it is checked before anything else is allocated.
constexpr std::uint64_t MAX_JPEG_DECODER_BYTES = 256ull << 20;

// Bytes of a width x height RGB buffer, or 0 when the size is empty or beyond the limits.
std::size_t rgb_buffer_size(std::uint32_t width, std::uint32_t height);
