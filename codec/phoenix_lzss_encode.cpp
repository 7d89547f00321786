// Every item costs the same whatever its length or position (a literal 9 bits, a match
// 17), so the fewest bits come from a shortest path over the positions in which each
// position may take any length up to its longest match: exact, given the longest matches.
// The matches may start in the ring's fill bytes, which the data is searched after.
#include "codec/phoenix_lzss_encode.h"

#include "codec/lz_matches.h"
#include "codec/phoenix_streams.h"

namespace {

using namespace phoenix_lzss;

constexpr unsigned LITERAL_BITS = 9;  // flag bit and byte
constexpr unsigned MATCH_BITS = 17;   // flag bit and two bytes
constexpr unsigned CHAIN = 256;       // candidates tried per position
// The reference encoder keeps F bytes of look-ahead in its ring, so its matches reach
// N - F back at most; ours too, so a decoder never meets a match it did not expect.
constexpr std::uint32_t MAX_DISTANCE = PhoenixRing::SIZE - MAX_MATCH;

}  // namespace

std::vector<std::uint8_t> phoenix_lzss_encode(std::span<const std::uint8_t> input, std::uint8_t fill)
{
    std::vector<std::uint8_t> bytes = lz_after_fill(input, PhoenixRing::SIZE, fill);
    LzMatchTable table(bytes, PhoenixRing::SIZE, {MAX_DISTANCE, MAX_MATCH, CHAIN, MAX_MATCH + 1});

    // bits[i]: the fewest bits for input[i..]; take[i]: the bytes the first item takes.
    std::size_t n = input.size();
    std::vector<std::uint64_t> bits(n + 1, 0);
    std::vector<std::uint8_t> take(n + 1, 1);
    for (std::size_t i = n; i-- > 0;) {
        bits[i] = bits[i + 1] + LITERAL_BITS;
        unsigned longest = table.longest(i).length;
        for (unsigned len = MIN_MATCH; len <= longest; ++len) {
            if (bits[i + len] + MATCH_BITS < bits[i]) {
                bits[i] = bits[i + len] + MATCH_BITS;
                take[i] = static_cast<std::uint8_t>(len);
            }
        }
    }

    std::vector<std::uint8_t> out;
    out.reserve(n / 2 + 16);
    std::size_t flagAt = 0;
    unsigned item = FLAG_ITEMS;
    for (std::size_t i = 0; i < n; i += take[i]) {
        if (item == FLAG_ITEMS) {
            flagAt = out.size();
            out.push_back(0);
            item = 0;
        }
        if (take[i] == 1) {
            out[flagAt] |= static_cast<std::uint8_t>(1u << item);
            out.push_back(input[i]);
        } else {
            // The ring position of the source: the write position less the distance.
            std::size_t position = (RING_START + i - table.longest(i).distance) & PhoenixRing::MASK;
            out.push_back(static_cast<std::uint8_t>(position & 0xFF));
            out.push_back(static_cast<std::uint8_t>((position >> 8) << 4 | (take[i] - MIN_MATCH)));
        }
        ++item;
    }
    return out;
}
