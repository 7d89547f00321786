#include "formats/jpeg_marker_walk.h"

#include "core/stream_io.h"

namespace {

constexpr std::uint8_t MARKER_START = 0xFF;
// Bytes read per segment: the marker, the length and the first five content bytes, which
// in a frame header are the sample precision, the height and the width.
constexpr std::size_t SEGMENT_PEEK = 9;
constexpr std::size_t MARKER_SIZE = 2;
constexpr std::size_t MARKER_AND_LENGTH = 4;
constexpr std::uint16_t MIN_SEGMENT_LENGTH = 2;  // the length counts its own two bytes
// FF bytes that may pad the space before a marker; a longer run is not a JPEG.
constexpr unsigned MAX_FILL_BYTES = 65536;

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
    unsigned fill = 0;
    for (;;) {
        std::uint8_t segment[SEGMENT_PEEK];
        reader.seek(position);
        std::size_t got = reader.read(segment, sizeof segment);
        if (got < MARKER_SIZE || segment[0] != MARKER_START)
            return false;
        if (segment[1] == MARKER_START) {  // a fill byte: the marker starts one byte on
            if (++fill > MAX_FILL_BYTES)
                return false;
            position += 1;
            continue;
        }
        fill = 0;
        if (is_frame_header(segment[1])) {
            if (got < SEGMENT_PEEK)
                return false;
            height = rd_u16be(segment, 5);  // number of lines
            width = rd_u16be(segment, 7);   // samples per line
            return true;
        }
        // Every step moves forward by at least the marker and its length field; a length
        // past the end of the file leaves the next read empty.
        std::uint16_t length = rd_u16be(segment, 2);
        if (got < MARKER_AND_LENGTH || length < MIN_SEGMENT_LENGTH)
            return false;
        position += MARKER_SIZE + length;
    }
}
