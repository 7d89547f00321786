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
constexpr int LH5_METHOD = 5;
constexpr int LH7_METHOD = 7;
constexpr unsigned NT_COUNT_BITS = 5;
constexpr unsigned NC_COUNT_BITS = 9;
constexpr unsigned NP_COUNT_BITS = 4;
constexpr unsigned NC = 510;
constexpr unsigned NP = 14;
constexpr const char* BAD_TABLE_TEXT = "Kernel: Error: Bad table in kernel2.cpp [3]\n STOP!\n";

struct DecodeResult {
    Bytes output;
    long inputPosition = 0;  // where the kernel left the input, from the first packed byte
    std::string errors;      // what it printed on standard error
};

// Runs the kernel over packed (preceded by `lead` bytes the kernel must not take).
DecodeResult decode(const Bytes& packed, std::uint32_t unpackedSize, std::uint32_t packedSize,
                    int method = LH5_METHOD, std::size_t lead = 0)
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    Bytes file(lead, 0xAA);
    file.insert(file.end(), packed.begin(), packed.end());
    std::fwrite(file.data(), 1, file.size(), in);
    std::fseek(in, static_cast<long>(lead), SEEK_SET);

    errno = 0;
    testing::internal::CaptureStderr();
    lzh_decode(LzhRequest{in, out, unpackedSize, packedSize, LH5_WINDOW_BITS, method});
    DecodeResult r;
    r.errors = testing::internal::GetCapturedStderr();
    r.inputPosition = std::ftell(in) - static_cast<long>(lead);

    long size = (std::fseek(out, 0, SEEK_END), std::ftell(out));
    std::rewind(out);
    r.output.resize(static_cast<std::size_t>(size));
    if (size > 0) {
        EXPECT_EQ(std::fread(r.output.data(), 1, r.output.size(), out), r.output.size());
    }
    std::fclose(in);
    std::fclose(out);
    return r;
}

DecodeResult decode(const Bytes& packed, std::uint32_t unpackedSize)
{
    return decode(packed, unpackedSize, static_cast<std::uint32_t>(packed.size()));
}

// ---- Independent oracle: jlha archives --------------------------------------------------

Bytes text_data(std::size_t size, unsigned seed)
{
    static const char* const WORDS[] = {"the ", "logo ", "BIOS ", "firmware ", "picture ", "of ", "a ",
                                         "board\n", "Award ", "Phoenix ", "compressed ", "window ",
                                         "Huffman ", "x", "qz ", "\t", "0123456789 "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const char* w = WORDS[rng() % (sizeof WORDS / sizeof *WORDS)];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(size);
    return out;
}

// Bytes spread over 200 values: barely compressible, so jlha still picks lh5.
Bytes random_like_data(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() % 200);
    return out;
}

// An indexed picture: horizontal runs, gradients and a noisy band, row after row.
Bytes picture_data(std::size_t size, unsigned seed)
{
    constexpr std::size_t ROW = 640;
    std::mt19937 rng(seed);
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        std::size_t x = i % ROW, y = i / ROW;
        std::uint8_t v = static_cast<std::uint8_t>((x / 40 + y / 16) % 16);
        if (y % 50 > 40)
            v = static_cast<std::uint8_t>(x * 256 / ROW);
        if (x > 500 && x < 520)
            v = static_cast<std::uint8_t>(rng() % 16);
        out[i] = v;
    }
    return out;
}

