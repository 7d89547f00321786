#include "codec/lh5_encode_tables.h"

#include <algorithm>

namespace {

constexpr unsigned PT_SHORT_LENGTH_MAX = 6;  // lengths up to 6 take 3 bits; longer ones escape
constexpr unsigned NT_ZERO_RUN_MAX = 3;      // what the 2-bit zero run after the third length holds

constexpr unsigned SHORT_RUN_MAX = LZH_SHORT_ZERO_RUN_BASE + (1u << LZH_SHORT_ZERO_RUN_BITS) - 1;  // 18
constexpr unsigned LONG_RUN_MAX = LZH_LONG_ZERO_RUN_BASE + (1u << LZH_LONG_ZERO_RUN_BITS) - 1;     // 531
constexpr std::uint32_t UNUSABLE = UINT32_MAX / 4;
constexpr unsigned LENGTH_CODE_TRIALS = 3;

// How many literal/length lengths are sent: up to the last used symbol.
unsigned sent_lengths(const std::uint8_t* length)
{
    unsigned n = LZH_NC;
    while (n > 0 && length[n - 1] == 0)
        --n;
    return n;
}

// A run of zero lengths the usual way: one or two single zeros, a short run, a single zero
// and a short run for 19, a long run from 20.
void usual_zero_run(unsigned zeros, std::vector<Lh5LengthItem>& items)
{
    if (zeros < LZH_SHORT_ZERO_RUN_BASE) {
        items.insert(items.end(), zeros, Lh5LengthItem{0, 0, 0});
    } else if (zeros <= SHORT_RUN_MAX) {
        items.push_back({1, LZH_SHORT_ZERO_RUN_BITS, static_cast<std::uint16_t>(zeros - LZH_SHORT_ZERO_RUN_BASE)});
    } else if (zeros < LZH_LONG_ZERO_RUN_BASE) {
        items.push_back({0, 0, 0});
        items.push_back({1, LZH_SHORT_ZERO_RUN_BITS, SHORT_RUN_MAX - LZH_SHORT_ZERO_RUN_BASE});
    } else {
        items.push_back({2, LZH_LONG_ZERO_RUN_BITS, static_cast<std::uint16_t>(zeros - LZH_LONG_ZERO_RUN_BASE)});
    }
}

// A run of zero lengths in the fewest bits under a code-length code (bits[s] per symbol,
// UNUSABLE for one the code lacks): a long run alone, or single zeros and short runs.
void cheapest_zero_run(unsigned zeros, const std::uint32_t* bits, std::vector<Lh5LengthItem>& items)
{
    // A long run takes any 20..531 zeros at one price, so it never shares a run.
    std::uint32_t longRun = bits[2] + LZH_LONG_ZERO_RUN_BITS;
    // cost[z]: the fewest bits for z zeros by single zeros and short runs; step[z] the
    // zeros the last item takes.
    std::uint32_t cost[LZH_NC + 1];
    std::uint8_t step[LZH_NC + 1];
    cost[0] = 0;
    for (unsigned z = 1; z <= zeros; ++z) {
        cost[z] = std::min(cost[z - 1] + bits[0], UNUSABLE);
        step[z] = 1;
        std::uint32_t run = bits[1] + LZH_SHORT_ZERO_RUN_BITS;
        for (unsigned k = LZH_SHORT_ZERO_RUN_BASE; k <= SHORT_RUN_MAX && k <= z; ++k) {
            if (cost[z - k] + run < cost[z]) {
                cost[z] = cost[z - k] + run;
                step[z] = static_cast<std::uint8_t>(k);
            }
        }
    }
    bool longIsCheaper = zeros >= LZH_LONG_ZERO_RUN_BASE && longRun <= cost[zeros];
    if (longIsCheaper || cost[zeros] >= UNUSABLE) {
        usual_zero_run(zeros, items);
        return;
    }
    std::size_t start = items.size();
    for (unsigned z = zeros; z > 0; z -= step[z]) {
        if (step[z] == 1)
            items.push_back({0, 0, 0});
        else
            items.push_back(
                {1, LZH_SHORT_ZERO_RUN_BITS, static_cast<std::uint16_t>(step[z] - LZH_SHORT_ZERO_RUN_BASE)});
    }
    std::reverse(items.begin() + static_cast<std::ptrdiff_t>(start), items.end());
}

// The literal/length lengths as code-length items; runs of zeros cut the usual way, or,
// given the code-length code's bits per symbol, the cheapest way.
void length_items(const std::uint8_t* length, const std::uint32_t* bits, std::vector<Lh5LengthItem>& items)
{
    items.clear();
    unsigned n = sent_lengths(length);
    for (unsigned i = 0; i < n;) {
        unsigned k = length[i++];
        if (k != 0) {
            items.push_back({static_cast<std::uint8_t>(k + LZH_LENGTH_SYMBOL_OFFSET), 0, 0});
            continue;
        }
        unsigned zeros = 1;
        while (i < n && length[i] == 0) {
            ++i;
            ++zeros;
        }
        if (bits)
            cheapest_zero_run(zeros, bits, items);
        else
            usual_zero_run(zeros, items);
    }
    static_assert(LONG_RUN_MAX >= LZH_NC);
}

// Lengths of the code-length code or the position code: 3 bits each, longer ones as 7
// and a run of ones ended by a zero; after index `special` a 2-bit run of zero lengths.
void write_pt_lengths(Lh5BitWriter& out, const std::uint8_t* length, unsigned nsym, unsigned countBits,
                      unsigned special)
{
    unsigned n = nsym;
    while (n > 0 && length[n - 1] == 0)
        --n;
    out.put(n, countBits);
    for (unsigned i = 0; i < n;) {
        unsigned k = length[i++];
        if (k <= PT_SHORT_LENGTH_MAX)
            out.put(k, LZH_PT_LENGTH_FIELD_BITS);
        else  // 111, k - 7 ones, a zero: k - 3 bits
            out.put((1u << (k - LZH_PT_LENGTH_FIELD_BITS)) - 2, k - LZH_PT_LENGTH_FIELD_BITS);
        if (i == special) {
            unsigned zeros = 0;
            while (zeros < NT_ZERO_RUN_MAX && i < n && length[i] == 0) {
                ++i;
                ++zeros;
            }
            out.put(zeros, LZH_NT_ZERO_RUN_BITS);
        }
    }
}

template <unsigned N>
void write_single_or_lengths(Lh5BitWriter& out, const Lh5Code<N>& code, unsigned nsym, unsigned countBits,
                             unsigned special)
{
    if (code.single >= 0) {
        out.put(0, countBits);
        out.put(static_cast<std::uint32_t>(code.single), countBits);
    } else {
        write_pt_lengths(out, code.length.data(), nsym, countBits, special);
    }
}

// Canonical codes: by increasing length, and by increasing symbol within a length.
template <unsigned N> void assign_codes(Lh5Code<N>& code)
{
    std::uint32_t count[LZH_MAX_CODE_LENGTH + 1] = {};
    for (unsigned s = 0; s < N; ++s)
        count[code.length[s]]++;
    count[0] = 0;
    std::uint32_t next[LZH_MAX_CODE_LENGTH + 1] = {};
    std::uint32_t value = 0;
    for (unsigned len = 1; len <= LZH_MAX_CODE_LENGTH; ++len) {
        value = (value + count[len - 1]) << 1;
        next[len] = value;
    }
    for (unsigned s = 0; s < N; ++s)
        code.code[s] = code.length[s] ? static_cast<std::uint16_t>(next[code.length[s]]++) : 0;
}

constexpr unsigned NO_SPECIAL = ~0u;

}  // namespace

