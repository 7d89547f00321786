// The small PNG layer of the export: 16-bit RGB, four text chunks, creation time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
