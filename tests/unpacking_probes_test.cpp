// The probes that unpack while they detect: Intel GRFXLOGO, compressed PG and compressed
// GRFX containers (lh5) and the Dell NVRAM logo (Dell LZ77). Containers are built around
// hand-made streams here; the committed ones in tests/data/codecs wrap jlha streams.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "decode/standard_colors.h"
#include "detect/detect.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"
#include "support/lh5_writer.h"
#include "support/lha_archive.h"

namespace {

constexpr std::uint32_t MAX_UNPACKED_SIZE = 8192u * 8192u / 2 + 64 * 1024;

Bytes grfxlogo_container(const Bytes& stream, unsigned unpackedSize)
{
    ByteBuilder b;
    b.pad_to(0x80).text("GRFXLOGO").put_u16(0x88, static_cast<unsigned>(stream.size())).put_u16(0x8C, unpackedSize);
    return b.pad_to(0x90).bytes(stream).data();
}

Bytes compressed_pg_container(const Bytes& stream, std::uint32_t unpackedSize)
{
    ByteBuilder b;
    b.pad_to(0xA0).u8(0xED).u8(0xAC).u8(0xED).u8(0xAC);
    b.put_u32(0xAF, unpackedSize).put_u32(0xB3, static_cast<std::uint32_t>(stream.size()));
    return b.pad_to(0xBF).bytes(stream).data();
}

// The packed size is (byte 0x84 + byte 0x85) x 65,536: notLogo[0] + notLogo[1] units.
Bytes compressed_grfx_container(const Bytes& stream, std::uint32_t unpackedSize, const Bytes& notLogo = {0, 1, 0, 0})
{
    ByteBuilder b;
    b.pad_to(0x80).text("GRFX").bytes(notLogo).u32(unpackedSize);
    return b.bytes(stream).data();
}

Bytes dell_container(const Bytes& payload)
{
    return ByteBuilder().text("NVRAM").pad_to(12).u16(static_cast<unsigned>(payload.size() + 14)).bytes(payload).data();
}

// Dell LZ77 payload that holds data as literal runs of up to 16 bytes.
Bytes dell_literal_runs(const Bytes& data)
{
    Bytes payload;
    for (std::size_t at = 0; at < data.size(); at += 16) {
        std::size_t n = std::min<std::size_t>(16, data.size() - at);
        payload.push_back(static_cast<std::uint8_t>((n - 1) << 4));
        payload.insert(payload.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return payload;
}

// Unpacked pictures, headers only plus some pixel bytes.
Bytes grfxlogo_picture(unsigned width, unsigned height)
{
    return ByteBuilder().pad_to(4).u16(height).u16(width).fill(4u * width / 8 * height, 0x5A).data();
}

Bytes pg_picture(bool ownPalette, unsigned width, unsigned height)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(ownPalette ? 1 : 0);
    if (!ownPalette)
        return b.pad_to(10).u16(width).u16(height).pad_to(18).fill(64, 0x33).data();
    b.pad_to(10).u16(16).pad_to(0x4C).u16(width).u16(height);
    return b.pad_to(84).fill(64, 0x33).data();
}

Bytes grfx_picture(unsigned width, unsigned height)
{
    return ByteBuilder().text("GRFX").pad_to(18).u16(width).u16(height).pad_to(80).fill(100, 0x12).data();
}

Bytes bmp_head(unsigned width, unsigned height)
{
    return ByteBuilder().text("BM").pad_to(18).u32(width).u32(height).pad_to(54).fill(40, 0x01).data();
}

struct ProbeCase {
    const char* what;
    Bytes file;
    LogoFormatId id;
    unsigned width, height;
    std::uint32_t dataSize;
};

std::vector<ProbeCase> probe_cases()
{
    Bytes logo = grfxlogo_picture(64, 24);
    Bytes pg = pg_picture(false, 48, 16);
    Bytes pgPalette = pg_picture(true, 40, 8);
    Bytes grfx = grfx_picture(40, 12);
    Bytes bmp = bmp_head(37, 23);
    Bytes dell = dell_container(dell_literal_runs(bmp));

    // A stream that stops after 5 bytes on a head it cannot build (single value 511).
    Lh5Writer cut;
    cut.bits(5, 16).bits(0, 5).bits(0, 5).bits(0, 9).bits('x', 9).bits(0, 4).bits(0, 4);
    cut.bits(1, 16).bits(0, 5).bits(0, 5).bits(0, 9).bits(511, 9);

    return {
        {"GRFXLOGO", grfxlogo_container(lh5_literal_stream(logo), static_cast<unsigned>(logo.size())), 30, 64, 24,
         static_cast<std::uint32_t>(logo.size())},
        {"compressed PG", compressed_pg_container(lh5_literal_stream(pg), static_cast<std::uint32_t>(pg.size())), 31,
         48, 16, static_cast<std::uint32_t>(pg.size())},
        {"compressed PG with its own palette",
         compressed_pg_container(lh5_literal_stream(pgPalette), static_cast<std::uint32_t>(pgPalette.size())), 31,
         40, 8, static_cast<std::uint32_t>(pgPalette.size())},
        {"compressed GRFX", compressed_grfx_container(lh5_literal_stream(grfx), static_cast<std::uint32_t>(grfx.size())),
         34, 40, 12, static_cast<std::uint32_t>(grfx.size())},
        {"the measured size of a stream that ends early", compressed_grfx_container(cut.bytes(), 5000), 34, 0, 0, 5},
        {"Dell NVRAM keeps the packed length", dell, 35, 37, 23, static_cast<std::uint32_t>(dell.size())},
    };
}

TEST(UnpackingProbes, ClaimTheContainersAndMeasureTheUnpackedData)
{
    for (const ProbeCase& c : probe_cases()) {
        LogoDescriptor d = detect_bytes(c.file);
        EXPECT_EQ(d.formatId, c.id) << c.what;
        EXPECT_EQ(d.width, c.width) << c.what;
        EXPECT_EQ(d.height, c.height) << c.what;
        EXPECT_EQ(d.dataSize, c.dataSize) << c.what;
        EXPECT_EQ(d.frameCount, 0) << c.what;
        EXPECT_EQ(d.colorCount, 16) << c.what;
    }
}

int open_descriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST(UnpackingProbes, TheInputStreamIsClosedWhenTheTemporaryOneTakesItsPlace)
{
    for (const ProbeCase& c : probe_cases()) {
        std::string path = write_temp_file(c.file, "closed.bin");
        int before = open_descriptors();
        detect_file(path);  // closes the descriptor's stream, whichever it is
        EXPECT_EQ(open_descriptors(), before) << c.what;
    }
}

TEST(UnpackingProbes, DeclineWithoutTheirMarks)
{
    Bytes stream = lh5_literal_stream(grfx_picture(8, 8));
    auto textFirst = [](Bytes file) {
        file[0] = 'T', file[1] = 'E', file[2] = 'X', file[3] = 'T';
        return file;
    };
    struct Decline {
        const char* what;
        Bytes file;
        LogoFormatId notId;
    };
    const Decline cases[] = {
        {"GRFXLOGO after TEXT", textFirst(grfxlogo_container(stream, 100)), 30},
        {"compressed PG after TEXT", textFirst(compressed_pg_container(stream, 100)), 31},
        {"compressed GRFX after TEXT", textFirst(compressed_grfx_container(stream, 100)), 34},
        {"GRFX then L", compressed_grfx_container(stream, 100, {'L', 1, 0, 0}), 34},
        {"GRFX then .O", compressed_grfx_container(stream, 100, {0, 'O', 0, 0}), 34},
        {"GRFX then ..G", compressed_grfx_container(stream, 100, {0, 1, 'G', 0}), 34},
        {"GRFX then ...O", compressed_grfx_container(stream, 100, {0, 1, 0, 'O'}), 34},
        {"NVRAM cut to NVRA", ByteBuilder().text("NVRA").pad_to(64).data(), 35},
    };
    for (const Decline& c : cases) {
        LogoDescriptor d = detect_bytes(c.file);
        EXPECT_NE(d.formatId, c.notId) << c.what;
    }
}

TEST(UnpackingProbes, AHugeUnpackedSizeIsHeldToTheLargestPicture)
{
    // A packed size of 0: the stream is zero bits for ever, block after block of 65,536
    // zero literals, which would run to 4 GiB.
    LogoDescriptor d = detect_bytes(compressed_grfx_container({}, 0xFFFFFFFF, {0, 0, 0, 0}));
    EXPECT_EQ(d.formatId, 34);
    EXPECT_EQ(d.dataSize, MAX_UNPACKED_SIZE);
}

// ---- Fatal exits when no temporary file can be made ------------------------------------

void detect_without_new_files(const std::string& path)
{
    dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
    LogoDescriptor d;
    d.stream = std::fopen(path.c_str(), "rb");
    rlimit none{0, 0};
    getrlimit(RLIMIT_NOFILE, &none);
    none.rlim_cur = 0;
    setrlimit(RLIMIT_NOFILE, &none);
    detect_format(d);
    std::exit(0);
}

TEST(UnpackingProbesDeathTest, NoTemporaryFileIsFatal)
{
    std::vector<ProbeCase> cases = probe_cases();
    const char* messages[] = {
        "FATAL ERROR in Detect Module: Intel Graphics \\(GRFXLOGO\\)\n",
        "FATAL ERROR in Detect Module: Intel Graphics \\(Compressed PG\\)\n",
        nullptr,
        "FATAL ERROR in Detect Module: Intel Graphics \\(Compressed GRFX\\)\n",
        nullptr,
        "FATAL ERROR in Detect Module: Dell Graphics \\(NVRAM\\)\n",
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (!messages[i])
            continue;
        std::string path = write_temp_file(cases[i].file, "fatal.bin");
        EXPECT_EXIT(detect_without_new_files(path), testing::ExitedWithCode(1), messages[i]) << cases[i].what;
    }
}

// ---- End to end through zarpo2-cli png -------------------------------------------------

// Packs data with jlha and returns its raw lh5 stream; skips the test without jlha.
bool jlha_stream(const Bytes& data, const char* name, Bytes& stream)
{
    LhaMember member;
    if (!jlha_pack(data, name, member) || member.method != "-lh5-")
        return false;
    stream = member.packed;
    return true;
}

TEST(UnpackingProbes, CompressedPicturesShowWhatTheirPlainTwinsShow)
{
    if (!have_program("jlha") || !have_program("convert"))
        GTEST_SKIP() << "jlha or ImageMagick is missing";
    struct Twin {
        const char* plain;
        std::function<Bytes(const Bytes& stream, std::uint32_t size)> wrap;
    };
    const Twin twins[] = {
        {"phoenix/pg-standard.pg", compressed_pg_container},
        {"phoenix/pg-own-palette.pg", compressed_pg_container},
        {"intel/grfx.bin", [](const Bytes& s, std::uint32_t n) { return compressed_grfx_container(s, n); }},
    };
    for (const Twin& t : twins) {
        std::string plain = test_data_dir() + "/" + t.plain;
        Bytes inner = read_file(plain);
        Bytes stream;
        ASSERT_TRUE(jlha_stream(inner, "inner.bin", stream)) << t.plain;
        std::string packed = write_temp_file(t.wrap(stream, static_cast<std::uint32_t>(inner.size())), "twin.bin");
        Bytes expected, shown;
        ASSERT_TRUE(cli_png_rgb(plain, expected)) << t.plain;
        ASSERT_TRUE(cli_png_rgb(packed, shown)) << t.plain;
        EXPECT_TRUE(shown == expected) << t.plain;
    }
}

TEST(UnpackingProbes, DellNvramShowsTheBitmapImageMagickReads)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "ImageMagick is missing";
    std::string bmp = test_data_dir() + "/bmp/magick-8bit.bmp";
    std::string packed = write_temp_file(dell_container(dell_literal_runs(read_file(bmp))), "dell.bin");
    Bytes expected, shown;
    ASSERT_TRUE(convert_to_rgb(bmp, expected));
    ASSERT_TRUE(cli_png_rgb(packed, shown));
    EXPECT_TRUE(shown == clear_low_bits(expected));
}

TEST(UnpackingProbes, GrfxlogoShowsItsPlanesBottomUpInTheStandardColours)
{
    constexpr unsigned W = 32, H = 6;
    auto index = [](unsigned x, unsigned row) { return (x / 2 + row * 3) % 16; };
    ByteBuilder picture;
    picture.pad_to(4).u16(H).u16(W);
    Bytes planes(4 * W / 8 * H, 0);
    for (unsigned p = 0; p < 4; ++p)
        for (unsigned row = 0; row < H; ++row)
            for (unsigned x = 0; x < W; ++x)
                if ((index(x, row) >> p) & 1)
                    planes[(p * H + row) * (W / 8) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    Bytes inner = picture.bytes(planes).data();
    Bytes stream;
    if (!jlha_stream(inner, "grfxlogo.bin", stream))
        stream = lh5_literal_stream(inner);

    std::string file = write_temp_file(grfxlogo_container(stream, static_cast<unsigned>(inner.size())), "logo.bin");
    ASSERT_EQ(detect_file(file).formatId, 30);
    Bytes shown;
    if (!have_program("convert"))
        GTEST_SKIP() << "ImageMagick is missing";
    ASSERT_TRUE(cli_png_rgb(file, shown));
    ASSERT_EQ(shown.size(), W * H * 3);
    for (unsigned y = 0; y < H; ++y)
        for (unsigned x = 0; x < W; ++x) {
            std::uint8_t rgb[3];
            standard_color_rgb(index(x, H - 1 - y), rgb);
            ASSERT_EQ(pixel_at(shown, W, x, y), static_cast<std::uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2]))
                << x << "," << y;
        }
}

}  // namespace
