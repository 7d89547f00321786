// Four-plane 16-colour pictures (Phoenix PG, Intel GRFXLOGO): four bit planes stored one
// after the other, plane 0 first, each holding the picture's rows of width / 8 bytes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/load_context.h"
#include "core/owned.h"

constexpr unsigned PLANE_COUNT = 4;

// What reading the planes of a picture came to.
enum class PlanesRead { done, empty, tooLarge };

class FourPlanes {
public:
    // Allocates the four planes of a width x height picture and reads them from offset,
    // zero past the end of the stream. An empty picture reads nothing; one beyond the
    // picture limits is refused before anything is allocated. A failed allocation of a
    // picture within the limits ends the process with the four-plane decoders' message.
    PlanesRead read(std::FILE* stream, std::uint64_t offset, std::uint32_t width, std::uint32_t height,
                    LoadContext& load);

    // Colour index 0..15 of pixel x of stored row: bit 7 - x % 8 of byte
    // row * (width / 8) + x / 8 of plane n gives bit n. With a width that is not a multiple
    // of 8 the last pixels of a row thus come from the start of the next stored row; bytes
    // past the end of a plane read as 0.
    unsigned color_index(std::uint32_t x, std::uint32_t row) const
    {
        std::uint64_t at = static_cast<std::uint64_t>(row) * rowBytes_ + x / 8;
        if (at >= static_cast<std::uint64_t>(rowBytes_) * height_)
            return 0;
        unsigned shift = 7 - x % 8;
        unsigned index = 0;
        for (unsigned p = 0; p < PLANE_COUNT; ++p)
            index |= ((planes_[p][at] >> shift) & 1u) << p;
        return index;
    }

    // Stored rows that the data reached: every plane starts after the whole of plane 0, so
    // a row none of whose plane-0 bytes came from the stream got no byte at all: every
    // pixel of it has index 0, and the decoders paint it in that colour without decoding it.
    std::uint32_t rows_reached() const { return rowsReached_; }

private:
    std::uint32_t rowsReached_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t rowBytes_ = 0;
    OwnedBytes planes_[PLANE_COUNT];
};
