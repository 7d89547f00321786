// The probes that unpack while they detect (GRFXLOGO, compressed PG and GRFX in lh5, the Dell
// NVRAM logo) on the committed containers of jlha-made streams and on streams that end early
// or would never end; Dell's LZ77 coder on worked examples and on tokens that leave the buffers.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <tuple>

#include "codec/dell_lz77.h"
#include "detect/detect.h"
#include "core/limits.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"
#include "support/lh5_writer.h"
#include "support/lha_archive.h"

namespace {

// Compressed PG: ED AC ED AC at 0xA0, the unpacked size at 0xAF, the packed size at 0xB3,
// the stream at 0xBF. Compressed GRFX: "GRFX" at 0x80, four bytes that differ from "LOGO"
// (the first two added give the packed size in units of 65,536), the unpacked size, the stream.
Bytes compressed_pg(const Bytes& stream, std::uint32_t unpackedSize)
{
    return ByteBuilder().pad_to(0xA0).u8(0xED).u8(0xAC).u8(0xED).u8(0xAC).put_u32(0xAF, unpackedSize)
        .put_u32(0xB3, stream.size()).pad_to(0xBF).bytes(stream).data();
}
Bytes compressed_grfx(const Bytes& stream, std::uint32_t unpackedSize, const Bytes& notLogo = {0, 1, 0, 0})
{
    return ByteBuilder().pad_to(0x80).text("GRFX").bytes(notLogo).u32(unpackedSize).bytes(stream).data();
}

constexpr std::int32_t HEADER = 14;  // the size counts the header's 14 bytes
constexpr std::int32_t WHOLE = INT32_MIN;

// Runs the coder on the payload as detection reads it: size - 14 bytes, zero past the file's end.
Bytes unpack(const Bytes& payload, std::int32_t size = WHOLE)
{
    Bytes read(std::max(size == WHOLE ? static_cast<std::int32_t>(payload.size()) : size - HEADER, 0), 0);
    std::copy_n(payload.begin(), std::min(read.size(), payload.size()), read.begin());
    return dell_decompress(read).bytes;
}

}  // namespace

// Each probe claims its container and measures the unpacked data.
TEST(UnpackingProbes, ClaimTheContainersAndMeasureTheUnpackedData)
{
    // A stream that stops after 5 bytes on a head it cannot build; one of packed size 0: zero
    // bits for ever, blocks of 65,536 zero literals up to 4 GiB, held to the largest picture.
    Lh5Writer cut;
    cut.single_value_block(5, 'x').bits(1, 16).single(0, NT_COUNT_BITS).single(511, NC_COUNT_BITS);
    const std::tuple<Bytes, LogoFormatId, unsigned, unsigned, unsigned> cases[] = {  // id, width, height, data size
        {read_fixture("codecs/grfxlogo.bin"), FORMAT_INTEL_GRFXLOGO, 64, 24, 776},
        {read_fixture("codecs/compressed-pg.bin"), FORMAT_INTEL_COMPRESSED_PG, 64, 24, 786},
        {read_fixture("codecs/compressed-pg-palette.bin"), FORMAT_INTEL_COMPRESSED_PG, 48, 16, 468},
        {read_fixture("codecs/compressed-grfx.bin"), FORMAT_INTEL_COMPRESSED_GRFX, 40, 12, 320},
        {read_fixture("codecs/dell-nvram.bin"), FORMAT_DELL_NVRAM, 37, 23, 1862},  // the packed length
        {compressed_grfx(cut.bytes(), 5000), FORMAT_INTEL_COMPRESSED_GRFX, 0, 0, 5},
        {compressed_grfx({}, 0xFFFFFFFF, {0, 0, 0, 0}), FORMAT_INTEL_COMPRESSED_GRFX, 0, 0, MAX_UNPACKED_SIZE},
    };
    for (const auto& [file, id, width, height, dataSize] : cases) {
        LogoDescriptor d = detect_bytes(file);
        EXPECT_EQ((std::array<unsigned, 5>{d.formatId, d.width, d.height, static_cast<unsigned>(d.dataSize), d.colorCount}),
                  (std::array<unsigned, 5>{id, width, height, dataSize, 16}));
    }
    // "TEXT" first, or a byte after "GRFX" equal to its counterpart in "LOGO": no unpacking.
    const std::tuple<const char*, std::size_t, const char*> declined[] = {
        {"codecs/grfxlogo.bin", 0, "TEXT"}, {"codecs/compressed-pg.bin", 0, "TEXT"},
        {"codecs/compressed-grfx.bin", 0x84, "L"}, {"codecs/compressed-grfx.bin", 0x87, "O"},
        {"codecs/dell-nvram.bin", 4, "-"}};
    for (const auto& [name, at, text] : declined) {
        const Bytes file = read_fixture(name), marked = ByteBuilder().bytes(file).put_text(at, text).data();
        EXPECT_NE(detect_bytes(marked).formatId, detect_bytes(file).formatId) << name << " " << text;
    }
}

