#include "support/lh5_writer.h"

#include <algorithm>

namespace {

constexpr unsigned NT_COUNT_BITS = 5;
constexpr int NT_SPECIAL_INDEX = 3;
constexpr unsigned NC_COUNT_BITS = 9;
constexpr unsigned NP_COUNT_BITS = 4;
constexpr unsigned LENGTH_OFFSET = 253;

// Lengths without their trailing zeros.
unsigned used_count(const Lengths& lengths)
{
    unsigned n = static_cast<unsigned>(lengths.size());
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return n;
}

}  // namespace

Lh5Writer& Lh5Writer::bits(std::uint32_t value, unsigned count)
{
    for (unsigned i = count; i-- > 0; ++bitCount_) {
        if (bitCount_ % 8 == 0)
            bytes_.push_back(0);
        if ((value >> i) & 1)
            bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bitCount_ % 8));
    }
    return *this;
}

Lh5Writer& Lh5Writer::pt_lengths(const Lengths& lengths, unsigned countBits, int special)
{
    unsigned n = used_count(lengths);
    bits(n, countBits);
    for (unsigned i = 0; i < n; ++i) {
        unsigned len = lengths[i];
        if (len < 7)
            bits(len, 3);
        else
            bits(7, 3).bits((1u << (len - 7)) - 1, len - 7).bits(0, 1);
        if (static_cast<int>(i) + 1 == special)
            bits(0, 2);
    }
    return *this;
}

Lh5Writer& Lh5Writer::symbol(const Lengths& lengths, unsigned sym)
{
    unsigned len = lengths.at(sym);
    std::uint32_t code = 0;
    for (unsigned l = 1; l < len; ++l)
        code = (code + static_cast<std::uint32_t>(std::count(lengths.begin(), lengths.end(), l))) << 1;
    code += static_cast<std::uint32_t>(std::count(lengths.begin(), lengths.begin() + sym, len));
    return bits(code, len);
}

void write_block_head(Lh5Writer& w, unsigned count, const Lh5Codes& codes)
{
    w.bits(count, 16).pt_lengths(codes.nt, NT_COUNT_BITS, NT_SPECIAL_INDEX);
    // Literal/length lengths as length-code symbols: 0 for unused, length + 2 otherwise.
    unsigned n = used_count(codes.c);
    w.bits(n, NC_COUNT_BITS);
    for (unsigned i = 0; i < n; ++i)
        w.symbol(codes.nt, codes.c[i] == 0 ? 0 : codes.c[i] + 2);
    w.pt_lengths(codes.p, NP_COUNT_BITS, -1);
}

void write_match(Lh5Writer& w, const Lh5Codes& codes, unsigned length, unsigned distance)
{
    w.symbol(codes.c, length + LENGTH_OFFSET);
    unsigned position = distance - 1, cls = 0;
    while ((position >> cls) != 0)
        ++cls;
    w.symbol(codes.p, cls);
    if (cls > 1)
        w.bits(position - (1u << (cls - 1)), cls - 1);
}

Lengths chain_lengths(std::size_t alphabet, const std::vector<unsigned>& symbols)
{
    Lengths lengths(alphabet, 0);
    for (unsigned i = 0; i < symbols.size(); ++i)
        lengths.at(symbols[i]) = i + 1 < symbols.size() ? i + 1 : i;
    return lengths;
}

Lengths full_nt_lengths()
{
    Lengths lengths(19, 5);
    std::fill_n(lengths.begin(), 13, 4);
    return lengths;
}

Bytes lh5_literal_stream(const Bytes& data)
{
    constexpr std::size_t MAX_BLOCK = 65535;
    // 256 codes of 8 bits: complete, and code b is b itself.
    Lh5Codes codes{full_nt_lengths(), Lengths(510, 0), chain_lengths(14, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})};
    std::fill_n(codes.c.begin(), 256, 8);
    Lh5Writer w;
    for (std::size_t at = 0; at < data.size(); at += MAX_BLOCK) {
        std::size_t n = std::min(MAX_BLOCK, data.size() - at);
        write_block_head(w, static_cast<unsigned>(n), codes);
        for (std::size_t i = 0; i < n; ++i)
            w.bits(data[at + i], 8);
    }
    return w.bytes();
}
