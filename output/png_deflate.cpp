// Deflate (RFC 1951) in a zlib wrapper (RFC 1950) for the rows of a 16-bit PNG whose
// samples are picture bytes with a zero low half.
//
// Positions are offsets into the 8-bit picture. Picture byte k of row y stands in the
// stream at y * R + 1 + 2 * (k - y * rowBytes), where R = 1 + 2 * rowBytes is a stream
// row (the filter byte 0, then two bytes a picture byte). A repeat of n picture bytes is
// a repeat of 2n stream bytes, the zero halves included, at twice the picture distance
// plus one for each filter byte between. Such a repeat stays within one row of source and
// target, except from straight above, where both cross their row ends together and the
// filter bytes match too. Every stream byte before a picture byte is 0, so a repeat may
// also start one byte early, at the literal 0 before it.
//
// Candidates are tried in this order: a run of zeros (distance 1), the byte and the pixel
// to the left, the byte above (where palette pictures repeat), a chain of earlier places
// with the same four bytes, for short repeats a chain of places with the same two bytes,
// and for a lone byte its last place. One-step lazy matching as zlib does at its default
// level. Runs of zero rows (a picture the data did not reach) are repeats of the byte
// before, with no search. Every 16,384 symbols end a block, coded with its own Huffman
// codes or the fixed ones, whichever is shorter. Small pictures are left to zlib.
#include "output/png_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <queue>
#include <utility>

namespace {

constexpr std::uint32_t WINDOW = 32768;         // farthest distance deflate expresses
constexpr unsigned MAX_REPEAT = 258;            // longest repeat, in stream bytes
constexpr unsigned MIN_REPEAT = 3;              // shortest repeat, in stream bytes
constexpr unsigned MAX_MATCH = MAX_REPEAT / 2;  // longest repeat, in picture bytes
constexpr unsigned HASH_BYTES = 4;
// Bits of the hash tables for the largest pictures; a small picture gets tables to its size
// (at least MIN_TABLE_BITS), so that its few bytes do not pay for clearing large ones.
constexpr unsigned HASH_BITS = 15;
constexpr unsigned PAIR_HASH_BITS = 16;
constexpr unsigned MIN_TABLE_BITS = 8;
// A position's link to the previous one with its hash, kept by position modulo this; a
// picture distance of 16,384 is already a stream distance of 32,768.
constexpr std::uint32_t CHAIN_SLOTS = WINDOW;
constexpr unsigned CHAIN_DEPTH = 48;
// A picture whose stream is at most this long (a logo of about 200 x 200) goes through zlib
// at its default level instead: for so few bytes zlib is faster than this encoder's set-up
// (well under a millisecond), and its files are those the export always wrote.
constexpr std::uint64_t SMALL_STREAM = 256 * 1024;
// Short repeats (two or three picture bytes) come from a second chain of places with the
// same two bytes, walked only this deep when the first found nothing this long.
constexpr unsigned PAIR_CHAIN_DEPTH = 8;
constexpr unsigned SHORT_MATCH = 4;
// A single picture byte repeats (with the zeros around it) only from this near: farther,
// the distance costs more than the literal.
constexpr std::uint32_t SINGLE_BYTE_DISTANCE = 4096;
constexpr unsigned GOOD_MATCH = 8;   // after a repeat this long, the next search walks a quarter as far
constexpr unsigned LAZY_MATCH = 16;  // a repeat this long is taken without a look one byte further
constexpr unsigned BYTES_PER_PIXEL = 3;
constexpr std::size_t BLOCK_SYMBOLS = 16384;
constexpr std::uint32_t ADLER_MOD = 65521;
constexpr std::size_t ADLER_RUN = 2048;  // bytes summed before reducing; far below overflow
constexpr std::uint8_t ZLIB_CMF = 0x78;  // deflate, 32 KiB window
constexpr std::uint8_t ZLIB_FLG = 0x9C;  // default level, no dictionary, check bits

constexpr unsigned LITLEN_CODES = 286;
constexpr unsigned DISTANCE_CODES = 30;
constexpr unsigned CODE_LENGTH_CODES = 19;
constexpr unsigned END_OF_BLOCK = 256;
constexpr unsigned FIRST_LENGTH_CODE = 257;
constexpr unsigned MAX_CODE_BITS = 15;
constexpr unsigned MAX_CODE_LENGTH_BITS = 7;
constexpr unsigned REPEAT_PREVIOUS = 16;   // code-length symbols: 3-6 copies of the last length,
constexpr unsigned REPEAT_ZERO = 17;       // 3-10 zeros,
constexpr unsigned REPEAT_ZERO_LONG = 18;  // 11-138 zeros

// Repeat lengths and distances: base of each code and its count of extra bits.
constexpr std::uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t DISTANCE_BASE[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t DISTANCE_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a block header lists the code-length code's lengths.
constexpr std::uint8_t CODE_LENGTH_ORDER[CODE_LENGTH_CODES] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// Length code (0-28) of each repeat length 3 to 258.
constexpr auto LENGTH_CODE = [] {
    std::array<std::uint8_t, MAX_REPEAT + 1> table{};
    for (unsigned code = 0; code < 29; ++code) {
        unsigned end = code == 28 ? MAX_REPEAT + 1 : LENGTH_BASE[code + 1];
        for (unsigned length = LENGTH_BASE[code]; length < end; ++length)
            table[length] = static_cast<std::uint8_t>(code);
    }
    table[MAX_REPEAT] = 28;  // 258 has a code of its own, not 227 + 31
    return table;
}();

// Distance code of distance d: by d - 1 up to 256, by (d - 1) >> 7 above.
constexpr auto NEAR_DISTANCE_CODE = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned code = 0; code < 16; ++code)
        for (unsigned d = DISTANCE_BASE[code]; d < DISTANCE_BASE[code + 1]; ++d)
            table[d - 1] = static_cast<std::uint8_t>(code);
    return table;
}();
constexpr auto FAR_DISTANCE_CODE = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned code = 16; code < DISTANCE_CODES; ++code) {
        unsigned end = code == DISTANCE_CODES - 1 ? WINDOW + 1 : DISTANCE_BASE[code + 1];
        for (unsigned d = DISTANCE_BASE[code]; d < end; d += 128)
            table[(d - 1) >> 7] = static_cast<std::uint8_t>(code);
    }
    return table;
}();

