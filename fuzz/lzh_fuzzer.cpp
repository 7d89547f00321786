// Fuzz target of the lh5 kernel. An input is a 5-byte control block and the packed
// stream:
//   bytes 0-3  unpacked size (little-endian), held to 64 KiB so runs stay short;
//   byte 4     bit 0: method 7 instead of 5; bit 1: the packed size claims 64 bytes more
//              than the input has (they read as 0xFF); bit 2: it claims half the input
//              only (zero bits follow); bits 3-4: window bits 13, 12, 15 or 16.
#include <cstdio>
#include <cstring>

#include "codec/lzh.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::uint32_t MAX_UNPACKED = 1u << 16;
constexpr std::uint32_t LAST_MATCH_OVERRUN = 255;
constexpr std::uint32_t CLAIMED_EXTRA = 64;
constexpr int WINDOW_BITS[] = {13, 12, 15, 16};

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    CodecControl control;
    if (!read_codec_control(data, size, MAX_UNPACKED, control))
        return "short";
    const std::uint32_t unpacked = control.size;
    const std::uint8_t flags = control.flags;
    const std::uint8_t* packed = control.stream.data();
    const std::size_t packedBytes = control.stream.size();
    auto packedSize = static_cast<std::uint32_t>(packedBytes);
    if (flags & 2)
        packedSize += CLAIMED_EXTRA;
    if (flags & 4)
        packedSize /= 2;

    // Bad tables are reported to a sink that keeps nothing, so the fuzzer's log stays readable.
    KernelLinesDropped messages;
    LzhResult result = lzh_decode(LzhRequest{std::span(packed, packedBytes), unpacked, packedSize,
                                             WINDOW_BITS[(flags >> 3) & 3], flags & 1 ? 7 : 5},
                                  messages);
    FUZZ_CHECK(!result.allocationFailed);
    // The last match may run past the unpacked size, by 255 bytes at most; the reader
    // takes no byte beyond the packed size.
    FUZZ_CHECK(result.bytes.size() <= std::uint64_t{unpacked} + LAST_MATCH_OVERRUN);
    FUZZ_CHECK(result.consumed <= packedSize && result.consumed <= packedBytes);
    return output_summary(result.bytes);
}
