// Fuzz target of Dell's NVRAM LZ77 coder. An input is an NVRAM file as detection hands
// it over: the packed length (which counts the 14-byte header) at offset 12, the payload
// from 14. The output goes to a sink that counts and checksums it.
#include <cstdio>

#include "codec/dell_lz77.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::size_t PACKED_LENGTH_OFFSET = 12;
constexpr std::uint64_t OUTPUT_LIMIT = 196608;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    std::int32_t packedLength = 0;
    if (size >= PACKED_LENGTH_OFFSET + 2)
        packedLength = data[PACKED_LENGTH_OFFSET] | data[PACKED_LENGTH_OFFSET + 1] << 8;
    std::FILE* in = size ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    OutputSink sink;
    std::FILE* out = open_output_sink(sink);
    FUZZ_CHECK(out != nullptr);
    dell_decompress(in, out, packedLength);
    std::fclose(out);
    if (in)
        std::fclose(in);
    FUZZ_CHECK(sink.bytes <= OUTPUT_LIMIT);
    char summary[64];
    std::snprintf(summary, sizeof summary, "out=%llu crc=%08lx", static_cast<unsigned long long>(sink.bytes),
                  static_cast<unsigned long>(sink.crc));
    return summary;
}
