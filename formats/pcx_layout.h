// The PCX file header as the PCX logos use it, and the search for one inside a ROM image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

// Size of a PCX file header; the run-length data follows it.
constexpr std::size_t PCX_HEADER_SIZE = 128;
constexpr std::uint8_t PCX_MAKER = 0x0A;
constexpr std::uint8_t PCX_VERSION_2 = 0x02;
constexpr std::uint8_t PCX_VERSION_5 = 0x05;
constexpr std::uint8_t PCX_RLE = 0x01;
constexpr std::size_t PCX_BITS_PER_PIXEL_AT = 3;
constexpr std::size_t PCX_BYTES_PER_LINE_AT = 66;
constexpr std::size_t PCX_HEADER_PALETTE_AT = 16;  // 16 entries of R, G, B
// How far into an option ROM the AMI and SystemSoft logos keep their PCX header.
constexpr std::size_t AMI_PCX_WINDOW = 4096;
constexpr std::size_t SYSTEMSOFT_PCX_WINDOW = 8192;

struct PcxGeometry {
    std::uint16_t width = 0;   // xmax - xmin + 1, in 16 bits
    std::uint16_t height = 0;  // ymax - ymin + 1, in 16 bits
};

// Picture size of a PCX header (its geometry fields lie within the first 12 bytes).
PcxGeometry pcx_geometry(const std::uint8_t* header);

// Offset of the first 0A 05 pair that starts below window, if any.
std::optional<std::uint64_t> find_pcx_header(std::FILE* stream, std::size_t window);
