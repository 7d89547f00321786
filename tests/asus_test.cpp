// ASUS composite and dynamic logos: the detection walks, worked examples of decoding and
// hostile chains.
#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// Colour index (x + 3y + 1) & 15 of a w x h picture, w rounded up to 8: two pixels a byte
// (high nibble left, rows bottom-up), or four bit planes a row (plane 0 the lowest index
// bit, bit 7 leftmost, rows top-down).
Bytes picture(unsigned w, unsigned h, bool planar)
{
    ByteBuilder b;
    for (unsigned r = 0; r < h; ++r)
        for (unsigned p = 0; p < (planar ? 4u : 1u); ++p)
            for (unsigned x = 0; x < (w + 7) / 8 * 8; x += planar ? 8 : 2) {
                unsigned byte = 0;
                for (unsigned k = x; k < x + (planar ? 8 : 2); ++k) {
                    unsigned index = (k + 3 * (planar ? r : h - 1 - r) + 1) & 0x0F;
                    byte = planar ? byte << 1 | ((index >> p) & 1) : byte << 4 | index;
                }
                b.u8(byte);
            }
    return b.data();
}

// "4OSB" record: head, palette (entry n stored as blue 5n, green 255 - 8n, red 16n and a
// filler), picture; its length is its size unless given. "IMG" record padded to 16 bytes.
Bytes osb4(unsigned w, unsigned h, std::uint32_t length = 0)
{
    ByteBuilder b;
    b.text("4OSB").u32(0).u16(80).u16(0).u16(w).u16(h);
    for (unsigned n = 0; n < 16; ++n)
        b.u8(n * 5).u8(255 - n * 8).u8(n * 16).u8(0xEE);
    b.bytes(picture(w, h, false));
    return b.put_u32(4, length ? length : b.size()).pad_to(length > 0x100000 ? 0 : length).data();
}
Bytes img(unsigned w, unsigned h, bool planar)
{
    ByteBuilder b = ByteBuilder().text("IMG").u8(0).u16(w).u16(h).bytes(picture(w, h, planar));
    return b.pad_to((b.size() + 15) / 16 * 16).data();
}
const Bytes STDA = ByteBuilder().text("STDA").fill(12, 0x11).data();
const Bytes EMPTY_4OSB = ByteBuilder().text("4OSB").u32(16).pad_to(16).data();  // the head of a 0 x 0 picture

// File heads: "ASUS2" with chain kind 1 at 16 and the first record at 32; "ASUS" (V2) with
// byte 16 not 0; Dynamic LOGO (3)'s palette (three zero bytes first); the AMI module whose BE
// pointer at 0x30 puts the palette at 0x60; "LOGO" with "SUSA" at susaAt.
const ByteBuilder ASUS2 = ByteBuilder().u16(0).text("ASUS2").pad_to(12).u32(32).u8(1).pad_to(32);
const ByteBuilder V2_BYTE16 = ByteBuilder().u16(0).text("ASUSV").pad_to(12).u32(32).u8(1).pad_to(32);
const ByteBuilder V3 = ByteBuilder().fill(3).pad_to(64, 0x42);
Bytes ami(unsigned byte16, const std::vector<Bytes>& records)
{
    ByteBuilder b = ByteBuilder().u16(0).text("ASUS2").put_u16(9, 0x30).pad_to(16).u8(byte16).pad_to(0x30);
    b.u8(0xBE).u16(0x60).pad_to(0x90, 0x21);
    for (const Bytes& record : records)
        b.bytes(record);
    return b.data();
}
Bytes logo(unsigned susaAt)
{
    ByteBuilder b;
    b.text("LOGO").pad_to(susaAt).text("SUSA").u16(0x10).u16(4).bytes(picture(0x10, 4, true)).fill(52, 0x21);
    return b.pad_to((b.size() + 15) / 16 * 16).data();
}
Bytes chain(ByteBuilder head, const std::vector<Bytes>& records)
{
    for (const Bytes& record : records)
        head.bytes(record);
    return head.data();
}

}  // namespace

