#include "codec/lh5_frames.h"

#include "codec/lh5_encode.h"

namespace {

void put_u32(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value)
{
    for (unsigned k = 0; k < 4; ++k)
        out[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// The stream after `header` bytes of room.
std::vector<std::uint8_t> packed_after(std::span<const std::uint8_t> input, std::size_t header)
{
    std::vector<std::uint8_t> stream = lh5_encode(input);
    std::vector<std::uint8_t> out(header);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

}  // namespace

std::vector<std::uint8_t> phoenix_lzint_encode(std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> out = packed_after(input, LZINT_SIZE_PREFIX);
    put_u32(out, 0, input.size());
    return out;
}

std::vector<std::uint8_t> lh5_container_encode(std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> out = packed_after(input, LH5_CONTAINER_HEADER);
    put_u32(out, 0, out.size() - LH5_CONTAINER_HEADER);
    put_u32(out, 4, input.size());
    return out;
}
