// Phoenix BIOS 4.0 "LZSS" (module compression code 3), Okumura's LZSS with N = 4096,
// F = 18, THRESHOLD = 2. No stream header: the module header gives the expanded size.
// A flag byte serves the next eight items, least-significant bit first: 1 is a literal
// byte, 0 a match of two bytes b0 b1, the absolute ring position b0 + (b1 >> 4) * 256
// and the length (b1 & 15) + 3. The ring starts full of the fill byte, written from
// 0xFEE on; matches may read the fill and the bytes they write.
#include "codec/phoenix_lzss.h"

#include <array>
#include <new>

namespace {

constexpr std::size_t RING_SIZE = 4096;
constexpr std::size_t RING_MASK = RING_SIZE - 1;
constexpr std::size_t RING_START = 0xFEE;  // N - F: where the first byte goes
constexpr unsigned MIN_MATCH = 3;          // THRESHOLD + 1
constexpr unsigned FLAG_ITEMS = 8;
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
    std::vector<std::uint8_t>& out = result.bytes;

    std::array<std::uint8_t, RING_SIZE> ring;
    ring.fill(fill);
    std::size_t r = RING_START;
    std::size_t in = 0;
    unsigned flags = 0;
    unsigned itemsLeft = 0;
    while (out.size() < target && in < packed.size()) {
        if (itemsLeft == 0) {
            flags = packed[in++];
            itemsLeft = FLAG_ITEMS;
            continue;  // the flag byte may be the last one
        }
        bool literal = flags & 1;
        flags >>= 1;
        --itemsLeft;
        if (literal) {
            std::uint8_t byte = packed[in++];
            out.push_back(byte);
            ring[r] = byte;
            r = (r + 1) & RING_MASK;
            continue;
        }
        if (packed.size() - in < 2) {
            in = packed.size();  // a pair cut by the end of the input ends the stream
            break;
        }
        std::size_t position = packed[in] | (packed[in + 1] & 0xF0) << 4;
        std::size_t length = (packed[in + 1] & 0x0F) + MIN_MATCH;
        in += 2;
        if (length > target - out.size())
            length = target - out.size();
        // Byte by byte: a match that reaches the write position repeats what it writes.
        for (std::size_t k = 0; k < length; ++k) {
            std::uint8_t byte = ring[(position + k) & RING_MASK];
            out.push_back(byte);
            ring[r] = byte;
            r = (r + 1) & RING_MASK;
        }
    }
    result.consumed = in;
    result.complete = out.size() == target;
    return result;
}