// Detection measures the chain (for 14, 18 and 33 the largest width and height, else the last
// record's); the decoder then fills exactly the counted frames without a message.
TEST(AsusDetect, WalksCountAndMeasure)
{
    Bytes v3Short = img(0x13, 0x10, false);  // 0x18 x 0x10 / 2 + 8 = 0xC8, rounded to 0xD0
    v3Short.resize(0xC8);
    const Bytes lengthZero = ByteBuilder().bytes(chain(ASUS2, {osb4(8, 1)})).put_u32(36, 0).data();
    const std::tuple<const char*, Bytes, unsigned, unsigned, unsigned, unsigned> cases[] = {
        // STDA then a "4OSB" of length 0x1010: one step moves the walk 16 + 0x1010.
        {"composite, STDA step", chain(ASUS2, {STDA, osb4(0x13, 0x10, 0x1010), osb4(8, 0x20)}), FORMAT_ASUS_4OSB, 0x13,
         0x20, 2},
        {"V2, byte 16 not 0", chain(V2_BYTE16, {osb4(8, 1)}), FORMAT_ASUS_4OSB_V2, 0, 0, 0},
        {"AMI, byte 16 is 0", ami(0, {img(0x13, 0x10, true), img(8, 0x18, true)}), FORMAT_ASUS_DYNAMIC_2, 24, 24, 2},
        {"AMI, byte 16 is 16", ami(16, {img(0x13, 0x10, true), img(8, 0x18, true)}), FORMAT_ASUS_DYNAMIC_2, 24, 24, 2},
        {"V3, records 0xD0 apart", chain(V3, {img(0x13, 0x10, false), img(8, 1, false)}), FORMAT_ASUS_DYNAMIC_3, 8, 1,
         2},
        {"V3, records 0xC8 apart", chain(V3, {v3Short, img(8, 1, false)}), FORMAT_ASUS_DYNAMIC_3, 0x18, 0x10, 1},
        // Without one "IMG" record no probe claims the file (a firmware volume starts with zeros).
        {"V3 without a record at 0x40", chain(V3, {{'J', 'U', 'N', 'K'}}), FORMAT_UNKNOWN, 0, 0, 0},
        {"LOGO, SUSA then the end", logo(0x20), FORMAT_ASUS_DYNAMIC, 0, 0, 1},
        {"LOGO, SUSA at 1,008, the last offset searched", chain({}, {logo(0x3F0), img(8, 5, true)}),
         FORMAT_ASUS_DYNAMIC, 8, 5, 2},
        // Hostile chains: every walk ends, at 255 frames at most.
        {"composite, length 0", lengthZero, FORMAT_ASUS_4OSB, 8, 1, 1},
        {"composite, a wrapping length", chain(ASUS2, {osb4(8, 1, 0xFFFFFFF0), Bytes(64)}), FORMAT_ASUS_4OSB, 8, 1, 1},
        {"composite, 300 records", chain(ASUS2, std::vector<Bytes>(300, EMPTY_4OSB)), FORMAT_ASUS_4OSB, 0, 0, 255},
    };
    for (const auto& [what, file, id, width, height, frames] : cases) {
        LogoDescriptor d = detect_bytes(file);
        EXPECT_EQ((std::array<unsigned, 4>{d.formatId, d.width, d.height, d.frameCount}),
                  (std::array<unsigned, 4>{id, width, height, frames})) << what;
        LoadResult r = load_bytes(file);
        EXPECT_EQ(r.frames.size(), frames) << what;
        EXPECT_EQ(r.stdoutText, "") << what;
    }
}

TEST(AsusDecode, WorkedExamples)
{
    // Width 0x13 gives a frame 0x18 wide: pixels to 0x13 coloured (the byte whose left pixel
    // is 0x12 whole), 0x14.. black. A 0 x 0 record is read with the plain layout, nothing read.
    LoadResult r = load_bytes(chain(ASUS2, {osb4(0x13, 3), osb4(0, 0), osb4(8, 1)}));
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(r.frames[1].width + r.frames[1].height, 0u);
    for (unsigned x = 0; x < 0x18; ++x) {  // the top row, stored last: index x + 1
        unsigned n = (x + 1) & 15;
        EXPECT_EQ(r.frame_rgb(0, x, 0), x < 0x14 ? (n * 16) << 16 | (255 - n * 8) << 8 | n * 5 : 0u) << x;
    }
    // The AMI module steps over a 512 x 288 picture (X = 73,728) by the full record length
    // 73,744, not by 73,744 mod 65,536 = 8,208 bytes, where a decoy head stands.
    Bytes large = img(512, 288, true);
    ASSERT_EQ(large.size(), 0x12010u);
    large = ByteBuilder().bytes(large).put_text(8208, "IMG").put_u16(8212, 16).put_u16(8214, 16).data();
    r = load_bytes(ami(0, {large, img(0x10, 3, true)}));
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(std::pair(r.frames[1].width, r.frames[1].height), std::pair(0x10u, 3u));
}
