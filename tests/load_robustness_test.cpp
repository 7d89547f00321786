// The load pipeline against what a batch over firmware files meets: folders given as
// logos or palettes, multi-frame logos near the budget, an SCN envelope followed by other
// bytes, and pictures whose data ends (or is a hole) long before the picture does.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/load_context.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A quiet front end that keeps what cannot_open was told.
class RecordingFrontEnd : public HeadlessFrontEnd {
public:
    void cannot_open(const std::string& path, const std::string& why) override { problem = path + ": " + why; }
    std::string problem;
};

}  // namespace

// ---- Special files ----

// A folder is no logo and no palette: load_logo refuses it as "not a regular file" (a
// folder's first bytes read as zeros once made an ASUS logo of it), and read_Palette prints
// its failure line and leaves the palette black. (identify and FIFOs: cli_batch_test.)
TEST(LoadSpecialFiles, FoldersAreRefusedAsLogosAndPalettes)
{
    const std::string folder = test_temp_dir() + "/a-folder";
    std::filesystem::create_directories(folder);

    RecordingFrontEnd frontEnd;
    frontEnd.quiet = true;
    SilentSink silent;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
    EXPECT_EQ(load_logo(folder), 0);
    set_front_end(nullptr);
    EXPECT_EQ(frontEnd.problem, folder + ": not a regular file");

    LoadResult icon = load_file(write_temp_file(read_fixture("phoenix/icon4.icn"), "icon.icn"), folder);
    EXPECT_EQ(icon.loaded, 1);
    EXPECT_NE(icon.stdoutText.find("===>>> PALETTE: FATAL Error in read_Palette();"), std::string::npos);
    EXPECT_EQ(icon.palette, Bytes(256 * 3, 0));
    EXPECT_EQ(palette_file_problem(folder), "not a regular file");
}

// ---- Limits ----

// A multi-frame logo is charged for its frames only: a $OSB whose one frame is 7000 x 7000
// (147 MB) loads that frame; a main picture of the largest frame's size beside it would
// have passed the 256 MiB budget and left the frame without pixels.
TEST(LoadLimits, AFrameWithinTheLimitsLoadsAlone)
{
    ByteBuilder osb;
    osb.bytes(read_fixture("containers/osb-pcx.bin"));
    osb.put_u16(16 + 8, 6999).put_u16(16 + 10, 6999).put_u16(16 + 66, 7000);  // first PCX: xmax, ymax, bytes a line
    SilentSink silent;
    LoadContext load(silent, false);
    load.set_input(OwnedFile(std::fopen(write_temp_file(osb.data(), "osb.bin").c_str(), "rb")));
    HeadlessFrontEnd frontEnd;
    frontEnd.quiet = true;
    DecodedLogo logo = decode_logo(load, "osb.bin", frontEnd, ENGLISH_STRINGS);
    ASSERT_TRUE(logo.decoded);
    ASSERT_GE(logo.descriptor.frameCount, 1);
    EXPECT_EQ(logo.buffers.image, nullptr);
    EXPECT_EQ(logo.frames()[0].width, 7000);
    EXPECT_NE(logo.frames()[0].pixels, nullptr);
}

// An SCN envelope followed by other bytes: detection reads the picture directory at the
// envelope's end, as the decoder does, so the sizes it reports are the frames' sizes.
TEST(LoadLimits, ScnWithTrailingBytesIsMeasuredWhereItIsDecoded)
{
    Bytes scn = read_fixture("containers/scn.bin");
    for (std::size_t trailing : {0, 1, 200}) {
        SCOPED_TRACE(trailing);
        Bytes file = ByteBuilder().bytes(scn).fill(trailing, 0x41).data();
        LogoDescriptor d = detect_bytes(file);
        LoadResult r = load_bytes(file, "scn.bin");
        ASSERT_EQ(r.frames.size(), 2u);
        EXPECT_EQ(d.width * 1000u + d.height, 30012u) << "30 x 12";
        EXPECT_EQ(std::pair(r.frames[0].width, r.frames[0].height), std::pair(30u, 12u));
        EXPECT_EQ(std::pair(r.frames[1].width, r.frames[1].height), std::pair(20u, 8u));
    }
}

// Rows that no byte of the data reached stay black, even where colour 0 is not black: a
// four-plane PG cut after 3 of its 16 rows, and a TriGem that is a hole (more empty run
// pairs than the picture has bytes) before a run that would fill row 0.
// Rows no data reached are painted in the colour of index 0, not decoded: a hole in the
// TriGem pairs ends the reading, whatever follows it.
TEST(LoadLimits, RowsTheDataNeverReachedShowIndexZero)
{
    auto filled_with = [](std::size_t pixels, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        Bytes image;
        for (std::size_t i = 0; i < pixels; ++i)
            image.insert(image.end(), {r, g, b});
        return image;
    };
    const Bytes pg = read_fixture("phoenix/pg-own-palette.pg");  // 48 x 16, colour 0 is (252, 0, 80)
    LoadResult cutPg = load_bytes(Bytes(pg.begin(), pg.begin() + 84 + 3 * 6), "cut.pg");
    ASSERT_EQ(cutPg.loaded, 1);
    const std::size_t rowBytes = 48 * 3;
    EXPECT_NE(Bytes(cutPg.image.begin(), cutPg.image.begin() + 3 * rowBytes), filled_with(3 * 48, 252, 0, 80));
    EXPECT_EQ(Bytes(cutPg.image.begin() + 3 * rowBytes, cutPg.image.end()), filled_with(13 * 48, 252, 0, 80));

    const Bytes trigem = read_fixture("vendor/trigem.bin");  // 32 x 8, rows of 16 bytes from 118, bottom row first
    const Bytes head(trigem.begin(), trigem.begin() + 118);
    const Bytes entry0 = filled_with(32 * 8, trigem[54], trigem[55], trigem[56]);
    // The run alone fills the bottom row; after the hole it reaches no row.
    EXPECT_NE(load_bytes(ByteBuilder().bytes(head).u8(16).u8(0x11).data(), "row.bin").image, entry0);
    LoadResult hole = load_bytes(ByteBuilder().bytes(head).fill(2 * 300, 0).u8(16).u8(0x11).data(), "hole.bin");
    ASSERT_EQ(hole.loaded, 1);
    EXPECT_EQ(hole.image, entry0);
}
