// PCX run-length scanlines: shared by the PCX decoders and the "$OSB" chain of PCX pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/stream_io.h"
#include "formats/pcx_layout.h"

// Unpacks one scanline of length bytes from in. A code byte of 0xC0 or more is a run of
// (code & 0x3F) copies of the byte after it; any other byte stands for itself once. A run
// that would pass the end of the line is cut there, so every line starts with a fresh code
// byte. Past the end of the stream the reader gives zeros, which fill the rest of the line.
void unpack_pcx_scanline(ByteReader& in, std::uint8_t* line, std::size_t length);
