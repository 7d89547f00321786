#include "codec/lz_matches.h"

#include <algorithm>

namespace {

constexpr unsigned MAX_HASH_BITS = 15;  // short inputs get smaller hash tables, down to 2^10
constexpr unsigned MIN_HASH_BITS = 10;

// Hash chains over 3-byte prefixes; positions are inserted in order, each at most once.
class MatchFinder {
public:
    MatchFinder(std::span<const std::uint8_t> bytes, const LzMatchLimits& limits)
        : in_(bytes), limits_(limits), hashBits_(MIN_HASH_BITS)
    {
        while (hashBits_ < MAX_HASH_BITS && (std::size_t{1} << hashBits_) < bytes.size())
            ++hashBits_;
        head_.assign(std::size_t{1} << hashBits_, -1);
        // The chains by position modulo a power of two above the window: a slot is
        // reused only by a position beyond the window's reach from the one it held.
        std::size_t slots = 1;
        while (slots < bytes.size() && slots <= limits.maxDistance)
            slots *= 2;
        prevMask_ = slots - 1;
        prev_.assign(slots, -1);
    }

    void insert(std::size_t pos)
    {
        if (pos + LZ_MIN_MATCH > in_.size())
            return;
        std::uint32_t h = hash(pos);
        prev_[pos & prevMask_] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
    }

    // Every length's nearest match at pos, before pos is inserted, appended to out in
    // increasing length. Returns the longest length, 0 for none.
    unsigned candidates(std::size_t pos, std::vector<LzMatch>& out) const
    {
        std::size_t limit = std::min<std::size_t>(limits_.maxLength, in_.size() - pos);
        if (limit < LZ_MIN_MATCH)
            return 0;
        const std::uint8_t* here = in_.data() + pos;
        unsigned best = LZ_MIN_MATCH - 1;
        std::int32_t cand = head_[hash(pos)];
        for (unsigned chain = limits_.chain; cand >= 0 && chain > 0; --chain) {
            auto c = static_cast<std::size_t>(cand);
            if (pos - c > limits_.maxDistance)
                break;
            const std::uint8_t* there = in_.data() + c;
            if (there[best] == here[best]) {
                unsigned n = 0;
                while (n < limit && there[n] == here[n])
                    ++n;
                if (n > best) {
                    best = n;
                    out.push_back({n, static_cast<std::uint32_t>(pos - c)});
                    if (n == limit || n >= limits_.niceLength)
                        break;
                }
            }
            cand = prev_[c & prevMask_];
        }
        return best >= LZ_MIN_MATCH ? best : 0;
    }

private:
    std::uint32_t hash(std::size_t pos) const
    {
        std::uint32_t v = in_[pos] | in_[pos + 1] << 8 | in_[pos + 2] << 16;
        return (v * 2654435761u) >> (32 - hashBits_);  // Knuth's multiplicative hash
    }

    std::span<const std::uint8_t> in_;
    LzMatchLimits limits_;
    unsigned hashBits_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;  // the previous position of the same hash, by position & prevMask_
    std::size_t prevMask_ = 0;
};

}  // namespace

std::vector<std::uint8_t> lz_after_fill(std::span<const std::uint8_t> input, std::size_t history, std::uint8_t fill)
{
    std::vector<std::uint8_t> bytes(history + input.size(), fill);
    std::copy(input.begin(), input.end(), bytes.begin() + static_cast<std::ptrdiff_t>(history));
    return bytes;
}

LzMatchTable::LzMatchTable(std::span<const std::uint8_t> bytes, std::size_t history, const LzMatchLimits& limits)
{
    std::size_t size = bytes.size() - history;
    first_.assign(size + 1, 0);
    whole_.assign(size, 0);
    matches_.reserve(size);
    MatchFinder finder(bytes, limits);
    for (std::size_t p = 0; p < history; ++p)
        finder.insert(p);
    for (std::size_t i = 0; i < size;) {
        first_[i] = static_cast<std::uint32_t>(matches_.size());
        unsigned longest = finder.candidates(history + i, matches_);
        finder.insert(history + i);
        if (longest < limits.niceLength) {
            ++i;
            continue;
        }
        LzMatch m = matches_.back();
        whole_[i] = 1;
        for (unsigned k = 1; k < m.length; ++k) {
            first_[i + k] = static_cast<std::uint32_t>(matches_.size());
            if (m.length - k >= LZ_MIN_MATCH) {
                matches_.push_back({m.length - k, m.distance});
                whole_[i + k] = 1;
            }
            finder.insert(history + i + k);
        }
        i += m.length;
    }
    first_[size] = static_cast<std::uint32_t>(matches_.size());
}
