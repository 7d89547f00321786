// The pieces every ASUS decoder shares: 16-colour palettes in their stored layouts, frame
// allocation, and the two 4-bit picture encodings (nibbles bottom-up, planes top-down).
#pragma once

#include <array>
#include <cstdint>

#include "core/canvas.h"
#include "core/load_context.h"
#include "core/logo.h"
#include "core/stream_io.h"

using Rgb = std::array<std::uint8_t, 3>;
using Palette16 = std::array<Rgb, 16>;

// Stored palette layouts: bytes per entry, the order of the three colour bytes, and
// whether the values are 6-bit (shown as the low 8 bits of v x 4) or 8-bit.
struct PaletteLayout {
    unsigned entrySize;
    bool blueFirst;
    bool sixBit;
};
constexpr PaletteLayout PALETTE_BGRX_8BIT = {4, true, false};   // Composite 4OSB, V2
constexpr PaletteLayout PALETTE_RGBX_8BIT = {4, false, false};  // Dynamic LOGO (3)
constexpr PaletteLayout PALETTE_RGB_8BIT = {3, false, false};   // OSB640
constexpr PaletteLayout PALETTE_BGR_6BIT = {3, true, true};     // Dynamic LOGO, Dynamic LOGO (2)

// Reads a 16-entry palette at offset.
Palette16 read_palette16(ByteReader& in, std::uint64_t offset, PaletteLayout layout);

// Sizes the frame for a stored w x h picture (width rounded up to 8) and allocates its
// pixels. Returns the canvas to draw on; it is empty for an empty picture, and also when
// the allocation fails, after printing allocMessage and leaving the frame 0 x 0.
RgbCanvas open_frame(LogoFrame& frame, std::uint16_t width, std::uint16_t height, const char* allocMessage,
                     LoadContext& load);

// Both picture decoders draw whole rows while the file holds them: the rows of a picture
// that the file cuts short stay black, and a huge size in a tiny file costs no decoding.

// Nibble picture from the reader's position: rows bottom-up, two pixels a byte, high
// nibble left. With a fill colour, pixel pairs from storedWidth on take it instead.
void decode_nibble_picture(ByteReader& in, const RgbCanvas& canvas, const Palette16& palette,
                           std::uint16_t storedWidth, const Rgb* fill);

// Planar picture from the reader's position: rows top-down, each four bit planes of
// width / 8 bytes, plane 0 first and giving the lowest bit of the colour index.
void decode_planar_picture(ByteReader& in, const RgbCanvas& canvas, const Palette16& palette);
