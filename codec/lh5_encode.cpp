// The lh5 encoder. For each 1 MiB of input:
//  1. LZ77 parse: the matches of every position (lz_matches.h), taken longest first with
//     lazy matching (a match is put off by a byte when the next byte starts a longer one);
//  2. block split: the symbols are cut where separate Huffman codes cost fewer bits than
//     one code, by an estimate of the bits (a block holds at most 65,535 symbols); the
//     blocks get their codes;
//  3. optimal parse: the cheapest path through every match found, each symbol priced by
//     the codes of its block in the split before; then split again. The cheaper of the
//     two parses is kept, with its blocks and codes.
// Then
//  4. each block goes out as its symbol count, its three codes (plain Huffman lengths, or
//     package-merge where those pass 16 bits) and its symbols.
#include "codec/lh5_encode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "codec/lh5_encode_tables.h"
#include "codec/lz_matches.h"
#include "codec/lzh_format.h"

namespace {

constexpr unsigned GOOD_LENGTH = 64;             // a match this long is taken without a lazy look
constexpr std::uint32_t FAR_SHORT_MATCH = 4096;  // a 3-byte match further back costs more than its literals
constexpr std::size_t MAX_BLOCK_SYMBOLS = 0xFFFF;
constexpr std::size_t MIN_SPLIT_SYMBOLS = 1024;  // blocks are not cut below this
constexpr unsigned SPLIT_CANDIDATES = 15;        // cut points tried per block
// How hard the parse looks: the candidates the match search tries per position, and the
// match lengths the optimal parse tries (every length up to everyLength, above it only
// each match's whole length). Inputs up to 64 KiB, most logos, get the full effort: a few
// bytes decide there whether the stream is smaller than jlha's. Longer ones, which pack
// a few per cent below jlha's size anyway, give up about 1.5% of that margin for some 15%
// of the time. (Taking lengths above 64 whole costs a very repetitive file, a picture
// held as source text, more than jlha's size; lengths above 16 did on a few.)
struct SearchEffort {
    unsigned depth;
    unsigned everyLength;
};
constexpr std::size_t SMALL_INPUT = 64 * 1024;
constexpr SearchEffort SMALL_INPUT_EFFORT{16, LZH_MAX_MATCH};
constexpr SearchEffort LARGE_INPUT_EFFORT{8, 64};
constexpr unsigned NICE_LENGTH = LZH_MAX_MATCH;  // a match this long is taken whole, its bytes not searched
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

// n log2 n, from a table for the small counts that most symbols have.
double n_log2_n(std::uint32_t n)
{
    constexpr std::uint32_t TABLE_SIZE = 4096;
    static const auto table = [] {
        std::array<float, TABLE_SIZE> t{};
        for (std::uint32_t i = 1; i < TABLE_SIZE; ++i)
            t[i] = static_cast<float>(i * std::log2(i));
        return t;
    }();
    return n < TABLE_SIZE ? table[n] : n * std::log2(static_cast<double>(n));
}

// Blocks: where each one's symbols end, and its codes.
struct Block {
    std::size_t end;
    Lh5BlockCodes codes;
};
struct BlockPlan {
    std::vector<Block> blocks;
    std::uint64_t bits = 0;  // the whole stream
};

// Pass 2: cuts the symbols into blocks. The cut points are chosen by an estimate of the
// bits (the symbols' entropy and a head priced by the symbols in use), which costs a
// fraction of building the codes; the blocks chosen then get their exact codes.
class BlockSplitter {
public:
    BlockSplitter(const std::vector<Token>& tokens, const LzhWindowShape& shape) : tokens_(tokens), shape_(shape) {}

    // Blocks, in order, with their codes, and the bits of all blocks.
    BlockPlan split()
    {
        Lh5Counts all;
        for (const Token& t : tokens_)
            count(t, all);
        BlockPlan plan;
        split(0, tokens_.size(), all, plan);
        return plan;
    }

private:
    // About the bits of a block with these counts: n log2(total / n) per symbol, and each
    // symbol in use sends its code length.
    double estimate(const Lh5Counts& counts) const
    {
        constexpr double HEAD_BITS = 3 * LZH_BLOCK_SIZE_BITS;  // the counts and the code-length code
        constexpr double BITS_PER_SENT_LENGTH = 4;
        auto entropy = [](const std::uint32_t* n, unsigned size, double& used) {
            std::uint32_t total = 0;
            double sum = 0;
            for (unsigned s = 0; s < size; ++s) {
                if (n[s] == 0)
                    continue;
                used += 1;
                total += n[s];
                sum -= n_log2_n(n[s]);
            }
            return sum + n_log2_n(total);
        };
        double used = 0;
        double bits = entropy(counts.literalLength.data(), LZH_NC, used) +
                      entropy(counts.position.data(), shape_.positionClasses, used);
        for (unsigned k = 2; k < shape_.positionClasses; ++k)
            bits += static_cast<double>(counts.position[k]) * (k - 1);
        return bits + HEAD_BITS + BITS_PER_SENT_LENGTH * used;
    }

