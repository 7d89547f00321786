// Resource limits of one load, checked before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest picture or frame side accepted; real BIOS logos fit far inside.
constexpr std::uint32_t MAX_PICTURE_SIDE = 8192;
// Most RGB bytes one load may hold, all frames and panels together.
constexpr std::uint64_t MAX_LOAD_RGB_BYTES = 256ull << 20;

// Bytes of a width x height RGB buffer, or 0 when the size is empty or beyond the limits.
std::size_t rgb_buffer_size(std::uint32_t width, std::uint32_t height);

// Zero-filled RGB buffer charged against the current load's budget; nullptr when the
// size is empty, beyond the limits or the budget, or memory is short. Free with std::free.
std::uint8_t* alloc_rgb_buffer(std::uint32_t width, std::uint32_t height);

// Starts a new load's budget.
void reset_load_budget();

// Zero-filled buffer of count * size bytes with overflow checked; nullptr on failure.
void* checked_calloc(std::size_t count, std::size_t size);
