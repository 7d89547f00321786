// The lh5 encoder. Three passes over the input:
//  1. LZ77 parse: a hash-chain match finder over the window, with lazy matching (a match
//     is put off by a byte when the next byte starts a longer one);
//  2. block split: the symbols are cut where separate Huffman codes cost fewer bits than
//     one code, head included (a block holds at most 65,535 symbols);
//  3. per block, the symbol count, the three codes (lengths at most 16 bits, package-merge)
//     and the symbols.
#include "codec/lh5_encode.h"

#include <algorithm>

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
std::vector<Token> parse(std::span<const std::uint8_t> input, unsigned windowBits)
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

// Pass 2: cuts the symbols into blocks.
class BlockSplitter {
public:
    BlockSplitter(const std::vector<Token>& tokens, const LzhWindowShape& shape) : tokens_(tokens), shape_(shape) {}

    // Block ends, in order.
    std::vector<std::size_t> split()
    {
        std::vector<std::size_t> ends;
        split(0, tokens_.size(), ends);
        return ends;
    }

private:
    std::uint64_t cost(const Lh5Counts& counts)
    {
        builder_.build(counts, shape_.positionClasses, shape_.positionCountBits, codes_);
        return codes_.headBits + codes_.bodyBits;
    }

    // Cuts [begin, end) at the candidate point that saves most, and the halves in turn;
    // a run too long for one block is cut in the middle whatever it saves.
    void split(std::size_t begin, std::size_t end, std::vector<std::size_t>& ends)
    {
        static_assert(2 * MIN_SPLIT_SYMBOLS <= MAX_BLOCK_SYMBOLS);
        std::size_t size = end - begin;
        if (size < 2 * MIN_SPLIT_SYMBOLS) {
            ends.push_back(end);
            return;
        }
        Lh5Counts whole;
        for (std::size_t i = begin; i < end; ++i)
            count(tokens_[i], whole);
        std::uint64_t best = size > MAX_BLOCK_SYMBOLS ? UINT64_MAX : cost(whole);
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
            ends.push_back(end);
            return;
        }
        split(begin, bestCut, ends);
        split(bestCut, end, ends);
    }

    const std::vector<Token>& tokens_;
    LzhWindowShape shape_;
    Lh5CodeBuilder builder_;
    Lh5BlockCodes codes_;
};

// Pass 3: one block.
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
    std::vector<Token> tokens = parse(input, shape.windowBits);
    std::vector<std::size_t> ends = BlockSplitter(tokens, shape).split();

    out.reserve(input.size() / 2 + 64);
    Lh5BitWriter bits(&out);
    Lh5CodeBuilder builder;
    Lh5BlockCodes codes;
    std::size_t begin = 0;
    for (std::size_t end : ends) {
        write_block(bits, std::span(tokens).subspan(begin, end - begin), shape, builder, codes);
        begin = end;
    }
    bits.finish();
    return out;
}
