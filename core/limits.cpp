#include "core/limits.h"

#include "core/owned.h"

std::size_t rgb_buffer_size(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return 0;
    return static_cast<std::size_t>(width) * height * 3;
}

OwnedBytes alloc_zeroed(std::size_t count, std::size_t size)
{
    if (count == 0 || size == 0 || count > SIZE_MAX / size)
        return nullptr;
    return OwnedBytes(static_cast<std::uint8_t*>(std::calloc(count, size)));
}