bool Lh5CodeBuilder::huffman_lengths(std::uint8_t* length)
{
    // Two queues: the sorted leaves, and the joined nodes, made in order of weight.
    std::size_t leaves = nodes_.size();
    std::size_t leaf = 0, joined = leaves;
    parent_.assign(2 * leaves - 1, 0);
    auto take = [&]() {
        if (leaf < leaves && (joined == nodes_.size() || nodes_[leaf].weight <= nodes_[joined].weight))
            return leaf++;
        return joined++;
    };
    while (nodes_.size() < 2 * leaves - 1) {
        std::size_t a = take(), b = take();
        parent_[a] = parent_[b] = static_cast<std::int32_t>(nodes_.size());
        nodes_.push_back({nodes_[a].weight + nodes_[b].weight, -1, -1});
    }
    // Depths from the root (the last node) down; joined nodes come after their children.
    depth_.assign(nodes_.size(), 0);
    bool fits = true;
    for (std::size_t i = nodes_.size() - 1; i-- > 0;) {
        depth_[i] = depth_[static_cast<std::size_t>(parent_[i])] + 1;
        fits = fits && depth_[i] <= LZH_MAX_CODE_LENGTH;
    }
    nodes_.resize(leaves);
    if (!fits)
        return false;
    for (std::size_t i = 0; i < leaves; ++i)
        length[nodes_[i].left] = static_cast<std::uint8_t>(depth_[i]);
    return true;
}

