// The resource limits of one load (largest side 8192, 256 MiB of RGB in all), the window sizes
// computed from header values, and whole loads of headers whose sizes are empty, huge or past
// the 32-bit range: each ends in a picture within the limits, no picture or the unknown result.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/limits.h"
#include "pipeline/load_pipeline.h"
#include "support/fixtures.h"

TEST(Limits, RgbBufferSizes)
{
    const struct {
        std::uint32_t width, height;
        std::size_t bytes;
    } cases[] = {
        {0, 0, 0}, {0, 480, 0}, {640, 0, 0}, {1, 1, 3},
        {MAX_PICTURE_SIDE, MAX_PICTURE_SIDE, std::size_t{MAX_PICTURE_SIDE} * MAX_PICTURE_SIDE * 3},
        {MAX_PICTURE_SIDE + 1, 1, 0}, {1, MAX_PICTURE_SIDE + 1, 0},
        {65535, 65535, 0},            // 12.9 GB: past 32 bits
        {0xFFFFFFFF, 0xFFFFFFFF, 0},  // the product would wrap 64 bits
    };
    for (const auto& c : cases)
        EXPECT_EQ(rgb_buffer_size(c.width, c.height), c.bytes) << c.width << "x" << c.height;
}

TEST(Limits, OneLoadHoldsAtMost256MiB)
{
    SilentSink silent;
    {
        LoadContext load(silent, false);
        // 8192 x 8192 x 3 is 192 MiB: one fits, a second passes the budget, 48 MiB more is within.
        OwnedBytes first = load.alloc_rgb(MAX_PICTURE_SIDE, MAX_PICTURE_SIDE);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(load.alloc_rgb(MAX_PICTURE_SIDE, MAX_PICTURE_SIDE), nullptr);
        EXPECT_NE(load.alloc_rgb(4096, 4096), nullptr);
    }
    LoadContext next(silent, false);
    EXPECT_NE(next.alloc_rgb(MAX_PICTURE_SIDE, MAX_PICTURE_SIDE), nullptr) << "the next load starts afresh";
}

TEST(Limits, ZeroedAllocationRefusesOverflowAndEmptySizes)
{
    EXPECT_EQ(alloc_zeroed(SIZE_MAX / 2, 3), nullptr);
    EXPECT_EQ(alloc_zeroed(0, 16), nullptr);
    EXPECT_EQ(alloc_zeroed(16, 0), nullptr);
    EXPECT_NE(alloc_zeroed(255, 64), nullptr);
}

// Worked sizes, then header values that push the three-panel window past 16 bits: the
// window is held at its largest size instead of wrapping to a small one.
TEST(Limits, WindowSizes)
{
    const struct {
        LogoFormatId id;
        std::uint16_t width, height, winW, winH;
    } cases[] = {
        {1, 640, 350, 2010, 362},         {10, 80, 16, 690, 137},          {2, 640, 350, 640, 350},
        {4, 10, 10, 200, 125},            {11, 21815, 100, 65535, 137},    {11, 61632, 46224, 65535, 46236},
        {11, 65535, 65535, 65535, 65535}, {1, 100, 65530, 690, 65535},     {4, 65535, 65535, 65535, 65535},
    };
    for (const auto& c : cases) {
        LogoDescriptor d;
        d.formatId = c.id;
        d.width = c.width;
        d.height = c.height;
        std::uint16_t winW = 0, winH = 0;
        logo_window_size(d, winW, winH);
        EXPECT_EQ(std::pair(winW, winH), std::pair(c.winW, c.winH)) << int(c.id) << " " << c.width << "x" << c.height;
    }
}

TEST(Limits, HeaderSizesAtTheEdgesLoadWithinTheLimitsOrAreRefused)
{
    // The fixture with 16-bit (PCX, PG) or 32-bit (BMP) values written at the given offsets.
    // PCX: xmin 4, ymin 6, xmax 8, ymax 10. BMP: bfSize 2, biWidth 18, biHeight 22. PG: width 10, height 12.
    auto patched = [](const std::string& fixture, std::initializer_list<std::pair<std::size_t, std::uint32_t>> values) {
        ByteBuilder b;
        b.bytes(read_file(test_data_dir() + "/" + fixture));
        for (auto [offset, value] : values) {
            if (fixture.find("bmp/") == 0)
                b.put_u32(offset, value);
            else
                b.put_u16(offset, value);
        }
        return b.data();
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"PCX 1 x 1", patched("pcx/netpbm-8bit.pcx", {{4, 0}, {6, 0}, {8, 0}, {10, 0}})},
        {"PCX 65536 x 65536", patched("pcx/netpbm-8bit.pcx", {{4, 0}, {6, 0}, {8, 0xFFFF}, {10, 0xFFFF}})},
        {"PCX 65535 x 1", patched("pcx/netpbm-8bit.pcx", {{4, 1}, {8, 0xFFFF}, {10, 0}})},
        {"PCX xmax below xmin", patched("pcx/netpbm-8bit.pcx", {{4, 0xFFFF}, {8, 0}})},
        {"PCX bytes per line zero", patched("pcx/netpbm-4plane.pcx", {{66, 0}})},
        {"PCX bytes per line 65535", patched("pcx/netpbm-4plane.pcx", {{66, 0xFFFF}})},
        {"BMP width 0", patched("bmp/magick-8bit.bmp", {{18, 0}})},
        {"BMP height 0", patched("bmp/magick-8bit.bmp", {{22, 0}})},
        {"BMP 65535 x 65535", patched("bmp/magick-8bit.bmp", {{18, 0xFFFF}, {22, 0xFFFF}})},
        {"BMP 8193 x 1", patched("bmp/magick-4bit.bmp", {{18, 8193}, {22, 1}})},
        {"BMP width x height x 3 past 32 bits", patched("bmp/magick-8bit.bmp", {{18, 0x10001}, {22, 0x10001}})},
        {"BMP negative height", patched("bmp/magick-8bit.bmp", {{22, 0xFFFFFFFF}})},
        {"BMP file size far past the file", patched("bmp/magick-8bit.bmp", {{2, 0xFFFFFFF0}})},
        {"PG width 0", patched("phoenix/pg-standard.pg", {{10, 0}})},
        {"PG 65535 x 65535", patched("phoenix/pg-standard.pg", {{10, 0xFFFF}, {12, 0xFFFF}})},
        {"PG 65535 x 1", patched("phoenix/pg-standard.pg", {{10, 0xFFFF}, {12, 1}})},
    };
    for (const auto& [what, file] : cases) {
        SCOPED_TRACE(what);
        LoadResult r = load_bytes(file, "edge.bin");
        EXPECT_EQ(r.loaded != 0, r.descriptor.formatId != 0);
        if (r.loaded && rgb_buffer_size(r.descriptor.width, r.descriptor.height) == 0) {
            EXPECT_TRUE(r.image.empty()) << r.descriptor.width << "x" << r.descriptor.height;
        }
    }
}
