// The encoders, checked by our own decoders: every target's file, loaded as zarpo2 loads
// a file, shows exactly the reduced picture the encoder reports; fixtures re-encoded to
// their own format give their own bytes; pictures a target cannot hold are refused with a
// reason, and hostile sizes do bounded work.
#include <gtest/gtest.h>

#include <cmath>

#include "encode/encode_logo.h"
#include "output/convert_logo.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "support/fixtures.h"

namespace {

// A picture with many colours: two gradients and a pattern.
SourcePicture gradient(std::uint32_t width, std::uint32_t height)
{
    SourcePicture p;
    p.width = width;
    p.height = height;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            p.rgb.push_back(static_cast<std::uint8_t>(width > 1 ? x * 255 / (width - 1) : 200));
            p.rgb.push_back(static_cast<std::uint8_t>(height > 1 ? y * 255 / (height - 1) : 90));
            p.rgb.push_back(static_cast<std::uint8_t>((x * 7 + y * 13) % 256));
        }
    return p;
}

bool is_epa_id(unsigned id)
{
    return id == FORMAT_STANDARD_EPA || id == FORMAT_NONSTANDARD_EPA;
}

// Encodes and loads the file back: the decoder must draw exactly what the encoder says.
void expect_round_trip(const SourcePicture& source, const EncodeOptions& options, double maxRmse)
{
    const TargetInfo& info = target_info(options.target);
    SCOPED_TRACE(std::string(info.name) + " " + std::to_string(source.width) + "x" + std::to_string(source.height) +
                 " to " + std::to_string(options.width) + "x" + std::to_string(options.height));
    const EncodedLogo e = encode_logo(source, options);
    ASSERT_TRUE(e.ok()) << e.refusal;
    LoadResult r = load_bytes(e.bytes, "encoded.bin");
    ASSERT_EQ(r.loaded, 1);
    if (is_epa_id(info.readsAs))
        EXPECT_TRUE(is_epa_id(r.descriptor.formatId)) << unsigned(r.descriptor.formatId);
    else
        EXPECT_EQ(r.descriptor.formatId, info.readsAs);
    ASSERT_EQ(r.descriptor.width, e.width);
    ASSERT_EQ(r.descriptor.height, e.height);
    EXPECT_TRUE(r.image == e.rgb) << "the decoded picture differs from the encoded one";
    EXPECT_LE(e.rmse, maxRmse);
}

// The round trip at odd sizes, at 1 x 1 (letterboxed into the smallest size a grid target
// takes), and at the largest sides each target allows; grid targets refuse odd sizes.
TEST(EncodeTest, EveryTargetRoundTripsThroughItsDecoder)
{
    for (const TargetInfo& info : encode_targets()) {
        const bool cells = info.target == EncodeTarget::epa || info.target == EncodeTarget::textlogo;
        const double rmse = cells ? 0.35 : info.colors == 16 ? 0.12 : 0.05;
        EncodeOptions options;
        options.target = info.target;
        const std::uint32_t w = info.widthStep, h = info.heightStep;
        if (w == 1 && h == 1) {
            expect_round_trip(gradient(37, 23), options, rmse);
            expect_round_trip(gradient(1, 1), options, 0.02);  // the 6-bit DAC's rounding
        } else {
            const EncodedLogo odd = encode_logo(gradient(37, 23), options);
            EXPECT_FALSE(odd.ok()) << info.name;
            EXPECT_NE(odd.refusal.find("37 is not"), std::string::npos) << odd.refusal;
            expect_round_trip(gradient(5 * w, 3 * h), options, rmse);
            options.width = w;
            options.height = h;
            expect_round_trip(gradient(1, 1), options, cells ? 1.0 : rmse);
        }
        // The largest side each way, the other small.
        const std::uint32_t maxWidth = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(info.maxWidth, info.maxPixels / (2 * h)) / w * w);
        const std::uint32_t maxHeight = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(info.maxHeight, info.maxPixels / (2 * w)) / h * h);
        options.width = maxWidth;
        options.height = 2 * h;
        expect_round_trip(gradient(97, 3), options, 1.0);
        options.width = 2 * w;
        options.height = maxHeight;
        expect_round_trip(gradient(3, 97), options, 1.0);
    }
}

