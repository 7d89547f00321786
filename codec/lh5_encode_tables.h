// Huffman codes of the lh5 encoder: code lengths limited to 16 bits, canonical codes, and
// the block head that sends them, in the layout the decoder's lzh_tables reads.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "codec/lzh_format.h"

constexpr unsigned LH5_MAX_POSITION_CLASSES = LZH_MAX_WINDOW_BITS + 1;

// Bits, most significant first, into a byte vector; without one it only counts them.
class Lh5BitWriter {
public:
    explicit Lh5BitWriter(std::vector<std::uint8_t>* out) : out_(out) {}

    // Appends the low count bits (0..32) of value.
    void put(std::uint32_t value, unsigned count)
    {
        bitCount_ += count;
        if (!out_ || count == 0)
            return;
        acc_ = (acc_ << count) | (value & (0xFFFFFFFFu >> (32 - count)));
        pending_ += count;
        while (pending_ >= 8) {
            pending_ -= 8;
            out_->push_back(static_cast<std::uint8_t>(acc_ >> pending_));
        }
    }
    // Pads the last byte with zero bits.
    void finish()
    {
        if (out_ && pending_ > 0)
            put(0, 8 - pending_);
    }
    std::uint64_t bits() const { return bitCount_; }

private:
    std::vector<std::uint8_t>* out_;
    std::uint64_t acc_ = 0;
    unsigned pending_ = 0;  // bits of acc_ not yet out
    std::uint64_t bitCount_ = 0;
};

// Symbol counts of a run of symbols.
struct Lh5Counts {
    std::array<std::uint32_t, LZH_NC> literalLength{};
    std::array<std::uint32_t, LH5_MAX_POSITION_CLASSES> position{};

    Lh5Counts& operator-=(const Lh5Counts& other)
    {
        for (unsigned i = 0; i < LZH_NC; ++i)
            literalLength[i] -= other.literalLength[i];
        for (unsigned i = 0; i < LH5_MAX_POSITION_CLASSES; ++i)
            position[i] -= other.position[i];
        return *this;
    }
};

// One canonical code. A code with fewer than two symbols in use is sent as a single value
// and its symbol takes no bits (length 0).
template <unsigned N> struct Lh5Code {
    std::array<std::uint8_t, N> length{};
    std::array<std::uint16_t, N> code{};
    int single = -1;  // the value of a single-value code, else -1
};

// One code-length symbol that sends literal/length code lengths, with its extra bits.
struct Lh5LengthItem {
    std::uint8_t symbol;     // 0..2 zeros (one, a short run, a long run); 3..18 a length
    std::uint8_t extraBits;  // 0, or the run's 4 or 9 bits
    std::uint16_t extra;
};

// The three codes of a block and what the block costs.
struct Lh5BlockCodes {
    Lh5Code<LZH_NC> literalLength;
    Lh5Code<LZH_NT> codeLength;
    Lh5Code<LH5_MAX_POSITION_CLASSES> position;
    std::vector<Lh5LengthItem> lengthItems;  // the literal/length lengths as code-length symbols
    unsigned lengthCount = 0;                // how many lengths they send
    unsigned positionClasses = 0;
    unsigned positionCountBits = 0;
    std::uint64_t headBits = 0;  // the block head, symbol count included
    std::uint64_t bodyBits = 0;  // the block's symbols with the positions' extra bits
};

// Position class of a position (distance - 1): 0, 1, then k for 2^(k-1) .. 2^k - 1.
inline unsigned lh5_position_class(std::uint32_t position)
{
    return static_cast<unsigned>(std::bit_width(position));
}

// Builds the codes of lzh_format.h's block head; scratch space is kept between blocks.
class Lh5CodeBuilder {
public:
    // The codes for a block with these counts, and their costs.
    void build(const Lh5Counts& counts, unsigned positionClasses, unsigned positionCountBits, Lh5BlockCodes& codes);

private:
    // Lengths of at most 16 bits minimising the coded size (package-merge); symbols not
    // used get 0, and a code of fewer than two used symbols becomes a single value.
    template <unsigned N> void build_code(const std::uint32_t* freq, unsigned n, Lh5Code<N>& code);
    // The code-length code and the items it sends: first with runs of zeros cut the usual
    // way, then re-cut to what the code makes cheapest, while that saves bits.
    void build_length_code(Lh5BlockCodes& codes);

    // Plain Huffman lengths of the sorted leaves in nodes_; false when one exceeds 16.
    bool huffman_lengths(std::uint8_t* length);

    std::vector<Lh5LengthItem> trial_;
    std::vector<std::int32_t> parent_;
    std::vector<unsigned> depth_;
    struct Node {
        std::uint64_t weight;
        std::int32_t left;   // a leaf's symbol, or a package's first node
        std::int32_t right;  // -1 for a leaf
    };
    std::vector<Node> nodes_;
    std::vector<std::int32_t> list_, next_, stack_;
};

// Writes a block head: the symbol count (1..65535) and the three codes.
void write_lh5_block_head(Lh5BitWriter& out, const Lh5BlockCodes& codes, unsigned symbolCount);
