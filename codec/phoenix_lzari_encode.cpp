// The parse: the longest match at each position first; then, twice, the cheapest path
// through every match found, each character priced by its share of the previous parse's
// characters (the adaptive model's counts follow them) and each position by the static
// model. Every parse is coded and the shortest stream kept. Matches may start in the
// ring's fill bytes, which the data is searched after.
#include "codec/phoenix_lzari_encode.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "codec/lz_matches.h"
#include "codec/phoenix_streams.h"

namespace {

using namespace phoenix_lzari;

constexpr unsigned CHAIN = 256;  // candidates tried per position
// The reference encoder keeps F bytes of look-ahead in its ring, so its matches reach
// N - F back at most; ours too, so a decoder never meets a match it did not expect.
constexpr std::uint32_t MAX_DISTANCE = RING_SIZE - MAX_MATCH;
constexpr unsigned CHEAPEST_PASSES = 2;

// A character (a literal, or LENGTH_BASE + a match length) and a match's distance.
struct Item {
    std::uint16_t character;
    std::uint16_t distance;  // 0 for a literal
};

// Bits, most significant first, the last byte padded with zeros.
class BitSink {
public:
    explicit BitSink(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(unsigned bit)
    {
        if (count_ % 8 == 0)
            out_.push_back(0);
        if (bit)
            out_.back() |= static_cast<std::uint8_t>(0x80 >> (count_ % 8));
        ++count_;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t count_ = 0;
};

// The arithmetic coder with the decoder's adaptive character model, kept in plain arrays
// in the reference's order (symbols by falling frequency, cumulative counts from the end).
class LzariCoder {
public:
    explicit LzariCoder(std::vector<std::uint8_t>& out) : bits_(out)
    {
        symCum_[CHARACTERS] = 0;
        for (unsigned sym = CHARACTERS; sym >= 1; --sym) {
            charToSym_[sym - 1] = sym;
            symToChar_[sym] = sym - 1;
            symFreq_[sym] = 1;
            symCum_[sym - 1] = symCum_[sym] + symFreq_[sym];
        }
        symFreq_[0] = 0;
    }

    void encode_character(unsigned ch)
    {
        unsigned sym = charToSym_[ch];
        narrow(symCum_[sym - 1], symCum_[sym], symCum_[0]);
        update_model(sym);
    }

    void encode_position(unsigned position)
    {
        narrow(POSITION_CUM[position], POSITION_CUM[position + 1], POSITION_CUM[0]);
    }

    // Two more bits tell the decoder which quarter the interval holds.
    void finish()
    {
        ++pending_;
        output(low_ < Q1 ? 0 : 1);
    }

private:
    // Narrows the interval to the share [bottom, top) of total and sends the settled bits.
    void narrow(std::uint64_t top, std::uint64_t bottom, std::uint64_t total)
    {
        std::uint64_t range = high_ - low_;
        high_ = low_ + static_cast<std::uint32_t>(range * top / total);
        low_ += static_cast<std::uint32_t>(range * bottom / total);
        for (;;) {
            if (high_ <= Q2) {
                output(0);
            } else if (low_ >= Q2) {
                output(1);
                low_ -= Q2;
                high_ -= Q2;
            } else if (low_ >= Q1 && high_ <= Q3) {
                ++pending_;  // straddles the half: the bit is known once the next one is
                low_ -= Q1;
                high_ -= Q1;
            } else {
                break;
            }
            low_ += low_;
            high_ += high_;
        }
    }

    void output(unsigned bit)
    {
        bits_.put(bit);
        for (; pending_ > 0; --pending_)
            bits_.put(!bit);
    }

    // As the decoder: halve the counts at MAX_CUM, move sym ahead of the symbols of its
    // frequency, count it.
    void update_model(unsigned sym)
    {
        if (symCum_[0] >= MAX_CUM) {
            std::uint32_t c = 0;
            for (unsigned i = CHARACTERS; i > 0; --i) {
                symCum_[i] = c;
                c += (symFreq_[i] = (symFreq_[i] + 1) >> 1);
            }
            symCum_[0] = c;
        }
        unsigned i = sym;
        while (symFreq_[i] == symFreq_[i - 1])
            --i;
        if (i < sym) {
            unsigned chI = symToChar_[i], chSym = symToChar_[sym];
            symToChar_[i] = chSym;
            symToChar_[sym] = chI;
            charToSym_[chI] = sym;
            charToSym_[chSym] = i;
        }
        ++symFreq_[i];
        while (i > 0)
            ++symCum_[--i];
    }

    BitSink bits_;
    std::uint32_t low_ = 0, high_ = Q4;
    std::uint64_t pending_ = 0;
    std::array<unsigned, CHARACTERS> charToSym_{};
    std::array<unsigned, CHARACTERS + 1> symToChar_{};
    std::array<std::uint32_t, CHARACTERS + 1> symFreq_{}, symCum_{};
};

std::vector<std::uint8_t> code(const std::vector<Item>& items, std::uint32_t size)
{
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                                     static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)};
    LzariCoder coder(out);
    for (const Item& item : items) {
        coder.encode_character(item.character);
        if (item.distance != 0)
            coder.encode_position(item.distance - 1u);
    }
    coder.finish();
    return out;
}

Item match_item(unsigned length, std::uint32_t distance)
{
    return {static_cast<std::uint16_t>(length + LENGTH_BASE), static_cast<std::uint16_t>(distance)};
}

std::vector<Item> longest_parse(std::span<const std::uint8_t> input, const LzMatchTable& table)
{
    std::vector<Item> items;
    for (std::size_t i = 0; i < input.size();) {
        LzMatch m = table.longest(i);
        if (m.length == 0) {
            items.push_back({input[i++], 0});
        } else {
            items.push_back(match_item(m.length, m.distance));
            i += m.length;
        }
    }
    return items;
}

// Bits of a position under the static model.
const std::array<float, RING_SIZE>& position_bits()
{
    static const std::array<float, RING_SIZE> bits = [] {
        std::array<float, RING_SIZE> b{};
        for (unsigned p = 0; p < RING_SIZE; ++p)
            b[p] = static_cast<float>(std::log2(double{POSITION_CUM[0]} / (POSITION_CUM[p] - POSITION_CUM[p + 1])));
        return b;
    }();
    return bits;
}

// The cheapest parse with each character priced by its share of `previous`.
std::vector<Item> cheapest_parse(std::span<const std::uint8_t> input, const LzMatchTable& table,
                                 const std::vector<Item>& previous)
{
    std::array<double, CHARACTERS> count{};
    count.fill(0.5);  // a character not seen yet is still possible
    for (const Item& item : previous)
        count[item.character] += 1;
    double total = 0;
    for (double c : count)
        total += c;
    std::array<float, CHARACTERS> charBits{};
    for (unsigned c = 0; c < CHARACTERS; ++c)
        charBits[c] = static_cast<float>(std::log2(total / count[c]));
    const auto& posBits = position_bits();

    struct Step {
        float cost = INFINITY;
        std::uint16_t length = 0;
        std::uint16_t distance = 0;
    };
    std::vector<Step> best(input.size() + 1);
    best[0].cost = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        float here = best[i].cost;
        if (here + charBits[input[i]] < best[i + 1].cost)
            best[i + 1] = {here + charBits[input[i]], 1, 0};
        unsigned shorter = LZ_MIN_MATCH - 1;
        for (const LzMatch& m : table.at(i)) {
            float base = here + posBits[m.distance - 1];
            for (unsigned len = shorter + 1; len <= m.length; ++len) {
                float cost = base + charBits[len + LENGTH_BASE];
                if (cost < best[i + len].cost)
                    best[i + len] = {cost, static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(m.distance)};
            }
            shorter = m.length;
        }
    }
    std::vector<Item> items;
    for (std::size_t i = input.size(); i > 0; i -= best[i].length)
        items.push_back(best[i].distance ? match_item(best[i].length, best[i].distance) : Item{input[i - 1], 0});
    std::reverse(items.begin(), items.end());
    return items;
}

}  // namespace

std::vector<std::uint8_t> phoenix_lzari_encode(std::span<const std::uint8_t> input, std::uint8_t fill)
{
    auto size = static_cast<std::uint32_t>(input.size());
    std::vector<std::uint8_t> bytes = lz_after_fill(input, RING_SIZE, fill);
    LzMatchTable table(bytes, RING_SIZE, {MAX_DISTANCE, MAX_MATCH, CHAIN, MAX_MATCH + 1});

    std::vector<Item> items = longest_parse(input, table);
    std::vector<std::uint8_t> best = code(items, size);
    for (unsigned pass = 0; pass < CHEAPEST_PASSES; ++pass) {
        items = cheapest_parse(input, table, items);
        std::vector<std::uint8_t> stream = code(items, size);
        if (stream.size() < best.size())
            best.swap(stream);
    }
    return best;
}
