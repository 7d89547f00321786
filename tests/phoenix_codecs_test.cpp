// The Phoenix BIOS LZSS and LZARI decoders: streams worked out by hand from the formats,
// round trips through the encoders (phoenix_lzss_encode, phoenix_lzari_encode, whose character model is
// kept in plain arrays, the decoder's in a tree), and cut, capped or empty streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "codec/phoenix_lzari.h"
#include "codec/phoenix_lzari_encode.h"
#include "codec/phoenix_lzss.h"
#include "codec/phoenix_lzss_encode.h"
#include "support/fixtures.h"

namespace {

constexpr std::uint8_t SPACE = 0x20;  // the fill byte of every ROM seen
constexpr std::uint32_t SCANNER_CAP = 16u << 20;

Bytes text(const char* s)
{
    return Bytes(s, s + std::char_traits<char>::length(s));
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- LZSS by hand -----------------------------------------------------------------------

// Flag bytes are read least-significant bit first, 1 for a literal; a match is b0 and
// b1 with ring position b0 + (b1 >> 4) * 256 and length (b1 & 15) + 3. The first byte
// goes to ring position 0xFEE.
TEST(PhoenixLzss, HandMadeStreams)
{
    const struct {
        const char* what;
        Bytes packed;
        std::uint32_t expandedSize;
        std::uint8_t fill;
        Bytes expected;
        std::size_t consumed;
        bool complete;
    } cases[] = {
        {"flag FF, eight literals; the byte after them is not taken", Bytes{0xFF} + text("PG\tABCDE") + Bytes{0x00}, 8,
         SPACE, text("PG\tABCDE"), 9, true},
        {"a match at position 0 reads the initial fill", {0x00, 0x00, 0x02}, 5, SPACE, Bytes(5, SPACE), 3, true},
        {"... which is the fill byte given", {0x00, 0x00, 0x02}, 5, 0xAA, Bytes(5, 0xAA), 3, true},
        {"position 0xFEE, one before the write position, repeats the last byte", Bytes{0x01, 'x', 0xEE, 0xF1}, 5, SPACE,
         text("xxxxx"), 4, true},
        // Twenty literals fill 0xFEE..0x001; the match at 0xFFE reads 0xFFE, 0xFFF, 0, 1.
        {"position + length wraps the ring end",
         Bytes{0xFF} + text("abcdefgh") + Bytes{0xFF} + text("ijklmnop") + Bytes{0x0F} + text("qrst") +
             Bytes{0xFE, 0xF1},
         24, SPACE, text("abcdefghijklmnopqrstqrst"), 25, true},
        {"a match cut after its first byte ends the stream", {0x01, 'a', 0x12}, 100, SPACE, text("a"), 3, false},
        {"a flag byte with nothing after it", Bytes{0xFF} + text("abcdefgh") + Bytes{0xFF}, 20, SPACE, text("abcdefgh"),
         10, false},
        {"the expanded size is reached in the middle of a match", Bytes{0x00, 0x00, 0x0F, 0x00, 0x0F}, 7, SPACE,
         Bytes(7, SPACE), 3, true},
        {"expanded size 0 takes nothing", {0xFF, 'a'}, 0, SPACE, {}, 0, true},
        {"empty input", {}, 10, SPACE, {}, 0, false},
    };
    for (const auto& c : cases) {
        PhoenixUnpacked r = phoenix_lzss_decode(c.packed, c.expandedSize, c.fill);
        EXPECT_TRUE(r.bytes == c.expected) << c.what;
        EXPECT_EQ(r.consumed, c.consumed) << c.what;
        EXPECT_EQ(r.complete, c.complete) << c.what;
    }
}

// ---- LZARI by hand ----------------------------------------------------------------------

// The initial model gives character c the symbol s = c + 1 and the share
// [cum[s], cum[s - 1]) = [314 - s, 315 - s) of 314. The interval is [0, 0x20000), so 'A'
// (s = 66) owns [floor(0x20000 * 248 / 314), floor(0x20000 * 249 / 314)) =
// [103521, 103939) of the first 17 bits, 'B' (s = 67) the 417 values below, '@' the 417
// above. first_bits(v) is a stream of size 1 whose 17 bits are v, followed by 7 zero bits.
Bytes first_bits(std::uint32_t value)
{
    return {1, 0, 0, 0, static_cast<std::uint8_t>(value >> 9), static_cast<std::uint8_t>(value >> 1),
            static_cast<std::uint8_t>(value << 7)};
}

// "ABABAC": 'A', 'B', a match of 3 (character 256) at position 1 (2 bytes back), 'C'.
// Model after each symbol: 'A' moves to symbol 1 (freq 2, cum[0] = 315), 'B' to symbol 2
// (cum[1] = 314, cum[0] = 316), character 256 to symbol 3 (cum[2] = 313, cum[1] = 315,
// cum[0] = 317); 'C' is still symbol 68 with [246, 247). Position p owns
// [position_cum[p + 1], position_cum[p]) of position_cum[0] = 28568, where
// position_cum[p] - position_cum[p + 1] = floor(10000 / (p + 201)): position 1 owns
// [28470, 28519). Each symbol narrows [low, high) to low + floor(range * share / total),
// then every doubling sends one bit (0 below Q2, 1 at or above; a middle-half doubling
// sends a pending bit, the opposite of the next one):
//   'A'   [248, 249)/314       -> [103521, 103939)  bits 1100101
//   'B'   [247, 248)/315       -> [54369, 54539)    bits 01101010
//   len 3 [57, 58)/316         -> [32682, 32819)    bits 0, then 8 pending
//   pos 1 [28470, 28519)/28568 -> [91407, 91527)    bits 1 00000000 01100101
//   'C'   [246, 247)/317       -> [55358, 55552)    bits 011011000
//   end: low 31744 < Q1, so 0 and the pending 1: bits 01. 44 bits, padded with 0.
const Bytes ABABAC = {6, 0, 0, 0, 0xCA, 0xD4, 0x80, 0x32, 0xB6, 0x10};

TEST(PhoenixLzari, HandMadeStreams)
{
    const struct {
        const char* what;
        Bytes packed;
        std::uint32_t sizeCap;
        Bytes expected;
        bool complete;
    } cases[] = {
        {"below A's share: B", first_bits(103520), SCANNER_CAP, text("B"), true},
        {"the first value of A's share", first_bits(103521), SCANNER_CAP, text("A"), true},
        {"the last value of A's share", first_bits(103938), SCANNER_CAP, text("A"), true},
        {"above A's share: @", first_bits(103939), SCANNER_CAP, text("@"), true},
        {"literals, a match and the position model", ABABAC, SCANNER_CAP, text("ABABAC"), true},
        {"the cap stops a match in the middle", ABABAC, 4, text("ABAB"), true},
        {"size 0: nothing decoded", {0, 0, 0, 0, 0xCA}, SCANNER_CAP, {}, true},
        {"cap 0: nothing decoded", ABABAC, 0, {}, true},
        {"three bytes hold no size", {6, 0, 0}, SCANNER_CAP, {}, false},
        {"empty input", {}, SCANNER_CAP, {}, false},
    };
    for (const auto& c : cases) {
        PhoenixUnpacked r = phoenix_lzari_decode(c.packed, c.sizeCap, SPACE);
        EXPECT_TRUE(r.bytes == c.expected) << c.what;
        EXPECT_EQ(r.complete, c.complete) << c.what;
        EXPECT_LE(r.consumed, c.packed.size()) << c.what;
    }
    EXPECT_EQ(phoenix_lzari_size(ABABAC), 6u);
    EXPECT_EQ(phoenix_lzari_size(Bytes{0xFF, 0xFF, 0xFF, 0xFF}), 0xFFFFFFFFu);
    EXPECT_EQ(phoenix_lzari_size(Bytes{6, 0, 0}), 0u);
}

// ---- Round trips ------------------------------------------------------------------------

Bytes text_data(std::size_t size, unsigned seed)
{
    static const char* const WORDS[] = {"the ", "logo ", "BIOS ",     "Phoenix ",   "module ",
                                        "of ",  "a ",    "board\r\n", "ring ",      "arithmetic ",
                                        "x",    "qz ",   "\t",        "0123456789 "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const char* w = WORDS[rng() % std::size(WORDS)];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(size);
    return out;
}

// A 4-bpp picture of 320-pixel rows: bands and a disc, long runs and repeated rows.
Bytes picture_data(std::size_t size, unsigned)
{
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        long x = static_cast<long>(i % 160) * 2 - 160, y = static_cast<long>(i / 160) % 240 - 120;
        out[i] = x * x + y * y < 80 * 80 ? 0x99 : static_cast<std::uint8_t>(((y + 120) / 30) * 0x11);
    }
    return out;
}

Bytes random_data(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

struct RoundTripCase {
    const char* name;
    Bytes (*make)(std::size_t, unsigned);
    std::size_t size;
    std::uint8_t fill;
};

// Sizes past 4 KiB wrap the ring; random data past 32K symbols makes the LZARI model
// halve its counts.
const RoundTripCase ROUND_TRIPS[] = {
    {"empty", text_data, 0, SPACE},
    {"one_byte", random_data, 1, SPACE},
    {"text_100", text_data, 100, SPACE},
    {"text_160k", text_data, 160000, SPACE},
    {"picture_150k", picture_data, 153600, SPACE},
    {"picture_fill_00", picture_data, 20000, 0x00},
    {"random_4096", random_data, 4096, 0xFF},
    {"random_70k", random_data, 70000, SPACE},
};

class PhoenixRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(PhoenixRoundTrip, BothCodecsGiveTheBytesBack)
{
    const RoundTripCase& c = GetParam();
    Bytes original = c.make(c.size, static_cast<unsigned>(c.size));
    Bytes lzss = phoenix_lzss_encode(original, c.fill), lzari = phoenix_lzari_encode(original, c.fill);
    PhoenixUnpacked r = phoenix_lzss_decode(lzss, static_cast<std::uint32_t>(original.size()), c.fill);
    EXPECT_TRUE(r.bytes == original && r.complete && r.consumed == lzss.size()) << "LZSS";
    EXPECT_EQ(phoenix_lzari_size(lzari), original.size());
    r = phoenix_lzari_decode(lzari, SCANNER_CAP, c.fill);
    EXPECT_TRUE(r.bytes == original && r.complete && r.consumed <= lzari.size()) << "LZARI";
}

INSTANTIATE_TEST_SUITE_P(Phoenix, PhoenixRoundTrip, testing::ValuesIn(ROUND_TRIPS),
                         [](const auto& param) { return std::string(param.param.name); });

// Real logos, ROM images and runs of the fill byte, with the fill bytes ROMs use and
// others: both encoders give the bytes back, and a run of the fill byte is a match into
// the ring's initial contents from the first byte on.
TEST(PhoenixEncoders, LogosAndFillRunsComeBack)
{
    const char* const fixtures[] = {"award/awbm16.bin", "phoenix/pg-standard.pg", "pcx/netpbm-8bit.pcx", "bmp/qdi.bmp",
                                    "roms/phoenix.bin"};
    for (std::uint8_t fill : {SPACE, std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        std::vector<std::pair<std::string, Bytes>> inputs = {
            {"fill run", Bytes(5000, fill)},
            {"fill run, text, fill run", Bytes(100, fill) + text_data(3000, 9) + Bytes(4100, fill)}};
        for (const char* name : fixtures)
            inputs.emplace_back(name, read_fixture(name));
        for (const auto& [name, original] : inputs) {
            SCOPED_TRACE(name + ", fill " + std::to_string(fill));
            auto size = static_cast<std::uint32_t>(original.size());
            Bytes lzss = phoenix_lzss_encode(original, fill), lzari = phoenix_lzari_encode(original, fill);
            PhoenixUnpacked r = phoenix_lzss_decode(lzss, size, fill);
            EXPECT_TRUE(r.bytes == original && r.complete && r.consumed == lzss.size()) << "LZSS";
            r = phoenix_lzari_decode(lzari, SCANNER_CAP, fill);
            EXPECT_TRUE(r.bytes == original && r.complete) << "LZARI";
            EXPECT_LT(lzss.size(), original.size());
            EXPECT_LT(lzari.size(), lzss.size());
        }
        // 18 fill bytes: a flag byte for one match, and the match.
        EXPECT_EQ(phoenix_lzss_encode(Bytes(18, fill), fill).size(), 3u);
    }
}

// ---- Cut, capped and runaway streams ----------------------------------------------------

TEST(PhoenixLzss, EveryPrefixDecodesToAPrefix)
{
    Bytes original = text_data(6000, 1) + picture_data(3000, 0);
    Bytes packed = phoenix_lzss_encode(original, SPACE);
    for (std::size_t n = 0; n < packed.size(); ++n) {
        PhoenixUnpacked r = phoenix_lzss_decode(std::span(packed).first(n), 6000 + 3000, SPACE);
        ASSERT_FALSE(r.complete) << n;
        ASSERT_LE(r.consumed, n);
        ASSERT_TRUE(std::equal(r.bytes.begin(), r.bytes.end(), original.begin())) << n;
    }
}

TEST(PhoenixLzari, CutAndCappedStreams)
{
    Bytes original = text_data(40000, 2);
    Bytes packed = phoenix_lzari_encode(original, SPACE);

    // Cut in half: zeros stand in for the missing bits for a while, then the stream ends.
    PhoenixUnpacked cut = phoenix_lzari_decode(std::span(packed).first(packed.size() / 2), SCANNER_CAP, SPACE);
    EXPECT_FALSE(cut.complete);
    EXPECT_LT(cut.bytes.size(), original.size() * 3 / 4);
    auto agreed = std::mismatch(cut.bytes.begin(), cut.bytes.end(), original.begin()).first - cut.bytes.begin();
    EXPECT_GT(agreed, static_cast<long>(original.size() / 4));

    PhoenixUnpacked capped = phoenix_lzari_decode(packed, 12345, SPACE);
    EXPECT_TRUE(capped.complete);
    EXPECT_TRUE(capped.bytes == Bytes(original.begin(), original.begin() + 12345));

    // A size of 4 GiB - 1 over three bytes of stream ends after the zeros allowed past
    // the end, far below the cap.
    for (std::uint8_t b : {0x00, 0x5A, 0xFF}) {
        PhoenixUnpacked runaway = phoenix_lzari_decode(Bytes{0xFF, 0xFF, 0xFF, 0xFF, b, b, b}, SCANNER_CAP, SPACE);
        EXPECT_FALSE(runaway.complete);
        EXPECT_LT(runaway.bytes.size(), 1u << 16);
        EXPECT_EQ(runaway.consumed, 7u);
    }
}

}  // namespace