TEST(EncodeTest, FewColoursKeepTheirValuesAndDitheringStillRoundTrips)
{
    SourcePicture p = gradient(40, 28);
    for (std::size_t i = 0; i < p.rgb.size(); i += 3) {  // four 6-bit colours
        const std::uint8_t v = static_cast<std::uint8_t>((i / 3) % 4 * 84);
        p.rgb[i] = p.rgb[i + 1] = v;
        p.rgb[i + 2] = 252;
    }
    for (EncodeTarget t : {EncodeTarget::awbm16, EncodeTarget::pcx8, EncodeTarget::bmp4}) {
        EncodeOptions options;
        options.target = t;
        const EncodedLogo e = encode_logo(p, options);
        ASSERT_TRUE(e.ok());
        EXPECT_FALSE(e.quantised);
        EXPECT_EQ(e.rmse, 0.0);  // values times 4 are 6-bit values as drawn: kept exactly
        EXPECT_TRUE(e.quantisation.empty());
    }
    EncodeOptions dithered;
    dithered.dither = 1.0f;
    for (EncodeTarget t : {EncodeTarget::awbm16, EncodeTarget::epa}) {
        dithered.target = t;
        expect_round_trip(gradient(136, 84), dithered, 0.35);
    }
}

TEST(EncodeTest, QuantisationIsReported)
{
    EncodeOptions options;
    options.target = EncodeTarget::awbm16;
    const EncodedLogo e = encode_logo(gradient(136, 84), options);
    ASSERT_TRUE(e.ok());
    EXPECT_TRUE(e.quantised);
    EXPECT_EQ(e.quantisation.rfind("AWBM16 holds 16 colours; quantising ", 0), 0u) << e.quantisation;
    EXPECT_NE(e.quantisation.find(" colours to 16 (RMSE 0."), std::string::npos) << e.quantisation;
    EXPECT_NE(e.quantisation.find(','), std::string::npos) << "thousands are grouped: " << e.quantisation;
}

// Loads a fixture and re-encodes it to its own format: the same bytes.
TEST(EncodeTest, FixturesReencodeToTheirOwnBytes)
{
    const struct {
        const char* fixture;
        EncodeTarget target;
    } cases[] = {
        {"award/awbm16.bin", EncodeTarget::awbm16},
        {"award/award-standard.epa", EncodeTarget::epa},
        {"phoenix/pg-standard.pg", EncodeTarget::pg},
        {"phoenix/pg-own-palette.pg", EncodeTarget::pg},
        {"intel/grfx.bin", EncodeTarget::grfx},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = test_data_dir() + "/" + c.fixture;
        HeadlessFrontEnd frontEnd;
        frontEnd.quiet = true;
        set_front_end(&frontEnd);
        viewer_state().loaded = load_logo(path);
        ASSERT_EQ(viewer_state().loaded, 1);
        SourcePicture source;
        std::string why;
        ASSERT_TRUE(loaded_picture(0, source, why)) << why;
        EncodeOptions options;
        options.target = c.target;
        options.epaMarkTail = loaded_epa_mark();
        unload_logo();
        set_front_end(nullptr);
        const EncodedLogo e = encode_checked(source, options);
        ASSERT_TRUE(e.ok()) << e.refusal;
        EXPECT_TRUE(e.bytes == read_file(path)) << "re-encoded bytes differ";
    }
}

TEST(EncodeTest, PicturesATargetCannotHoldAreRefusedWithAReason)
{
    const struct {
        EncodeTarget target;
        std::uint32_t width, height;
        const char* refusal;
    } cases[] = {
        {EncodeTarget::epa, 140, 84, "EPA needs a width of 8 \u00d7 N pixels; 140 is not"},
        {EncodeTarget::epa, 136, 85, "EPA needs a height of 14 \u00d7 N pixels; 85 is not"},
        {EncodeTarget::grfx, 37, 20, "GRFX needs an even width; 37 is not"},
        {EncodeTarget::pg, 1024, 512, "PG holds at most 524,280 pixels; 1024 x 512 is 524,288"},
        {EncodeTarget::awbm16, 8193, 10, "AWBM16 takes at most 8192 x 8192 pixels; 8193 x 10 is larger"},
        {EncodeTarget::epa, 2048, 14, "EPA takes at most 2040 x 3570 pixels; 2048 x 14 is larger"},
    };
    for (const auto& c : cases) {
        EncodeOptions options;
        options.target = c.target;
        options.width = c.width;
        options.height = c.height;
        const EncodedLogo e = encode_logo(gradient(3, 3), options);
        EXPECT_EQ(e.refusal, c.refusal);
        EXPECT_TRUE(e.bytes.empty());
    }
    // A picture of noise has more than 256 different 8 x 16 glyphs.
    SourcePicture noise = gradient(320, 256);
    std::uint32_t state = 1;
    for (std::uint8_t& v : noise.rgb) {
        state = state * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(state >> 24);
    }
    EncodeOptions textlogo;
    textlogo.target = EncodeTarget::textlogo;
    const EncodedLogo e = encode_logo(noise, textlogo);
    EXPECT_EQ(e.refusal.rfind("TEXTLOGO holds 256 different glyphs; this picture needs ", 0), 0u) << e.refusal;
    EXPECT_EQ(encode_logo(SourcePicture{}, textlogo).refusal, "the picture is empty");
}

