// JPEG pictures, decoded with libjpeg: the plain JPEG logo and the one inside the Phoenix
// SCN (2) envelope.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/canvas.h"
#include "core/load_context.h"

// Decodes the JPEG that starts at offset start of stream into canvas, which keeps its size
// whatever the JPEG's own: the picture is cut at the canvas's edges or leaves its far
// columns and rows black. Baseline and progressive, greyscale, colour and CMYK (YCCK too;
// Adobe's inverted CMYK as libjpeg gives it) are drawn as RGB. A stream that turns out
// corrupt keeps the rows decoded before it; a JPEG that libjpeg rejects before it gives a
// row, or whose frame is beyond the picture limits, gets the test pattern and a notice.
// The notice of a JPEG that libjpeg rejected (the viewer warns in its window too).
constexpr const char* JPEG_REJECTED_NOTICE = "JPEG data could not be decoded: showing a test pattern\n";

void decode_jpeg_picture(const RgbCanvas& canvas, std::FILE* stream, std::uint64_t start, LoadContext& load);
