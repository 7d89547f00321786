// The small PNG layer of the export: 16-bit RGB, four text chunks, creation time; the chunk
// writing the animated PNG shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The eight bytes every PNG file starts with.
constexpr std::uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Appends v as PNG stores its numbers: four bytes, the most significant first.
void put_png_u32(std::vector<std::uint8_t>& out, std::uint32_t v);

// Appends a chunk: length, type, data and the CRC-32 of type and data.
void put_png_chunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size);

struct PngTexts {
    std::string title;
    std::string author;
    std::string description;
    std::string software;
};

// Encodes an 8-bit RGB picture (rows top-down) as a 16-bit RGB PNG in memory: each byte
// becomes the high half of its sample. Chunks: IHDR, tIME (now), the four tEXt, IDAT, IEND;
// rows unfiltered, compressed by deflate_rgb16_rows. false for an empty picture.
bool encode_png_rgb16(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, const PngTexts& texts,
                      std::vector<std::uint8_t>& out);

// Writes the encoded PNG to path through a temporary file in the same folder renamed into
// place, so a failed write never leaves a truncated file and a symlink at path is replaced,
// never followed. On failure returns false with the reason in error.
bool write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
