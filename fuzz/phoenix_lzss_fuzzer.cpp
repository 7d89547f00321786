// Fuzz target of the Phoenix LZSS decoder. An input is a 5-byte control block and the
// packed stream:
//   bytes 0-3  expanded size (little-endian), held to 1 MiB so runs stay short;
//   byte 4     the ring's fill byte.
// Besides the bounds, a prefix of the stream must decode to a prefix of the output, and
// the stream's own bytes, packed by the encoder (phoenix_lzss_encode), must come back unchanged:
// the target fuzzes both directions.
#include <algorithm>

#include "codec/phoenix_lzss.h"
#include "codec/phoenix_lzss_encode.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::uint32_t MAX_EXPANDED = 1u << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    CodecControl control;
    if (!read_codec_control(data, size, MAX_EXPANDED, control))
        return "short";
    const std::uint32_t expanded = control.size;
    const std::uint8_t fill = control.flags;
    const std::span<const std::uint8_t> packed = control.stream;

    PhoenixUnpacked result = phoenix_lzss_decode(packed, expanded, fill);
    FUZZ_CHECK(result.bytes.size() <= expanded);
    FUZZ_CHECK(result.complete == (result.bytes.size() == expanded));
    FUZZ_CHECK(result.consumed <= packed.size());

    PhoenixUnpacked half = phoenix_lzss_decode(packed.first(packed.size() / 2), expanded, fill);
    FUZZ_CHECK(half.bytes.size() <= result.bytes.size());
    FUZZ_CHECK(std::equal(half.bytes.begin(), half.bytes.end(), result.bytes.begin()));

    std::vector<std::uint8_t> repacked = phoenix_lzss_encode(packed, fill);
    PhoenixUnpacked back = phoenix_lzss_decode(repacked, static_cast<std::uint32_t>(packed.size()), fill);
    FUZZ_CHECK(back.complete && std::equal(packed.begin(), packed.end(), back.bytes.begin(), back.bytes.end()));
    FUZZ_CHECK(back.consumed == repacked.size());

    return output_summary(result.bytes) + (result.complete ? " complete" : " cut");
}
