// The lh5 encoder:
//  1. LZ77 parse: a hash-chain match finder over the window, with lazy matching (a match
//     is put off by a byte when the next byte starts a longer one);
//  2. block split: the symbols are cut where separate Huffman codes cost fewer bits than
//     one code, head included (a block holds at most 65,535 symbols);
//  3. optimal parse, twice: the cheapest path through every match the finder knows of,
//     each symbol priced by the codes of its block in the split before; then split again.
//     The cheapest of the parses is kept;
//  4. per block, the symbol count, the three codes (lengths at most 16 bits, package-merge)
//     and the symbols.
#include "codec/lh5_encode.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "codec/lh5_encode_tables.h"
#include "codec/lzh_format.h"

namespace {

constexpr unsigned HASH_BITS = 15;
constexpr unsigned MAX_CHAIN = 512;              // candidates tried per position
constexpr unsigned LAZY_CHAIN = 128;             // ... for the byte after a match found
constexpr unsigned GOOD_LENGTH = 64;             // a match this long is taken without a lazy look
constexpr std::uint32_t FAR_SHORT_MATCH = 4096;  // a 3-byte match further back costs more than its literals
constexpr std::size_t MAX_BLOCK_SYMBOLS = 0xFFFF;
constexpr std::size_t MIN_SPLIT_SYMBOLS = 1024;  // blocks are not cut below this
constexpr unsigned SPLIT_CANDIDATES = 15;        // cut points tried per block
constexpr unsigned OPTIMAL_CHAIN = 256;          // candidates tried per position by the optimal parse
constexpr unsigned NICE_LENGTH = 64;             // a match this long is taken whole, its bytes not searched
constexpr unsigned OPTIMAL_PASSES = 2;

// A literal (symbol < 256) or a match (symbol 256 + length - 3 and its position,
// distance - 1).
struct Token {
    std::uint16_t symbol;
    std::uint32_t position;
};

struct Match {
    unsigned length = 0;
    std::uint32_t distance = 0;
};

// Hash chains over 3-byte prefixes; positions are inserted in order, each at most once.
class MatchFinder {
public:
    MatchFinder(std::span<const std::uint8_t> input, unsigned windowBits)
        : in_(input), maxDistance_(static_cast<std::uint32_t>((std::uint32_t{1} << windowBits) - 1)),
          head_(std::size_t{1} << HASH_BITS, -1)
    {
        // No two positions of a short input share a slot of a smaller chain array.
        std::size_t slots = 1;
        while (slots < input.size() && slots <= maxDistance_)
            slots *= 2;
        prevMask_ = slots - 1;
        prev_.assign(slots, -1);
    }

    void insert(std::size_t pos)
    {
        if (pos + LZH_MIN_MATCH > in_.size())
            return;
        std::uint32_t h = hash(pos);
        prev_[pos & prevMask_] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
    }

    // The longest match for pos (nearest among equals), before pos is inserted.
    Match longest(std::size_t pos, unsigned chain) const
    {
        Match best;
        std::size_t limit = std::min<std::size_t>(LZH_MAX_MATCH, in_.size() - pos);
        if (limit < LZH_MIN_MATCH)
            return best;
        const std::uint8_t* here = in_.data() + pos;
        std::int32_t cand = head_[hash(pos)];
        for (; cand >= 0 && chain > 0; --chain) {
            auto c = static_cast<std::size_t>(cand);
            if (pos - c > maxDistance_)
                break;
            const std::uint8_t* there = in_.data() + c;
            if (there[best.length] == here[best.length] && there[0] == here[0]) {
                unsigned n = 0;
                while (n < limit && there[n] == here[n])
                    ++n;
                if (n > best.length) {
                    best = {n, static_cast<std::uint32_t>(pos - c)};
                    if (n == limit)
                        break;
                }
            }
            cand = prev_[c & prevMask_];
        }
        if (best.length < LZH_MIN_MATCH || (best.length == LZH_MIN_MATCH && best.distance > FAR_SHORT_MATCH))
            return {};
        return best;
    }