    // The block [begin, end), whose symbols have these counts, with its codes.
    void add_block(std::size_t end, const Lh5Counts& counts, BlockPlan& plan)
    {
        Block& block = plan.blocks.emplace_back(Block{end, {}});
        builder_.build(counts, shape_.positionClasses, shape_.positionCountBits, block.codes);
        plan.bits += block.codes.headBits + block.codes.bodyBits;
    }

    // Cuts [begin, end), whose symbols have the counts whole, at the candidate point that
    // saves most, and the halves in turn; a run too long for one block is cut in the
    // middle whatever it saves. Each half's counts come from the cut's, not counted again.
    void split(std::size_t begin, std::size_t end, const Lh5Counts& whole, BlockPlan& plan)
    {
        static_assert(2 * MIN_SPLIT_SYMBOLS <= MAX_BLOCK_SYMBOLS);
        std::size_t size = end - begin;
        if (size < 2 * MIN_SPLIT_SYMBOLS) {
            add_block(end, whole, plan);
            return;
        }
        double best = size > MAX_BLOCK_SYMBOLS ? HUGE_VAL : estimate(whole);
        std::size_t bestCut = 0;
        Lh5Counts left, bestLeft;
        std::size_t at = begin;
        for (unsigned c = 1; c <= SPLIT_CANDIDATES; ++c) {
            std::size_t cut = begin + size * c / (SPLIT_CANDIDATES + 1);
            for (; at < cut; ++at)
                count(tokens_[at], left);
            if (cut - begin < MIN_SPLIT_SYMBOLS || end - cut < MIN_SPLIT_SYMBOLS)
                continue;
            Lh5Counts right = whole;
            right -= left;
            double both = estimate(left) + estimate(right);
            if (both < best) {
                best = both;
                bestCut = cut;
                bestLeft = left;
            }
        }
        if (bestCut == 0) {
            add_block(end, whole, plan);
            return;
        }
        Lh5Counts right = whole;
        right -= bestLeft;
        split(begin, bestCut, bestLeft, plan);
        split(bestCut, end, right, plan);
    }

