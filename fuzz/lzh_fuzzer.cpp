// Fuzz target of the lh5 kernel. An input is a 5-byte control block and the packed
// stream:
//   bytes 0-3  unpacked size (little-endian), held to 64 KiB so runs stay short;
//   byte 4     bit 0: method 7 instead of 5; bit 1: the packed size claims 64 bytes more
//              than the input has (they read as 0xFF); bit 2: it claims half the input
//              only (zero bits follow); bits 3-4: window bits 13, 12, 15 or 16.
// The output goes to a sink that counts and checksums it.
#include <cstdio>
#include <cstring>

#include "codec/lzh.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::size_t CONTROL_SIZE = 5;
constexpr std::uint32_t MAX_UNPACKED = 1u << 16;
constexpr std::uint32_t LAST_MATCH_OVERRUN = 255;
constexpr std::uint32_t CLAIMED_EXTRA = 64;
constexpr int WINDOW_BITS[] = {13, 12, 15, 16};

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    if (size < CONTROL_SIZE)
        return "short";
    std::uint32_t unpacked = (data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24) %
                             (MAX_UNPACKED + 1);
    std::uint8_t flags = data[4];
    const std::uint8_t* packed = data + CONTROL_SIZE;
    std::size_t packedBytes = size - CONTROL_SIZE;
    auto packedSize = static_cast<std::uint32_t>(packedBytes);
    if (flags & 2)
        packedSize += CLAIMED_EXTRA;
    if (flags & 4)
        packedSize /= 2;

    // fmemopen wants a buffer it may keep; an empty stream is no stream at all.
    std::FILE* in = packedBytes ? fmemopen(const_cast<std::uint8_t*>(packed), packedBytes, "rb") : nullptr;
    OutputSink sink;
    std::FILE* out = open_output_sink(sink);
    FUZZ_CHECK(out != nullptr);

    // The kernel reports bad tables on standard error; keep the fuzzer's log readable.
    // (Sanitizer reports write to file descriptor 2 directly and are not affected.)
    static std::FILE* quiet = std::fopen("/dev/null", "w");
    std::FILE* loud = stderr;
    stderr = quiet;
    lzh_decode(LzhRequest{in, out, unpacked, packedSize, WINDOW_BITS[(flags >> 3) & 3], flags & 1 ? 7 : 5});
    stderr = loud;

    long taken = in ? std::ftell(in) : 0;
    std::fclose(out);
    if (in)
        std::fclose(in);
    // The last match may run past the unpacked size, by 255 bytes at most; the reader
    // takes no byte beyond the packed size.
    FUZZ_CHECK(sink.bytes <= std::uint64_t{unpacked} + LAST_MATCH_OVERRUN);
    FUZZ_CHECK(taken >= 0 && static_cast<std::uint64_t>(taken) <= packedSize);
    char summary[64];
    std::snprintf(summary, sizeof summary, "out=%llu crc=%08lx", static_cast<unsigned long long>(sink.bytes),
                  static_cast<unsigned long>(sink.crc));
    return summary;
}
