// Phoenix BIOS 4.0 "LZARI" (module compression code 2), Okumura's LZARI: a 4-byte
// expanded size, then an arithmetic-coded bitstream, most-significant bit first. Each item
// is a "character" of an adaptive model: 0..255 a literal, 256..313 a match of length
// 3..60, followed by a position (0..4095, the match starts position + 1 bytes back) coded
// with a static model that favours near positions. The ring of 4096 bytes starts full of
// the fill byte, written from 0xFC4 on.
#include "codec/phoenix_lzari.h"

#include <array>
#include <new>
#include <utility>

#include "codec/phoenix_ring.h"
#include "codec/phoenix_streams.h"

namespace {

using namespace phoenix_lzari;

constexpr unsigned VALUE_BITS = 17;  // the value register starts with 15 + 2 bits

// Zero bits the reader supplies past the end of the input before the stream ends. The
// decoder reads 17 bits ahead of the encoder, so a whole stream needs a few zero bits at
// most, even from an encoder that flushes nothing; a stream cut short would otherwise go
// on making bytes from zeros up to the size cap.
constexpr std::uint64_t OVERRUN_BITS = 32 * 8;

// The input as a stream of bits, most-significant first; zeros past the end.
class BitSource {
public:
    explicit BitSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    unsigned next()
    {
        std::uint64_t byte = bitPos_ >> 3;
        unsigned bit = byte < bytes_.size() ? (bytes_[byte] >> (7 - (bitPos_ & 7))) & 1 : 0;
        ++bitPos_;
        return bit;
    }
    bool overrun() const { return bitPos_ > std::uint64_t{bytes_.size()} * 8 + OVERRUN_BITS; }
    // Bytes from which a bit was taken, never beyond the input.
    std::size_t consumed() const
    {
        std::uint64_t used = (bitPos_ + 7) >> 3;
        return used < bytes_.size() ? static_cast<std::size_t>(used) : bytes_.size();
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t bitPos_ = 0;
};

// The arithmetic decoder with its adaptive character model. Symbols are ranks 1..314
// kept in order of falling frequency; cum[s], the total frequency of the symbols after
// s, gives symbol s the share [cum[s], cum[s - 1]) of cum[0]. The counts are kept in a
// Fenwick tree over the ranks, so a symbol is found and counted in log steps; the model
// is the one of the linear arrays.
class LzariDecoder {
public:
    explicit LzariDecoder(std::span<const std::uint8_t> bits) : in_(bits)
    {
        for (unsigned s = 1; s <= CHARACTERS; ++s) {
            symToChar_[s] = static_cast<std::uint16_t>(s - 1);
            freq_[s] = 1;
        }
        rebuild();
        for (unsigned i = 0; i < VALUE_BITS; ++i)
            value_ = 2 * value_ + in_.next();
    }

    bool overrun() const { return in_.overrun(); }
    std::size_t consumed() const { return in_.consumed(); }

    unsigned decode_char()
    {
        std::uint32_t x = scaled_value(total_);
        // The symbol is the first s with cum[s] <= x, that is with counts up to s (total
        // minus cum[s]) above total - x - 1: descend the tree for the last rank below.
        std::uint32_t below = x < total_ ? total_ - x - 1 : 0;
        unsigned s = 0;
        std::uint32_t upTo = 0;  // counts of ranks 1..s
        for (unsigned step = FENWICK_TOP; step > 0; step /= 2) {
            if (s + step <= CHARACTERS && upTo + tree_[s + step] <= below) {
                s += step;
                upTo += tree_[s];
            }
        }
        unsigned sym = s < CHARACTERS ? s + 1 : CHARACTERS;   // s < 314: below < total
        std::uint32_t cumBelow = total_ - upTo - freq_[sym];  // cum[sym]
        narrow(cumBelow + freq_[sym], cumBelow, total_);
        unsigned c = symToChar_[sym];
        update(sym);
        return c;
    }

    unsigned decode_position()
    {
        std::uint32_t x = scaled_value(POSITION_CUM[0]);
        unsigned i = 1;
        unsigned j = RING_SIZE;
        while (i < j) {
            unsigned k = (i + j) / 2;
            if (POSITION_CUM[k] > x)
                i = k + 1;
            else
                j = k;
        }
        narrow(POSITION_CUM[i - 1], POSITION_CUM[i], POSITION_CUM[0]);
        return i - 1;
    }

private:
    static constexpr unsigned FENWICK_TOP = 256;  // the highest power of two <= 314
    static_assert(FENWICK_TOP <= CHARACTERS && 2 * FENWICK_TOP > CHARACTERS);

    // Where the value lies in the interval, in units of total.
    std::uint32_t scaled_value(std::uint32_t total) const
    {
        return static_cast<std::uint32_t>(((std::uint64_t{value_} - low_ + 1) * total - 1) / range());
    }

