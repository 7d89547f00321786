#include "core/limits.h"
#include "decode/decoders.h"

bool alloc_frame_pixels(LogoFrame& frame, std::uint16_t width, std::uint16_t height)
{
    frame.width = width;
    frame.height = height;
    frame.pixels = alloc_rgb_buffer(width, height);
    return frame.pixels != nullptr;
}
