// The JPEG marker walk for any bytes: it must end, and a size it reports must come from
// a frame header inside the file.
#include <cstdio>
#include <string>

#include "formats/jpeg_marker_walk.h"
#include "fuzz/fuzz_target.h"

namespace {

// The walk starts after the two-byte start-of-image marker.
constexpr std::uint64_t FIRST_SEGMENT = 2;
// A frame header's size fields end 9 bytes after its marker.
constexpr std::size_t FRAME_SIZE_END = 9;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!stream)
        return "no stream";
    std::uint16_t width = 0, height = 0;
    bool sized = jpeg_frame_size(stream, FIRST_SEGMENT, width, height);
    std::fclose(stream);
    if (!sized) {
        FUZZ_CHECK(width == 0 && height == 0);
        return "none";
    }
    FUZZ_CHECK(size >= FIRST_SEGMENT + FRAME_SIZE_END);
    return "size " + std::to_string(width) + "x" + std::to_string(height);
}