template <unsigned N> void Lh5CodeBuilder::build_code(const std::uint32_t* freq, unsigned n, Lh5Code<N>& code)
{
    code.length.fill(0);
    code.single = -1;
    nodes_.clear();
    for (unsigned s = 0; s < n; ++s)
        if (freq[s] != 0)
            nodes_.push_back({freq[s], static_cast<std::int32_t>(s), -1});
    std::size_t leaves = nodes_.size();
    if (leaves < 2) {
        code.single = leaves ? nodes_[0].left : 0;
        code.code.fill(0);
        return;
    }
    std::stable_sort(nodes_.begin(), nodes_.end(), [](const Node& a, const Node& b) { return a.weight < b.weight; });
    if (huffman_lengths(code.length.data()))
        return assign_codes(code);

    // Package-merge: each list holds the leaves merged with the pairs of the list before,
    // cheapest first; the 2n - 2 cheapest items of the last list give every symbol its
    // length (the number of times it appears in them).
    std::size_t keep = 2 * leaves - 2;
    list_.clear();
    for (std::size_t i = 0; i < leaves; ++i)
        list_.push_back(static_cast<std::int32_t>(i));
    for (unsigned level = 1; level < LZH_MAX_CODE_LENGTH; ++level) {
        next_.clear();
        std::size_t leaf = 0, pair = 0;
        while (next_.size() < keep) {
            bool havePair = pair + 1 < list_.size();
            if (!havePair && leaf == leaves)
                break;
            std::uint64_t pairWeight = havePair ? nodes_[list_[pair]].weight + nodes_[list_[pair + 1]].weight : 0;
            if (leaf < leaves && (!havePair || nodes_[leaf].weight <= pairWeight)) {
                next_.push_back(static_cast<std::int32_t>(leaf++));
            } else {
                nodes_.push_back({pairWeight, list_[pair], list_[pair + 1]});
                next_.push_back(static_cast<std::int32_t>(nodes_.size() - 1));
                pair += 2;
            }
        }
        list_.swap(next_);
    }
    stack_.assign(list_.begin(), list_.begin() + static_cast<std::ptrdiff_t>(std::min(keep, list_.size())));
    while (!stack_.empty()) {
        const Node& node = nodes_[static_cast<std::size_t>(stack_.back())];
        stack_.pop_back();
        if (node.right < 0) {
            code.length[static_cast<std::size_t>(node.left)]++;
        } else {
            stack_.push_back(node.left);
            stack_.push_back(node.right);
        }
    }
    assign_codes(code);
}

