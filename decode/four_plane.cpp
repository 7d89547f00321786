#include "decode/four_plane.h"

#include "core/limits.h"
#include "core/stream_io.h"

namespace {
// Printed by both four-plane decoders, without a line end, before the process ends.
constexpr const char* PLANES_ALLOCATION_FATAL = "decode_PGBM() : 4 Color Planes allocation error .. Quitting";
}  // namespace

PlanesRead FourPlanes::read(std::FILE* stream, std::uint64_t offset, std::uint32_t width, std::uint32_t height,
                            LoadContext& load)
{
    std::uint32_t rowBytes = width / 8;
    if (rowBytes == 0 || height == 0)
        return PlanesRead::empty;
    // The planes are held whole, so their size is bounded like any picture's.
    if (rgb_buffer_size(width, height) == 0)
        return PlanesRead::tooLarge;
    std::size_t planeSize = static_cast<std::size_t>(rowBytes) * height;
    for (OwnedBytes& plane : planes_) {
        plane = alloc_zeroed(planeSize, 1);
        if (!plane)
            load.fatal(PLANES_ALLOCATION_FATAL);
    }
    rowBytes_ = rowBytes;
    height_ = height;
    for (unsigned p = 0; p < PLANE_COUNT; ++p) {
        std::size_t got =
            read_at(stream, offset + p * static_cast<std::uint64_t>(planeSize), planes_[p].get(), planeSize);
        if (p == 0)
            rowsReached_ = static_cast<std::uint32_t>((got + rowBytes - 1) / rowBytes);
    }
    return PlanesRead::done;
}