TEST(EncodeTest, HostilePicturesGiveBoundedWork)
{
    // 16,777,216 colours: every 24-bit value once, 4096 x 4096.
    SourcePicture all;
    all.width = all.height = 4096;
    all.rgb.resize(std::size_t{4096} * 4096 * 3);
    for (std::uint32_t i = 0; i < (1u << 24); ++i) {
        all.rgb[i * 3] = static_cast<std::uint8_t>(i >> 16);
        all.rgb[i * 3 + 1] = static_cast<std::uint8_t>(i >> 8);
        all.rgb[i * 3 + 2] = static_cast<std::uint8_t>(i);
    }
    EncodeOptions options;
    options.target = EncodeTarget::awbm16;
    options.width = 640;
    options.height = 480;
    EncodedLogo e = encode_logo(all, options);
    ASSERT_TRUE(e.ok()) << e.refusal;
    EXPECT_EQ(e.width, 640u);
    // One colour, 8192 x 8192, letterboxed into the small slot.
    SourcePicture flat;
    flat.width = flat.height = 8192;
    flat.rgb.assign(std::size_t{8192} * 8192 * 3, 0x55);
    options.width = 136;
    options.height = 84;
    e = encode_logo(flat, options);
    ASSERT_TRUE(e.ok()) << e.refusal;
    EXPECT_FALSE(e.quantised);
    // A picture larger than a load takes.
    SourcePicture wide;
    wide.width = 8193;
    wide.height = 1;
    wide.rgb.assign(8193 * 3, 0);
    EXPECT_FALSE(encode_logo(wide, options).ok());
}

}  // namespace

namespace {

SourcePicture solid(std::uint32_t width, std::uint32_t height, Rgb8 color)
{
    SourcePicture p;
    p.width = width;
    p.height = height;
    for (std::uint32_t i = 0; i < width * height; ++i)
        p.rgb.insert(p.rgb.end(), {color.r, color.g, color.b});
    return p;
}

std::uint32_t rgb_at(const EncodedLogo& e, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* p = e.rgb.data() + (static_cast<std::size_t>(y) * e.width + x) * 3;
    return static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
}

TEST(EncodeTest, ResizingAveragesRepeatsAndLetterboxes)
{
    // 2 x 2 enlarged 3 times: each pixel repeated, no blending.
    SourcePicture checker = solid(2, 2, Rgb8{252, 0, 0});
    checker.rgb[3] = checker.rgb[4] = checker.rgb[5] = 0;     // (1, 0) black
    checker.rgb[6] = 0, checker.rgb[7] = 252, checker.rgb[8] = 0;  // (0, 1) green
    EncodeOptions options;
    options.target = EncodeTarget::pcx8;
    options.width = 6;
    options.height = 6;
    EncodedLogo e = encode_logo(checker, options);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(rgb_at(e, 2, 2), 0xFC0000u);
    EXPECT_EQ(rgb_at(e, 3, 2), 0x000000u);
    EXPECT_EQ(rgb_at(e, 2, 3), 0x00FC00u);
    // 4 x 1 of black and white halved: the average of each pair.
    SourcePicture stripes = solid(4, 1, Rgb8{0, 0, 0});
    for (unsigned x : {1u, 3u})
        for (unsigned k = 0; k < 3; ++k)
            stripes.rgb[x * 3 + k] = 200;
    options.width = 2;
    options.height = 1;
    e = encode_logo(stripes, options);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(rgb_at(e, 0, 0), 0x646464u);  // 100, a multiple of 4: drawn as is
    // A wide picture in a square: black bands above and below, the picture centred.
    options.width = 8;
    options.height = 8;
    e = encode_logo(solid(2, 1, Rgb8{252, 252, 252}), options);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(rgb_at(e, 4, 1), 0u);
    EXPECT_EQ(rgb_at(e, 4, 4), 0xFCFCFCu);
    EXPECT_EQ(rgb_at(e, 4, 6), 0u);
    // Stretched, no band.
    options.stretch = true;
    e = encode_logo(solid(2, 1, Rgb8{252, 252, 252}), options);
    EXPECT_EQ(rgb_at(e, 4, 0), 0xFCFCFCu);
}

TEST(EncodeTest, PaddingIsBlackAtIndexZero)
{
    // 13 pixels wide: AWBM rows hold 16, the three extra pixels index 0, which is black.
    EncodeOptions options;
    options.target = EncodeTarget::awbm16;
    const EncodedLogo e = encode_logo(gradient(13, 5), options);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.width, 16u);
    EXPECT_EQ(e.bytes[4] | e.bytes[5] << 8, 13);  // the true width in the header
    for (std::uint32_t x = 13; x < 16; ++x)
        EXPECT_EQ(rgb_at(e, x, 2), 0u) << x;
    const std::size_t trailer = 8 + 16 / 2 * 5;
    EXPECT_EQ(std::string(e.bytes.begin() + trailer, e.bytes.begin() + trailer + 4), "RGB ");
    EXPECT_EQ(e.bytes[trailer + 4] | e.bytes[trailer + 5] | e.bytes[trailer + 6], 0);  // entry 0 black
}