unsigned distance_code(std::uint32_t distance)
{
    return distance <= 256 ? NEAR_DISTANCE_CODE[distance - 1] : FAR_DISTANCE_CODE[(distance - 1) >> 7];
}

// The fixed Huffman code lengths of deflate; codes 286 and 287 are never sent but take
// their place in the code.
constexpr unsigned FIXED_LITLEN_CODES = 288;
constexpr auto FIXED_LITLEN_LENGTHS = [] {
    std::array<std::uint8_t, FIXED_LITLEN_CODES> lengths{};
    for (unsigned s = 0; s < FIXED_LITLEN_CODES; ++s)
        lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    return lengths;
}();
constexpr std::uint8_t FIXED_DISTANCE_LENGTH = 5;

// A literal stream byte (distance 0) or a repeat of `value` stream bytes at `distance`.
struct Symbol {
    std::uint16_t value;
    std::uint16_t distance;
};

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    // Appends count (at most 32) bits, the lowest first.
    void put(std::uint32_t bits, unsigned count)
    {
        acc_ |= static_cast<std::uint64_t>(bits) << used_;
        used_ += count;
        while (used_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            used_ -= 8;
        }
    }
    void flush_byte()
    {
        if (used_ != 0)
            out_.push_back(static_cast<std::uint8_t>(acc_));
        acc_ = 0;
        used_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t acc_ = 0;
    unsigned used_ = 0;
};

// Canonical codes for the lengths, bit-reversed because deflate sends codes from their
// first bit while BitWriter fills bytes from the lowest bit.
void canonical_codes(const std::uint8_t* lengths, unsigned count, std::uint16_t* codes)
{
    unsigned perLength[MAX_CODE_BITS + 1] = {};
    for (unsigned s = 0; s < count; ++s)
        ++perLength[lengths[s]];
    perLength[0] = 0;
    unsigned next[MAX_CODE_BITS + 1] = {};
    unsigned code = 0;
    for (unsigned bits = 1; bits <= MAX_CODE_BITS; ++bits) {
        code = (code + perLength[bits - 1]) << 1;
        next[bits] = code;
    }
    for (unsigned s = 0; s < count; ++s) {
        unsigned bits = lengths[s];
        if (bits == 0)
            continue;
        unsigned c = next[bits]++, reversed = 0;
        for (unsigned i = 0; i < bits; ++i, c >>= 1)
            reversed = (reversed << 1) | (c & 1);
        codes[s] = static_cast<std::uint16_t>(reversed);
    }
}

struct CodeLengthSymbol {
    std::uint8_t symbol;
    std::uint8_t extra;  // the repeat count's extra bits for 16, 17 and 18
};

constexpr unsigned code_length_extra_bits(unsigned symbol)
{
    return symbol == REPEAT_PREVIOUS ? 2 : symbol == REPEAT_ZERO ? 3 : symbol == REPEAT_ZERO_LONG ? 7 : 0;
}