    // Every length's nearest match at pos, before pos is inserted: appended to out in
    // increasing length, each entry serving the lengths from the one before it up to its
    // own. Returns the longest length.
    unsigned candidates(std::size_t pos, unsigned chain, std::vector<Match>& out) const
    {
        std::size_t limit = std::min<std::size_t>(LZH_MAX_MATCH, in_.size() - pos);
        if (limit < LZH_MIN_MATCH)
            return 0;
        const std::uint8_t* here = in_.data() + pos;
        unsigned best = LZH_MIN_MATCH - 1;
        std::int32_t cand = head_[hash(pos)];
        for (; cand >= 0 && chain > 0; --chain) {
            auto c = static_cast<std::size_t>(cand);
            if (pos - c > maxDistance_)
                break;
            const std::uint8_t* there = in_.data() + c;
            if (there[best] == here[best]) {
                unsigned n = 0;
                while (n < limit && there[n] == here[n])
                    ++n;
                if (n > best) {
                    best = n;
                    out.push_back({n, static_cast<std::uint32_t>(pos - c)});
                    if (n == limit)
                        break;
                }
            }
            cand = prev_[c & prevMask_];
        }
        return best >= LZH_MIN_MATCH ? best : 0;
    }

private:
    std::uint32_t hash(std::size_t pos) const
    {
        std::uint32_t v = in_[pos] | in_[pos + 1] << 8 | in_[pos + 2] << 16;
        return (v * 2654435761u) >> (32 - HASH_BITS);
    }

    std::span<const std::uint8_t> in_;
    // The window less one byte: a decoder whose ring is the window reads such a match
    // before overwriting it too, but some copy ahead of their reads.
    std::uint32_t maxDistance_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;  // the previous position of the same hash, by position & prevMask_
    std::size_t prevMask_ = 0;
};

Token literal(std::uint8_t byte)
{
    return {byte, 0};
}

Token match_token(const Match& m)
{
    return {static_cast<std::uint16_t>(m.length + LZH_LENGTH_OFFSET), m.distance - 1};
}

// Pass 1: the input as literals and matches.
std::vector<Token> lazy_parse(std::span<const std::uint8_t> input, unsigned windowBits)
{
    std::vector<Token> tokens;
    tokens.reserve(input.size() / 2 + 16);
    MatchFinder finder(input, windowBits);
    std::size_t i = 0;
    while (i < input.size()) {
        Match m = finder.longest(i, MAX_CHAIN);
        finder.insert(i);
        if (m.length == 0) {
            tokens.push_back(literal(input[i++]));
            continue;
        }
        // Lazy matching: while the next byte starts a longer match, this byte goes out as
        // a literal.
        while (m.length < GOOD_LENGTH && i + 1 < input.size()) {
            Match next = finder.longest(i + 1, LAZY_CHAIN);
            if (next.length <= m.length)
                break;
            tokens.push_back(literal(input[i++]));
            finder.insert(i);
            m = next;
        }
        tokens.push_back(match_token(m));
        for (std::size_t k = 1; k < m.length; ++k)
            finder.insert(i + k);
        i += m.length;
    }
    return tokens;
}

void count(const Token& t, Lh5Counts& counts)
{
    counts.literalLength[t.symbol]++;
    if (t.symbol >= LZH_LITERALS)
        counts.position[lh5_position_class(t.position)]++;
}

// Blocks as the ends of their symbol runs.
struct BlockPlan {
    std::vector<std::size_t> ends;
    std::uint64_t bits = 0;  // the whole stream
};

// Pass 2: cuts the symbols into blocks.
class BlockSplitter {
public:
    BlockSplitter(const std::vector<Token>& tokens, const LzhWindowShape& shape) : tokens_(tokens), shape_(shape) {}

    // Block ends, in order, and the bits of all blocks.
    BlockPlan split()
    {
        BlockPlan plan;
        split(0, tokens_.size(), plan);
        return plan;
    }

private:
    std::uint64_t cost(const Lh5Counts& counts)
    {
        builder_.build(counts, shape_.positionClasses, shape_.positionCountBits, codes_);
        return codes_.headBits + codes_.bodyBits;
    }

