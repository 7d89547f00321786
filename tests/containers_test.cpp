// Composite containers: Phoenix SCRN and SCN envelopes, "$OSB" chains of PCX and BMP pictures.
#include <gtest/gtest.h>

#include <array>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A Phoenix picture: the 19-byte head, a 4-bit picture's substitution table, the pixels.
Bytes picture(unsigned bits, unsigned width, unsigned height, const Bytes& pixels, Bytes substitution = {})
{
    for (std::size_t i = substitution.size(); i < 16; ++i)
        substitution.push_back(static_cast<std::uint8_t>(i));
    ByteBuilder b;
    b.fill(4).u8(bits).u16(width).u16(height).pad_to(19).bytes(bits == 4 ? substitution : Bytes());
    return b.bytes(pixels).data();
}

// Palette entry i is (i, 63 - i, i / 2) in 6-bit values.
std::uint32_t ramp_rgb(unsigned i)
{
    return (i * 4 << 16) | ((63 - i) * 4 << 8) | (i / 2 * 4);
}

// Header, palette of `entries` ramp entries at 16, the pictures, then a directory of entries
// of an EE byte and an offset of offsetSize bytes, at directoryAt or after the pictures.
ByteBuilder with_directory(const char* tag, unsigned entries, const std::vector<Bytes>& pictures, unsigned offsetSize,
                           std::size_t directoryAt, ByteBuilder& directory)
{
    ByteBuilder b;
    b.text(tag).pad_to(16);
    for (unsigned i = 0; i < entries; ++i)
        b.u8(i).u8(63 - i).u8(i / 2);
    for (const Bytes& p : pictures) {
        directory.u8(0xEE);
        offsetSize == 2 ? directory.u16(b.size()) : directory.u32(b.size());
        b.bytes(p);
    }
    return b.pad_to(directoryAt);
}

// SCRN composite: 64 entries, directory at 0x200 (count, then 16-bit offsets).
Bytes scrn_file(const std::vector<Bytes>& pictures)
{
    ByteBuilder directory, b = with_directory("SCRN", 64, pictures, 2, 0x200, directory);
    return b.put_u16(6, 0x200).u8(pictures.size()).bytes(directory.data()).data();
}

// SCN envelope: 36 entries, 32-bit offsets in a directory that ends at dataSize; trailing bytes follow.
Bytes scn_file(const std::vector<Bytes>& pictures, std::size_t dataSize, std::size_t trailing)
{
    ByteBuilder directory, b = with_directory("SCN", 36, pictures, 4, dataSize - 5 * pictures.size(), directory);
    return b.put_u8(9, pictures.size()).bytes(directory.data()).put_u32(4, dataSize).fill(trailing).data();
}

// "$OSB" records (mark FF ends the chain) each followed by its picture, and the end record.
Bytes osb_chain(const std::vector<Bytes>& pictures)
{
    ByteBuilder b;
    for (const Bytes& p : pictures)
        b.text("$OSB").u8(0).u32(p.size()).fill(7).bytes(p);
    return b.text("$OSB").u8(0xFF).u32(0).fill(7).data();
}

}  // namespace

TEST(ContainersDetect, FramesAndWalksThatEnd)
{
    ByteBuilder scnJpeg, zeroLengths;  // an SCN envelope of one picture takes its size from the JPEG it holds
    scnJpeg.text("SCN").pad_to(16).put_u8(9, 1).put_u32(4, 0x1234).fill(20);
    scnJpeg.bytes(read_fixture("jpeg/magick.jpg")).u8(0).u32(36);
    for (int i = 0; i < 300; ++i)  // records that do not move the walk forward, each read as a 1 x 1 PCX head
        zeroLengths.text("$OSB").fill(12);
    const std::tuple<Bytes, LogoFormatId, unsigned, unsigned, unsigned, unsigned> cases[] = {
        {osb_chain({}), FORMAT_OSB, 0, 0, 16, 0},  // the end mark first: no frames
        {scnJpeg.data(), FORMAT_SCN_2, 37, 23, 0x1234, 0},
        {zeroLengths.data(), FORMAT_OSB, 2, 1, 16 * 300, 255},
        {ByteBuilder().text("SCN").pad_to(16).put_u8(9, 255).put_u32(4, 30).data(), FORMAT_SCN_1, 0, 0, 30, 255},
    };  // the file, identifier, width, height, data size, frames (at most 255)
    for (const auto& [file, id, width, height, dataSize, frames] : cases) {
        LogoDescriptor d = detect_bytes(file);
        EXPECT_EQ(d.formatId, id);
        EXPECT_EQ((std::array<unsigned, 4>{d.width, d.height, static_cast<unsigned>(d.dataSize), d.frameCount}),
                  (std::array<unsigned, 4>{width, height, dataSize, frames})) << format_name(id);
        EXPECT_EQ(load_bytes(file).frames.size(), frames);
    }
}

