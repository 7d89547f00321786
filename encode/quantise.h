// Colour reduction with libimagequant: a quantiser is configured once (colours, dither
// level, forced colours) and run per picture, as the library's own attr -> image ->
// result steps go. Palettes come back in 8-bit values; quantising for the 6-bit DAC
// already lands on its 64 levels (minimum posterisation of 2 bits).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/indexed_picture.h"

class Quantiser {
public:
    // colors 2..256; dither 0 (none) to 1 (full Floyd-Steinberg).
    Quantiser(unsigned colors, float dither);

    // A colour the palette must hold, such as black for pixels no picture reaches.
    void force_color(Rgb8 color) { forced_.push_back(color); }

    // Quantises width x height RGB pixels into out (palette in 8-bit values, at most the
    // colours asked for). false, with the library's reason in error, when it refuses.
    bool quantise(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, IndexedPicture& out,
                  std::string& error) const;

    // Maps the pixels onto exactly the colours of fixed (8-bit values), with the dither
    // level; out's palette is fixed itself, in its order.
    bool remap(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, const std::vector<Rgb8>& fixed,
               IndexedPicture& out, std::string& error) const;

private:
    bool run(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, unsigned colors,
             const std::vector<Rgb8>& forced, bool posterise, IndexedPicture& out, std::string& error) const;

    unsigned colors_;
    float dither_;
    std::vector<Rgb8> forced_;
};
