// Fuzz target of the lh5 encoder: whatever the input, lzh_decode must give it back from
// its stream. An input is a control byte and the bytes to pack:
//   byte 0  bits 0-1: window bits 13 (-lh5-), 19 (the Tiano kind), 15 or 16;
//           bits 2-7: the bytes are packed that many times over plus once (so repeats lie
//           far apart), up to 128 KiB (runs stay short under the sanitizers; the unit
//           tests cover larger inputs).
#include <string>
#include <vector>

#include "codec/lh5_encode.h"
#include "codec/lzh.h"
#include "fuzz/fuzz_target.h"

namespace {

constexpr int WINDOW_BITS[] = {13, 19, 15, 16};
constexpr std::size_t MAX_INPUT = 128u << 10;

class KernelLinesKept : public KernelSink {
public:
    void kernel_line(const std::string& line) override { lines += line; }
    std::string lines;
};

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return "short";
    int bits = WINDOW_BITS[data[0] & 3];
    std::size_t copies = (data[0] >> 2) + 1u;
    std::vector<std::uint8_t> input;
    for (std::size_t k = 0; k < copies && input.size() + size - 1 <= MAX_INPUT; ++k)
        input.insert(input.end(), data + 1, data + size);

    std::vector<std::uint8_t> packed = lh5_encode(input, {.dictionaryBits = bits});
    FUZZ_CHECK(packed.empty() == input.empty());
    KernelLinesKept messages;
    LzhResult back = lzh_decode(LzhRequest{packed, static_cast<std::uint32_t>(input.size()),
                                           static_cast<std::uint32_t>(packed.size()), bits, 5},
                                messages);
    FUZZ_CHECK(messages.lines.empty());
    FUZZ_CHECK(back.bytes.size() >= input.size());
    back.bytes.resize(input.size());
    FUZZ_CHECK(back.bytes == input);
    return std::to_string(input.size()) + " -> " + std::to_string(packed.size());
}