    std::uint64_t range() const
    {
        // Never 0 (see renormalise); a division by zero is ruled out all the same.
        return high_ > low_ ? high_ - low_ : 1;
    }

    // Narrows the interval to the share [bottom, top) of total and renormalises.
    void narrow(std::uint64_t top, std::uint64_t bottom, std::uint64_t total)
    {
        std::uint64_t range = this->range();
        high_ = low_ + static_cast<std::uint32_t>(range * top / total);
        low_ = low_ + static_cast<std::uint32_t>(range * bottom / total);
        renormalise();
    }

    // Doubles the interval until it straddles the half and holds more than a quarter.
    // Between symbols the range exceeds Q1, thus either model's total, so every symbol
    // owns at least one unit of it and the range exceeds Q2 (which ends the loop) within
    // 17 doublings.
    void renormalise()
    {
        for (unsigned step = 0; step <= VALUE_BITS; ++step) {
            if (low_ >= Q2) {
                value_ -= Q2;
                low_ -= Q2;
                high_ -= Q2;
            } else if (low_ >= Q1 && high_ <= Q3) {
                value_ -= Q1;
                low_ -= Q1;
                high_ -= Q1;
            } else if (high_ > Q2) {
                break;
            }
            low_ *= 2;
            high_ *= 2;
            value_ = 2 * value_ + in_.next();
        }
    }

    // The tree and the total from the counts.
    void rebuild()
    {
        total_ = 0;
        for (unsigned s = 1; s <= CHARACTERS; ++s) {
            tree_[s] = freq_[s];
            total_ += freq_[s];
        }
        for (unsigned s = 1; s <= CHARACTERS; ++s) {
            unsigned parent = s + (s & (0u - s));
            if (parent <= CHARACTERS)
                tree_[parent] += tree_[s];
        }
    }

    // Counts one more of sym, moving it ahead of the symbols of equal frequency; halves
    // every count (rounding up) first when the total has reached MAX_CUM.
    void update(unsigned sym)
    {
        if (total_ >= MAX_CUM) {
            for (unsigned s = 1; s <= CHARACTERS; ++s)
                freq_[s] = (freq_[s] + 1) / 2;
            rebuild();
        }
        // Counts fall with the rank (each count goes to the first symbol of its
        // frequency; halving keeps the order): find the first symbol of sym's count.
        unsigned i = sym;
        unsigned lo = 1;
        while (lo < i) {
            unsigned mid = (lo + i) / 2;
            if (freq_[mid] == freq_[sym])
                i = mid;
            else
                lo = mid + 1;
        }
        if (i < sym)
            std::swap(symToChar_[i], symToChar_[sym]);
        ++freq_[i];
        ++total_;
        for (unsigned s = i; s <= CHARACTERS; s += s & (0u - s))
            ++tree_[s];
    }

    BitSource in_;
    std::uint32_t low_ = 0;
    std::uint32_t high_ = Q4;
    std::uint32_t value_ = 0;
    std::uint32_t total_ = 0;                                // cum[0]
    std::array<std::uint32_t, CHARACTERS + 1> freq_{};       // by rank 1..314
    std::array<std::uint32_t, CHARACTERS + 1> tree_{};       // Fenwick sums of freq_
    std::array<std::uint16_t, CHARACTERS + 1> symToChar_{};  // the character of each rank
};

}  // namespace

std::uint32_t phoenix_lzari_size(std::span<const std::uint8_t> packed)
{
    if (packed.size() < SIZE_FIELD)
        return 0;
    return packed[0] | packed[1] << 8 | packed[2] << 16 | static_cast<std::uint32_t>(packed[3]) << 24;
}

PhoenixUnpacked phoenix_lzari_decode(std::span<const std::uint8_t> packed, std::uint32_t sizeCap, std::uint8_t fill)
{
    PhoenixUnpacked result;
    if (packed.size() < SIZE_FIELD)
        return result;
    std::uint32_t declared = phoenix_lzari_size(packed);
    std::size_t target = declared < sizeCap ? declared : sizeCap;
    try {
        result.bytes.reserve(target);
    } catch (const std::bad_alloc&) {
        return result;
    }
    if (target == 0) {
        result.consumed = SIZE_FIELD;
        result.complete = true;
        return result;
    }
    PhoenixRing ring(result.bytes, target, fill, RING_START);
    LzariDecoder coder(packed.subspan(SIZE_FIELD));
    while (!ring.full() && !coder.overrun()) {
        unsigned c = coder.decode_char();
        if (c < LITERALS) {
            ring.put(static_cast<std::uint8_t>(c));
            continue;
        }
        std::size_t source = (ring.position() - coder.decode_position() - 1) & PhoenixRing::MASK;
        ring.copy(source, c - LENGTH_BASE);
    }
    result.consumed = SIZE_FIELD + coder.consumed();
    result.complete = result.bytes.size() == target;
    return result;
}
