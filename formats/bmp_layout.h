// The BMP headers as the BMP logos use them: a 14-byte file header, a 40-byte info
// header, a colour table of 4-byte entries (blue, green, red, reserved), then rows
// stored bottom-up, each filled to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t BMP_HEADER_READ = 32;     // file header and the start of the info header
constexpr std::uint32_t BMP_HEADERS_SIZE = 54;  // file header + info header: the colour table's offset
constexpr std::uint32_t BMP_COLOR_ENTRY_SIZE = 4;
constexpr unsigned BMP_PALETTE_ENTRIES = 256;
// QDI's BMP always has a 256-entry colour table, so its pixels start at 14 + 40 + 1,024.
constexpr std::uint32_t QDI_PIXEL_OFFSET = BMP_HEADERS_SIZE + BMP_PALETTE_ENTRIES * BMP_COLOR_ENTRY_SIZE;
constexpr std::uint32_t BMP_INFO_HEADER_SIZE = 40;  // BITMAPINFOHEADER
// Header fields.
constexpr std::size_t BMP_FILE_SIZE_AT = 2;     // bfSize
constexpr std::size_t BMP_DATA_OFFSET_AT = 10;  // bfOffBits
constexpr std::size_t BMP_INFO_SIZE_AT = 14;    // biSize
constexpr std::size_t BMP_WIDTH_AT = 18;        // biWidth
constexpr std::size_t BMP_HEIGHT_AT = 22;       // biHeight
constexpr std::size_t BMP_PLANES_AT = 26;       // biPlanes
constexpr std::size_t BMP_BIT_COUNT_AT = 28;    // biBitCount
constexpr std::size_t BMP_COMPRESSION_AT = 30;  // biCompression, 0: none

// Row width rounded up to a multiple of 4.
inline std::uint64_t round_up_4(std::uint64_t n)
{
    return (n + 3) / 4 * 4;
}

// Bytes of one stored row of width pixels at bitCount bits each: filled to 4 bytes.
inline std::uint64_t bmp_stored_row_bytes(std::uint64_t width, unsigned bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}
