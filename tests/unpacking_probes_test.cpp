// The probes that unpack while they detect: Intel GRFXLOGO, compressed PG and compressed
// GRFX containers (lh5) and the Dell NVRAM logo (Dell LZ77). Containers are built around
// hand-made streams here; the committed ones in tests/data/codecs wrap jlha streams.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "detect/detect.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"
#include "support/lh5_writer.h"
#include "support/lha_archive.h"

namespace {

constexpr std::uint32_t MAX_UNPACKED_SIZE = 8192u * 8192u / 2 + 64 * 1024;

Bytes grfxlogo_container(const Bytes& stream, std::uint32_t unpackedSize)
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
    return ByteBuilder().pad_to(0x80).text("GRFX").bytes(notLogo).u32(unpackedSize).bytes(stream).data();
}

// An NVRAM file whose Dell LZ77 payload holds data as literal runs of up to 16 bytes.
Bytes dell_container(const Bytes& data)
{
    Bytes payload;
    for (std::size_t at = 0; at < data.size(); at += 16) {
        std::size_t n = std::min<std::size_t>(16, data.size() - at);
        payload.push_back(static_cast<std::uint8_t>((n - 1) << 4));
        payload.insert(payload.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return ByteBuilder().text("NVRAM").pad_to(12).u16(static_cast<unsigned>(payload.size() + 14)).bytes(payload).data();
}

struct ProbeCase {
    const char* what;
    Bytes file;
    LogoFormatId id;
    unsigned width, height;
    std::uint32_t dataSize;
    const char* fatal;  // the message when no temporary file can be made
};

std::vector<ProbeCase> probe_cases()
{
    auto size = [](const Bytes& b) { return static_cast<std::uint32_t>(b.size()); };
    // Unpacked pictures: headers and some pixel bytes.
    Bytes logo = ByteBuilder().pad_to(4).u16(24).u16(64).fill(4 * 64 / 8 * 24, 0x5A).data();
    Bytes pg = ByteBuilder().text("PG").pad_to(10).u16(48).u16(16).pad_to(18).fill(64, 0x33).data();
    Bytes pgPalette = ByteBuilder().text("PG").u8(0).u8(1).pad_to(10).u16(16).pad_to(0x4C).u16(40).u16(8)
                          .pad_to(84).fill(64, 0x33).data();
    Bytes grfx = ByteBuilder().text("GRFX").pad_to(18).u16(40).u16(12).pad_to(80).fill(100, 0x12).data();
    Bytes dell = dell_container(ByteBuilder().text("BM").pad_to(18).u32(37).u32(23).pad_to(54).fill(40, 1).data());
    // A stream that stops after 5 bytes on a head it cannot build (single value 511).
    Lh5Writer cut;
    cut.bits(5, 16).single(0, 5).single('x', 9).single(0, 4).bits(1, 16).single(0, 5).single(511, 9);
    return {
        {"GRFXLOGO", grfxlogo_container(lh5_literal_stream(logo), size(logo)), 30, 64, 24, size(logo),
         "FATAL ERROR in Detect Module: Intel Graphics \\(GRFXLOGO\\)\n"},
        {"compressed PG", compressed_pg_container(lh5_literal_stream(pg), size(pg)), 31, 48, 16, size(pg),
         "FATAL ERROR in Detect Module: Intel Graphics \\(Compressed PG\\)\n"},
        {"compressed PG with its own palette", compressed_pg_container(lh5_literal_stream(pgPalette), size(pgPalette)),
         31, 40, 8, size(pgPalette), nullptr},
        {"compressed GRFX", compressed_grfx_container(lh5_literal_stream(grfx), size(grfx)), 34, 40, 12, size(grfx),
         "FATAL ERROR in Detect Module: Intel Graphics \\(Compressed GRFX\\)\n"},
        {"the measured size of a stream that ends early", compressed_grfx_container(cut.bytes(), 5000), 34, 0, 0, 5,
         nullptr},
        {"Dell NVRAM keeps the packed length", dell, 35, 37, 23, size(dell),
         "FATAL ERROR in Detect Module: Dell Graphics \\(NVRAM\\)\n"},
        // A packed size of 0: the stream is zero bits for ever, block after block of 65,536
        // zero literals, which would run to 4 GiB; it is held to the largest picture.
        {"a huge unpacked size", compressed_grfx_container({}, 0xFFFFFFFF, {0, 0, 0, 0}), 34, 0, 0, MAX_UNPACKED_SIZE,
         nullptr},
    };
}

TEST(UnpackingProbes, ClaimTheContainersAndMeasureTheUnpackedData)
{
    auto openDescriptors = [] {
        std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    for (const ProbeCase& c : probe_cases()) {
        SCOPED_TRACE(c.what);
        std::string path = write_temp_file(c.file, "packed.bin");
        auto before = openDescriptors();
        LogoDescriptor d = detect_file(path);  // closes the descriptor's stream, whichever it is
        EXPECT_EQ(openDescriptors(), before) << "the input stream was left open";
        EXPECT_EQ(d.formatId, c.id);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.dataSize, c.dataSize);
        EXPECT_EQ(d.frameCount, 0);
        EXPECT_EQ(d.colorCount, 16);
    }
}

TEST(UnpackingProbes, DeclineWithoutTheirMarks)
{
    Bytes stream = lh5_literal_stream(Bytes(100, 0x12));
    auto textFirst = [](const Bytes& file) { return ByteBuilder().bytes(file).put_text(0, "TEXT").data(); };
    const struct {
        const char* what;
        Bytes file;
        LogoFormatId notId;
    } cases[] = {
        {"GRFXLOGO after TEXT", textFirst(grfxlogo_container(stream, 100)), 30},
        {"compressed PG after TEXT", textFirst(compressed_pg_container(stream, 100)), 31},
        {"compressed GRFX after TEXT", textFirst(compressed_grfx_container(stream, 100)), 34},
        {"GRFX then L", compressed_grfx_container(stream, 100, {'L', 1, 0, 0}), 34},
        {"GRFX then .O", compressed_grfx_container(stream, 100, {0, 'O', 0, 0}), 34},
        {"GRFX then ..G", compressed_grfx_container(stream, 100, {0, 1, 'G', 0}), 34},
        {"GRFX then ...O", compressed_grfx_container(stream, 100, {0, 1, 0, 'O'}), 34},
        {"NVRAM cut to NVRA", ByteBuilder().text("NVRA").pad_to(64).data(), 35},
    };
    for (const auto& c : cases)
        EXPECT_NE(detect_bytes(c.file).formatId, c.notId) << c.what;
}

// ---- Unpacked data stays in memory ----------------------------------------------------

// Detects the file with no file descriptor left to open; exits with the identifier found.
void detect_without_new_files(const std::string& path)
{
    SilentSink silent;
    LoadContext load(silent, false);
    load.set_input(OwnedFile(std::fopen(path.c_str(), "rb")));
    LogoDescriptor d;
    d.stream = load.input();
    rlimit none{0, 0};
    getrlimit(RLIMIT_NOFILE, &none);
    none.rlim_cur = 0;
    setrlimit(RLIMIT_NOFILE, &none);
    detect_format(d, load);
    _exit(d.formatId);  // not the exit handlers of the test process
}

TEST(UnpackingProbesDeathTest, UnpackingNeedsNoTemporaryFile)
{
    for (const ProbeCase& c : probe_cases()) {
        std::string path = write_temp_file(c.file, "packed.bin");
        EXPECT_EXIT(detect_without_new_files(path), testing::ExitedWithCode(c.id), "") << c.what;
    }
}

// ---- End to end through zarpo2-cli png -------------------------------------------------

TEST(UnpackingProbes, CompressedPicturesShowWhatTheirPlainTwinsShow)
{
    if (!have_program("jlha") || !have_program("convert"))
        GTEST_SKIP() << "jlha or ImageMagick is missing";
    const struct {
        const char* plain;
        Bytes (*wrap)(const Bytes& stream, std::uint32_t size);
    } twins[] = {
        {"phoenix/pg-standard.pg", compressed_pg_container},
        {"phoenix/pg-own-palette.pg", compressed_pg_container},
        {"intel/grfx.bin", [](const Bytes& s, std::uint32_t n) { return compressed_grfx_container(s, n); }},
    };
    for (const auto& t : twins) {
        SCOPED_TRACE(t.plain);
        std::string plain = test_data_dir() + "/" + t.plain;
        LhaMember member;
        ASSERT_TRUE(jlha_pack(read_file(plain), member) && member.method == "-lh5-");
        Bytes expected, shown;
        ASSERT_TRUE(cli_png_rgb(plain, expected));
        ASSERT_TRUE(cli_png_rgb(write_temp_file(t.wrap(member.packed, member.originalSize), "twin.bin"), shown));
        EXPECT_TRUE(shown == expected);
    }
}

TEST(UnpackingProbes, DellNvramShowsTheBitmapImageMagickReads)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "ImageMagick is missing";
    std::string bmp = test_data_dir() + "/bmp/magick-8bit.bmp";
    std::string packed = write_temp_file(dell_container(read_file(bmp)), "dell.bin");
    Bytes expected, shown;
    ASSERT_TRUE(convert_to_rgb(bmp, expected));
    ASSERT_TRUE(cli_png_rgb(packed, shown));
    EXPECT_TRUE(shown == clear_low_bits(expected));
}

}  // namespace
