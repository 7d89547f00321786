// Whether a decoded picture needs bytes past the end of its file (the viewer's "the file
// ends before the picture is complete"): each committed "-cut" fixture that loads against
// the whole file it was cut from.
#include <gtest/gtest.h>

#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/past_end_check.h"
#include "pipeline/viewer_state.h"
#include "support/fixtures.h"

namespace {

// Loads the fixture as the viewer does, silently, and hands the loaded state to `use`
// (not called when the file does not load).
template <typename Use>
void with_loaded_fixture(const std::string& relativePath, Use use)
{
    HeadlessFrontEnd frontEnd;
    frontEnd.quiet = true;
    SilentSink silent;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
    const std::string path = test_data_dir() + "/" + relativePath;
    ViewerState& state = viewer_state();
    state.loaded = load_logo(path);
    if (state.loaded)
        use(path, state);
    unload_logo();
    set_front_end(nullptr);
}

// Asks the check of the loaded fixture; -1 when it does not load.
int needs_bytes_past_end(const std::string& relativePath)
{
    int answer = -1;
    with_loaded_fixture(relativePath, [&](const std::string& path, ViewerState& state) {
        answer = picture_needs_bytes_past_end(path, state.descriptor, state.buffers);
    });
    return answer;
}

}  // namespace

TEST(PastEnd, CutFixturesAgainstWholeOnes)
{
    struct Case {
        const char* whole;
        const char* cut;
        // 1: the check sees the cut. 0: it cannot, where the reader stops at the file's size
        // (the AWBM16 trailer is found from the end; packed streams are unpacked only as far
        // as the file goes).
        int cutNeedsMore;
    };
    const Case cases[] = {
        {"asus/composite-4osb.bin", "asus/composite-4osb-cut.bin", 1},
        {"asus/dynamic-ami.bin", "asus/dynamic-ami-cut.bin", 1},
        {"asus/dynamic-v3.bin", "asus/dynamic-v3-cut.bin", 1},
        {"asus/osb640.bin", "asus/osb640-cut.bin", 1},
        {"award/awbm16.bin", "award/awbm16-cut.bin", 0},
        {"award/awbm256-compressed.bin", "award/awbm256-compressed-cut.bin", 1},
        {"bmp/magick-4bit.bmp", "bmp/magick-4bit-cut.bmp", 1},
        {"bmp/magick-8bit.bmp", "bmp/magick-8bit-cut.bmp", 1},
        {"pcx/netpbm-4plane.pcx", "pcx/netpbm-4plane-cut.pcx", 1},
        {"pcx/netpbm-8bit.pcx", "pcx/netpbm-8bit-cut.pcx", 1},
        {"containers/scn.bin", "containers/scn-cut.bin", 1},
        {"containers/scrn.bin", "containers/scrn-cut.bin", 1},
        {"containers/osb-bmp.bin", "containers/osb-bmp-cut.bin", 1},
        {"containers/osb-pcx.bin", "containers/osb-pcx-cut.bin", 1},
        {"codecs/compressed-pg.bin", "codecs/compressed-pg-cut.bin", 0},
        {"codecs/dell-nvram.bin", "codecs/dell-nvram-cut.bin", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(needs_bytes_past_end(c.whole), 0) << c.whole;
        EXPECT_EQ(needs_bytes_past_end(c.cut), c.cutNeedsMore) << c.cut;
    }
}

namespace {

struct LoadedRows {
    std::vector<std::vector<std::uint8_t>> rows;  // the single picture's rows
    CutRows cut;
};

LoadedRows load_rows(const std::string& relativePath)
{
    LoadedRows loaded;
    with_loaded_fixture(relativePath, [&](const std::string& path, ViewerState& state) {
        if (!state.currentImage)
            return;
        const LogoDescriptor& d = state.descriptor;
        for (std::uint32_t y = 0; y < d.height; ++y)
            loaded.rows.emplace_back(state.currentImage + y * d.width * 3, state.currentImage + (y + 1) * d.width * 3);
        picture_needs_bytes_past_end(path, state.descriptor, state.buffers, &loaded.cut);
    });
    return loaded;
}

}  // namespace

// The rows the viewer marks as cut hold every row in which the cut file's picture differs
// from the whole file's: at the top of a bottom-up BMP, at the bottom of a PCX.
TEST(PastEnd, CutRowsCoverWhatTheWholeFileHolds)
{
    struct Case {
        const char* whole;
        const char* cut;
        bool fromTop;  // the file's end is the picture's top row
    };
    const Case cases[] = {
        {"bmp/magick-8bit.bmp", "bmp/magick-8bit-cut.bmp", true},
        // A cut 8-bit PCX loses its palette at the end as well: every row changes colour.
        {"pcx/netpbm-4plane.pcx", "pcx/netpbm-4plane-cut.pcx", false},
    };
    for (const Case& c : cases) {
        const LoadedRows whole = load_rows(c.whole), cut = load_rows(c.cut);
        ASSERT_EQ(whole.rows.size(), cut.rows.size()) << c.cut;
        ASSERT_GE(cut.cut.first, 0) << c.cut;
        EXPECT_EQ(whole.cut.first, -1) << c.whole;
        const int last = static_cast<int>(cut.rows.size()) - 1;
        EXPECT_EQ(c.fromTop ? cut.cut.first : cut.cut.last, c.fromTop ? 0 : last) << c.cut;
        for (int y = 0; y <= last; ++y) {
            if (whole.rows[y] != cut.rows[y]) {
                EXPECT_TRUE(y >= cut.cut.first && y <= cut.cut.last) << c.cut << " row " << y;
            }
        }
    }
}