// The run-length form of the code lengths a dynamic block header sends.
std::vector<CodeLengthSymbol> run_length_code(const std::uint8_t* lengths, unsigned count)
{
    std::vector<CodeLengthSymbol> out;
    for (unsigned i = 0; i < count;) {
        std::uint8_t v = lengths[i];
        unsigned run = 1;
        while (i + run < count && lengths[i + run] == v)
            ++run;
        if (v == 0 && run >= 3) {
            unsigned n = std::min(run, 138u);
            if (n >= 11)
                out.push_back({REPEAT_ZERO_LONG, static_cast<std::uint8_t>(n - 11)});
            else
                out.push_back({REPEAT_ZERO, static_cast<std::uint8_t>(n - 3)});
            i += n;
        } else if (v != 0 && run >= 4) {
            unsigned n = std::min(run - 1, 6u);
            out.push_back({v, 0});
            out.push_back({REPEAT_PREVIOUS, static_cast<std::uint8_t>(n - 3)});
            i += 1 + n;
        } else {
            out.push_back({v, 0});
            ++i;
        }
    }
    return out;
}

// Writes the symbols as one block with the cheaper of its own codes and the fixed ones.
void write_block(BitWriter& bits, const std::vector<Symbol>& symbols, bool last)
{
    std::uint32_t litlenFreq[LITLEN_CODES] = {}, distanceFreq[DISTANCE_CODES] = {};
    for (const Symbol& s : symbols) {
        if (s.distance == 0) {
            ++litlenFreq[s.value];
        } else {
            ++litlenFreq[FIRST_LENGTH_CODE + LENGTH_CODE[s.value]];
            ++distanceFreq[distance_code(s.distance)];
        }
    }
    litlenFreq[END_OF_BLOCK] = 1;

    std::uint8_t litlenLengths[LITLEN_CODES], distanceLengths[DISTANCE_CODES];
    code_lengths(litlenFreq, LITLEN_CODES, MAX_CODE_BITS, litlenLengths);
    code_lengths(distanceFreq, DISTANCE_CODES, MAX_CODE_BITS, distanceLengths);
    if (std::all_of(distanceLengths, distanceLengths + DISTANCE_CODES, [](std::uint8_t b) { return b == 0; }))
        distanceLengths[0] = 1;  // a block without repeats still sends one distance code
    unsigned litlenCount = LITLEN_CODES, distanceCount = DISTANCE_CODES;
    while (litlenCount > FIRST_LENGTH_CODE && litlenLengths[litlenCount - 1] == 0)
        --litlenCount;
    while (distanceCount > 1 && distanceLengths[distanceCount - 1] == 0)
        --distanceCount;

    std::uint8_t allLengths[LITLEN_CODES + DISTANCE_CODES];
    std::copy(litlenLengths, litlenLengths + litlenCount, allLengths);
    std::copy(distanceLengths, distanceLengths + distanceCount, allLengths + litlenCount);
    std::vector<CodeLengthSymbol> header = run_length_code(allLengths, litlenCount + distanceCount);
    std::uint32_t headerFreq[CODE_LENGTH_CODES] = {};
    for (const CodeLengthSymbol& c : header)
        ++headerFreq[c.symbol];
    std::uint8_t headerLengths[CODE_LENGTH_CODES];
    code_lengths(headerFreq, CODE_LENGTH_CODES, MAX_CODE_LENGTH_BITS, headerLengths);
    unsigned headerCount = CODE_LENGTH_CODES;
    while (headerCount > 4 && headerLengths[CODE_LENGTH_ORDER[headerCount - 1]] == 0)
        --headerCount;

    // Both sizes in bits: the 3 bits of the block type, the header, the symbols.
    std::uint64_t dynamicBits = 3 + 5 + 5 + 4 + 3 * headerCount, fixedBits = 3;
    for (const CodeLengthSymbol& c : header)
        dynamicBits += headerLengths[c.symbol] + code_length_extra_bits(c.symbol);
    for (unsigned s = 0; s < LITLEN_CODES; ++s) {
        unsigned extra = s >= FIRST_LENGTH_CODE ? LENGTH_EXTRA[s - FIRST_LENGTH_CODE] : 0;
        dynamicBits += static_cast<std::uint64_t>(litlenFreq[s]) * (litlenLengths[s] + extra);
        fixedBits += static_cast<std::uint64_t>(litlenFreq[s]) * (FIXED_LITLEN_LENGTHS[s] + extra);
    }
    for (unsigned s = 0; s < DISTANCE_CODES; ++s) {
        dynamicBits += static_cast<std::uint64_t>(distanceFreq[s]) * (distanceLengths[s] + DISTANCE_EXTRA[s]);
        fixedBits += static_cast<std::uint64_t>(distanceFreq[s]) * (FIXED_DISTANCE_LENGTH + DISTANCE_EXTRA[s]);
    }

    const std::uint8_t* useLitlen = litlenLengths;
    unsigned litlenCodeCount = LITLEN_CODES;
    std::uint8_t fixedDistance[DISTANCE_CODES];
    const std::uint8_t* useDistance = distanceLengths;
    bits.put(last ? 1 : 0, 1);
    if (fixedBits <= dynamicBits) {
        bits.put(1, 2);  // fixed codes
        useLitlen = FIXED_LITLEN_LENGTHS.data();
        litlenCodeCount = FIXED_LITLEN_CODES;
        std::fill(fixedDistance, fixedDistance + DISTANCE_CODES, FIXED_DISTANCE_LENGTH);
        useDistance = fixedDistance;
    } else {
        bits.put(2, 2);  // codes of its own
        bits.put(litlenCount - FIRST_LENGTH_CODE, 5);
        bits.put(distanceCount - 1, 5);
        bits.put(headerCount - 4, 4);
        for (unsigned i = 0; i < headerCount; ++i)
            bits.put(headerLengths[CODE_LENGTH_ORDER[i]], 3);
        std::uint16_t headerCodes[CODE_LENGTH_CODES] = {};
        canonical_codes(headerLengths, CODE_LENGTH_CODES, headerCodes);
        for (const CodeLengthSymbol& c : header) {
            bits.put(headerCodes[c.symbol], headerLengths[c.symbol]);
            bits.put(c.extra, code_length_extra_bits(c.symbol));
        }
    }
    std::uint16_t litlenCodes[FIXED_LITLEN_CODES] = {}, distanceCodes[DISTANCE_CODES] = {};
    canonical_codes(useLitlen, litlenCodeCount, litlenCodes);
    canonical_codes(useDistance, DISTANCE_CODES, distanceCodes);
    for (const Symbol& s : symbols) {
        if (s.distance == 0) {
            bits.put(litlenCodes[s.value], useLitlen[s.value]);
            continue;
        }
        unsigned lc = LENGTH_CODE[s.value], dc = distance_code(s.distance);
        bits.put(litlenCodes[FIRST_LENGTH_CODE + lc], useLitlen[FIRST_LENGTH_CODE + lc]);
        bits.put(s.value - LENGTH_BASE[lc], LENGTH_EXTRA[lc]);
        bits.put(distanceCodes[dc], useDistance[dc]);
        bits.put(s.distance - DISTANCE_BASE[dc], DISTANCE_EXTRA[dc]);
    }
    bits.put(litlenCodes[END_OF_BLOCK], useLitlen[END_OF_BLOCK]);
}