    // Cuts [begin, end) at the candidate point that saves most, and the halves in turn;
    // a run too long for one block is cut in the middle whatever it saves.
    void split(std::size_t begin, std::size_t end, BlockPlan& plan)
    {
        static_assert(2 * MIN_SPLIT_SYMBOLS <= MAX_BLOCK_SYMBOLS);
        std::size_t size = end - begin;
        Lh5Counts whole;
        for (std::size_t i = begin; i < end; ++i)
            count(tokens_[i], whole);
        std::uint64_t wholeCost = size > MAX_BLOCK_SYMBOLS ? UINT64_MAX : cost(whole);
        if (size < 2 * MIN_SPLIT_SYMBOLS) {
            plan.ends.push_back(end);
            plan.bits += wholeCost;
            return;
        }
        std::uint64_t best = wholeCost;
        std::size_t bestCut = 0;
        Lh5Counts left;
        std::size_t at = begin;
        for (unsigned c = 1; c <= SPLIT_CANDIDATES; ++c) {
            std::size_t cut = begin + size * c / (SPLIT_CANDIDATES + 1);
            for (; at < cut; ++at)
                count(tokens_[at], left);
            if (cut - begin < MIN_SPLIT_SYMBOLS || end - cut < MIN_SPLIT_SYMBOLS)
                continue;
            Lh5Counts right = whole;
            right -= left;
            std::uint64_t both = cost(left) + cost(right);
            if (both < best) {
                best = both;
                bestCut = cut;
            }
        }
        if (bestCut == 0) {
            plan.ends.push_back(end);
            plan.bits += wholeCost;
            return;
        }
        split(begin, bestCut, plan);
        split(bestCut, end, plan);
    }

    const std::vector<Token>& tokens_;
    LzhWindowShape shape_;
    Lh5CodeBuilder builder_;
    Lh5BlockCodes codes_;
};

// Bits of each symbol under one block's codes, a position's extra bits included. A symbol
// the codes leave out is priced a little above their longest code.
struct CostModel {
    std::array<std::uint32_t, LZH_NC> symbol{};
    std::array<std::uint32_t, LH5_MAX_POSITION_CLASSES> position{};
    std::size_t end = 0;  // the input position where the block ends
};

template <std::size_t N, unsigned M>
void price(const Lh5Code<M>& code, std::array<std::uint32_t, N>& bits, unsigned n)
{
    constexpr unsigned UNUSED_EXTRA_BITS = 2;
    constexpr unsigned SINGLE_VALUE_UNUSED_BITS = 8;
    unsigned longest = 0;
    for (unsigned s = 0; s < n; ++s)
        longest = std::max<unsigned>(longest, code.length[s]);
    unsigned unused = code.single >= 0 ? SINGLE_VALUE_UNUSED_BITS : longest + UNUSED_EXTRA_BITS;
    for (unsigned s = 0; s < n; ++s)
        bits[s] = code.length[s] ? code.length[s] : (static_cast<int>(s) == code.single ? 0 : unused);
}

std::vector<CostModel> cost_models(const std::vector<Token>& tokens, const BlockPlan& plan, const LzhWindowShape& shape)
{
    std::vector<CostModel> models(plan.ends.size());
    Lh5CodeBuilder builder;
    Lh5BlockCodes codes;
    std::size_t begin = 0, inputAt = 0;
    for (std::size_t b = 0; b < plan.ends.size(); ++b) {
        Lh5Counts counts;
        for (std::size_t i = begin; i < plan.ends[b]; ++i) {
            count(tokens[i], counts);
            inputAt += tokens[i].symbol < LZH_LITERALS ? 1 : tokens[i].symbol - LZH_LENGTH_OFFSET;
        }
        builder.build(counts, shape.positionClasses, shape.positionCountBits, codes);
        CostModel& m = models[b];
        price(codes.literalLength, m.symbol, LZH_NC);
        price(codes.position, m.position, shape.positionClasses);
        for (unsigned k = 2; k < shape.positionClasses; ++k)
            m.position[k] += k - 1;
        m.end = inputAt;
        begin = plan.ends[b];
    }
    models.back().end = SIZE_MAX;
    return models;
}

// Every position's matches, found once for all optimal passes. A match of NICE_LENGTH or
// more is taken whole: the bytes it covers are not searched, and each is offered only
// the rest of that match (marked `whole`).
struct MatchTable {
    std::vector<Match> matches;
    std::vector<std::uint32_t> first;  // position i's matches: first[i] .. first[i + 1]
    std::vector<bool> whole;           // the last match of position i is to be taken whole or not at all