TEST(EncodeTest, CellsTakeThePairOfLeastError)
{
    // Left half red (colour 4), right half yellow (colour 14): background 4, foreground
    // 14, the right four bits set.
    SourcePicture cell = solid(8, 14, Rgb8{168, 0, 0});
    for (unsigned y = 0; y < 14; ++y)
        for (unsigned x = 4; x < 8; ++x) {
            std::uint8_t* p = &cell.rgb[(y * 8 + x) * 3];
            p[0] = 252, p[1] = 252, p[2] = 84;
        }
    EncodeOptions options;
    options.target = EncodeTarget::epa;
    EncodedLogo e = encode_logo(cell, options);
    ASSERT_TRUE(e.ok());
    ASSERT_EQ(e.bytes.size(), 15u + 72u);
    EXPECT_EQ(e.bytes[0], 1);
    EXPECT_EQ(e.bytes[1], 1);
    EXPECT_EQ(e.bytes[2], 0x4E);
    EXPECT_EQ(e.bytes[3], 0x0F);
    EXPECT_EQ(e.rmse, 0.0);
    // Light blue (9) cannot be a background: foreground 9, every bit set.
    e = encode_logo(solid(8, 14, Rgb8{84, 84, 252}), options);
    EXPECT_EQ(e.bytes[2], 0x09);
    EXPECT_EQ(e.bytes[3], 0xFF);
    // A mark given is copied after the cells.
    options.epaMarkTail.assign(70, 0x5A);
    e = encode_logo(cell, options);
    EXPECT_TRUE(std::equal(e.bytes.end() - 70, e.bytes.end(), options.epaMarkTail.begin()));
}

TEST(EncodeTest, TextlogoSharesEqualGlyphs)
{
    // Forty cells of two kinds: two glyphs in the font (F = 16 at 0x8C), 40 screen pairs.
    SourcePicture stripes = solid(80, 64, Rgb8{0, 0, 0});
    for (std::uint32_t y = 0; y < 64; ++y)
        for (std::uint32_t x = 0; x < 80; x += 2)
            if ((x / 8 + y / 16) % 2)
                stripes.rgb[(y * 80 + x) * 3] = 168;
    EncodeOptions options;
    options.target = EncodeTarget::textlogo;
    const EncodedLogo e = encode_logo(stripes, options);
    ASSERT_TRUE(e.ok()) << e.refusal;
    EXPECT_EQ(e.bytes[0x8C] | e.bytes[0x8D] << 8, 2 * 8);
    EXPECT_EQ(e.bytes.size(), 0x95u + 2 * 16 + 40 * 2);
}

TEST(EncodeTest, AKeptPaletteKeepsItsIndices)
{
    // Two entries of the same colour: the indices say which, and the file keeps them.
    SourcePicture p = solid(8, 1, Rgb8{0, 0, 0});
    p.palette = {Rgb8{0, 0, 0}, Rgb8{0, 0, 0}, Rgb8{252, 0, 0}};
    p.indices = {0, 1, 1, 0, 2, 2, 0, 1};
    for (unsigned x : {4u, 5u})
        p.rgb[x * 3] = 252;
    EncodeOptions options;
    options.target = EncodeTarget::awbm16;
    const EncodedLogo e = encode_logo(p, options);
    ASSERT_TRUE(e.ok());
    EXPECT_FALSE(e.quantised);
    EXPECT_EQ(e.bytes[8], 0x61);   // plane 0: indices 1 and 3 (odd) at x = 1, 2, 7
    EXPECT_EQ(e.bytes[9], 0x0C);   // plane 1: index 2 at x = 4, 5
}

}  // namespace