    const std::vector<Token>& tokens_;
    LzhWindowShape shape_;
    Lh5CodeBuilder builder_;
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
    std::vector<CostModel> models(plan.blocks.size());
    std::size_t begin = 0, inputAt = 0;
    for (std::size_t b = 0; b < plan.blocks.size(); ++b) {
        const Block& block = plan.blocks[b];
        for (std::size_t i = begin; i < block.end; ++i)
            inputAt += tokens[i].symbol < LZH_LITERALS ? 1 : tokens[i].symbol - LZH_LENGTH_OFFSET;
        CostModel& m = models[b];
        price(block.codes.literalLength, m.symbol, LZH_NC);
        price(block.codes.position, m.position, shape.positionClasses);
        for (unsigned k = 2; k < shape.positionClasses; ++k)
            m.position[k] += k - 1;
        m.end = inputAt;
        begin = block.end;
    }
    models.back().end = SIZE_MAX;
    return models;
}

// Every position's matches, found once for the lazy parse and the optimal parse.
// The bytes after `history` of piece, matches reaching into the history too.
LzMatchTable find_matches(std::span<const std::uint8_t> piece, std::size_t history, std::uint32_t maxDistance,
                          const SearchEffort& effort)
{
    return LzMatchTable(piece, history, {maxDistance, LZH_MAX_MATCH, effort.depth, NICE_LENGTH});
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
                                 const std::vector<CostModel>& models, unsigned everyLength)
{
    // The cheapest way found to each position: its bits, and the last symbol (its distance,
    // 0 for a literal, above its length), 8 bytes in all since these arrays span the piece.
    // The bits apart from the symbols, so that the loop over a match's lengths reads 4
    // bytes a length. Bits fit 32 bits: at most about 40 per byte of a 1 MiB piece.
    constexpr unsigned LENGTH_BITS = 9;
    static_assert(LZH_MAX_MATCH < (1u << LENGTH_BITS) && SEGMENT * 40 < UINT32_MAX);
    std::vector<std::uint32_t> bits(input.size() + 1, UINT32_MAX);
    std::vector<std::uint32_t> last(input.size() + 1, 0);
    bits[0] = 0;
    std::size_t block = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        while (i >= models[block].end)
            ++block;
        const CostModel& m = models[block];
        std::uint32_t here = bits[i];
        std::uint32_t viaLiteral = here + m.symbol[input[i]];
        if (viaLiteral < bits[i + 1]) {
            bits[i + 1] = viaLiteral;
            last[i + 1] = 1;
        }
        std::span<const LzMatch> matches = table.at(i);
        std::uint32_t* arrivalBits = bits.data() + i;
        std::uint32_t* arrivalLast = last.data() + i;
        const std::uint32_t* lengthBits = m.symbol.data() + LZH_LENGTH_OFFSET;
        unsigned shorter = LZH_MIN_MATCH - 1;
        for (std::size_t k = 0; k < matches.size(); ++k) {
            const LzMatch& match = matches[k];
            std::uint32_t base = here + m.position[lh5_position_class(match.distance - 1)];
            std::uint32_t symbol = match.distance << LENGTH_BITS;
            auto arrive = [&](unsigned len) {
                std::uint32_t cost = base + lengthBits[len];
                if (cost < arrivalBits[len]) {
                    arrivalBits[len] = cost;
                    arrivalLast[len] = symbol | len;
                }
            };
            unsigned from = table.whole(i) && k + 1 == matches.size() ? match.length : shorter + 1;
            unsigned lastStepped = std::min(match.length, std::max(everyLength, from - 1));
            for (unsigned len = from; len <= lastStepped; ++len)
                arrive(len);
            if (lastStepped < match.length)
                arrive(match.length);
            shorter = match.length;
        }
    }
    constexpr std::uint32_t LENGTH_MASK = (1u << LENGTH_BITS) - 1;
    std::size_t count = 0;
    for (std::size_t i = input.size(); i > 0; i -= last[i] & LENGTH_MASK)
        ++count;
    std::vector<Token> tokens;
    tokens.reserve(count);
    for (std::size_t i = input.size(); i > 0; i -= last[i] & LENGTH_MASK) {
        std::uint32_t distance = last[i] >> LENGTH_BITS;
        tokens.push_back(distance ? match_token({last[i] & LENGTH_MASK, distance}) : literal(input[i - 1]));
    }
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
}

struct Parse {
    std::vector<Token> tokens;
    BlockPlan plan;
};

// Passes 1 to 3 over the bytes after `history` of piece: the cheapest parse found, in blocks.
Parse parse(std::span<const std::uint8_t> piece, std::size_t history, std::uint32_t maxDistance,
            const LzhWindowShape& shape)
{
    std::span<const std::uint8_t> data = piece.subspan(history);
    const SearchEffort& effort = data.size() <= SMALL_INPUT ? SMALL_INPUT_EFFORT : LARGE_INPUT_EFFORT;
    LzMatchTable table = find_matches(piece, history, maxDistance, effort);
    Parse lazy{lazy_parse(data, table), {}};
    lazy.plan = BlockSplitter(lazy.tokens, shape).split();
    Parse optimal{optimal_parse(data, table, cost_models(lazy.tokens, lazy.plan, shape), effort.everyLength), {}};
    optimal.plan = BlockSplitter(optimal.tokens, shape).split();
    return optimal.plan.bits < lazy.plan.bits ? std::move(optimal) : std::move(lazy);
}

// Pass 4: one block.
void write_block(Lh5BitWriter& out, std::span<const Token> block, const Lh5BlockCodes& codes)
{
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
    // Each piece's blocks end where the piece does: one block more per MiB at most.
    std::vector<Token> tokens;
    std::vector<Block> blocks;
    for (std::size_t start = 0; start < input.size(); start += SEGMENT) {
        std::size_t history = std::min<std::size_t>(start, maxDistance);
        std::size_t size = std::min(SEGMENT, input.size() - start);
        Parse piece = parse(input.subspan(start - history, history + size), history, maxDistance, shape);
        for (Block& block : piece.plan.blocks) {
            block.end += tokens.size();
            blocks.push_back(std::move(block));
        }
        if (tokens.empty())
            tokens = std::move(piece.tokens);
        else
            tokens.insert(tokens.end(), piece.tokens.begin(), piece.tokens.end());
    }

    out.reserve(input.size() / 2 + 64);
    Lh5BitWriter bits(&out);
    std::size_t begin = 0;
    for (const Block& block : blocks) {
        write_block(bits, std::span(tokens).subspan(begin, block.end - begin), block.codes);
        begin = block.end;
    }
    bits.finish();
    return out;
}
