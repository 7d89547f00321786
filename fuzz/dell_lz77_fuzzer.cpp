// Fuzz target of Dell's NVRAM LZ77 coder. An input is an NVRAM file as detection hands
// it over: the packed length (which counts the 14-byte header) at offset 12, the payload
// from 14.
#include <vector>

#include "codec/dell_lz77.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/output_sink.h"

namespace {

constexpr std::size_t PACKED_LENGTH_OFFSET = 12;
constexpr std::int32_t HEADER_SIZE = 14;
constexpr std::uint64_t OUTPUT_LIMIT = 196608;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    std::int32_t packedLength = 0;
    if (size >= PACKED_LENGTH_OFFSET + 2)
        packedLength = data[PACKED_LENGTH_OFFSET] | data[PACKED_LENGTH_OFFSET + 1] << 8;
    // The payload as detection hands it over: the bytes from 14 up to the packed length,
    // zero where the file ends first.
    std::vector<std::uint8_t> payload(packedLength > HEADER_SIZE ? packedLength - HEADER_SIZE : 0);
    for (std::size_t i = 0; i < payload.size() && HEADER_SIZE + i < size; ++i)
        payload[i] = data[HEADER_SIZE + i];
    DellResult result = dell_decompress(payload);
    FUZZ_CHECK(!result.allocationFailed);
    FUZZ_CHECK(result.bytes.size() <= OUTPUT_LIMIT);
    return output_summary(result.bytes);
}