// Adler-32 of the stream, fed by picture rows: per row the filter byte 0, then each
// picture byte and its zero half.
class Adler {
public:
    void add_row(const std::uint8_t* row, std::size_t n)
    {
        b_ = (b_ + a_) % ADLER_MOD;  // the filter byte
        for (std::size_t done = 0; done < n;) {
            std::size_t run = std::min(n - done, ADLER_RUN);
            for (std::size_t i = 0; i < run; ++i) {
                a_ += row[done + i];
                b_ += 2 * a_;  // after the byte, and again after its zero half
            }
            a_ %= ADLER_MOD;
            b_ %= ADLER_MOD;
            done += run;
        }
    }
    // A row of zeros leaves the sum and adds it once per stream byte.
    void add_zero_row(std::uint64_t streamBytes) { b_ = (b_ + (streamBytes % ADLER_MOD) * a_) % ADLER_MOD; }
    std::uint32_t value() const { return static_cast<std::uint32_t>((b_ << 16) | a_); }

private:
    std::uint64_t a_ = 1;
    std::uint64_t b_ = 0;
};

// True when the n bytes are all 0; compares a block at a time (memcmp is vectorised).
bool all_zero(const std::uint8_t* bytes, std::size_t n)
{
    static constexpr std::uint8_t ZEROS[4096] = {};
    for (std::size_t done = 0; done < n; done += sizeof ZEROS)
        if (std::memcmp(bytes + done, ZEROS, std::min(sizeof ZEROS, n - done)) != 0)
            return false;
    return true;
}

// Number of equal bytes at a and b, up to limit.
unsigned equal_bytes(const std::uint8_t* a, const std::uint8_t* b, unsigned limit)
{
    unsigned n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; n + 8 <= limit; n += 8) {
            std::uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y)
                return n + static_cast<unsigned>(std::countr_zero(x ^ y)) / 8;
        }
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

