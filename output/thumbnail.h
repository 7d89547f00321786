// Thumbnails for file managers: the loaded logo's picture fitted into a square of a given
// side, written as an 8-bit RGBA PNG (what the freedesktop thumbnail cache stores).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/logo.h"

// The side file managers ask for most ("large" thumbnails).
constexpr std::uint32_t DEFAULT_THUMBNAIL_SIDE = 256;
// Largest side accepted: twice the biggest size file managers ask for ("xx-large", 1024),
// and at 16 MiB of RGBA well inside the load's own memory budget.
constexpr std::uint32_t MAX_THUMBNAIL_SIDE = 2048;

struct RgbaPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;  // width x height x 4 bytes, rows top-down
};

// Size of the thumbnail of a width x height picture whose longer side may be at most
// maxSide: the picture enlarged by the largest integer factor that fits, or, when it is
// larger than maxSide, shrunk so that its longer side is maxSide (the other side rounded,
// at least 1). Zero for an empty picture or a maxSide of 0.
void thumbnail_size(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide, std::uint32_t& outWidth,
                    std::uint32_t& outHeight);

// Scales an 8-bit RGB picture (rows top-down) to its thumbnail size, opaque: integer
// enlargement repeats pixels, shrinking averages the area each thumbnail pixel covers
// (a box filter with fractional edges). Empty for an empty picture.
RgbaPicture scale_to_thumbnail(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                               std::uint32_t maxSide);

// The picture a thumbnail shows: a single-picture logo's image, or the first frame of a
// multi-frame one that holds pixels; empty (null) when there is none.
struct ThumbnailSource {
    const std::uint8_t* rgb = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
ThumbnailSource thumbnail_source(const LogoDescriptor& d, const LogoFrame* frames, const std::uint8_t* image);

// Encodes an RGBA picture as an 8-bit RGBA PNG in memory; false for an empty picture.
bool encode_png_rgba8(const RgbaPicture& picture, std::vector<std::uint8_t>& out);

// Writes the thumbnail of the logo loaded in viewer_state() to path (through a temporary
// file renamed into place): the picture of a single-picture logo, or the first frame that
// holds pixels of a multi-frame one. False with the reason in error when there is no
// picture or the file cannot be written.
bool write_thumbnail(const std::string& path, std::uint32_t maxSide, std::string& error);
