// The plain JPEG probe: a start-of-image marker, then the marker walk to the frame header.
#include "detect/probe_context.h"
#include "formats/jpeg_marker_walk.h"

namespace {

constexpr std::uint8_t MARKER_START = 0xFF;
constexpr std::uint8_t SOI_MARKER = 0xD8;
constexpr std::uint16_t JPEG_COLORS = 256;
constexpr std::uint64_t FIRST_SEGMENT = 2;  // right after FF D8

}  // namespace

bool probe_jpeg(DetectContext& ctx, LogoDescriptor& d)
{
    if (ctx.header[0] != MARKER_START || ctx.header[1] != SOI_MARKER)
        return false;
    // Every FF D8 file ends detection here: a broken walk leaves the unknown result.
    std::uint16_t width = 0, height = 0;
    bool sized = jpeg_frame_size(d.stream, FIRST_SEGMENT, width, height);
    d.formatId = sized ? FORMAT_JPEG : FORMAT_UNKNOWN;
    d.width = width;
    d.height = height;
    d.dataSize = sized ? ctx.fileSize : 0;
    d.frameCount = 0;
    d.colorCount = sized ? JPEG_COLORS : 0;
    return true;
}
