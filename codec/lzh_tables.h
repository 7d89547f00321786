// Huffman codes of the lh5 kernel: the code-length readers of a block head, the canonical
// table build, and symbol decoding.
//
// Each code has a lookup table indexed by its next few bits (12 for the literal/length
// code, 8 for the others). Codes longer than that continue in a binary tree whose nodes
// are numbered from the alphabet size upward, so a value below the alphabet size is a
// symbol and anything else a node. The length code (the code that carries the
// literal/length code lengths) and the position code share one length array and one
// table; all three codes share the tree arrays.
#pragma once

#include <cstdint>

#include "codec/kernel_messages.h"
#include "codec/lzh_bits.h"
#include "codec/lzh_format.h"

constexpr unsigned LZH_C_TABLE_BITS = 12;
constexpr unsigned LZH_PT_TABLE_BITS = 8;
constexpr unsigned LZH_PT_LENGTHS = 128;    // room for any count a 5-bit field can give
constexpr unsigned LZH_TREE_NODES = 2 * LZH_NC - 1;

struct LzhCodes {
    std::uint8_t cLen[LZH_NC];
    std::uint16_t cTable[1u << LZH_C_TABLE_BITS];
    std::uint8_t ptLen[LZH_PT_LENGTHS];
    std::uint16_t ptTable[1u << LZH_PT_TABLE_BITS];
    std::uint16_t left[LZH_TREE_NODES];
    std::uint16_t right[LZH_TREE_NODES];
    unsigned positionClasses;  // 14, or more for windows above 8 KiB (lzh_window_shape)
    unsigned positionBits;     // width of the position code's length count: 4, or 5
    // A block head gave a length to a position class past positionClasses: the stream
    // copies from farther back than the window reaches.
    bool positionsPastClasses;
    KernelSink* messages;      // where bad tables are reported
};

// Reads a block head: its symbol count, then the length, literal/length and position
// codes. Returns false for a head no code can be built from (a length above 16, a
// single-value code naming a symbol the alphabet lacks, an over-subscribed code);
// decoding must stop there.
bool read_block_head(LzhBitReader& in, LzhCodes& codes, std::uint16_t& blockSize);

// Reports a code that cannot be built or decoded ("Bad table ...", "STOP!").
void report_bad_table(const LzhCodes& codes);

// Tree walk for a code longer than its lookup width of tableBits. bits holds the 16 bits
// that follow the table index, first bit at 0x8000. Returns a symbol, or nsym when the
// walk does not reach one within the longest code length.
unsigned walk_tree(const LzhCodes& codes, unsigned node, std::uint32_t bits, unsigned tableBits, unsigned nsym);

// Next literal/length symbol; LZH_NC when the code leads nowhere. Needs a refilled reader.
inline unsigned decode_literal_length(LzhBitReader& in, const LzhCodes& codes)
{
    unsigned j = codes.cTable[in.peek(LZH_C_TABLE_BITS)];
    if (j < LZH_NC) {
        in.skip(codes.cLen[j]);
        return j;
    }
    j = walk_tree(codes, j, in.peek(LZH_C_TABLE_BITS + 16) & 0xFFFF, LZH_C_TABLE_BITS, LZH_NC);
    if (j >= LZH_NC)
        return LZH_NC;
    unsigned len = codes.cLen[j];
    in.skip(LZH_C_TABLE_BITS + (len > LZH_C_TABLE_BITS ? len - LZH_C_TABLE_BITS : 0));
    return j;
}

// Next match position (distance − 1); -1 when the code leads nowhere. Needs enough bits
// for a code and its extra bits, which a refill before the literal/length symbol gives.
inline std::int32_t decode_position(LzhBitReader& in, const LzhCodes& codes)
{
    unsigned np = codes.positionClasses;
    unsigned j = codes.ptTable[in.peek(LZH_PT_TABLE_BITS)];
    if (j < np) {
        in.skip(codes.ptLen[j]);
    } else {
        j = walk_tree(codes, j, in.peek(LZH_PT_TABLE_BITS + 16) & 0xFFFF, LZH_PT_TABLE_BITS, np);
        if (j >= np)
            return -1;
        unsigned len = codes.ptLen[j];
        in.skip(LZH_PT_TABLE_BITS + (len > LZH_PT_TABLE_BITS ? len - LZH_PT_TABLE_BITS : 0));
    }
    if (j == 0)
        return 0;
    // Class j covers positions 2^(j-1) .. 2^j - 1; the low bits follow the code.
    unsigned extra = j - 1;
    std::uint32_t low = extra ? in.peek(extra) : 0;
    in.skip(extra);
    return static_cast<std::int32_t>((1u << extra) + low);
}

// The symbol loop every lh5-kind stream shares: block heads as they come, then literals
// and matches until `wanted` bytes are produced. out.literal(byte) takes a literal;
// out.match(distance, length) a match (distance from 1) and returns false to stop there.
// A code that leads nowhere is reported and ends the loop.
template <class Output>
void decode_lzh_symbols(LzhBitReader& in, LzhCodes& codes, std::uint64_t wanted, unsigned lengthOffset, Output& out)
{
    std::uint16_t blockLeft = 0;  // a stored count of 0 serves 65536 symbols
    std::uint64_t produced = 0;
    while (produced < wanted) {
        in.refill();
        if (blockLeft == 0) {
            if (!read_block_head(in, codes, blockLeft))
                return;
            in.refill();
        }
        --blockLeft;
        unsigned c = decode_literal_length(in, codes);
        if (c < LZH_LITERALS) {
            out.literal(static_cast<std::uint8_t>(c));
            ++produced;
            continue;
        }
        std::int32_t position = c < LZH_NC ? decode_position(in, codes) : -1;
        if (position < 0) {
            report_bad_table(codes);
            return;
        }
        unsigned length = c - lengthOffset;
        if (!out.match(static_cast<std::size_t>(position) + 1, length))
            return;
        produced += length;
    }
}
