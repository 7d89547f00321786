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
