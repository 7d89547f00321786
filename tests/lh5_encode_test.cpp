// The lh5 encoder: every stream decodes to its input with our kernel and, wrapped in an
// LHA archive, with lhasa (an independent decoder that checks the CRC).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "codec/lh5_encode.h"
#include "codec/lh5_frames.h"
#include "codec/lzh.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"
#include "support/lha_archive.h"

namespace {

Bytes text_bytes(std::size_t size, unsigned seed)
{
    static const char* const WORDS[] = {"the ",    "logo ", "BIOS ", "firmware ", "picture ", "of ",      "a ",
                                        "board\n", "x",     "\t",    "0123 ",     "Award ",   "(c) 1998 "};
    std::mt19937 rng(seed);
    ByteBuilder b;
    while (b.size() < size)
        b.text(WORDS[rng() % std::size(WORDS)]);
    Bytes out = b.data();
    out.resize(size);
    return out;
}

Bytes random_bytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

// A 4-bpp picture of 640-pixel rows: bands, a disc, noise in one corner.
Bytes picture_bytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        long x = static_cast<long>(i % 320) * 2 - 320, y = static_cast<long>(i / 320) % 480 - 240;
        out[i] = x * x + y * y < 150 * 150 ? 0x99 : static_cast<std::uint8_t>(((y + 240) / 40) * 0x11);
        if (x < -250 && y < -200)
            out[i] = static_cast<std::uint8_t>(rng() & 0x33);
    }
    return out;
}

// Bytes whose second half repeats the first from `distance` back: only a window that
// reaches that far finds the repeats.
Bytes far_repeat_bytes(std::size_t distance, unsigned seed)
{
    Bytes out = random_bytes(distance, seed);
    out.insert(out.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(distance));
    return out;
}

struct EncodeCase {
    const char* name;
    Bytes input;
};

std::vector<EncodeCase> encode_cases()
{
    Bytes twoSymbols(5000);
    for (std::size_t i = 0; i < twoSymbols.size(); ++i)
        twoSymbols[i] = (i * 7919 % 13) < 6 ? 'a' : 'b';
    Bytes literalsOnly;  // every byte value once: no match, 256 literals
    for (unsigned v = 0; v < 256; ++v)
        literalsOnly.push_back(static_cast<std::uint8_t>(v));
    // More than 65,535 symbols of incompressible bytes: several blocks by count alone.
    return {
        {"one_byte", {0x41}},
        {"two_bytes", {0x00, 0xFF}},
        {"three_equal_bytes", Bytes(3, 0x20)},
        {"one_value_run", Bytes(100000, 0x77)},
        {"two_symbols", twoSymbols},
        {"all_byte_values", literalsOnly},
        {"text_300k", text_bytes(300000, 1)},
        {"picture_150k", picture_bytes(153600, 2)},
        {"picture_1_2M", picture_bytes(1200000, 8)},  // past the parse's 1 MiB pieces
        {"random_70k", random_bytes(70000, 3)},
        {"text_then_random",
         [] {
             Bytes b = text_bytes(40000, 4), r = random_bytes(40000, 5), t = text_bytes(40000, 6);
             b.insert(b.end(), r.begin(), r.end());
             b.insert(b.end(), t.begin(), t.end());
             return b;
         }()},
        {"award_logo", read_fixture("award/awbm16.bin")},
        {"epa_logo", read_fixture("award/award-standard.epa")},
        {"pcx_logo", read_fixture("pcx/netpbm-8bit.pcx")},
        {"award_rom", read_fixture("roms/award.bin")},
    };
}

Bytes kernel_decode(const Bytes& packed, std::size_t size, int dictionaryBits, std::string& errors)
{
    CaptureSink messages;
    LzhResult r = lzh_decode(LzhRequest{packed, static_cast<std::uint32_t>(size),
                                        static_cast<std::uint32_t>(packed.size()), dictionaryBits, 5},
                             messages);
    errors = messages.err;
    r.bytes.resize(std::min(r.bytes.size(), size));
    return r.bytes;
}

// The windows lhasa reads: -lh5- 13 bits, -lh6- 15, -lh7- 16; the Tiano kind's 19 bits
// only our kernel reads.
const std::pair<int, const char*> WINDOWS[] = {{13, "-lh5-"}, {15, "-lh6-"}, {16, "-lh7-"}, {19, nullptr}};

}  // namespace

