#include "core/limits.h"

#include <cstdlib>

namespace {
std::uint64_t g_loadBytes = 0;
}

std::size_t rgb_buffer_size(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return 0;
    return static_cast<std::size_t>(width) * height * 3;
}

std::uint8_t* alloc_rgb_buffer(std::uint32_t width, std::uint32_t height)
{
    std::size_t bytes = rgb_buffer_size(width, height);
    if (bytes == 0 || g_loadBytes + bytes > MAX_LOAD_RGB_BYTES)
        return nullptr;
    auto* buffer = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (buffer)
        g_loadBytes += bytes;
    return buffer;
}

void reset_load_budget()
{
    g_loadBytes = 0;
}

void* checked_calloc(std::size_t count, std::size_t size)
{
    if (count == 0 || size == 0 || count > SIZE_MAX / size)
        return nullptr;
    return std::calloc(count, size);
}
