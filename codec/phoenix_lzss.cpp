// Phoenix BIOS 4.0 "LZSS" (module compression code 3), Okumura's LZSS with N = 4096,
// F = 18, THRESHOLD = 2. No stream header: the module header gives the expanded size.
// A flag byte serves the next eight items, least-significant bit first: 1 is a literal
// byte, 0 a match of two bytes b0 b1, the absolute ring position b0 + (b1 >> 4) * 256
// and the length (b1 & 15) + 3. The ring starts full of the fill byte, written from
// 0xFEE on; matches may read the fill and the bytes they write.
#include "codec/phoenix_lzss.h"

#include <new>

#include "codec/phoenix_ring.h"
#include "codec/phoenix_streams.h"

namespace {

using namespace phoenix_lzss;

// A flag byte and eight 18-byte matches take 17 packed bytes: no stream expands more.
constexpr std::size_t GROUP_PACKED = 17;
constexpr std::size_t GROUP_EXPANDED = 144;

}  // namespace

PhoenixUnpacked phoenix_lzss_decode(std::span<const std::uint8_t> packed, std::uint32_t expandedSize, std::uint8_t fill)
{
    PhoenixUnpacked result;
    std::size_t target = expandedSize;
    std::size_t reachable = (packed.size() / GROUP_PACKED + 1) * GROUP_EXPANDED;
    try {
        result.bytes.reserve(target < reachable ? target : reachable);
    } catch (const std::bad_alloc&) {
        return result;
    }
    PhoenixRing ring(result.bytes, target, fill, RING_START);
    std::size_t in = 0;
    unsigned flags = 0;
    unsigned itemsLeft = 0;
    while (!ring.full() && in < packed.size()) {
        if (itemsLeft == 0) {
            flags = packed[in++];
            itemsLeft = FLAG_ITEMS;
            continue;  // the flag byte may be the last one
        }
        bool literal = flags & 1;
        flags >>= 1;
        --itemsLeft;
        if (literal) {
            ring.put(packed[in++]);
            continue;
        }
        if (packed.size() - in < 2) {
            in = packed.size();  // a pair cut by the end of the input ends the stream
            break;
        }
        std::size_t position = packed[in] | (packed[in + 1] & 0xF0) << 4;
        std::size_t length = (packed[in + 1] & 0x0F) + MIN_MATCH;
        in += 2;
        ring.copy(position, length);
    }
    result.consumed = in;
    result.complete = result.bytes.size() == target;
    return result;
}
