// The lh5 kernel: round trips through streams made by jlha (cross-checked with lhasa),
// hand-made streams for the corner cases of the format, and malformed block heads.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <tuple>

#include "codec/lzh.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"
#include "support/lh5_writer.h"
#include "support/lha_archive.h"

namespace {

constexpr const char* BAD_TABLE_TEXT = "Kernel: Error: Bad table in kernel2.cpp [3]\n STOP!\n";

struct DecodeRun {
    std::uint32_t unpackedSize = 0;
    std::uint32_t packedSize = 0;  // 0: the whole stream
    int method = 5;
    int windowBits = 13;  // lh5's 8 KiB; lh6 has 15
};

// The kernel's output; its kernel lines go to errors.
LzhResult decode(const Bytes& packed, const DecodeRun& run, std::string& errors)
{
    errno = 0;  // the STOP! line names errno's error when one is set
    CaptureSink messages;
    auto packedSize = run.packedSize ? run.packedSize : static_cast<std::uint32_t>(packed.size());
    LzhResult result =
        lzh_decode(LzhRequest{packed, run.unpackedSize, packedSize, run.windowBits, run.method}, messages);
    errors = messages.err;
    return result;
}

}  // namespace

// Text, long runs after a start of spaces, and bytes whose last 20,000 repeat from 20,000 back
// (only lh6's window reaches them). Bytes past the stream must not be taken.
TEST(LzhKernel, JlhaStreamsDecodeToTheOriginal)
{
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    std::mt19937 rng(7);
    const std::string words[] = {"the ", "logo ", "BIOS ", "firmware ", "picture ", "of ", "a ", "board\n", "x", "\t"};
    ByteBuilder words300k;
    while (words300k.size() < 300000)
        words300k.text(words[rng() % std::size(words)]);
    Bytes text = words300k.data(), runs(100000, ' '), far(80000);
    for (std::size_t i = 1000; i < runs.size(); ++i)
        runs[i] = static_cast<std::uint8_t>("abcdefgh"[(i / 3000) % 8]);
    for (std::size_t i = 0; i < far.size(); ++i)
        far[i] = i < 60000 ? static_cast<std::uint8_t>(rng() % 200) : far[i - 20000];
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"text, 60 bytes", Bytes(text.begin(), text.begin() + 60), "5"}, {"text", text, "5"}, {"runs", runs, "5"},
        {"far repeats, lh6", far, "6"}};
    for (const auto& [what, original, method] : cases) {
        SCOPED_TRACE(what);
        LhaMember member;
        ASSERT_TRUE(jlha_pack(original, member, method));
        ASSERT_EQ(member.method, std::string("-lh") + method + "-") << "jlha stored the data instead of compressing it";
        Bytes packed = member.packed;
        packed.insert(packed.end(), 16, 0x55);
        std::string errors;
        LzhResult r = decode(packed, {member.originalSize, member.packedSize, 5, *method == '6' ? 15 : 13}, errors);
        EXPECT_TRUE(r.bytes == original) << "decoded " << r.bytes.size() << " bytes";
        EXPECT_EQ(r.consumed, member.packedSize);
        EXPECT_EQ(errors, "");
        Bytes lhasaOut;
        if (lhasa_unpack(member.archive, lhasaOut)) {
            EXPECT_TRUE(lhasaOut == original) << "lhasa disagrees with the original";
        }
    }
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
    Bytes repeat = Lh5Writer().single_value_block(1, 'Z').single_value_block(1, 256).bytes();
    Bytes spaces = Lh5Writer().single_value_block(1, 256).bytes();

    // A literal, then a 256-byte match (symbol 509) at distance 1: 255 bytes past an unpacked size of 2.
    Bytes q = Lh5Writer().single_value_block(1, 'Q').single_value_block(1, 509).bytes();

    const std::tuple<const char*, Bytes, DecodeRun, Bytes> cases[] = {  // packed, run, output
        {"unpacked size 0: the first two bytes are still taken", head, {.unpackedSize = 0}, {}},
        {"single values take no bits; block size 0 is 65,536", singles.bytes(), {.unpackedSize = 65539}, countZero},
        {"method 7 counts match lengths from 2", repeat, {.unpackedSize = 3, .method = 7}, Bytes(3, 'Z')},
        {"method 5 counts match lengths from 3", repeat, {.unpackedSize = 3}, Bytes(4, 'Z')},
        {"a match before the first byte copies spaces", spaces, {.unpackedSize = 3}, Bytes(3, ' ')},
        {"the last match is copied whole", q, {.unpackedSize = 2}, Bytes(257, 'Q')},
    };
    for (const auto& [what, packed, run, expected] : cases) {
        std::string errors;
        LzhResult r = decode(packed, run, errors);
        EXPECT_TRUE(r.bytes == expected) << what;
        EXPECT_EQ(errors, "") << what;
        EXPECT_EQ(r.consumed, run.unpackedSize ? r.consumed : 2u) << what;
    }
}

// Heads that ask for more than the tables hold: reported, nothing more decoded or touched.
TEST(LzhKernel, MalformedBlockHeads)
{
    const struct {
        const char* name;
        void (*write)(Lh5Writer&);
    } heads[] = {
        {"length-code length of 20",
         [](Lh5Writer& w) { w.bits(5, 16).bits(1, NT_COUNT_BITS).bits(0b111, 3).bits(0x1FFF, 13).bits(0, 1); }},
        {"single literal/length value 511",
         [](Lh5Writer& w) { w.bits(5, 16).single(0, NT_COUNT_BITS).single(511, NC_COUNT_BITS); }},
        {"single position class 14", [](Lh5Writer& w) { w.single_value_block(5, 'A', 14); }},
    };
    for (const auto& head : heads) {
        Lh5Writer w;
        head.write(w.single_value_block(3, 'x'));
        w.bits(0xFFFFFFFF, 32);
        std::string errors;
        EXPECT_TRUE(decode(w.bytes(), {.unpackedSize = 100}, errors).bytes == Bytes(3, 'x')) << head.name;
        EXPECT_EQ(errors, BAD_TABLE_TEXT) << head.name;
    }
}
