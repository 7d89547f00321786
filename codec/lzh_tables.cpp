#include "codec/lzh_tables.h"

#include <algorithm>


namespace {

constexpr const char* BAD_TABLE_MESSAGE = "Bad table in kernel2.cpp [3]\n";
constexpr const char* BAD_TABLE_DETAIL = "STOP!";

constexpr std::uint32_t CODE_SPACE = 1u << LZH_MAX_CODE_LENGTH;

// Builds the lookup table and tree of a canonical code: codes go out in order of
// increasing length, and within one length in increasing symbol order. Every length is
// at most 16. An incomplete code is reported and built as far as it goes; an
// over-subscribed one is reported and not built (false).
bool build_table(LzhCodes& codes, unsigned nchar, const std::uint8_t* bitLen, unsigned tableBits,
                 std::uint16_t* table)
{
    std::uint32_t count[LZH_MAX_CODE_LENGTH + 1] = {};
    std::uint32_t weight[LZH_MAX_CODE_LENGTH + 1] = {};
    std::uint32_t start[LZH_MAX_CODE_LENGTH + 2] = {};
    for (unsigned i = 0; i < nchar; ++i)
        count[bitLen[i]]++;
    for (unsigned len = 1; len <= LZH_MAX_CODE_LENGTH; ++len) {
        weight[len] = CODE_SPACE >> len;
        start[len + 1] = start[len] + weight[len] * count[len];
    }
    std::uint32_t total = start[LZH_MAX_CODE_LENGTH + 1];
    bool overSubscribed = total > CODE_SPACE;
    // A code without any symbol passes the 16-bit completeness test unreported.
    if (total % CODE_SPACE != 0 || overSubscribed)
        report_bad_table(codes);
    if (overSubscribed)
        return false;

    unsigned shift = LZH_MAX_CODE_LENGTH - tableBits;
    unsigned tableSize = 1u << tableBits;
    // Table entries that no short code covers are cleared; when no code is short enough
    // to reach the table (or the short codes fill it) nothing is cleared.
    std::uint32_t firstFree = (start[tableBits + 1] % CODE_SPACE) >> shift;
    if (firstFree != 0)
        std::fill(table + firstFree, table + tableSize, 0);
    for (unsigned len = 1; len <= tableBits; ++len) {
        start[len] >>= shift;
        weight[len] >>= shift;
    }

    // The literal/length tree takes nodes from 510 up; the other two stay below it, so
    // the literal/length tree survives the position code's build.
    unsigned nextNode = nchar;
    unsigned nodeLimit = nchar == LZH_NC ? LZH_TREE_NODES : LZH_NC;
    for (unsigned j = 0; j < nchar; ++j) {
        unsigned len = bitLen[j];
        if (len == 0)
            continue;
        std::uint32_t end = start[len] + weight[len];
        if (len <= tableBits) {
            std::fill(table + start[len], table + end, static_cast<std::uint16_t>(j));
        } else {
            std::uint16_t* slot = &table[start[len] >> shift];
            std::uint32_t code = start[len] << tableBits;
            for (unsigned step = tableBits; step < len; ++step) {
                if (*slot == 0) {
                    if (nextNode >= nodeLimit) {
                        report_bad_table(codes);
                        return false;
                    }
                    codes.left[nextNode] = codes.right[nextNode] = 0;
                    *slot = static_cast<std::uint16_t>(nextNode++);
                }
                slot = (code & 0x8000) ? &codes.right[*slot] : &codes.left[*slot];
                code <<= 1;
            }
            *slot = static_cast<std::uint16_t>(j);
        }
        start[len] = end;
    }
    return true;
}

// Every entry of a code sent as a single value decodes to that value without taking bits.
bool set_single_value(const LzhCodes& codes, std::uint8_t* bitLen, unsigned nsym, std::uint16_t* table,
                      unsigned tableBits, unsigned value)
{
    if (value >= nsym) {
        report_bad_table(codes);
        return false;
    }
    std::fill(bitLen, bitLen + nsym, 0);
    std::fill(table, table + (1u << tableBits), static_cast<std::uint16_t>(value));
    return true;
}

// Lengths of the length code (nsym 19) or the position code: 3 bits each, 7 extended by
// a run of ones; after index `special` a 2-bit count of zero lengths. Lengths past nsym
// (a count field allows up to 31, plus the zero run) are kept in the 128-entry array and
// left out of the code; lengthsPastAlphabet, when given, is set when one of them is not 0.
bool read_pt_len(LzhBitReader& in, LzhCodes& codes, unsigned nsym, unsigned countBits, int special,
                 bool* lengthsPastAlphabet = nullptr)
{
    unsigned n = in.get(countBits);
    if (n == 0)
        return set_single_value(codes, codes.ptLen, nsym, codes.ptTable, LZH_PT_TABLE_BITS, in.get(countBits));
    unsigned i = 0;
    while (i < n) {
        in.refill();
        unsigned c = in.peek(LZH_PT_LENGTH_FIELD_BITS);
        if (c == LZH_PT_LENGTH_ESCAPE) {
            // Ones are counted within the 16-bit look-ahead only, so c stops at 20.
            std::uint32_t window = in.peek(16);
            for (std::uint32_t mask = 1u << (16 - LZH_PT_LENGTH_FIELD_BITS - 1); window & mask; mask >>= 1)
                ++c;
        }
        // An escaped length takes its 3 bits, c - 7 ones and the zero that ends them.
        in.skip(c < LZH_PT_LENGTH_ESCAPE ? LZH_PT_LENGTH_FIELD_BITS : c - LZH_PT_LENGTH_FIELD_BITS);
        if (c > LZH_MAX_CODE_LENGTH) {
            report_bad_table(codes);
            return false;
        }
        codes.ptLen[i++] = static_cast<std::uint8_t>(c);
        if (static_cast<int>(i) == special) {
            for (unsigned r = in.get(LZH_NT_ZERO_RUN_BITS); r > 0; --r)
                codes.ptLen[i++] = 0;
        }
    }
    for (unsigned k = nsym; k < i && lengthsPastAlphabet; ++k)
        *lengthsPastAlphabet = *lengthsPastAlphabet || codes.ptLen[k] != 0;
    for (; i < nsym; ++i)
        codes.ptLen[i] = 0;
    return build_table(codes, nsym, codes.ptLen, LZH_PT_TABLE_BITS, codes.ptTable);
}

// Lengths of the literal/length code, each sent as a symbol of the length code. Lengths
// past 510 (a 9-bit count reaches 511, and a zero run can carry past it) are dropped.
bool read_c_len(LzhBitReader& in, LzhCodes& codes)
{
    unsigned n = in.get(LZH_NC_COUNT_BITS);
    if (n == 0)
        return set_single_value(codes, codes.cLen, LZH_NC, codes.cTable, LZH_C_TABLE_BITS, in.get(LZH_NC_COUNT_BITS));
    unsigned i = 0;
    auto store = [&](std::uint8_t len) {
        if (i < LZH_NC)
            codes.cLen[i] = len;
        ++i;
    };
    while (i < n) {
        in.refill();
        unsigned c = codes.ptTable[in.peek(LZH_PT_TABLE_BITS)];
        if (c >= LZH_NT) {
            c = walk_tree(codes, c, in.peek(LZH_PT_TABLE_BITS + 16) & 0xFFFF, LZH_PT_TABLE_BITS, LZH_NT);
            if (c >= LZH_NT) {
                report_bad_table(codes);
                return false;
            }
        }
        in.skip(codes.ptLen[c]);
        if (c > LZH_LENGTH_SYMBOL_OFFSET) {
            store(static_cast<std::uint8_t>(c - LZH_LENGTH_SYMBOL_OFFSET));
            continue;
        }
        unsigned zeros = 1;
        if (c == 1)
            zeros = in.get(LZH_SHORT_ZERO_RUN_BITS) + LZH_SHORT_ZERO_RUN_BASE;
        else if (c == 2)
            zeros = in.get(LZH_LONG_ZERO_RUN_BITS) + LZH_LONG_ZERO_RUN_BASE;
        while (zeros-- > 0)
            store(0);
    }
    for (; i < LZH_NC; ++i)
        codes.cLen[i] = 0;
    return build_table(codes, LZH_NC, codes.cLen, LZH_C_TABLE_BITS, codes.cTable);
}

}  // namespace

void report_bad_table(const LzhCodes& codes)
{
    kernel_error(*codes.messages, BAD_TABLE_MESSAGE, BAD_TABLE_DETAIL);
}

unsigned walk_tree(const LzhCodes& codes, unsigned node, std::uint32_t bits, unsigned tableBits, unsigned nsym)
{
    std::uint32_t mask = 0x8000;
    for (unsigned depth = tableBits; node >= nsym; ++depth, mask >>= 1) {
        if (depth == LZH_MAX_CODE_LENGTH)
            return nsym;
        node = (bits & mask) ? codes.right[node] : codes.left[node];
    }
    return node;
}

bool read_block_head(LzhBitReader& in, LzhCodes& codes, std::uint16_t& blockSize)
{
    blockSize = static_cast<std::uint16_t>(in.get(LZH_BLOCK_SIZE_BITS));
    return read_pt_len(in, codes, LZH_NT, LZH_NT_COUNT_BITS, LZH_NT_SPECIAL_INDEX) && read_c_len(in, codes) &&
           read_pt_len(in, codes, codes.positionClasses, codes.positionBits, -1, &codes.positionsPastClasses);
}
