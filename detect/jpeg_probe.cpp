// The plain JPEG probe and the marker walk it shares with the Phoenix SCN envelope probe.
#include "core/stream_io.h"
#include "detect/jpeg_walk.h"
#include "detect/probe_context.h"

namespace {

constexpr std::uint8_t MARKER_PREFIX = 0xFF;
constexpr std::uint8_t SOI_MARKER = 0xD8;
constexpr LogoFormatId JPEG_ID = 24;
constexpr std::uint16_t JPEG_COLORS = 256;
constexpr std::uint64_t FIRST_SEGMENT = 2;  // right after FF D8
// A marker, its 2-byte length, precision, height and width.
constexpr std::size_t SEGMENT_HEAD = 9;
constexpr std::size_t MARKER_AND_LENGTH = 4;
constexpr std::uint16_t MIN_SEGMENT_LENGTH = 2;  // the length counts its own two bytes
// FF bytes that may pad the space before a marker; a longer run is not a JPEG.
constexpr unsigned MAX_FILL_BYTES = 65536;

// Start-of-frame markers C0-CF, except C4 (Huffman tables), C8 (reserved) and CC
// (arithmetic conditioning): they carry the picture's size.
bool is_frame_header(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

bool jpeg_marker_walk(std::FILE* stream, std::uint64_t start, std::uint64_t fileSize, std::uint16_t& width,
                      std::uint16_t& height)
{
    ByteReader in(stream, start);
    std::uint64_t pos = start;
    unsigned fill = 0;
    while (pos < fileSize) {
        std::uint8_t seg[SEGMENT_HEAD] = {};
        std::uint64_t left = fileSize - pos;
        in.seek(pos);
        std::size_t got = in.read(seg, left < SEGMENT_HEAD ? static_cast<std::size_t>(left) : SEGMENT_HEAD);
        if (got < 2 || seg[0] != MARKER_PREFIX)
            return false;
        if (seg[1] == MARKER_PREFIX) {  // a fill byte before the marker
            if (++fill > MAX_FILL_BYTES)
                return false;
            pos += 1;
            continue;
        }
        fill = 0;
        if (is_frame_header(seg[1])) {
            if (got < SEGMENT_HEAD)
                return false;
            height = rd_u16be(seg, 5);  // number of lines
            width = rd_u16be(seg, 7);   // samples per line
            return true;
        }
        std::uint16_t length = rd_u16be(seg, 2);
        if (got < MARKER_AND_LENGTH || length < MIN_SEGMENT_LENGTH)
            return false;
        pos += 2 + static_cast<std::uint64_t>(length);
    }
    return false;
}

bool probe_jpeg(DetectContext& ctx, LogoDescriptor& d)
{
    if (ctx.header[0] != MARKER_PREFIX || ctx.header[1] != SOI_MARKER)
        return false;
    // Every FF D8 file ends detection here: a broken walk leaves the unknown result.
    std::uint16_t width = 0, height = 0;
    if (!jpeg_marker_walk(d.stream, FIRST_SEGMENT, ctx.fileSize, width, height)) {
        d.formatId = FORMAT_UNKNOWN;
        d.width = d.height = 0;
        d.dataSize = 0;
        d.frameCount = 0;
        d.colorCount = 0;
        return true;
    }
    d.formatId = JPEG_ID;
    d.width = width;
    d.height = height;
    d.dataSize = ctx.fileSize;
    d.frameCount = 0;
    d.colorCount = JPEG_COLORS;
    return true;
}