class PictureEncoder {
public:
    PictureEncoder(const std::uint8_t* rgb, std::size_t rowBytes, std::size_t height, std::vector<std::uint8_t>& out)
        : rgb_(rgb),
          rowBytes_(rowBytes),
          total_(rowBytes * height),
          streamRow_(1 + 2 * static_cast<std::uint64_t>(rowBytes)),
          hashBits_(table_bits(total_, HASH_BITS)),
          pairBits_(table_bits(total_, PAIR_HASH_BITS)),
          chainSlots_(std::size_t{1} << table_bits(total_, std::bit_width(CHAIN_SLOTS - 1))),
          bits_(out),
          head_(std::size_t{1} << hashBits_, 0),
          chain_(chainSlots_, 0),
          pairHead_(std::size_t{1} << pairBits_, 0),
          pairChain_(chainSlots_, 0),
          lastOfValue_(256, 0)
    {
        symbols_.reserve(BLOCK_SYMBOLS + 2 * MAX_MATCH + 8);
    }

    // The stream from its first byte to its last, by lazy matching: a repeat found at k is
    // held while the search at k + 1 finds a longer one, in which case the byte at k goes
    // as a literal. A row start settles a held repeat first (only a repeat from straight
    // above reaches over it) and is not looked past; a repeat of one byte is not held (the
    // next search starts right after it anyway).
    void encode()
    {
        Match held;
        std::size_t k = 0, rowStart = 0;
        while (k < total_) {
            if (k >= rowStart + rowBytes_)
                rowStart = k - k % rowBytes_;
            const bool rowFirst = k == rowStart;
            if (rowFirst && held.bytes != 0) {
                k = take(held, k - 1);
                held = Match{};
                continue;
            }
            if (rowFirst) {
                std::size_t zeroRows = 0;
                while (rowStart + zeroRows * rowBytes_ < total_ &&
                       all_zero(rgb_ + rowStart + zeroRows * rowBytes_, rowBytes_))
                    ++zeroRows;
                if (zeroRows != 0) {
                    add_zero_rows(zeroRows, rowStart == 0);
                    k += zeroRows * rowBytes_;
                    continue;
                }
                literal(0);  // filter: none
            }
            // A repeat found here follows a literal 0: the low half before k, or the filter byte.
            const bool afterZero = held.bytes != 0 || last_is_zero_literal();
            const unsigned depth = held.stream >= 2 * GOOD_MATCH ? CHAIN_DEPTH / 4 : CHAIN_DEPTH;
            const Match found = find(k, rowStart, held.stream, depth, afterZero);
            insert(k, rowStart + rowBytes_);
            if (held.bytes != 0) {
                if (found.bytes != 0) {
                    picture_literal(rgb_[k - 1]);
                    held = found;
                    ++k;
                } else {
                    k = take(held, k - 1);
                    held = Match{};
                }
            } else if (found.bytes == 0) {
                picture_literal(rgb_[k]);
                ++k;
            } else if (rowFirst || found.bytes == 1 || found.stream >= 2 * LAZY_MATCH) {
                k = take(found, k);
            } else {
                held = found;
                ++k;
            }
            // A held repeat may take the literal 0 before it: no block ends under it.
            if (held.bytes == 0)
                end_block_if_full();
        }
        write_block(bits_, symbols_, true);
        bits_.flush_byte();
    }

private:
    struct Match {
        unsigned bytes = 0;   // picture bytes; 0: none
        unsigned stream = 0;  // stream bytes: twice the picture bytes, the filter bytes crossed, the 0 taken in
        std::uint32_t distance = 0;
        bool takesZero = false;  // starts one byte early, at the literal 0 before it
    };

    void literal(std::uint8_t v) { symbols_.push_back({v, 0}); }
    void picture_literal(std::uint8_t v)
    {
        literal(v);
        literal(0);
    }
    bool last_is_zero_literal() const
    {
        return !symbols_.empty() && symbols_.back().distance == 0 && symbols_.back().value == 0;
    }

    // Sends the repeat that starts at picture byte start (or at the literal 0 before it),
    // adds the places it covers to the chains, and returns the position after it.
    std::size_t take(const Match& m, std::size_t start)
    {
        if (m.takesZero)
            symbols_.pop_back();
        symbols_.push_back({static_cast<std::uint16_t>(m.stream), static_cast<std::uint16_t>(m.distance)});
        std::size_t end = start + m.bytes;
        std::size_t rowEnd = start - start % rowBytes_ + rowBytes_;
        for (std::size_t k = start + 1; k < end; ++k) {
            if (k == rowEnd)
                rowEnd += rowBytes_;
            insert(k, rowEnd);
        }
        return end;
    }