TEST(Lh5Encode, EmptyInputGivesAnEmptyStream)
{
    EXPECT_TRUE(lh5_encode({}).empty());
}

TEST(Lh5Encode, StreamsDecodeToTheInput)
{
    bool lhasa = have_program("lhasa");
    for (const EncodeCase& c : encode_cases()) {
        for (auto [bits, method] : WINDOWS) {
            SCOPED_TRACE(std::string(c.name) + ", window bits " + std::to_string(bits));
            Bytes packed = lh5_encode(c.input, {.dictionaryBits = bits});
            std::string errors;
            EXPECT_TRUE(kernel_decode(packed, c.input.size(), bits, errors) == c.input);
            EXPECT_EQ(errors, "");
            if (!lhasa || !method)
                continue;
            Bytes extracted;
            ASSERT_TRUE(lhasa_unpack(write_lha_archive(packed, c.input, method), extracted)) << "lhasa refused it";
            EXPECT_TRUE(extracted == c.input) << "lhasa gives " << extracted.size() << " bytes";
        }
    }
}

// The wider windows reach further back, each as far as its size less one byte.
TEST(Lh5Encode, WindowsReachAsFarAsTheirSize)
{
    for (auto [bits, method] : WINDOWS) {
        SCOPED_TRACE(bits);
        std::size_t window = std::size_t{1} << bits;
        Bytes inside = far_repeat_bytes(window - 1, 7), outside = far_repeat_bytes(window + 1, 7);
        EXPECT_LT(lh5_encode(inside, {.dictionaryBits = bits}).size(), inside.size() * 3 / 4);
        EXPECT_GT(lh5_encode(outside, {.dictionaryBits = bits}).size(), outside.size());
        std::string errors;
        EXPECT_TRUE(kernel_decode(lh5_encode(inside, {.dictionaryBits = bits}), inside.size(), bits, errors) == inside);
    }
}

// Sizes only: every fixture (logos, pictures, ROM images) packs no larger than jlha's
// -lh5- stream of it.
TEST(Lh5Encode, NeverLargerThanJlha)
{
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const char* root : {ZARPO2_TEST_DATA_DIR, ZARPO2_TEST_DATA_DIR "/../../samples"})
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file() && entry.file_size() > 0)
                files.push_back(entry.path());
    std::vector<std::uint32_t> jlha = jlha_packed_sizes(files);
    ASSERT_EQ(jlha.size(), files.size()) << "jlha failed";
    std::uint64_t ours = 0, theirs = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (jlha[i] == 0)
            continue;  // jlha stored it
        std::size_t size = lh5_encode(read_file(files[i])).size();
        EXPECT_LE(size, jlha[i]) << files[i];
        ours += size;
        theirs += jlha[i];
    }
    EXPECT_GT(theirs, 100000u) << "too few files packed";
    std::printf("lh5 of the fixtures: %llu bytes, jlha %llu\n", static_cast<unsigned long long>(ours),
                static_cast<unsigned long long>(theirs));
}

// LZINT: the expanded size, then the stream; the Intel container: packed size, expanded
// size, then the stream.
TEST(Lh5Encode, FramesHoldTheirSizes)
{
    Bytes logo = read_fixture("award/awbm16.bin");
    const struct {
        const char* name;
        Bytes framed;
        std::size_t header;
    } frames[] = {{"LZINT", phoenix_lzint_encode(logo), LZINT_SIZE_PREFIX},
                  {"container", lh5_container_encode(logo), LH5_CONTAINER_HEADER}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        ASSERT_GT(f.framed.size(), f.header);
        Bytes stream(f.framed.begin() + static_cast<std::ptrdiff_t>(f.header), f.framed.end());
        EXPECT_EQ(rd_u32(f.framed.data(), f.header - 4), logo.size());
        if (f.header == LH5_CONTAINER_HEADER) {
            EXPECT_EQ(rd_u32(f.framed.data(), 0), stream.size());
        }
        std::string errors;
        EXPECT_TRUE(kernel_decode(stream, logo.size(), 13, errors) == logo);
    }
}