void Lh5CodeBuilder::build_length_code(Lh5BlockCodes& codes)
{
    codes.lengthItems.clear();
    codes.codeLength = {};
    codes.codeLength.single = 0;
    if (codes.literalLength.single >= 0)
        return;  // sent as a single value; the code-length code goes unused
    const std::uint8_t* lengths = codes.literalLength.length.data();
    codes.lengthCount = sent_lengths(lengths);
    length_items(lengths, nullptr, codes.lengthItems);
    std::uint64_t bestBits = UINT64_MAX;
    Lh5Code<LZH_NT> trialCode;
    for (unsigned trial = 0; trial < LENGTH_CODE_TRIALS; ++trial) {
        const std::vector<Lh5LengthItem>& items = trial == 0 ? codes.lengthItems : trial_;
        std::uint32_t freq[LZH_NT] = {};
        for (const Lh5LengthItem& item : items)
            ++freq[item.symbol];
        build_code(freq, LZH_NT, trialCode);
        Lh5BitWriter counter(nullptr);
        write_single_or_lengths(counter, trialCode, LZH_NT, LZH_NT_COUNT_BITS, LZH_NT_SPECIAL_INDEX);
        std::uint64_t bits = counter.bits();
        for (const Lh5LengthItem& item : items)
            bits += trialCode.length[item.symbol] + item.extraBits;
        if (bits >= bestBits)
            break;
        bestBits = bits;
        codes.codeLength = trialCode;
        if (trial > 0)
            codes.lengthItems.swap(trial_);
        // Re-cut the runs of zeros for this code.
        std::uint32_t symbolBits[LZH_NT];
        for (unsigned t = 0; t < LZH_NT; ++t) {
            bool usable = trialCode.single >= 0 ? static_cast<int>(t) == trialCode.single : trialCode.length[t] != 0;
            symbolBits[t] = usable ? trialCode.length[t] : UNUSABLE;
        }
        length_items(lengths, symbolBits, trial_);
    }
}

void Lh5CodeBuilder::build(const Lh5Counts& counts, unsigned positionClasses, unsigned positionCountBits,
                           Lh5BlockCodes& codes)
{
    codes.positionClasses = positionClasses;
    codes.positionCountBits = positionCountBits;
    build_code(counts.literalLength.data(), LZH_NC, codes.literalLength);
    build_length_code(codes);
    build_code(counts.position.data(), positionClasses, codes.position);

    std::uint64_t body = 0;
    for (unsigned s = 0; s < LZH_NC; ++s)
        body += std::uint64_t{counts.literalLength[s]} * codes.literalLength.length[s];
    for (unsigned k = 0; k < positionClasses; ++k)
        body += std::uint64_t{counts.position[k]} * (codes.position.length[k] + (k > 1 ? k - 1 : 0));
    codes.bodyBits = body;
    Lh5BitWriter counter(nullptr);
    write_lh5_block_head(counter, codes, 1);
    codes.headBits = counter.bits();
}

void write_lh5_block_head(Lh5BitWriter& out, const Lh5BlockCodes& codes, unsigned symbolCount)
{
    out.put(symbolCount, LZH_BLOCK_SIZE_BITS);
    if (codes.literalLength.single >= 0) {
        // One literal/length symbol: the code-length code is the single value 0 and is
        // not used.
        out.put(0, LZH_NT_COUNT_BITS);
        out.put(0, LZH_NT_COUNT_BITS);
        out.put(0, LZH_NC_COUNT_BITS);
        out.put(static_cast<std::uint32_t>(codes.literalLength.single), LZH_NC_COUNT_BITS);
    } else {
        write_single_or_lengths(out, codes.codeLength, LZH_NT, LZH_NT_COUNT_BITS, LZH_NT_SPECIAL_INDEX);
        out.put(codes.lengthCount, LZH_NC_COUNT_BITS);
        for (const Lh5LengthItem& item : codes.lengthItems) {
            out.put(codes.codeLength.code[item.symbol], codes.codeLength.length[item.symbol]);
            out.put(item.extra, item.extraBits);
        }
    }
    write_single_or_lengths(out, codes.position, codes.positionClasses, codes.positionCountBits, NO_SPECIAL);
}