// Once a probe has unpacked the logo, the load holds no file descriptor: the input file is
// closed and the unpacked bytes are read from memory, so no load needs /tmp.
TEST(UnpackingProbes, UnpackedLogosNeedNoFile)
{
    auto openDescriptors = [] {
        std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    for (const char* name : {"codecs/grfxlogo.bin", "codecs/compressed-pg.bin", "codecs/dell-nvram.bin"}) {
        auto before = openDescriptors();
        SilentSink silent;
        LoadContext load(silent, false);
        load.set_input(OwnedFile(std::fopen((test_data_dir() + "/" + name).c_str(), "rb")));
        LogoDescriptor d;
        d.stream = load.input();
        detect_format(d, load);
        EXPECT_NE(d.formatId, 0) << name;
        EXPECT_EQ(openDescriptors(), before) << name;
    }
}

// Plain pictures packed by jlha show unchanged; the Dell NVRAM bitmap shows what ImageMagick reads.
TEST(UnpackingProbes, PackedPicturesShowWhatIndependentToolsShow)
{
    if (!have_program("jlha") || !have_program("convert"))
        GTEST_SKIP() << "jlha or ImageMagick is missing";
    for (const std::string plain : {"phoenix/pg-standard.pg", "phoenix/pg-own-palette.pg", "intel/grfx.bin"}) {
        LhaMember member;
        ASSERT_TRUE(jlha_pack(read_fixture(plain), member) && member.method == "-lh5-");
        Bytes packed = plain[0] == 'p' ? compressed_pg(member.packed, member.originalSize)
                                       : compressed_grfx(member.packed, member.originalSize);
        Bytes expected, shown;
        ASSERT_TRUE(cli_png_rgb(test_data_dir() + "/" + plain, expected));
        ASSERT_TRUE(cli_png_rgb(write_temp_file(packed, "twin.bin"), shown));
        EXPECT_TRUE(shown == expected) << plain;
    }
    Bytes expected, shown;
    ASSERT_TRUE(convert_to_rgb(test_data_dir() + "/bmp/magick-8bit.bmp", expected));
    ASSERT_TRUE(cli_png_rgb(test_data_dir() + "/codecs/dell-nvram.bin", shown));
    EXPECT_TRUE(shown == clear_low_bits(expected));
}

TEST(DellLz77, TokensDecodeAsTheirKindSays)
{
    // 256 literal runs of 16 bytes, then 0xFF 0xFF: 16 bytes from 4096 back.
    Bytes far, farOut;
    for (unsigned i = 0; i < 4096; ++i) {
        if (i % 16 == 0)
            far.push_back(0xF0);
        farOut.push_back(static_cast<std::uint8_t>(i * 7 / 16 + i * 13));
        far.push_back(farOut.back());
    }
    far.insert(far.end(), {0xFF, 0xFF});
    farOut.insert(farOut.end(), far.begin() + 1, far.begin() + 17);
    // 16 literals, then 20,000 tokens 0x0F 0x00 (16 bytes from 1 back): cut at 196,608 bytes.
    Bytes runs = {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, clipped(196608, 0);
    for (int i = 0; i < 20000; ++i)
        runs.insert(runs.end(), {0x0F, 0x00});
    std::copy(runs.begin() + 1, runs.begin() + 17, clipped.begin());
    clipped[16] = 16;
    const std::tuple<const char*, Bytes, Bytes, std::int32_t> cases[] = {  // payload, output, size
        {"0x00 pairs give one byte each", {0x00, 'a', 0x00, 'b', 0x00, 0x00, 0x00, 'c'}, {'a', 'b', 0, 'c'}, WHOLE},
        {"a literal run of h + 1 bytes", {0x20, 'x', 'y', 'z', 0x00, '!'}, {'x', 'y', 'z', '!'}, WHOLE},
        {"distance 1, length 4 after X: X and three zeros", {0x00, 'X', 0x03, 0x00}, {'X', 'X', 0, 0, 0}, WHOLE},
        {"distance 3, length 3", {0x20, 'a', 'b', 'c', 0x02, 0x02}, {'a', 'b', 'c', 'a', 'b', 'c'}, WHOLE},
        {"0xFF 0xFF copies 16 bytes from 4096 back", far, farOut, WHOLE},
        // Malformed payloads stay inside the buffers.
        {"a reference before the start of the output reads zeros", {0x31, 0x05}, {0, 0}, WHOLE},
        {"a reference partly before the start", {0x10, 'A', 'B', 0x03, 0x02}, {'A', 'B', 0, 'A', 'B', 0}, WHOLE},
        {"a literal run cut by the payload's end", {0x00, 'q', 0x50, 'r', 's'}, {'q', 'r', 's', 0, 0, 0, 0}, WHOLE},
        {"a size short of the file leaves the rest undecoded", {0x00, 'A', 0x00, 'B'}, {'A'}, HEADER + 2},
        {"output stops at 196,608 bytes", runs, clipped, WHOLE},
    };
    for (const auto& [what, payload, expected, size] : cases)
        EXPECT_EQ(unpack(payload, size), expected) << what;
    for (std::int32_t size : {-1000, 0, 5, 13, 14})
        EXPECT_TRUE(unpack({0x00, 'A'}, size).empty()) << "size " << size;
}
