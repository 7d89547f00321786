// Fuzz target of the Phoenix LZARI decoder. An input is a 5-byte control block and the
// stream (its own 4-byte expanded size first):
//   bytes 0-3  size cap (little-endian), held to 1 MiB so runs stay short;
//   byte 4     the ring's fill byte.
// Besides the bounds, a lower cap must give exactly a prefix of the output, and the
// stream's own bytes, packed by the test encoder, must come back unchanged.
#include <algorithm>

#include "codec/phoenix_lzari.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"
#include "tools/phoenix_pack.h"

namespace {

constexpr std::size_t CONTROL_SIZE = 5;
constexpr std::uint32_t MAX_CAP = 1u << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    if (size < CONTROL_SIZE)
        return "short";
    std::uint32_t cap =
        (data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24) % (MAX_CAP + 1);
    std::uint8_t fill = data[4];
    std::span<const std::uint8_t> packed(data + CONTROL_SIZE, size - CONTROL_SIZE);

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

    std::vector<std::uint8_t> repacked = phoenix_lzari_pack(packed, fill);
    PhoenixUnpacked back = phoenix_lzari_decode(repacked, 0xFFFFFFFFu, fill);
    FUZZ_CHECK(back.complete && std::equal(packed.begin(), packed.end(), back.bytes.begin(), back.bytes.end()));
    FUZZ_CHECK(phoenix_lzari_size(repacked) == packed.size());

    return output_summary(result.bytes) + (result.complete ? " complete" : " cut");
}
