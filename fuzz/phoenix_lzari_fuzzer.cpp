// Fuzz target of the Phoenix LZARI decoder. An input is a 5-byte control block and the
// stream (its own 4-byte expanded size first):
//   bytes 0-3  size cap (little-endian), held to 1 MiB so runs stay short;
//   byte 4     the ring's fill byte.
// Besides the bounds, a lower cap must give exactly a prefix of the output, and the
// stream's own bytes, packed by the encoder (phoenix_lzari_encode), must come back unchanged:
// the target fuzzes both directions.
#include <algorithm>

#include "codec/phoenix_lzari.h"
#include "codec/phoenix_lzari_encode.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::uint32_t MAX_CAP = 1u << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    CodecControl control;
    if (!read_codec_control(data, size, MAX_CAP, control))
        return "short";
    const std::uint32_t cap = control.size;
    const std::uint8_t fill = control.flags;
    const std::span<const std::uint8_t> packed = control.stream;

    PhoenixUnpacked result = phoenix_lzari_decode(packed, cap, fill);
    std::uint32_t declared = phoenix_lzari_size(packed);
    std::uint32_t target = std::min(declared, cap);
    FUZZ_CHECK(result.bytes.size() <= target);
    FUZZ_CHECK(result.complete == (packed.size() >= 4 && result.bytes.size() == target));
    FUZZ_CHECK(result.consumed <= packed.size());

    auto lowerCap = static_cast<std::uint32_t>(result.bytes.size() / 2);
    PhoenixUnpacked capped = phoenix_lzari_decode(packed, lowerCap, fill);
    FUZZ_CHECK(packed.size() < 4 || (capped.complete && capped.bytes.size() == lowerCap));
    FUZZ_CHECK(std::equal(capped.bytes.begin(), capped.bytes.end(), result.bytes.begin()));

    std::vector<std::uint8_t> repacked = phoenix_lzari_encode(packed, fill);
    PhoenixUnpacked back = phoenix_lzari_decode(repacked, 0xFFFFFFFFu, fill);
    FUZZ_CHECK(back.complete && std::equal(packed.begin(), packed.end(), back.bytes.begin(), back.bytes.end()));
    FUZZ_CHECK(phoenix_lzari_size(repacked) == packed.size());

    return output_summary(result.bytes) + (result.complete ? " complete" : " cut");
}