    MatchTable(std::span<const std::uint8_t> input, unsigned windowBits) : first(input.size() + 1), whole(input.size())
    {
        MatchFinder finder(input, windowBits);
        matches.reserve(input.size());
        for (std::size_t i = 0; i < input.size();) {
            first[i] = static_cast<std::uint32_t>(matches.size());
            unsigned longest = finder.candidates(i, OPTIMAL_CHAIN, matches);
            finder.insert(i);
            if (longest < NICE_LENGTH) {
                ++i;
                continue;
            }
            Match m = matches.back();
            whole[i] = true;
            for (unsigned k = 1; k < m.length; ++k) {
                first[i + k] = static_cast<std::uint32_t>(matches.size());
                if (m.length - k >= LZH_MIN_MATCH) {
                    matches.push_back({m.length - k, m.distance});
                    whole[i + k] = true;
                }
                finder.insert(i + k);
            }
            i += m.length;
        }
        first[input.size()] = static_cast<std::uint32_t>(matches.size());
    }
};

// Pass 3: the cheapest parse under the models, by shortest path over the positions.
std::vector<Token> optimal_parse(std::span<const std::uint8_t> input, const MatchTable& table,
                                 const std::vector<CostModel>& models)
{
    struct Step {
        std::uint64_t cost = UINT64_MAX;
        std::uint32_t distance = 0;  // 0: a literal
        std::uint16_t length = 0;
    };
    std::vector<Step> best(input.size() + 1);
    best[0].cost = 0;
    std::size_t block = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        while (i >= models[block].end)
            ++block;
        const CostModel& m = models[block];
        std::uint64_t here = best[i].cost;
        std::uint64_t viaLiteral = here + m.symbol[input[i]];
        if (viaLiteral < best[i + 1].cost)
            best[i + 1] = {viaLiteral, 0, 1};
        std::uint32_t end = table.first[i + 1];
        unsigned shorter = LZH_MIN_MATCH - 1;
        for (std::uint32_t k = table.first[i]; k < end; ++k) {
            const Match& match = table.matches[k];
            std::uint64_t base = here + m.position[lh5_position_class(match.distance - 1)];
            unsigned from = table.whole[i] && k + 1 == end ? match.length : shorter + 1;
            for (unsigned len = from; len <= match.length; ++len) {
                std::uint64_t cost = base + m.symbol[len + LZH_LENGTH_OFFSET];
                if (cost < best[i + len].cost)
                    best[i + len] = {cost, match.distance, static_cast<std::uint16_t>(len)};
            }
            shorter = match.length;
        }
    }
    std::vector<Token> tokens;
    for (std::size_t i = input.size(); i > 0; i -= best[i].length)
        tokens.push_back(best[i].distance ? match_token({best[i].length, best[i].distance}) : literal(input[i - 1]));
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
}

// Pass 4: one block.
void write_block(Lh5BitWriter& out, std::span<const Token> block, const LzhWindowShape& shape, Lh5CodeBuilder& builder,
                 Lh5BlockCodes& codes)
{
    Lh5Counts counts;
    for (const Token& t : block)
        count(t, counts);
    builder.build(counts, shape.positionClasses, shape.positionCountBits, codes);
    write_lh5_block_head(out, codes, static_cast<unsigned>(block.size()));
    const auto& c = codes.literalLength;
    const auto& p = codes.position;
    for (const Token& t : block) {
        out.put(c.code[t.symbol], c.length[t.symbol]);
        if (t.symbol < LZH_LITERALS)
            continue;
        unsigned k = lh5_position_class(t.position);
        out.put(p.code[k], p.length[k]);
        if (k > 1)
            out.put(t.position, k - 1);  // the class's leading 1 bit is implied
    }
}

}  // namespace

std::vector<std::uint8_t> lh5_encode(std::span<const std::uint8_t> input, const Lh5EncodeOptions& options)
{
    std::vector<std::uint8_t> out;
    if (input.empty())
        return out;
    LzhWindowShape shape = lzh_window_shape(options.dictionaryBits);
    std::vector<Token> tokens = lazy_parse(input, shape.windowBits);
    BlockPlan plan = BlockSplitter(tokens, shape).split();
    MatchTable table(input, shape.windowBits);
    for (unsigned pass = 0; pass < OPTIMAL_PASSES; ++pass) {
        std::vector<Token> cheaper = optimal_parse(input, table, cost_models(tokens, plan, shape));
        BlockPlan cheaperPlan = BlockSplitter(cheaper, shape).split();
        if (cheaperPlan.bits >= plan.bits)
            break;
        tokens.swap(cheaper);
        plan = std::move(cheaperPlan);
    }

    out.reserve(input.size() / 2 + 64);
    Lh5BitWriter bits(&out);
    Lh5CodeBuilder builder;
    Lh5BlockCodes codes;
    std::size_t begin = 0;
    for (std::size_t end : plan.ends) {
        write_block(bits, std::span(tokens).subspan(begin, end - begin), shape, builder, codes);
        begin = end;
    }
    bits.finish();
    return out;
}
