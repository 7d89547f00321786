// The lh5 encoder. For each 1 MiB of input:
//  1. LZ77 parse: the hash-chain matches of every position (lz_matches.h), taken longest
//     first with lazy matching (a match is put off by a byte when the next byte starts a
//     longer one);
//  2. block split: the symbols are cut where separate Huffman codes cost fewer bits than
//     one code, head included (a block holds at most 65,535 symbols);
//  3. optimal parse, twice: the cheapest path through every match found, each symbol
//     priced by the codes of its block in the split before; then split again. The
//     cheapest of the parses is kept.
// Then the symbols of the whole input are split into blocks once more, and
//  4. each block goes out as its symbol count, its three codes (plain Huffman lengths, or
//     package-merge where those pass 16 bits) and its symbols.
#include "codec/lh5_encode.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "codec/lh5_encode_tables.h"
#include "codec/lz_matches.h"
#include "codec/lzh_format.h"

namespace {

constexpr unsigned GOOD_LENGTH = 64;             // a match this long is taken without a lazy look
constexpr std::uint32_t FAR_SHORT_MATCH = 4096;  // a 3-byte match further back costs more than its literals
constexpr std::size_t MAX_BLOCK_SYMBOLS = 0xFFFF;
constexpr std::size_t MIN_SPLIT_SYMBOLS = 1024;  // blocks are not cut below this
constexpr unsigned SPLIT_CANDIDATES = 15;        // cut points tried per block
constexpr unsigned CHAIN = 64;                   // candidates tried per position ...
constexpr unsigned SHORT_INPUT_CHAIN = 256;      // ... and for inputs of up to 64 KiB, where
constexpr std::size_t SHORT_INPUT = 64 * 1024;   // every byte saved counts (small logos)
constexpr unsigned NICE_LENGTH = LZH_MAX_MATCH;  // a match this long is taken whole, its bytes not searched
constexpr unsigned OPTIMAL_PASSES = 2;
// The parse takes the input 1 MiB at a time (each piece searching the window before it),
// so its tables stay bounded however large the input.
constexpr std::size_t SEGMENT = std::size_t{1} << 20;

// A literal (symbol < 256) or a match (symbol 256 + length - 3 and its position,
// distance - 1).
struct Token {
    std::uint16_t symbol;
    std::uint32_t position;
};

Token literal(std::uint8_t byte)
{
    return {byte, 0};
}

Token match_token(const LzMatch& m)
{
    return {static_cast<std::uint16_t>(m.length + LZH_LENGTH_OFFSET), m.distance - 1};
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

template <std::size_t N, unsigned M> void price(const Lh5Code<M>& code, std::array<std::uint32_t, N>& bits, unsigned n)
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

// Every position's matches, found once for the lazy seed and the optimal passes.
// The bytes after `history` of piece, matches reaching into the history too.
LzMatchTable find_matches(std::span<const std::uint8_t> piece, std::size_t history, std::uint32_t maxDistance)
{
    unsigned chain = piece.size() - history <= SHORT_INPUT ? SHORT_INPUT_CHAIN : CHAIN;
    return LzMatchTable(piece, history, {maxDistance, LZH_MAX_MATCH, chain, NICE_LENGTH});
}

// Pass 1: the longest matches with lazy matching (a match is put off by a byte while the
// next byte starts a longer one); 3-byte matches from far back go out as literals.
std::vector<Token> lazy_parse(std::span<const std::uint8_t> input, const LzMatchTable& table)
{
    auto longest = [&](std::size_t i) {
        LzMatch m = table.longest(i);
        return m.length == LZH_MIN_MATCH && m.distance > FAR_SHORT_MATCH ? LzMatch{} : m;
    };
    std::vector<Token> tokens;
    tokens.reserve(input.size() / 2 + 16);
    for (std::size_t i = 0; i < input.size();) {
        LzMatch m = longest(i);
        if (m.length != 0 && m.length < GOOD_LENGTH && i + 1 < input.size() && longest(i + 1).length > m.length)
            m = {};
        if (m.length == 0) {
            tokens.push_back(literal(input[i++]));
        } else {
            tokens.push_back(match_token(m));
            i += m.length;
        }
    }
    return tokens;
}

// Pass 3: the cheapest parse under the models, by shortest path over the positions.
std::vector<Token> optimal_parse(std::span<const std::uint8_t> input, const LzMatchTable& table,
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
        std::span<const LzMatch> matches = table.at(i);
        unsigned shorter = LZH_MIN_MATCH - 1;
        for (std::size_t k = 0; k < matches.size(); ++k) {
            const LzMatch& match = matches[k];
            std::uint64_t base = here + m.position[lh5_position_class(match.distance - 1)];
            unsigned from = table.whole(i) && k + 1 == matches.size() ? match.length : shorter + 1;
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

// Passes 1 to 3 over the bytes after `history` of piece: the cheapest parse found.
std::vector<Token> parse(std::span<const std::uint8_t> piece, std::size_t history, std::uint32_t maxDistance,
                         const LzhWindowShape& shape)
{
    std::span<const std::uint8_t> data = piece.subspan(history);
    LzMatchTable table = find_matches(piece, history, maxDistance);
    std::vector<Token> tokens = lazy_parse(data, table);
    BlockPlan plan = BlockSplitter(tokens, shape).split();
    for (unsigned pass = 0; pass < OPTIMAL_PASSES; ++pass) {
        std::vector<Token> cheaper = optimal_parse(data, table, cost_models(tokens, plan, shape));
        BlockPlan cheaperPlan = BlockSplitter(cheaper, shape).split();
        if (cheaperPlan.bits >= plan.bits)
            break;
        tokens.swap(cheaper);
        plan = std::move(cheaperPlan);
    }
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
    // The window less one byte: a decoder whose ring is the window reads a match from a
    // whole window back before overwriting it, but one that copies ahead of its reads
    // would not.
    auto maxDistance = static_cast<std::uint32_t>((std::uint32_t{1} << shape.windowBits) - 1);
    std::vector<Token> tokens;
    for (std::size_t start = 0; start < input.size(); start += SEGMENT) {
        std::size_t history = std::min<std::size_t>(start, maxDistance);
        std::size_t size = std::min(SEGMENT, input.size() - start);
        std::vector<Token> piece = parse(input.subspan(start - history, history + size), history, maxDistance, shape);
        tokens.insert(tokens.end(), piece.begin(), piece.end());
    }
    BlockPlan plan = BlockSplitter(tokens, shape).split();

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