    // Every stream byte of a run of zero rows repeats the zero before it (the previous
    // row's last low half, or the first row's filter byte).
    void add_zero_rows(std::size_t rows, bool first)
    {
        std::uint64_t left = streamRow_ * rows;
        if (first) {
            literal(0);
            --left;
        }
        while (left >= MIN_REPEAT) {
            auto n = static_cast<unsigned>(std::min<std::uint64_t>(left, MAX_REPEAT));
            if (left - n != 0 && left - n < MIN_REPEAT)
                n -= MIN_REPEAT;  // leave a repeat's worth for the last one
            symbols_.push_back({static_cast<std::uint16_t>(n), 1});
            left -= n;
            end_block_if_full();
        }
        for (; left != 0; --left)
            literal(0);
    }

    void end_block_if_full()
    {
        if (symbols_.size() >= BLOCK_SYMBOLS) {
            write_block(bits_, symbols_, false);
            symbols_.clear();
        }
    }

    std::uint32_t hash(std::size_t k) const
    {
        std::uint32_t v;
        std::memcpy(&v, rgb_ + k, HASH_BYTES);
        return (v * 0x9E3779B1u) >> (32 - hashBits_);  // Fibonacci hashing of the four bytes
    }

    // The two bytes at k, or their hash when the table is smaller than all pairs.
    std::uint32_t pair(std::size_t k) const
    {
        std::uint32_t v = rgb_[k] | (rgb_[k + 1] << 8);
        return pairBits_ == PAIR_HASH_BITS ? v : (v * 0x9E3779B1u) >> (32 - pairBits_);
    }

    // Bits of a table for a picture of total bytes: enough for one entry a byte, within
    // MIN_TABLE_BITS and maxBits.
    static unsigned table_bits(std::size_t total, unsigned maxBits)
    {
        return std::clamp(static_cast<unsigned>(std::bit_width(total)), MIN_TABLE_BITS, maxBits);
    }

    // Adds position k to the chains whose bytes lie within its row.
    void insert(std::size_t k, std::size_t rowEnd)
    {
        const auto here = static_cast<std::uint32_t>(k + 1);
        lastOfValue_[rgb_[k]] = here;
        if (k + 2 > rowEnd)
            return;
        pairChain_[k & (chainSlots_ - 1)] = pairHead_[pair(k)];
        pairHead_[pair(k)] = here;
        if (k + HASH_BYTES > rowEnd)
            return;
        const std::uint32_t h = hash(k);
        chain_[k & (chainSlots_ - 1)] = head_[h];
        head_[h] = here;
    }

    // Fills in m's stream length: twice its picture bytes plus the filter bytes it crosses
    // from `column` (crossing happens only where the filter bytes match as well), plus the
    // literal 0 before it when that can start it; picture bytes are dropped until deflate's
    // longest repeat holds it.
    void measure(Match& m, std::size_t column, bool zeroBefore) const
    {
        for (; m.bytes != 0; --m.bytes) {
            std::size_t stream = 2 * m.bytes + (column + m.bytes - 1) / rowBytes_;
            m.takesZero = zeroBefore && stream < MAX_REPEAT;
            if (stream + m.takesZero <= MAX_REPEAT) {
                m.stream = static_cast<unsigned>(stream + m.takesZero);
                return;
            }
        }
        m = Match{};
    }

    // Tries the repeat of candidate c for position k; keeps it in best when longer. The
    // stream byte before any candidate is 0 (a low half or a filter byte), so the literal 0
    // before k can join it (afterZero). true when no longer repeat is possible.
    bool try_candidate(std::size_t c, std::size_t k, std::size_t rowStart, bool afterZero, Match& best) const
    {
        if (c >= k)
            return false;
        const std::size_t y = rowStart / rowBytes_, cRow = c >= rowStart ? y : c / rowBytes_;
        const std::uint64_t distance = 2 * static_cast<std::uint64_t>(k - c) + (y - cRow);
        if (distance > WINDOW)
            return false;
        const std::size_t column = k - rowStart;
        Match m;
        m.distance = static_cast<std::uint32_t>(distance);
        if (c - cRow * rowBytes_ == column) {
            // Straight above: source and target cross their row ends together, with a filter
            // byte 0 on both sides, so the repeat may run on into the next rows.
            m.bytes =
                equal_bytes(rgb_ + c, rgb_ + k, static_cast<unsigned>(std::min<std::size_t>(MAX_MATCH, total_ - k)));
        } else {
            const std::size_t fits = std::min<std::size_t>({MAX_MATCH, rowBytes_ - column, (cRow + 1) * rowBytes_ - c});
            if (fits <= best.bytes || rgb_[c + best.bytes] != rgb_[k + best.bytes])
                return false;
            m.bytes = equal_bytes(rgb_ + c, rgb_ + k, static_cast<unsigned>(fits));
        }
        measure(m, column, afterZero);
        if (m.bytes == 1 && m.distance > SINGLE_BYTE_DISTANCE)
            return false;
        if (m.stream > best.stream)
            best = m;
        return best.stream >= MAX_REPEAT - 1 || k + best.bytes == total_;
    }

