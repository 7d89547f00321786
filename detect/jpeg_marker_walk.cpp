#include "detect/jpeg_marker_walk.h"

#include "core/stream_io.h"

namespace {

constexpr std::uint8_t MARKER_START = 0xFF;
// Bytes read per segment: the marker, the length and the first five content bytes, which
// in a frame header are the sample precision, the height and the width.
constexpr std::size_t SEGMENT_PEEK = 9;
constexpr std::size_t MARKER_SIZE = 2;

// Start-of-frame markers: C0-C3, C5-C7, C9-CB, CD-CF (C4, C8 and CC are other segments).
bool is_frame_header(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

bool jpeg_frame_size(std::FILE* stream, std::uint64_t start, std::uint16_t& width, std::uint16_t& height)
{
    ByteReader reader(stream, start);
    std::uint64_t position = start;
    for (;;) {
        std::uint8_t segment[SEGMENT_PEEK];
        reader.seek(position);
        if (reader.read(segment, sizeof segment) == 0 || segment[0] != MARKER_START)
            return false;
        if (is_frame_header(segment[1])) {
            height = rd_u16be(segment, 5);
            width = rd_u16be(segment, 7);
            return true;
        }
        // The length counts itself and the contents, never the marker: the walk always
        // moves forward by at least the marker's two bytes.
        position += MARKER_SIZE + rd_u16be(segment, 2);
    }
}