TEST(ContainersPhoenix, DirectoriesAndColours)
{
    // SCRN: the directory at 0x200 holds offsets at 0x202, 0x205, 0x208, each behind an EE
    // byte. 4 bits: value 1 maps to 0x21, entry 33; 2 maps to 0x50, past the 64 entries: the
    // last one; rows from the top, high nibble first. 8 bits: indexes past 63 take the last
    // entry. A bit count of 2 is drawn as 4 bits without a table.
    LoadResult r = load_bytes(scrn_file({picture(4, 3, 2, {0x12, 0x30, 0x03, 0x10}, {0, 0x21, 0x50, 3}),
                                         picture(8, 2, 1, {7, 200}), picture(2, 2, 1, {0x5A})}));
    ASSERT_EQ(r.frames.size(), 3u);
    const unsigned pixels[][4] = {{0, 0, 0, 33}, {0, 1, 0, 63}, {0, 2, 0, 3}, {0, 0, 1, 0}, {0, 2, 1, 33},
                                  {1, 0, 0, 7},  {1, 1, 0, 63}, {2, 0, 0, 5}, {2, 1, 0, 10}};  // frame, x, y, entry
    for (auto [f, x, y, entry] : pixels)
        EXPECT_EQ(r.frame_rgb(f, x, y), ramp_rgb(entry)) << "frame " << f << " at " << x << "," << y;

    // SCN: the directory ends at dataSize 1000 (offsets at 986, 991, 996, each behind an EE
    // byte), not at the file's end 40 bytes later. 4 bits through the 36 entries (substitution
    // 40 is past them: the last entry); 8 bits draw standard colour (byte AND 0x10).
    r = load_bytes(scn_file({picture(4, 2, 1, {0x12}, {0, 20, 40}), picture(8, 3, 1, {0x0F, 0x10, 0xFF}),
                             picture(8, 4, 1, {0, 0, 0, 0})}, 1000, 40));
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(r.frames[2].width, 4u);
    expect_pixels(r.frames[0].pixels, 2, {{0, 0, ramp_rgb(20)}, {1, 0, ramp_rgb(35)}});
    expect_pixels(r.frames[1].pixels, 3, {{0, 0, 0}, {1, 0, standard_rgb(15)}, {2, 0, standard_rgb(15)}});
}

// A PCX picture of width 321 fills a frame of width 322 whose last column comes from the
// scanline's fill byte, its palette values as stored.
TEST(ContainersOsb, Width321)
{
    ByteBuilder pcx;
    pcx.u8(0x0A).u8(5).u8(1).u8(8).u16(0).u16(0).u16(320).u16(1).pad_to(65).u8(1).u16(322).pad_to(128);
    pcx.fill(321, 1).u8(2).fill(321, 1).u8(2).u8(0x0C).fill(3).u8(255).u8(128).u8(3).u8(9).u8(8).u8(7).fill(759);
    LoadResult r = load_bytes(osb_chain({pcx.data()}));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].width, 322u);
    expect_pixels(r.frames[0].pixels, 322,
                  {{0, 0, 0xFF8003}, {320, 1, 0xFF8003}, {321, 0, 0x090807}, {321, 1, 0x090807}});
}

// Chains of netpbm's and ImageMagick's pictures against ImageMagick's reading of each: PCX
// palettes as stored, BMP palettes with two low bits cleared, a 4-bit BMP black.
TEST(ContainersOsb, FramesShowWhatImageMagickReads)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "convert missing";
    using Names = std::vector<std::string>;
    for (const Names& chain : {Names{"pcx/netpbm-8bit.pcx", "pcx/magick-8bit.pcx"},
                               Names{"bmp/magick-8bit.bmp", "bmp/magick-4bit.bmp", "bmp/magick-8bit-30.bmp"}}) {
        std::vector<Bytes> files;
        for (const std::string& name : chain)
            files.push_back(read_fixture(name));
        LoadResult r = load_bytes(osb_chain(files));
        ASSERT_EQ(r.frames.size(), chain.size());
        for (std::size_t k = 0; k < chain.size(); ++k) {
            const LoadResult::Frame& frame = r.frames[k];
            Bytes expected, shown;
            ASSERT_TRUE(convert_to_rgb(test_data_dir() + "/" + chain[k], expected));
            const std::size_t width = expected.size() / 3 / frame.height;
            for (unsigned y = 0; y < frame.height; ++y)
                shown.insert(shown.end(), frame.pixels.begin() + y * frame.width * 3,
                             frame.pixels.begin() + (y * frame.width + width) * 3);
            const bool bmp = files[k][0] == 'B', fourBit = files[k][28] == 4;
            EXPECT_EQ(shown, fourBit ? Bytes(expected.size(), 0) : bmp ? clear_low_bits(expected) : expected)
                << chain[k];
        }
    }
}