    // A run of zero bytes at k repeats the zero stream byte before it (distance 1), over
    // row ends too. It can start at the literal 0 before k only if the byte before that is 0.
    Match zero_run(std::size_t k, std::size_t rowStart, bool afterZero) const
    {
        const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(MAX_MATCH, total_ - k));
        Match m;
        m.distance = 1;
        while (m.bytes < limit && rgb_[k + m.bytes] == 0)
            ++m.bytes;
        const bool zeroTwoBefore = k == rowStart ? k != 0 : rgb_[k - 1] == 0;
        measure(m, k - rowStart, afterZero && zeroTwoBefore);
        return m;
    }

    // The longest repeat at k of more than atLeast stream bytes; none if there is none.
    Match find(std::size_t k, std::size_t rowStart, unsigned atLeast, unsigned depth, bool afterZero) const
    {
        Match best;
        best.stream = std::max(atLeast, MIN_REPEAT - 1);
        const unsigned floor = best.stream;
        const std::size_t rowEnd = rowStart + rowBytes_;
        if (rgb_[k] == 0 && k != 0) {
            Match run = zero_run(k, rowStart, afterZero);
            if (run.stream > best.stream)
                best = run;
        }
        bool done =
            (k >= rowStart + 1 && try_candidate(k - 1, k, rowStart, afterZero, best)) ||
            (k >= rowStart + BYTES_PER_PIXEL && try_candidate(k - BYTES_PER_PIXEL, k, rowStart, afterZero, best)) ||
            (k >= rowBytes_ && try_candidate(k - rowBytes_, k, rowStart, afterZero, best));
        if (!done && k + HASH_BYTES <= rowEnd)
            done = walk(chain_, head_[hash(k)], depth, k, rowStart, afterZero, best);
        if (!done && best.bytes < SHORT_MATCH && k + 2 <= rowEnd)
            walk(pairChain_, pairHead_[pair(k)], PAIR_CHAIN_DEPTH, k, rowStart, afterZero, best);
        if (best.bytes == 0 && afterZero && lastOfValue_[rgb_[k]] != 0) {
            // One picture byte with the zeros on both sides: three stream bytes.
            Match single;
            try_candidate(lastOfValue_[rgb_[k]] - 1, k, rowStart, afterZero, single);
            if (single.takesZero && single.distance <= SINGLE_BYTE_DISTANCE && single.stream > best.stream)
                best = single;
        }
        return best.stream > floor ? best : Match{};
    }

    // Walks a chain from its head (position + 1) for at most depth places; true when a
    // repeat as long as possible was found.
    bool walk(const std::vector<std::uint32_t>& chain, std::uint32_t c, unsigned depth, std::size_t k,
              std::size_t rowStart, bool afterZero, Match& best) const
    {
        for (unsigned steps = 0; c != 0 && steps < depth; ++steps) {
            const std::size_t candidate = c - 1;
            if (2 * static_cast<std::uint64_t>(k - candidate) > WINDOW)
                return false;  // this one and all older ones are beyond the window
            if (try_candidate(candidate, k, rowStart, afterZero, best))
                return true;
            const std::uint32_t older = chain[candidate & (chainSlots_ - 1)];
            if (older >= c)
                return false;  // a stale link
            c = older;
        }
        return false;
    }

    const std::uint8_t* rgb_;
    const std::size_t rowBytes_;
    const std::size_t total_;
    const std::uint64_t streamRow_;
    const unsigned hashBits_;       // of head_
    const unsigned pairBits_;       // of pairHead_
    const std::size_t chainSlots_;  // of chain_ and pairChain_, a power of two
    BitWriter bits_;
    std::vector<std::uint32_t> head_;         // last position + 1 of each hash; 0: none
    std::vector<std::uint32_t> chain_;        // previous position + 1 with the same hash
    std::vector<std::uint32_t> pairHead_;     // last position + 1 of each pair of bytes
    std::vector<std::uint32_t> pairChain_;    // previous position + 1 with the same pair
    std::vector<std::uint32_t> lastOfValue_;  // last position + 1 of each byte value
    std::vector<Symbol> symbols_;
};

