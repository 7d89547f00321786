// The lh5 kernel: round trips through streams made by jlha (cross-checked with lhasa),
// hand-made streams for the corner cases of the format, and malformed block heads.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "codec/lzh.h"
#include "support/fixtures.h"
#include "support/lh5_writer.h"
#include "support/lha_archive.h"

namespace {

constexpr int LH5_WINDOW_BITS = 13;
constexpr int LH6_WINDOW_BITS = 15;
constexpr int LH5_METHOD = 5;
constexpr int LH7_METHOD = 7;
constexpr const char* BAD_TABLE_TEXT = "Kernel: Error: Bad table in kernel2.cpp [3]\n STOP!\n";

struct DecodeRun {
    std::uint32_t unpackedSize = 0;
    long packedSize = -1;  // -1: the whole stream
    int method = LH5_METHOD;
    int windowBits = LH5_WINDOW_BITS;
};

struct DecodeResult {
    Bytes output;
    long inputPosition = 0;  // where the kernel left the input, from the first packed byte
    std::string errors;      // what it printed on standard error
};

// Collects the kernel's lines as standard error would show them.
class KernelCapture : public KernelSink {
public:
    void kernel_line(const std::string& text) override { lines += text; }
    std::string lines;
};

DecodeResult decode(const Bytes& packed, const DecodeRun& run)
{
    errno = 0;
    KernelCapture messages;
    auto packedSize = static_cast<std::uint32_t>(run.packedSize < 0 ? static_cast<long>(packed.size()) : run.packedSize);
    LzhResult result =
        lzh_decode(LzhRequest{packed, run.unpackedSize, packedSize, run.windowBits, run.method}, messages);
    DecodeResult r;
    r.errors = messages.lines;
    r.inputPosition = static_cast<long>(result.consumed);
    r.output = std::move(result.bytes);
    return r;
}

// ---- Independent oracle: jlha archives --------------------------------------------------

Bytes text_data(std::size_t size, unsigned seed)
{
    static const char* const WORDS[] = {"the ", "logo ", "BIOS ", "firmware ", "picture ", "of ", "a ", "board\n",
                                         "Award ", "Huffman ", "x", "qz ", "\t", "0123456789 "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const char* w = WORDS[rng() % std::size(WORDS)];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(size);
    return out;
}

// Long runs (256-byte matches at distance 1) and a start of spaces, which an encoder may
// match against the window's initial spaces.
Bytes runs_data(std::size_t size, unsigned)
{
    Bytes out(size, ' ');
    for (std::size_t i = 1000; i < size; ++i)
        out[i] = static_cast<std::uint8_t>("abcdefgh"[(i / 3000) % 8]);
    return out;
}

// Bytes spread over 200 values, barely compressible, the last 20,000 repeating from
// 20,000 back: only a window wider than lh5's reaches them.
Bytes far_repeats_data(std::size_t size, unsigned seed)
{
    constexpr std::size_t DISTANCE = 20000;
    std::mt19937 rng(seed);
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = i + DISTANCE < size ? static_cast<std::uint8_t>(rng() % 200) : out[i - DISTANCE];
    return out;
}

struct OracleCase {
    const char* name;
    Bytes (*make)(std::size_t, unsigned);
    std::size_t size;
    const char* method;  // jlha's: "5" lh5, "6" lh6 (32 KiB window)
};

const OracleCase ORACLE_CASES[] = {
    {"text_tiny", text_data, 60, "5"},
    {"text_300k", text_data, 300000, "5"},
    {"runs_100k", runs_data, 100000, "5"},
    {"lh6_far_repeats", far_repeats_data, 80000, "6"},
};

void PrintTo(const OracleCase& c, std::ostream* os)
{
    *os << c.name;
}

class JlhaRoundTrip : public testing::TestWithParam<OracleCase> {};

TEST_P(JlhaRoundTrip, DecodesTheOriginalBytes)
{
    const OracleCase& c = GetParam();
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    Bytes original = c.make(c.size, static_cast<unsigned>(c.size));
    LhaMember member;
    ASSERT_TRUE(jlha_pack(original, member, c.method));
    ASSERT_EQ(member.method, std::string("-lh") + c.method + "-") << "jlha stored the data instead of compressing it";
    ASSERT_EQ(member.originalSize, original.size());

    // Trailing bytes that are not part of the stream must not be taken.
    Bytes packed = member.packed;
    packed.insert(packed.end(), 16, 0x55);
    DecodeResult r = decode(packed, {.unpackedSize = member.originalSize, .packedSize = member.packedSize,
                                     .windowBits = *c.method == '6' ? LH6_WINDOW_BITS : LH5_WINDOW_BITS});
    EXPECT_TRUE(r.output == original) << "decoded " << r.output.size() << " bytes";
    EXPECT_EQ(r.inputPosition, static_cast<long>(member.packedSize));
    EXPECT_EQ(r.errors, "");

    Bytes lhasaOut;
    if (lhasa_unpack(member.archive, lhasaOut)) {
        EXPECT_TRUE(lhasaOut == original) << "lhasa disagrees with the original";
    }
}

INSTANTIATE_TEST_SUITE_P(Lh5, JlhaRoundTrip, testing::ValuesIn(ORACLE_CASES),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- Hand-made streams ------------------------------------------------------------------

// Literal/length code of two 1-bit symbols; a complete position code.
Lh5Codes two_symbol_codes(unsigned zeroSymbol, unsigned oneSymbol)
{
    Lh5Codes codes{full_nt_lengths(), Lengths(NC, 0), full_p_lengths()};
    codes.c[zeroSymbol] = codes.c[oneSymbol] = 1;
    return codes;
}

// One rule of the format per case; the expected output follows from the rule alone.
TEST(LzhKernel, HandMadeStreams)
{
    Bytes head = {0x12, 0x34, 0x56, 0x78};
    Lh5Writer singles;
    singles.single_value_block(0, 'A').single_value_block(2, 'B').single_value_block(1, 'C');
    Bytes countZero(65536 + 3, 'A');
    countZero[65536] = countZero[65537] = 'B';
    countZero[65538] = 'C';
    // Symbol 256 with a single-value position class 0: repeat the last byte.
    Bytes repeat = Lh5Writer().single_value_block(1, 'Z').single_value_block(1, 256, 0).bytes();

    // Bit 0 is A, bit 1 is B: the padding bits of the last byte, then missing input, which
    // reads as ones, then bytes past the packed size, which read as zeros.
    Lh5Writer w;
    write_block_head(w, 0, two_symbol_codes('A', 'B'));
    const long fileSize = static_cast<long>(w.bytes().size());
    Bytes missing(fileSize * 8 - w.bit_count(), 'A');
    missing.insert(missing.end(), 3 * 8, 'B');
    missing.insert(missing.end(), 5, 'A');

    // A literal, then a 256-byte match at distance 1: 255 bytes past an unpacked size of 2.
    Lh5Codes qMatch = two_symbol_codes('Q', 256 + LENGTH_OFFSET);
    qMatch.p = Lengths(NP, 0);
    qMatch.p[0] = qMatch.p[1] = 1;
    Lh5Writer q;
    write_block_head(q, 2, qMatch);
    write_match(q.symbol(qMatch.c, 'Q'), qMatch, 256, 1);

    // One 1-bit literal code: bit 0 is 'A'; a 1 bit meets a cleared table entry, symbol 0
    // of length 0, which takes no bits from then on.
    Lh5Codes onlyA = two_symbol_codes('A', 'B');
    onlyA.c['B'] = 0;
    Lh5Writer a;
    write_block_head(a, 10, onlyA);
    a.bits(0b001, 3);

    const struct {
        const char* what;
        Bytes packed;
        DecodeRun run;
        Bytes expected;
        long inputPosition = -1;  // -1: not checked
        const char* errors = "";
    } cases[] = {
        {"unpacked size 0 takes the first two bytes", head, {.unpackedSize = 0}, {}, 2},
        {"packed size 1 lets the reader take one byte", head, {.unpackedSize = 0, .packedSize = 1}, {}, 1},
        {"single-value codes take no bits, block size 0 serves 65,536 symbols", singles.bytes(), {.unpackedSize = 65539},
         countZero},
        {"method 7 counts match lengths from 2", repeat, {.unpackedSize = 3, .method = LH7_METHOD}, Bytes(3, 'Z')},
        {"method 5 counts match lengths from 3", repeat, {.unpackedSize = 3}, Bytes(4, 'Z')},
        {"missing input reads as ones, the packed size ends in zeros", w.bytes(),
         {.unpackedSize = static_cast<std::uint32_t>(missing.size()), .packedSize = fileSize + 3}, missing, fileSize},
        {"the last match is copied whole", q.bytes(), {.unpackedSize = 2}, Bytes(257, 'Q')},
        {"an incomplete code is reported and decoding goes on", a.bytes(), {.unpackedSize = 5}, {'A', 'A', 0, 0, 0},
         -1, BAD_TABLE_TEXT},
    };
    for (const auto& c : cases) {
        DecodeResult r = decode(c.packed, c.run);
        EXPECT_TRUE(r.output == c.expected) << c.what;
        EXPECT_EQ(r.errors, c.errors) << c.what;
        EXPECT_EQ(c.inputPosition < 0 ? -1 : r.inputPosition, c.inputPosition) << c.what;
    }
}

TEST(LzhKernel, LongCodesWalkTheTreesAndMatchesReachIntoTheInitialSpaces)
{
    // Literal/length lengths 1..16 over literals and match lengths, position lengths 1..13:
    // every code longer than its lookup width is decoded through the tree.
    std::vector<unsigned> cSymbols = {'e', 256 + 3, 't', 'a', 256 + 253, 'o', 256, 'i', 'n',
                                      256 + 50, 's', 'h', 'r', 256 + 1, 0xFF, 0x00, 256 + 2};
    Lh5Codes codes{full_nt_lengths(), chain_lengths(NC, cSymbols),
                   chain_lengths(NP, {13, 0, 12, 1, 11, 2, 10, 3, 9, 4, 8, 5, 7, 6})};
    std::mt19937 rng(7);
    Bytes expected;
    Lh5Writer w;
    write_block_head(w, 3000, codes);
    for (int i = 0; i < 3000; ++i) {
        unsigned s = cSymbols[rng() % cSymbols.size()];
        if (s < 256) {
            w.symbol(codes.c, s);
            expected.push_back(static_cast<std::uint8_t>(s));
            continue;
        }
        // Distances of every class; early ones reach before the first byte, into the spaces.
        unsigned cls = rng() % NP;
        unsigned distance = (cls == 0 ? 0 : (1u << (cls - 1)) + rng() % (1u << (cls - 1))) + 1;
        write_match(w, codes, s - 253, distance);
        for (unsigned k = 0; k < s - 253; ++k)
            expected.push_back(expected.size() >= distance ? expected[expected.size() - distance] : ' ');
    }
    DecodeResult r = decode(w.bytes(), {.unpackedSize = static_cast<std::uint32_t>(expected.size())});
    EXPECT_TRUE(r.output == expected);
    EXPECT_EQ(r.errors, "");
}

// ---- Messages and malformed block heads -------------------------------------------------

TEST(LzhKernel, UndecodableHeadsStopTheRun)
{
    // Each head is cut short by the kernel: reported, nothing decoded, nothing touched
    // outside the tables (the sanitizer build checks the last part).
    const struct {
        const char* name;
        void (*write)(Lh5Writer&);
    } heads[] = {
        {"length-code length of 20",
         [](Lh5Writer& w) { w.bits(5, 16).bits(1, NT_COUNT_BITS).bits(0b111, 3).bits(0x1FFF, 13).bits(0, 1); }},
        {"single literal/length value 511",
         [](Lh5Writer& w) { w.bits(5, 16).single(0, NT_COUNT_BITS).single(511, NC_COUNT_BITS); }},
        {"single position class 14", [](Lh5Writer& w) { w.single_value_block(5, 'A', 14); }},
        {"four 1-bit literal codes: over-subscribed by a multiple of the code space",
         [](Lh5Writer& w) {
             Lh5Codes codes = two_symbol_codes('A', 'B');
             codes.c['C'] = codes.c['D'] = 1;
             write_block_head(w, 5, codes);
         }},
    };
    for (const auto& head : heads) {
        Lh5Writer w;
        head.write(w.single_value_block(3, 'x'));
        w.bits(0xFFFFFFFF, 32);
        DecodeResult r = decode(w.bytes(), {.unpackedSize = 100});
        EXPECT_EQ(r.errors, BAD_TABLE_TEXT) << head.name;
        EXPECT_TRUE(r.output == Bytes(3, 'x')) << head.name;
    }
}

TEST(LzhKernel, CountsPastTheAlphabetsAreReadAndLeftOut)
{
    // Length code sent with 31 lengths (12 past its 19 symbols), a literal/length code of
    // 511 lengths whose last zero run carries past 510, and a position code of 15 lengths.
    Lengths nt = full_nt_lengths();
    nt.resize(31, 6);
    Lengths pl = full_p_lengths();
    pl.push_back(3);
    Lengths ntCode(nt.begin(), nt.begin() + 19);

    Lh5Writer w;
    w.bits(6, 16).pt_lengths(nt, NT_COUNT_BITS, NT_SPECIAL_INDEX).bits(511, NC_COUNT_BITS);
    for (unsigned i = 0; i < 500; ++i)
        w.symbol(ntCode, i == 'A' || i == 'B' ? 3 : 0);  // length 1 for A and B
    w.symbol(ntCode, 2).bits(30, 9);                      // 50 zero lengths from 500
    w.pt_lengths(pl, NP_COUNT_BITS, -1).bits(0b010110, 6);
    DecodeResult r = decode(w.bytes(), {.unpackedSize = 6});
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(r.output == (Bytes{'A', 'B', 'A', 'B', 'B', 'A'}));
}

}  // namespace
