// Save As and the animated PNG. The names a chosen file gives; an animated PNG laid out as
// APNG readers expect (acTL after IHDR, an fcTL before each frame's data, sequence numbers
// counting fcTL and fdAT chunks in file order, valid CRCs), whose frames, taken out as
// plain PNGs and read back by ImageMagick, are the pictures given, a smaller one centred
// on black; and Save As of an empty picture. Save As of loaded logos, one picture and many
// frames, runs in the viewer in tests/scripts/viewer_save_test.sh.
#include <gtest/gtest.h>

#include <zlib.h>

#include "output/apng_file.h"
#include "output/save_as.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

struct Chunk {
    std::string type;
    Bytes data;
};

std::uint32_t be32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The chunks after the signature, each CRC checked.
std::vector<Chunk> chunks_of(const Bytes& png)
{
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = be32(&png[at]);
        Chunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                    Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)};
        const uLong crc = crc32(0, &png[at + 4], 4 + length);
        EXPECT_EQ(be32(&png[at + 8 + length]), crc) << chunk.type;
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

void append_chunk(Bytes& out, const std::string& type, const Bytes& data)
{
    ByteBuilder chunk;
    chunk.u16be(data.size() >> 16).u16be(data.size() & 0xFFFF).text(type).bytes(data);
    const uLong crc = crc32(0, chunk.data().data() + 4, static_cast<uInt>(4 + data.size()));
    chunk.u16be(crc >> 16).u16be(crc & 0xFFFF);
    out.insert(out.end(), chunk.data().begin(), chunk.data().end());
}

// Each frame of an animated PNG as the 8-bit RGB ImageMagick reads from a plain PNG of it.
std::vector<Bytes> frames_of(const Bytes& apng)
{
    const std::vector<Chunk> chunks = chunks_of(apng);
    std::vector<Bytes> data;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "fcTL")
            data.emplace_back();
        else if (chunk.type == "IDAT" && !data.empty())
            data.back().insert(data.back().end(), chunk.data.begin(), chunk.data.end());
        else if (chunk.type == "fdAT" && !data.empty())
            data.back().insert(data.back().end(), chunk.data.begin() + 4, chunk.data.end());
    }
    std::vector<Bytes> frames;
    for (const Bytes& image : data) {
        Bytes png(apng.begin(), apng.begin() + 8);
        append_chunk(png, "IHDR", chunks.front().data);
        append_chunk(png, "IDAT", image);
        append_chunk(png, "IEND", {});
        Bytes rgb;
        EXPECT_TRUE(convert_to_rgb(write_temp_file(png, "frame.png"), rgb));
        frames.push_back(rgb);
    }
    return frames;
}

Bytes pattern(unsigned width, unsigned height, unsigned seed)
{
    Bytes rgb(width * height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 37 + seed * 91);
    return rgb;
}

}  // namespace

TEST(Apng, ChunkLayout)
{
    const Bytes a = pattern(4, 3, 1), b = pattern(4, 3, 2);
    Bytes out;
    ASSERT_TRUE(
        encode_apng_rgb16({{a.data(), 4, 3}, {b.data(), 4, 3}, {a.data(), 4, 3}}, 250, {"\nt", "", "", ""}, out));
    const std::vector<Chunk> chunks = chunks_of(out);
    ASSERT_GE(chunks.size(), 8u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "acTL");
    EXPECT_EQ(be32(&chunks[1].data[0]), 3u);  // frames
    EXPECT_EQ(be32(&chunks[1].data[4]), 0u);  // plays forever
    EXPECT_EQ(chunks.back().type, "IEND");
    std::uint32_t sequence = 0;
    unsigned controls = 0;
    bool dataSeen = false;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "fcTL") {
            ++controls;
            ASSERT_EQ(chunk.data.size(), 26u);
            EXPECT_EQ(be32(&chunk.data[0]), sequence++);
            EXPECT_EQ(Bytes(chunk.data.begin() + 4, chunk.data.end()),
                      (Bytes{0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 250, 0x03, 0xE8, 0, 0}));
        } else if (chunk.type == "fdAT") {
            EXPECT_EQ(be32(&chunk.data[0]), sequence++);
            EXPECT_GE(controls, 2u) << "fdAT belongs to the frames after the first";
        } else if (chunk.type == "IDAT") {
            EXPECT_EQ(controls, 1u) << "IDAT belongs to the first frame";
            dataSeen = true;
        }
    }
    EXPECT_EQ(controls, 3u);
    EXPECT_TRUE(dataSeen);
}

TEST(Apng, FramesReadBackAsThePictures)
{
    const Bytes large = pattern(5, 4, 3), small = pattern(3, 2, 4);
    Bytes out;
    ASSERT_TRUE(encode_apng_rgb16({{large.data(), 5, 4}, {small.data(), 3, 2}, {nullptr, 0, 0}}, 500, {}, out));
    Bytes centred(5 * 4 * 3, 0);  // the 3 x 2 frame at (1, 1) of the 5 x 4 canvas
    for (unsigned y = 0; y < 2; ++y)
        std::copy_n(&small[y * 9], 9, &centred[((y + 1) * 5 + 1) * 3]);
    const std::vector<Bytes> frames = frames_of(out);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], large);
    EXPECT_EQ(frames[1], centred);
    EXPECT_EQ(frames[2], Bytes(5 * 4 * 3, 0));
    // No frame with pixels: no file.
    EXPECT_FALSE(encode_apng_rgb16({{nullptr, 4, 4}, {nullptr, 0, 0}}, 500, {}, out));
    EXPECT_FALSE(encode_apng_rgb16({}, 500, {}, out));
}

TEST(SaveAs, ChosenNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/d/logo", "/d/logo.png"},     {"/d/logo.png", "/d/logo.png"},
        {"/d/LOGO.PNG", "/d/LOGO.PNG"}, {"/d/logo.png.bak", "/d/logo.png.bak.png"},
        {"/d/.png", "/d/.png.png"},     {"logo.bin", "logo.bin.png"},
    };
    for (const auto& [chosen, target] : cases)
        EXPECT_EQ(save_as_target(chosen), target) << chosen;
}

// A picture of 0 x 0 (as such a header leaves it) writes nothing and says why.
TEST(SaveAs, AnEmptyPictureIsNotWritten)
{
    HeadlessFrontEnd frontEnd;
    SilentSink silent;
    frontEnd.quiet = true;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
    viewer_state().loaded = load_logo(test_data_dir() + "/award/awbm16.bin");
    viewer_state().descriptor.width = 0;
    const SaveResult result = save_as_files(test_temp_dir() + "/empty", 500);
    unload_logo();
    set_front_end(nullptr);
    EXPECT_TRUE(result.written.empty());
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0].reason, "the picture is empty");
}