// The stream by zlib (default level), for small pictures only: it builds the whole stream
// in memory. Empty when zlib fails.
std::vector<std::uint8_t> zlib_stream(const std::uint8_t* rgb, std::size_t rowBytes, std::uint32_t height)
{
    const std::size_t streamRow = 1 + 2 * rowBytes;
    std::vector<std::uint8_t> stream(streamRow * height, 0);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t i = 0; i < rowBytes; ++i)
            stream[y * streamRow + 1 + 2 * i] = rgb[y * rowBytes + i];
    uLongf size = compressBound(static_cast<uLong>(stream.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, stream.data(), static_cast<uLong>(stream.size()), Z_DEFAULT_COMPRESSION) !=
        Z_OK)
        return {};
    packed.resize(size);
    return packed;
}

}  // namespace

bool deflate_rgb16_rows(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                        std::vector<std::uint8_t>& out, bool zlibForSmall)
{
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * BYTES_PER_PIXEL;
    if (!rgb || width == 0 || height == 0 || rowBytes * height >= UINT32_MAX)
        return false;
    const std::uint64_t streamRow = 1 + 2 * rowBytes;
    if (zlibForSmall && streamRow * height <= SMALL_STREAM) {
        std::vector<std::uint8_t> packed = zlib_stream(rgb, static_cast<std::size_t>(rowBytes), height);
        if (!packed.empty()) {
            out.insert(out.end(), packed.begin(), packed.end());
            return true;
        }
    }
    out.push_back(ZLIB_CMF);
    out.push_back(ZLIB_FLG);
    PictureEncoder(rgb, static_cast<std::size_t>(rowBytes), height, out).encode();
    Adler adler;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = rgb + y * rowBytes;
        if (all_zero(row, static_cast<std::size_t>(rowBytes)))
            adler.add_zero_row(streamRow);
        else
            adler.add_row(row, static_cast<std::size_t>(rowBytes));
    }
    const std::uint32_t check = adler.value();
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(check >> shift));
    return true;
}

void code_lengths(const std::uint32_t* counts, unsigned count, unsigned maxBits, std::uint8_t* lengths)
{
    std::fill(lengths, lengths + count, 0);
    std::vector<unsigned> used;
    for (unsigned s = 0; s < count; ++s)
        if (counts[s] != 0)
            used.push_back(s);
    if (used.empty())
        return;
    if (used.size() == 1) {
        lengths[used[0]] = 1;
        return;
    }
    // Huffman's tree: leaves 0..n-1 are the used symbols, every merge adds a node.
    std::vector<std::uint64_t> weight;
    for (unsigned s : used)
        weight.push_back(counts[s]);
    std::vector<unsigned> parent(2 * used.size() - 1, 0);
    using Entry = std::pair<std::uint64_t, unsigned>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    for (unsigned i = 0; i < used.size(); ++i)
        queue.push({weight[i], i});
    while (queue.size() > 1) {
        Entry a = queue.top();
        queue.pop();
        Entry b = queue.top();
        queue.pop();
        auto node = static_cast<unsigned>(weight.size());
        weight.push_back(a.first + b.first);
        parent[a.second] = parent[b.second] = node;
        queue.push({weight.back(), node});
    }
    // Depths from the root (the last node) down.
    std::vector<unsigned> depth(weight.size(), 0);
    for (std::size_t i = weight.size() - 1; i-- > 0;)
        depth[i] = depth[parent[i]] + 1;

    std::vector<unsigned> perLength(maxBits + 1, 0);
    for (unsigned i = 0; i < used.size(); ++i)
        ++perLength[std::min(depth[i], maxBits)];
    // Codes cut to maxBits over-fill the code space; each step frees one maxBits code by
    // making a shorter code one bit longer.
    std::uint64_t space = 0;
    for (unsigned bits = 1; bits <= maxBits; ++bits)
        space += static_cast<std::uint64_t>(perLength[bits]) << (maxBits - bits);
    while (space > (1ull << maxBits)) {
        --perLength[maxBits];
        for (unsigned bits = maxBits - 1; bits > 0; --bits) {
            if (perLength[bits] != 0) {
                --perLength[bits];
                perLength[bits + 1] += 2;
                break;
            }
        }
        --space;
    }
    // The most frequent symbols take the shortest lengths.
    std::stable_sort(used.begin(), used.end(), [&](unsigned a, unsigned b) { return counts[a] > counts[b]; });
    std::size_t next = 0;
    for (unsigned bits = 1; bits <= maxBits; ++bits)
        for (unsigned n = 0; n < perLength[bits]; ++n)
            lengths[used[next++]] = static_cast<std::uint8_t>(bits);
}