Bytes mixed_data(std::size_t size, unsigned seed)
{
    Bytes out = text_data(size / 3, seed);
    Bytes pic = picture_data(size / 3, seed);
    Bytes rnd = random_like_data(size - 2 * (size / 3), seed);
    out.insert(out.end(), pic.begin(), pic.end());
    out.insert(out.end(), rnd.begin(), rnd.end());
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

struct OracleCase {
    const char* name;
    Bytes (*make)(std::size_t, unsigned);
    std::size_t size;
};

const OracleCase ORACLE_CASES[] = {
    {"text-tiny", text_data, 60},          {"text-1k", text_data, 1000},
    {"text-20k", text_data, 20000},        {"text-300k", text_data, 300000},
    {"random-5k", random_like_data, 5000}, {"random-200k", random_like_data, 200000},
    {"picture-8k", picture_data, 8192},    {"picture-400k", picture_data, 400000},
    {"mixed-150k", mixed_data, 150000},    {"mixed-600k", mixed_data, 600000},
    {"runs-100k", runs_data, 100000},
};

void PrintTo(const OracleCase& c, std::ostream* os)
{
    *os << c.name;
}

class JlhaRoundTrip : public testing::TestWithParam<OracleCase> {};

TEST_P(JlhaRoundTrip, DecodesTheOriginalBytes)
{
    const OracleCase& c = GetParam();
    Bytes original = c.make(c.size, static_cast<unsigned>(c.size));
    LhaMember member;
    std::string archive;
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    ASSERT_TRUE(jlha_pack(original, c.name, member, &archive));
    ASSERT_EQ(member.method, "-lh5-") << "jlha stored the data instead of compressing it";
    ASSERT_EQ(member.originalSize, original.size());

    // Leading and trailing bytes that are not part of the stream must stay untouched.
    Bytes packed = member.packed;
    packed.insert(packed.end(), 16, 0x55);
    DecodeResult r = decode(packed, member.originalSize, member.packedSize, LH5_METHOD, 7);
    EXPECT_TRUE(r.output == original) << "decoded " << r.output.size() << " bytes";
    EXPECT_EQ(r.inputPosition, static_cast<long>(member.packedSize));
    EXPECT_EQ(r.errors, "");

    Bytes lhasaOut;
    if (lhasa_unpack(archive, lhasaOut)) {
        EXPECT_TRUE(lhasaOut == original) << "lhasa disagrees with the original";
    }
}

INSTANTIATE_TEST_SUITE_P(Lh5, JlhaRoundTrip, testing::ValuesIn(ORACLE_CASES),
                         [](const testing::TestParamInfo<OracleCase>& param) {
                             std::string name = param.param.name;
                             for (char& ch : name)
                                 if (ch == '-')
                                     ch = '_';
                             return name;
                         });

TEST(LzhKernel, DecodesJlhaLh6StreamsWithA32KiBWindow)
{
    // Sixteen position classes reach back up to 32 KiB.
    constexpr int LH6_WINDOW_BITS = 15;
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    Bytes original = mixed_data(250000, 3);
    // The random-like tail repeated from 20,000 bytes back: only a wide window reaches it.
    Bytes tail(original.end() - 20000, original.end());
    original.insert(original.end(), tail.begin(), tail.end());
    LhaMember member;
    ASSERT_TRUE(jlha_pack(original, "lh6", member, nullptr, "6"));
    ASSERT_EQ(member.method, "-lh6-");
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fwrite(member.packed.data(), 1, member.packed.size(), in);
    std::rewind(in);
    lzh_decode(LzhRequest{in, out, member.originalSize, member.packedSize, LH6_WINDOW_BITS, LH5_METHOD});
    Bytes decoded(original.size() + 1);
    std::rewind(out);
    decoded.resize(std::fread(decoded.data(), 1, decoded.size(), out));
    EXPECT_TRUE(decoded == original);
    std::fclose(in);
    std::fclose(out);
}

// ---- Hand-made streams ------------------------------------------------------------------

// A block whose three codes are single values: every symbol is `literal`, no bits taken.
Lh5Writer& single_value_block(Lh5Writer& w, unsigned count, unsigned literal, unsigned positionClass = 0)
{
    w.bits(count, 16);
    w.single(0, NT_COUNT_BITS);
    w.single(literal, NC_COUNT_BITS);
    w.single(positionClass, NP_COUNT_BITS);
    return w;
}

// Literal/length code of two 1-bit symbols; length code and position code as given.
Lh5Codes two_symbol_codes(unsigned zeroSymbol, unsigned oneSymbol)
{
    Lh5Codes codes;
    codes.nt = full_nt_lengths();
    codes.c = Lengths(NC, 0);
    codes.c[zeroSymbol] = codes.c[oneSymbol] = 1;
    codes.p = chain_lengths(NP, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    return codes;
}

TEST(LzhKernel, ZeroUnpackedSizeTakesTheFirstTwoBytes)
{
    Bytes packed = {0x12, 0x34, 0x56, 0x78};
    DecodeResult r = decode(packed, 0);
    EXPECT_TRUE(r.output.empty());
    EXPECT_EQ(r.inputPosition, 2);
    // A packed size of 1 lets the reader take one byte only.
    EXPECT_EQ(decode(packed, 0, 1).inputPosition, 1);
}

TEST(LzhKernel, SingleValueCodeTakesNoBitsAndCountZeroServes65536Symbols)
{
    Lh5Writer w;
    single_value_block(w, 0, 'A');   // 65536 symbols
    single_value_block(w, 2, 'B');
    single_value_block(w, 1, 'C');
    Bytes expected(65536 + 3, 'A');
    expected[65536] = expected[65537] = 'B';
    expected[65538] = 'C';
    DecodeResult r = decode(w.bytes(), static_cast<std::uint32_t>(expected.size()));
    EXPECT_TRUE(r.output == expected);
    EXPECT_EQ(r.errors, "");
}

TEST(LzhKernel, MissingInputReadsAsOnesAndThePackedSizeEndsInZeros)
{
    Lh5Codes codes = two_symbol_codes('A', 'B');  // bit 0 is A, bit 1 is B
    Lh5Writer w;
    write_block_head(w, 0, codes);
    Bytes file = w.bytes();
    std::size_t padBits = file.size() * 8 - w.bit_count();
    constexpr std::size_t MISSING = 3, TAIL = 5;

    Bytes expected(padBits, 'A');
    expected.insert(expected.end(), MISSING * 8, 'B');
    expected.insert(expected.end(), TAIL, 'A');
    DecodeResult r = decode(file, static_cast<std::uint32_t>(expected.size()),
                            static_cast<std::uint32_t>(file.size() + MISSING));
    EXPECT_TRUE(r.output == expected);
    EXPECT_EQ(r.inputPosition, static_cast<long>(file.size()));  // the end of the file
}

TEST(LzhKernel, LongCodesWalkTheTreesAndMatchesReachIntoTheInitialSpaces)
{
    // Literal/length lengths 1..16 over literals and match lengths, position lengths 1..13:
    // every code longer than its lookup width is decoded through the tree.
    std::vector<unsigned> cSymbols = {'e', 256 + 3, 't', 'a', 256 + 253, 'o', 256, 'i', 'n',
                                      256 + 50, 's', 'h', 'r', 256 + 1, 0xFF, 0x00, 256 + 2};
    Lh5Codes codes;
    codes.nt = full_nt_lengths();
    codes.c = chain_lengths(NC, cSymbols);
    codes.p = chain_lengths(NP, {13, 0, 12, 1, 11, 2, 10, 3, 9, 4, 8, 5, 7, 6});

    std::mt19937 rng(7);
    std::vector<Lh5Token> tokens;
    std::size_t produced = 0;
    Lh5Writer w;
    write_block_head(w, 3000, codes);
    for (int i = 0; i < 3000; ++i) {
        unsigned s = cSymbols[rng() % cSymbols.size()];
        Lh5Token t;
        if (s < 256) {
            t.byte = static_cast<std::uint8_t>(s);
            write_literal(w, codes, t.byte);
            produced += 1;
        } else {
            t.isMatch = true;
            t.length = s - 253;
            // Distances of every class; early ones reach before the first byte.
            unsigned cls = rng() % NP;
            t.distance = (cls == 0 ? 0 : (1u << (cls - 1)) + rng() % (1u << (cls - 1))) + 1;
            write_match(w, codes, t.length, t.distance);
            produced += t.length;
        }
        tokens.push_back(t);
    }
    Bytes expected = expand_tokens(tokens);
    ASSERT_EQ(expected.size(), produced);
    DecodeResult r = decode(w.bytes(), static_cast<std::uint32_t>(expected.size()));
    EXPECT_TRUE(r.output == expected);
    EXPECT_EQ(r.errors, "");
}

TEST(LzhKernel, TheLastMatchIsCopiedWhole)
{
    // A literal, then a 256-byte match at distance 1: 255 bytes past an unpacked size of 2.
    Lh5Codes codes = two_symbol_codes('Q', 256 + 253);
    codes.p = Lengths(NP, 0);
    codes.p[0] = codes.p[1] = 1;
    Lh5Writer w;
    write_block_head(w, 2, codes);
    write_literal(w, codes, 'Q');
    write_match(w, codes, 256, 1);
    DecodeResult r = decode(w.bytes(), 2);
    EXPECT_TRUE(r.output == Bytes(257, 'Q'));
}

TEST(LzhKernel, MethodSevenCountsLengthsFromTwo)
{
    // Symbol 256 with a single-value position class 0: repeat the last byte.
    Lh5Writer w;
    single_value_block(w, 1, 'Z');
    single_value_block(w, 1, 256, 0);
    DecodeResult lh7 = decode(w.bytes(), 3, static_cast<std::uint32_t>(w.bytes().size()), LH7_METHOD);
    EXPECT_TRUE(lh7.output == Bytes(3, 'Z'));
    DecodeResult lh5 = decode(w.bytes(), 3);
    EXPECT_TRUE(lh5.output == Bytes(4, 'Z'));
}

TEST(LzhKernel, NullOutputDecodesAndWritesNothing)
{
    Lh5Writer w;
    single_value_block(w, 100, 'A');
    Bytes packed = w.bytes();
    std::FILE* in = std::tmpfile();
    std::fwrite(packed.data(), 1, packed.size(), in);
    std::rewind(in);
    lzh_decode(LzhRequest{in, nullptr, 20000, static_cast<std::uint32_t>(packed.size()), LH5_WINDOW_BITS,
                          LH5_METHOD});
    EXPECT_EQ(std::ftell(in), static_cast<long>(packed.size()));
    std::fclose(in);
}

// ---- Messages ---------------------------------------------------------------------------

TEST(LzhKernel, ReportsPrintTheDetailOrTheSystemError)
{
    testing::internal::CaptureStderr();
    errno = 0;
    kernel_error("Bad table in kernel2.cpp [3]\n", "STOP!");
    errno = ENOENT;
    kernel_report("P ", "M", "detail");
    errno = 0;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(BAD_TABLE_TEXT) + "Kernel: P M detail: No such file or directory\n");
}

TEST(LzhKernelDeathTest, FatalEndsWithStatusOne)
{
    EXPECT_EXIT((errno = 0, kernel_fatal("gone\n")), testing::ExitedWithCode(1), "Kernel: Fatal error: gone\n\n");
}

TEST(LzhKernelDeathTest, AShortWriteIsFatal)
{
    Lh5Writer w;
    single_value_block(w, 0, 'A');
    Bytes packed = w.bytes();
    auto run = [&] {
        std::FILE* in = std::tmpfile();
        std::fwrite(packed.data(), 1, packed.size(), in);
        std::rewind(in);
        std::FILE* full = std::fopen("/dev/full", "wb");
        lzh_decode(LzhRequest{in, full, 40000, static_cast<std::uint32_t>(packed.size()), LH5_WINDOW_BITS,
                              LH5_METHOD});
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(1),
                "Kernel: Fatal error: Write error in kernel2.cpp \\[0\\]\n: No space left on device");
}

// ---- Malformed block heads --------------------------------------------------------------

TEST(LzhKernel, AnIncompleteCodeIsReportedAndDecodingGoesOn)
{
    // One 1-bit literal code: bit 0 is 'A'; a 1 bit meets a cleared table entry, symbol 0
    // of length 0, which takes no bits from then on.
    Lh5Codes codes = two_symbol_codes('A', 'B');
    codes.c['B'] = 0;
    Lh5Writer w;
    write_block_head(w, 10, codes);
    w.bits(0b001, 3);
    DecodeResult r = decode(w.bytes(), 5);
    EXPECT_EQ(r.errors, BAD_TABLE_TEXT);
    EXPECT_TRUE(r.output == (Bytes{'A', 'A', 0, 0, 0}));
}

// Each head below is cut short by the kernel: reported, nothing decoded, nothing touched
// outside the tables (the sanitizer build checks the last part).
struct BadHead {
    const char* name;
    void (*write)(Lh5Writer&);
};

const BadHead BAD_HEADS[] = {
    {"length-code length of 20",
     [](Lh5Writer& w) {
         w.bits(5, 16).bits(1, NT_COUNT_BITS).bits(0b111, 3).bits(0x1FFF, 13).bits(0, 1);
     }},
    {"position length of 17",
     [](Lh5Writer& w) {
         w.bits(5, 16).single(0, NT_COUNT_BITS).single('A', NC_COUNT_BITS);
         w.bits(1, NP_COUNT_BITS).bits(0b111, 3).bits(0x3FF, 10).bits(0, 1);
     }},
    {"single length-code value 19", [](Lh5Writer& w) { w.bits(5, 16).single(19, NT_COUNT_BITS); }},
    {"single literal/length value 511",
     [](Lh5Writer& w) { w.bits(5, 16).single(0, NT_COUNT_BITS).single(511, NC_COUNT_BITS); }},
    {"single position class 14",
     [](Lh5Writer& w) { single_value_block(w, 5, 'A', 14); }},
    {"three 1-bit literal codes",
     [](Lh5Writer& w) {
         Lh5Codes codes = two_symbol_codes('A', 'B');
         codes.c['C'] = 1;
         write_block_head(w, 5, codes);
     }},
    {"four 1-bit literal codes (a multiple of the code space)",
     [](Lh5Writer& w) {
         Lh5Codes codes = two_symbol_codes('A', 'B');
         codes.c['C'] = codes.c['D'] = 1;
         write_block_head(w, 5, codes);
     }},
    {"over-subscribed position code",
     [](Lh5Writer& w) {
         Lh5Codes codes = two_symbol_codes('A', 'B');
         codes.p = Lengths(NP, 2);
         write_block_head(w, 5, codes);
     }},
};

TEST(LzhKernel, UndecodableHeadsStopTheRun)
{
    for (const BadHead& head : BAD_HEADS) {
        Lh5Writer w;
        single_value_block(w, 3, 'x');
        head.write(w);
        w.bits(0xFFFFFFFF, 32);
        DecodeResult r = decode(w.bytes(), 100);
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
    Lengths cl(NC, 0);
    cl['A'] = cl['B'] = 1;
    Lengths pl = chain_lengths(NP, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    pl.push_back(3);

    Lh5Writer w;
    w.bits(6, 16);
    w.pt_lengths(nt, NT_COUNT_BITS, 3);
    Lengths ntCode(nt.begin(), nt.begin() + 19);
    w.bits(511, NC_COUNT_BITS);
    for (unsigned i = 0; i < 500; ++i)
        w.symbol(ntCode, cl[i] ? cl[i] + 2 : 0);
    w.symbol(ntCode, 2).bits(30, 9);  // 50 zero lengths from 500
    w.pt_lengths(pl, NP_COUNT_BITS, -1);
    w.bits(0b010110, 6);
    DecodeResult r = decode(w.bytes(), 6);
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(r.output == (Bytes{'A', 'B', 'A', 'B', 'B', 'A'}));
}

}  // namespace
