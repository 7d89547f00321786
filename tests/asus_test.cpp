// ASUS composite and dynamic logos: detection walks, frame decoding, hostile chains.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>

#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// ---- picture and palette material ----

unsigned pattern_index(unsigned x, unsigned y, unsigned seed)
{
    return (x + 3 * y + seed) & 0x0F;
}

// 8-bit colours of entry n of palette `seed`, as 0xRRGGBB.
std::uint32_t color8(unsigned n, unsigned seed)
{
    unsigned r = (n * 16 + seed) & 0xFF, g = (255 - n * 8 - seed) & 0xFF, b = (n * 5 + 2 * seed) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

// 6-bit palette entry n (every channel below 64) as 0xRRGGBB; drawn times 4.
std::uint32_t six_bit(unsigned n)
{
    return (n * 3) << 16 | (63 - n) << 8 | (n * 2 + 5);
}

// Dynamic LOGO (3) palette: entry 0 must be black, its three zero bytes are the signature.
std::uint32_t color_v3(unsigned n)
{
    return n == 0 ? 0 : color8(n, 7);
}

// 16 palette entries, each written as the channels named in `order` ('x': a filler byte EE).
Bytes palette_bytes(const std::function<std::uint32_t(unsigned)>& colour, const char* order)
{
    ByteBuilder b;
    for (unsigned n = 0; n < 16; ++n)
        for (const char* c = order; *c; ++c)
            b.u8(*c == 'r' ? colour(n) >> 16 : *c == 'g' ? (colour(n) >> 8) & 0xFF : *c == 'b' ? colour(n) & 0xFF : 0xEE);
    return b.data();
}

// The pattern as 4-bit indexes, the width rounded up to 8: two pixels a byte (high nibble
// left, rows bottom-up), or four bit planes a row (plane 0 = lowest index bit, bit 7
// leftmost, rows top-down).
Bytes picture(unsigned w, unsigned h, unsigned seed, bool planar)
{
    unsigned w8 = (w + 7) / 8 * 8;
    ByteBuilder b;
    for (unsigned r = 0; r < h; ++r) {
        unsigned y = planar ? r : h - 1 - r;
        for (unsigned p = 0; p < (planar ? 4u : 1u); ++p)
            for (unsigned x = 0; x < w8; x += planar ? 8 : 2) {
                unsigned byte = 0;
                for (unsigned k = x; k < x + (planar ? 8 : 2); ++k) {
                    unsigned index = pattern_index(k, y, seed);
                    byte = planar ? byte << 1 | ((index >> p) & 1) : byte << 4 | index;
                }
                b.u8(byte);
            }
    }
    return b.data();
}

// ---- record and file builders ----

// "4OSB" record: head, 4-byte palette, `gap` filler bytes, picture. A width-0 head with a
// size after it (w0Size) is the Composite 4OSB alternative layout. The data offset counts
// from the head's start (Composite) or from its end (V2).
Bytes osb4_record(unsigned w, unsigned h, unsigned seed, std::optional<std::uint32_t> length = {},
                  std::optional<std::pair<unsigned, unsigned>> w0Size = {}, unsigned gap = 0, bool v2 = false)
{
    unsigned pw = w0Size ? w0Size->first : w, ph = w0Size ? w0Size->second : h;
    ByteBuilder b;
    b.text("4OSB").u32(0).u16(0).u16(0).u16(w).u16(h);
    if (w0Size)
        b.u16(pw).u16(ph);
    b.bytes(palette_bytes([seed](unsigned n) { return color8(n, seed); }, "bgrx")).fill(gap, 0x77);
    b.put_u16(10, static_cast<unsigned>(b.size() - (v2 ? 16 : 0)));
    b.bytes(picture(pw, ph, seed, false));
    std::uint32_t len = length ? *length : static_cast<std::uint32_t>(b.size());
    b.put_u32(4, len);
    if (length)
        b.pad_to(len > 0x100000 ? 0 : len);
    return b.data();
}

const Bytes STDA = ByteBuilder().text("STDA").fill(12, 0x11).data();

// "ASUS2" file head; byte 16 chooses the chain kind; the first record at 32.
ByteBuilder asus2_head(unsigned kind)
{
    return ByteBuilder().u16(0).text("ASUS2").pad_to(12).u32(32).u8(kind).pad_to(32);
}

// "ASUS" (V2) file head: first record at the 16-bit value at 12.
ByteBuilder asus_v2_head(unsigned byte16 = 0)
{
    return ByteBuilder().u16(0).text("ASUS").u8('V').pad_to(12).u32(0x20).u8(byte16).pad_to(32);
}

Bytes img_record(unsigned w, unsigned h, unsigned seed, bool planar)
{
    ByteBuilder b;
    b.text("IMG").u8(0).u16(w).u16(h);
    b.bytes(picture(w, h, seed, planar));
    b.pad_to((b.size() + 15) / 16 * 16);
    return b.data();
}

// OSB640 record: length, 2 bytes, width, height, RGB palette, nibble picture.
Bytes osb640_record(unsigned w, unsigned h, unsigned seed)
{
    ByteBuilder b;
    b.u32(0).u16(0).u16(w).u16(h).bytes(palette_bytes([seed](unsigned n) { return color8(n, seed); }, "rgb"));
    b.bytes(picture(w, h, seed, false));
    return b.put_u32(0, static_cast<std::uint32_t>(b.size())).data();
}

// OSB640 file: signature, then "add esi, imm32" (66 81 C6) pointing at the chain.
ByteBuilder osb640_head()
{
    return ByteBuilder().u16(0).text("ASUS").u8(0).pad_to(0x40).u8(0x66).u8(0x81).u8(0xC6).u16(0x50).u16(0).pad_to(0x50);
}

// Dynamic LOGO: "LOGO", the "SUSA" record at susaAt, its trailer with the palette.
ByteBuilder logo_head(unsigned w, unsigned h, unsigned susaAt = 0x20)
{
    ByteBuilder b;
    b.text("LOGO").pad_to(susaAt).text("SUSA").u16(w).u16(h).bytes(picture(w, h, 9, true));
    b.text("TRLR").bytes(palette_bytes(six_bit, "bgr"));
    b.pad_to((b.size() + 15) / 16 * 16);
    return b;
}

// Dynamic LOGO (2): "ASUS2" AMI module; a BE pointer at 0x30 puts the palette at 0x60.
ByteBuilder ami_head(unsigned byte16 = 0)
{
    ByteBuilder b;
    b.u16(0).text("ASUS2").put_u16(9, 0x30).pad_to(16).u8(byte16).pad_to(0x30);
    b.u8(0xBE).u16(0x60).pad_to(0x60).bytes(palette_bytes(six_bit, "bgr"));
    return b;
}

ByteBuilder v3_head()
{
    return ByteBuilder().bytes(palette_bytes(color_v3, "rgbx"));
}

// ---- detection ----

struct DetectCase {
    const char* name;
    Bytes bytes;
    unsigned formatId, width, height, frames;
};

// Test listings show the case's name, not a dump of its bytes.
void PrintTo(const DetectCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string case_name(const ::testing::TestParamInfo<DetectCase>& param)
{
    return param.param.name;
}

class AsusDetect : public ::testing::TestWithParam<DetectCase> {};

// Detection measures the chain; the decoder then fills exactly the counted frames, with
// no "break" or allocation message: frame k is record k.
TEST_P(AsusDetect, IdentifiesAndMeasures)
{
    const DetectCase& c = GetParam();
    LogoDescriptor d = detect_bytes(c.bytes);
    EXPECT_EQ(d.formatId, c.formatId);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.frameCount, c.frames);
    EXPECT_EQ(d.dataSize, c.bytes.size());
    EXPECT_EQ(d.colorCount, 16);
    LoadResult r = load_bytes(c.bytes);
    EXPECT_EQ(r.frames.size(), c.frames);
    EXPECT_EQ(r.stdoutText, "");
}

Bytes composite_with_stda()
{
    // STDA at 0x20, then a "4OSB" of length 0x1010: one step moves the walk 16 + 0x1010.
    return asus2_head(1).bytes(STDA).bytes(osb4_record(0x13, 0x10, 1, 0x1010)).bytes(osb4_record(8, 0x20, 2)).data();
}

Bytes ami_without_pointer(std::size_t size)
{
    ByteBuilder b;
    b.u16(0).text("ASUS2").put_u16(9, 0x20).pad_to(0x20).bytes(palette_bytes(six_bit, "bgr")).bytes(img_record(8, 2, 1, true));
    return b.pad_to(size).data();
}

// Dynamic LOGO (3): a 0x13 x 0x10 record cut or padded to firstLength, then an 8 x 1 one.
Bytes v3_pair(std::size_t firstLength)
{
    Bytes first = img_record(0x13, 0x10, 1, false);
    first.resize(firstLength);
    return v3_head().bytes(first).bytes(img_record(8, 1, 2, false)).data();
}

const DetectCase DETECT_CASES[] = {
    {"CompositeStdaStep", composite_with_stda(), 14, 0x13, 0x20, 2},
    {"CompositeWidthZeroLayout",
     asus2_head(15).bytes(osb4_record(0, 5, 1, {}, std::make_pair(0x10u, 6u))).data(), 14, 0x10, 6, 1},
    // Byte 6 is '2' and the value at 12 is not 0: never V2 or OSB640.
    {"CompositeNothingAtFirstOffset", asus2_head(3).fill(64, 0x33).data(), 14, 0, 0, 0},
    {"AmiByte16Zero", ami_head(0).bytes(img_record(0x13, 0x10, 1, true)).bytes(img_record(8, 0x18, 2, true)).data(),
     18, 0x18, 0x18, 2},
    {"AmiByte16Sixteen", ami_head(16).bytes(img_record(0x13, 0x10, 1, true)).bytes(img_record(8, 0x18, 2, true)).data(),
     18, 0x18, 0x18, 2},
    // Without a BE byte the palette is at the 16-bit value at 9 (0x20), when the 1,024
    // search reads reach no further than the file; a search that ran into the end of
    // the file ends the walk before it starts.
    {"AmiNoPointerUsesBase", ami_without_pointer(0x20 + 1023 + 8), 18, 8, 2, 1},
    {"AmiNoPointerSearchRanOffTheEnd", ami_without_pointer(0x20 + 1023 + 7), 18, 0, 0, 0},
    {"V2TwoRecords",
     asus_v2_head().bytes(osb4_record(0x20, 4, 1, {}, {}, 0, true)).bytes(STDA)
         .bytes(osb4_record(0x10, 9, 2, {}, {}, 0, true)).data(), 33, 0x20, 9, 2},
    {"V2Byte16NotZero", asus_v2_head(1).bytes(osb4_record(0x20, 4, 1)).data(), 33, 0, 0, 0},
    {"V3TwoRecordsLastSize",
     v3_head().bytes(img_record(0x13, 3, 1, false)).bytes(img_record(8, 2, 2, false)).data(), 19, 8, 2, 2},
    // Width 0x13 rounds to 0x18: 0x18 x 0x10 / 2 + 8 = 0xC8, rounded to 0xD0. A second
    // record 0xD0 after the first is found; one 0xC8 after it is not.
    {"V3ImgLengthRoundedTo0xD0", v3_pair(0xD0), 19, 8, 1, 2},
    {"V3ImgLength0xC8IsShort", v3_pair(0xC8), 19, 0x18, 0x10, 1},
    {"V3NoImgAt0x40", v3_head().text("JUNK").fill(60).data(), 19, 0, 0, 0},
    {"LogoSusaThenEnd", logo_head(0x10, 4).data(), 15, 0, 0, 1},
    {"LogoSusaAndImages",  // "SUSA" at 1,008, the last offset searched
     logo_head(0x10, 4, 0x3F0).bytes(img_record(0x13, 2, 1, true)).bytes(img_record(8, 5, 2, true)).data(),
     15, 8, 5, 3},
    {"LogoWithoutSusa", ByteBuilder().text("LOGO").fill(2000, 0x53).data(), 15, 0, 0, 0},
    {"Osb640StopsAtZeroLength",
     osb640_head().bytes(osb640_record(0x13, 2, 1)).bytes(osb640_record(0x30, 1, 2)).u32(0).fill(60).data(),
     17, 0x30, 2, 2},
    {"Osb640WithoutPointer", ByteBuilder().u16(0).text("ASUS").u8(0).pad_to(5000).data(), 17, 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Asus, AsusDetect, ::testing::ValuesIn(DETECT_CASES), case_name);

TEST(AsusDetect, EmptyAndTinyFilesAreNotDynamicLogo3)
{
    EXPECT_EQ(detect_bytes({}).formatId, 0);
    EXPECT_EQ(detect_bytes({0, 0}).formatId, 0);
    EXPECT_EQ(detect_bytes({0, 0, 0}).formatId, 19);
}

TEST(AsusDetect, VerboseWalkLines)
{
    Bytes v2 = asus_v2_head().bytes(STDA).bytes(osb4_record(8, 1, 1, {}, {}, 0, true)).data();
    const std::pair<Bytes, const char*> cases[] = {
        {composite_with_stda(), "==>>>DETECT: ASUS Dynamic LOGO (2+) :: 0x1\n"
                                "IMAGE: 0, Offset = 20 WxH: 13, 10\nIMAGE: 1, Offset = 1040 WxH: 8, 20\n"},
        {composite_with_stda(), "====>>> FRAME: Seek = 00020h\n=====>>> FRAME: DATA = 00080h\n"},
        {v2, "==>>>DETECT: ASUS Dynamic LOGO (2) V2\nIMAGE: 0, Offset = 20\nIMAGE: 0, Offset = 30\n"},
        {v2, "====>>> FRAME: Seek = 00020h\nRead it again @ 30\n"
             "=====>>> FRAME: W (W+) = 008h (008h)\n====>>> FRAME: CuteSeek = 00080h\n"},
        {v3_head().data(), "==>>>DETECT: ASUS Dynamic LOGO (3)\n"},
        {logo_head(8, 1).data(), "==>>>DETECT: ASUS Dynamic LOGO\n"},
        {osb640_head().data(), "==>>>DETECT: ASUS OSB640\n"},
        {ami_head().data(), "==>>>DETECT: ASUS Dynamic LOGO (2+) :: AMI\n"},
    };
    for (const auto& [bytes, text] : cases) {
        LoadResult r = load_file(write_temp_file(bytes, "line.bin"), "", true);
        EXPECT_NE(r.stdoutText.find(text), std::string::npos) << text << "\nin:\n" << r.stdoutText;
    }
}

// ---- decoding ----

TEST(AsusDecode, FramesShowTheStoredPictures)
{
    auto pi = pattern_index;
    const struct {
        const char* what;
        Bytes bytes;
        std::vector<std::pair<unsigned, unsigned>> sizes;
        std::function<std::uint32_t(unsigned f, unsigned x, unsigned y)> expected;
    } cases[] = {
        // Width 0x13: pixels to 0x13 coloured (the byte whose left pixel is 0x12 whole), 0x14.. black.
        {"composite, stored width filled with black", composite_with_stda(), {{0x18, 0x10}, {8, 0x20}},
         [&](unsigned f, unsigned x, unsigned y) {
             return f == 1 ? color8(pi(x, y, 2), 2) : x < 0x14 ? color8(pi(x, y, 1), 1) : 0u;
         }},
        // Width 0, height 5: the size follows the head, the picture stands at the data offset,
        // behind 8 filler bytes that must not be taken as pixels.
        {"composite, width-0 layout", asus2_head(1).bytes(osb4_record(0, 5, 3, {}, std::make_pair(0x0Cu, 6u), 8)).data(),
         {{0x10, 6}},
         [&](unsigned, unsigned x, unsigned y) { return x < 0x0C ? color8(pi(x, y, 3), 3) : 0u; }},
        // Width 0 and height 0: the plain layout, an empty frame, nothing read.
        {"composite, 0 x 0 record", asus2_head(1).bytes(osb4_record(0, 0, 1)).bytes(osb4_record(8, 2, 4)).data(),
         {{0, 0}, {8, 2}}, [&](unsigned, unsigned x, unsigned y) { return color8(pi(x, y, 4), 4); }},
        // STDA moves the record start on by 16; the data offset (0x48) counts from the end of the head.
        {"V2 data offset after STDA",
         asus_v2_head().bytes(STDA).bytes(osb4_record(0x13, 3, 5, {}, {}, 8, true)).data(), {{0x18, 3}},
         [&](unsigned, unsigned x, unsigned y) { return x < 0x14 ? color8(pi(x, y, 5), 5) : 0u; }},
        // Palette entry 0 fills past the width; the second record's length 0 ends the chain.
        {"OSB640", osb640_head().bytes(osb640_record(0x13, 3, 6)).u32(0).fill(60, 0x44).data(),
         {{0x18, 3}}, [&](unsigned, unsigned x, unsigned y) { return color8(x < 0x14 ? pi(x, y, 6) : 0, 6); }},
        {"V3 file palette", v3_head().bytes(img_record(0x13, 3, 1, false)).bytes(img_record(0x10, 2, 2, false)).data(),
         {{0x18, 3}, {0x10, 2}}, [&](unsigned f, unsigned x, unsigned y) { return color_v3(pi(x, y, f + 1)); }},
        // Planar frames share the "SUSA" record's palette (the SUSA picture has seed 9).
        {"Dynamic LOGO",
         logo_head(0x10, 4, 0x100).bytes(img_record(0x13, 2, 1, true)).bytes(img_record(8, 5, 2, true)).data(),
         {{0x10, 4}, {0x18, 2}, {8, 5}},
         [&](unsigned f, unsigned x, unsigned y) { return six_bit(pi(x, y, f == 0 ? 9 : f)) * 4; }},
        // Planes 0..3 of one 8x1 row, written by hand: plane 3 = 0x80 gives pixel 0 index 8.
        {"planar bit order", ami_head().text("IMG").u8(0).u16(8).u16(1).u8(0).u8(0).u8(0).u8(0x80).data(), {{8, 1}},
         [](unsigned, unsigned x, unsigned) { return six_bit(x == 0 ? 8 : 0) * 4; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadResult r = load_bytes(c.bytes);
        ASSERT_EQ(r.frames.size(), c.sizes.size());
        EXPECT_EQ(r.stdoutText, "");
        for (unsigned f = 0; f < c.sizes.size(); ++f) {
            EXPECT_EQ(r.frames[f].width, c.sizes[f].first) << "frame " << f;
            EXPECT_EQ(r.frames[f].height, c.sizes[f].second) << "frame " << f;
            unsigned bad = 0;
            for (unsigned y = 0; y < r.frames[f].height; ++y)
                for (unsigned x = 0; x < r.frames[f].width; ++x)
                    bad += r.frame_rgb(f, x, y) != c.expected(f, x, y);
            EXPECT_EQ(bad, 0u) << "frame " << f;
        }
    }
}

TEST(AsusDecode, AmiStepsOverLargePicturesWithTheFullRecordLength)
{
    // 512 x 288: X = 73,728, record length 73,744 (0x12010). The second record is found
    // there, not 73,744 mod 65,536 = 8,208 bytes on, where a decoy head stands.
    Bytes first = img_record(512, 288, 1, true);
    ASSERT_EQ(first.size(), 0x12010u);
    first = ByteBuilder().bytes(first).put_text(8208, "IMG").put_u16(8212, 16).put_u16(8214, 16).data();
    LoadResult r = load_bytes(ami_head().bytes(first).bytes(img_record(0x10, 3, 2, true)).data());
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.frames[0].width, 512u);
    EXPECT_EQ(r.frames[1].width, 0x10u);
    EXPECT_EQ(r.frames[1].height, 3u);
}

// ---- hostile chains: every walk ends, under the sanitizers too ----

Bytes repeated(const ByteBuilder& head, const Bytes& record, unsigned count)
{
    ByteBuilder b = head;
    for (unsigned i = 0; i < count; ++i)
        b.bytes(record);
    return b.data();
}

const DetectCase LOOP_CASES[] = {
    {"CompositeLengthZero", asus2_head(1).bytes(osb4_record(8, 1, 1, 0u)).data(), 14, 8, 1, 1},
    {"CompositeLengthWraps", asus2_head(1).bytes(osb4_record(8, 1, 1, 0xFFFFFFF0u)).fill(64).data(), 14, 8, 1, 1},
    {"CompositeFirstOffsetFarAway",
     ByteBuilder().u16(0).text("ASUS2").pad_to(12).u32(0xFFFFFFFF).u8(1).pad_to(64).data(), 14, 0, 0, 0},
    {"CompositeStdaOnly", repeated(asus2_head(1), STDA, 1000), 14, 0, 0, 0},
    {"CompositeTooManyRecords",  // bare heads of empty pictures
     repeated(asus2_head(1), ByteBuilder().text("4OSB").u32(16).fill(8).data(), 300), 14, 0, 0, 255},
    {"Osb640TooManyRecords",  // bare 10-byte heads of 2 x 0 pictures
     repeated(osb640_head(), ByteBuilder().u32(10).u16(0).u16(2).u16(0).data(), 300), 17, 2, 0, 255},
    {"V3TooManyRecords", repeated(v3_head(), img_record(8, 1, 1, false), 300), 19, 8, 1, 255},
    {"LogoTooManyRecords", repeated(logo_head(8, 1), img_record(8, 1, 1, true), 300), 15, 8, 1, 255},
    {"AmiPointerBeyondFile",
     ByteBuilder().u16(0).text("ASUS2").put_u16(9, 0x20).pad_to(0x20).u8(0xBE).u16(0xFFF0).fill(8).data(), 18, 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(AsusLoops, AsusDetect, ::testing::ValuesIn(LOOP_CASES), case_name);

// A decoder asked for more frames than its chain holds fills what it finds and says so.
TEST(AsusDecode, ChainShorterThanFrameCountIsReported)
{
    const struct {
        FrameDecoder decoder;
        Bytes bytes;
        unsigned found;
        const char* message;
    } cases[] = {
        {decode_ASUSbm, asus2_head(1).bytes(osb4_record(8, 2, 1)).data(), 1, "decode_ASUSbm() break;\n"},
        {decode_ASUS2v2bm, ami_head().bytes(img_record(8, 2, 1, true)).data(), 1, "decode_ASUS2v2bm() break;\n"},
        {decode_ASUSLOGObm, logo_head(8, 2).bytes(img_record(8, 2, 1, true)).data(), 2, "decode_ASUSLOGObm() break;\n"},
        {decode_ASUSv3bm, v3_head().bytes(img_record(8, 2, 1, false)).data(), 1, ""},
        {decode_ASUSV2bm, asus_v2_head().bytes(osb4_record(8, 2, 1)).data(), 1, ""},
        {decode_ASUSOSB640, osb640_head().bytes(osb640_record(8, 2, 1)).u32(0).data(), 1, ""},
    };
    for (const auto& c : cases) {
        FramesDecoded r = decode_frames_with(c.decoder, c.bytes, 5);
        EXPECT_EQ(r.messages, c.message);
        for (unsigned f = 0; f < 5; ++f)
            EXPECT_EQ(r.withPixels[f], f < c.found) << c.message << " frame " << f;
    }
}

TEST(AsusDecode, OversizedFrameReportsAllocationAndStaysEmpty)
{
    // 0xFFF8 x 0xFFFF is far beyond what a frame may hold.
    LoadResult r = load_bytes(v3_head().text("IMG").u8(0).u16(0xFFF8).u16(0xFFFF).fill(64).data());
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].width, 0u);
    EXPECT_EQ(r.stdoutText, "decode_ASUSv3bm() : No memory allocated for Image\n");
}

// ---- the headless command ----

TEST(AsusCli, IdentifyJsonAndOneDecodedPngPerFrame)
{
    std::string path = write_temp_file(logo_head(0x10, 4).bytes(img_record(0x13, 2, 1, true)).data(), "dyn.bin");
    std::string dir = path.substr(0, path.rfind('/')), out;
    ASSERT_EQ(run_command(cli_path() + " identify --json '" + path + "'", &out), 0);
    EXPECT_NE(out.find("\"formatId\": 15, \"formatName\": \"ASUS Dynamic LOGO\", \"width\": 24, \"height\": 2, "
                       "\"dataSize\": " + std::to_string(read_file(path).size()) + ", \"frameCount\": 2, \"colorCount\": 16"),
              std::string::npos) << out;

    ASSERT_EQ(run_command(cli_path() + " png --out-dir '" + dir + "' '" + path + "'", &out), 0);
    EXPECT_EQ(out, dir + "/dyn-(Frame00).png\n" + dir + "/dyn-(Frame01).png\n");

    if (!have_program("convert"))
        GTEST_SKIP() << "ImageMagick convert is not installed";
    LoadResult r = load_file(path);
    ASSERT_EQ(r.frames.size(), 2u);
    for (unsigned f = 0; f < 2; ++f) {
        Bytes rgb;
        ASSERT_TRUE(convert_to_rgb(dir + "/dyn-(Frame0" + std::to_string(f) + ").png", rgb));
        EXPECT_EQ(rgb, r.frames[f].pixels) << "frame " << f;
    }
}

}  // namespace
