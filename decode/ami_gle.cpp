// AMI GLE (identifier 10): a character-cell logo of 8 x 14 cells, every cell in one colour.
// Its header is read from where detection left the stream, which is the start of the file.
#include "core/stream_io.h"
#include "decode/character_cell.h"
#include "decode/decoders.h"

namespace {
constexpr std::size_t GLE_HEADER_SIZE = 8;
constexpr std::size_t GLE_COLUMNS = 4;
constexpr std::size_t GLE_ROWS = 5;
constexpr std::size_t GLE_COLOR = 6;  // colour index of every cell; only its low four bits count
constexpr unsigned GLE_CELL_HEIGHT = 14;
}  // namespace

void decode_GLE(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d, LoadContext&)
{
    ByteReader reader(d.stream);
    std::uint8_t header[GLE_HEADER_SIZE];
    reader.read(header, sizeof header);
    unsigned columns = header[GLE_COLUMNS];
    unsigned rows = header[GLE_ROWS];
    unsigned color = header[GLE_COLOR];

    CellTargets targets = cell_targets(image, fontMap, colorMap, d.width, d.height);
    std::uint8_t bitmap[GLE_CELL_HEIGHT];
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) {
            reader.read(bitmap, sizeof bitmap);
            render_cell(targets, r, c, bitmap, GLE_CELL_HEIGHT, color);
        }
    }
}
