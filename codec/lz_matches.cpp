#include "codec/lz_matches.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr unsigned MAX_HASH_BITS = 15;  // short inputs get smaller hash tables, down to 2^10
constexpr unsigned MIN_HASH_BITS = 10;
constexpr std::size_t MATCHES_RESERVED_PER_POSITION = 4;
// The trees sort positions by their first 64 bytes at most: a candidate that shares them
// all ends the search (its match is then compared on to its full length), which keeps
// long repeats, as pictures have, from costing a long compare at every step.
constexpr unsigned SORTED_LENGTH = 64;

// How many of the first limit bytes of a and b agree, compared a word at a time.
inline unsigned common_length(const std::uint8_t* a, const std::uint8_t* b, unsigned limit)
{
    unsigned n = 0;
    for (; n + sizeof(std::uint64_t) <= limit; n += sizeof(std::uint64_t)) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, sizeof x);
        std::memcpy(&y, b + n, sizeof y);
        if (x != y) {
            // The first byte that differs: the lowest in a little-endian word, the highest otherwise.
            std::uint64_t diff = x ^ y;
            int bit = std::endian::native == std::endian::little ? std::countr_zero(diff) : std::countl_zero(diff);
            return n + static_cast<unsigned>(bit) / 8;
        }
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

// A binary search tree per hash of 3-byte prefixes over the positions in the window, rebuilt at each
// position (the nearest position becomes the root, the others split into the ones that
// sort before and after it): every search walks from the nearest candidate outwards and
// skips whole subtrees that cannot share more bytes, so it finds the longest matches in
// a few steps where a hash chain would try every position with the prefix. Positions are
// inserted in order, each at most once.
class MatchFinder {
public:
    MatchFinder(std::span<const std::uint8_t> bytes, const LzMatchLimits& limits)
        : in_(bytes), limits_(limits), hashBits_(MIN_HASH_BITS)
    {
        while (hashBits_ < MAX_HASH_BITS && (std::size_t{1} << hashBits_) < bytes.size())
            ++hashBits_;
        head_.assign(std::size_t{1} << hashBits_, NONE);
        // The nodes by position modulo a power of two above the window: a node is reused
        // only by a position beyond the window's reach from the one it held.
        std::size_t slots = 1;
        while (slots < bytes.size() && slots <= limits.maxDistance)
            slots *= 2;
        nodeMask_ = slots - 1;
        children_.assign(2 * slots, NONE);
    }

    // Inserts pos, and appends to out (when there is one) every length's nearest match at
    // pos, in increasing length. Returns the longest length, 0 for none.
    unsigned insert(std::size_t pos, std::vector<LzMatch>* out)
    {
        if (pos + LZ_MIN_MATCH > in_.size())
            return 0;
        auto reach = static_cast<unsigned>(std::min<std::size_t>(limits_.maxLength, in_.size() - pos));
        unsigned limit = std::min(reach, SORTED_LENGTH);
        const std::uint8_t* here = in_.data() + pos;
        std::uint32_t& root = head_[hash(pos)];
        std::uint32_t cand = root;
        root = static_cast<std::uint32_t>(pos);
        // The links still to fill: where the next candidate sorting after pos goes (the
        // right child of the last one that sorted before), and where the next one sorting
        // before pos goes; and how many bytes those candidates are known to share.
        std::uint32_t* after = &children_[2 * (pos & nodeMask_) + 1];
        std::uint32_t* before = &children_[2 * (pos & nodeMask_)];
        unsigned afterShared = 0, beforeShared = 0;
        unsigned best = LZ_MIN_MATCH - 1;
        for (unsigned steps = limits_.chain; cand != NONE; --steps) {
            std::size_t c = cand;
            if (steps == 0 || pos - c > limits_.maxDistance)
                break;
            const std::uint8_t* there = in_.data() + c;
            unsigned shared = std::min(afterShared, beforeShared);
            if (there[shared] == here[shared])  // most steps end at the first byte compared
                shared += common_length(here + shared, there + shared, limit - shared);
            std::uint32_t* node = &children_[2 * (c & nodeMask_)];
            if (shared > best) {
                best = shared;
                if (shared == limit)
                    best += common_length(here + limit, there + limit, reach - limit);
                if (out)
                    out->push_back({best, static_cast<std::uint32_t>(pos - c)});
                if (shared == limit) {
                    // The candidate's bytes equal pos's as far as can be told: pos takes
                    // its place in the tree, with its subtrees.
                    *before = node[0];
                    *after = node[1];
                    return best;
                }
            }
            if (shared < limit && there[shared] < here[shared]) {
                *before = static_cast<std::uint32_t>(c);
                before = &node[1];
                beforeShared = shared;
                cand = node[1];
            } else {
                *after = static_cast<std::uint32_t>(c);
                after = &node[0];
                afterShared = shared;
                cand = node[0];
            }
        }
        *before = *after = NONE;
        return best >= LZ_MIN_MATCH ? best : 0;
    }

private:
    static constexpr std::uint32_t NONE = UINT32_MAX;

    std::uint32_t hash(std::size_t pos) const
    {
        std::uint32_t v = in_[pos] | in_[pos + 1] << 8 | in_[pos + 2] << 16;
        return (v * 2654435761u) >> (32 - hashBits_);  // Knuth's multiplicative hash
    }

    std::span<const std::uint8_t> in_;
    LzMatchLimits limits_;
    unsigned hashBits_;
    std::vector<std::uint32_t> head_;      // the nearest position of each hash: the tree's root
    std::vector<std::uint32_t> children_;  // a node's subtrees (before, after), by position & nodeMask_
    std::size_t nodeMask_ = 0;
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
    // Room for a few matches a position, more than most inputs have: growing the table
    // would copy it into fresh memory, which costs more than the search on large inputs.
    matches_.reserve(size * MATCHES_RESERVED_PER_POSITION);
    MatchFinder finder(bytes, limits);
    for (std::size_t p = 0; p < history; ++p)
        finder.insert(p, nullptr);
    for (std::size_t i = 0; i < size;) {
        first_[i] = static_cast<std::uint32_t>(matches_.size());
        unsigned longest = finder.insert(history + i, &matches_);
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
            finder.insert(history + i + k, nullptr);
        }
        i += m.length;
    }
    first_[size] = static_cast<std::uint32_t>(matches_.size());
}
