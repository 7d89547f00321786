// The family encoders, one file each as in decode/: an indexed picture in, the file's
// bytes out. Each writes exactly what its family's decoder reads; sizes and colour counts
// have been checked against the target's limits before they are called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/cell_fit.h"
#include "encode/indexed_picture.h"

using Bytes = std::vector<std::uint8_t>;

// encode/awbm.cpp: 16 colours in four planes a row or 256 one byte a pixel; plain with the
// palette trailer, or compressed with the palette block first and scrambled run pairs.
Bytes encode_awbm16(const IndexedPicture& picture);
Bytes encode_awbm256(const IndexedPicture& picture);
Bytes encode_awbm16_compressed(const IndexedPicture& picture);
Bytes encode_awbm256_compressed(const IndexedPicture& picture);

// encode/intel.cpp: GRFX (packed 4-bit rows), the lh5 containers of a GRFX or PG picture,
// and the TEXTLOGO container; refusal says why a container cannot hold its contents (the
// bytes are then empty).
Bytes encode_grfx(const IndexedPicture& picture);
Bytes pack_compressed_grfx(const Bytes& grfx, std::string& refusal);
Bytes pack_compressed_pg(const Bytes& pg);
Bytes encode_textlogo(const CellPicture& cells, std::string& refusal);

// encode/phoenix.cpp: PG, in the standard colours when its palette is the standard table,
// else with its own palette table.
Bytes encode_pg(const IndexedPicture& picture);

// encode/epa.cpp: the Award EPA cells and the 70-byte mark after them.
Bytes encode_epa(const CellPicture& cells, const std::vector<std::uint8_t>& markTail);

// encode/pcx.cpp: PCX with 4 bit planes or 8 bits a pixel, run-length coded.
Bytes encode_pcx4(const IndexedPicture& picture);
Bytes encode_pcx8(const IndexedPicture& picture);

// encode/bmp.cpp: BMP with 4 or 8 bits a pixel, bottom row first.
Bytes encode_bmp4(const IndexedPicture& picture);
Bytes encode_bmp8(const IndexedPicture& picture);
