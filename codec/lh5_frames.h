// Two small framings around a bare lh5 stream, read by the Phoenix module walk
// (rom/phoenix_modules.cpp) and written here:
//   LZINT (Phoenix module compression code 5): the 4-byte expanded size, then the stream;
//   the Intel part files' 'L' module container: packed size P and expanded size E
//   (4 bytes each), then the P bytes of stream.
// All sizes little-endian, the stream with the 8 KiB window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

constexpr std::size_t LZINT_SIZE_PREFIX = 4;
constexpr std::size_t LH5_CONTAINER_HEADER = 8;

std::vector<std::uint8_t> phoenix_lzint_encode(std::span<const std::uint8_t> input);
std::vector<std::uint8_t> lh5_container_encode(std::span<const std::uint8_t> input);
