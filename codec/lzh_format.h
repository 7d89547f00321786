// The lh5 bit stream as both sides see it: the alphabets, the code-length limit, the
// widths of the block-head fields and the window shapes. The decoder (lzh.cpp,
// lzh_tables.cpp) and the encoder (lh5_encode.cpp) take every one of them from here.
#pragma once

constexpr unsigned LZH_LITERALS = 256;
constexpr unsigned LZH_MIN_MATCH = 3;        // symbol 256
constexpr unsigned LZH_MAX_MATCH = 256;      // symbol 509
constexpr unsigned LZH_NC = 510;             // literal/length symbols: 256 literals, 254 lengths
constexpr unsigned LZH_LENGTH_OFFSET = 253;  // symbol - 253 is the match length
constexpr unsigned LZH_NT = 19;              // code-length symbols
constexpr unsigned LZH_MAX_CODE_LENGTH = 16;

// The block head: a symbol count, then the code-length code, the literal/length code and
// the position code.
constexpr unsigned LZH_BLOCK_SIZE_BITS = 16;  // 0 stands for 65,536 symbols
constexpr unsigned LZH_NT_COUNT_BITS = 5;     // width of the code-length code's count
constexpr unsigned LZH_NT_SPECIAL_INDEX = 3;  // after the third length comes a 2-bit zero run
constexpr unsigned LZH_NT_ZERO_RUN_BITS = 2;
constexpr unsigned LZH_NC_COUNT_BITS = 9;         // width of the literal/length code's count
constexpr unsigned LZH_PT_LENGTH_FIELD_BITS = 3;  // a code length starts with 3 bits ...
constexpr unsigned LZH_PT_LENGTH_ESCAPE = 7;      // ... and 7 goes on with a run of ones
constexpr unsigned LZH_SHORT_ZERO_RUN_BITS = 4;   // code-length symbol 1: 3..18 zero lengths
constexpr unsigned LZH_SHORT_ZERO_RUN_BASE = 3;
constexpr unsigned LZH_LONG_ZERO_RUN_BITS = 9;  // code-length symbol 2: 20..531 zero lengths
constexpr unsigned LZH_LONG_ZERO_RUN_BASE = 20;
constexpr unsigned LZH_LENGTH_SYMBOL_OFFSET = 2;  // code-length symbols 3..18 are lengths 1..16

// Windows. Position class c > 0 covers positions (distance - 1) 2^(c-1) .. 2^c - 1, so a
// window of 2^bits bytes needs bits + 1 classes. -lh4- and -lh5- (and EFI) send 14 classes
// with a 4-bit count; the wider windows (-lh6- 15 bits, -lh7- 16, the Tiano kind 19) send
// bits + 1 classes with a 5-bit count.
constexpr unsigned LZH_NARROW_WINDOW_BITS = 13;
constexpr unsigned LZH_NARROW_POSITION_CLASSES = 14;
constexpr unsigned LZH_NARROW_POSITION_COUNT_BITS = 4;
constexpr unsigned LZH_WIDE_POSITION_COUNT_BITS = 5;
constexpr unsigned LZH_MAX_WINDOW_BITS = 19;  // wider requests are held to 512 KiB

struct LzhWindowShape {
    unsigned windowBits;         // log2 of the window size
    unsigned positionClasses;    // NP
    unsigned positionCountBits;  // width of the position code's count: 4, or 5
};

// The window a dictionaryBits value asks for; a negative value or one above the widest
// window gets the widest.
constexpr LzhWindowShape lzh_window_shape(int dictionaryBits)
{
    unsigned bits = dictionaryBits < 0 || dictionaryBits > static_cast<int>(LZH_MAX_WINDOW_BITS)
                        ? LZH_MAX_WINDOW_BITS
                        : static_cast<unsigned>(dictionaryBits);
    if (bits <= LZH_NARROW_WINDOW_BITS)
        return {bits, LZH_NARROW_POSITION_CLASSES, LZH_NARROW_POSITION_COUNT_BITS};
    return {bits, bits + 1, LZH_WIDE_POSITION_COUNT_BITS};
}
