// The golden manifest: every committed fixture under tests/data runs through the whole
// load pipeline and must give the result pinned in tests/data/manifest.txt, one line per
// fixture (path relative to tests/data; '#' lines and blank lines are ignored):
//   OK <crc32> <W>x<H> <path>    loads; crc32 (8 lower-case hex digits) of the RGB bytes
//   BAD unknown <path>           no format claims the file
// The CRC covers the picture only (not the side panels of character-cell logos), or every
// frame's pixels in frame order, W x H being the first frame's. A fixture that needs an
// external palette (Phoenix FirstBIOS ICON) has it beside itself as <path>.pal.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

struct ManifestLine {
    std::string text;
    std::string path;  // the last field
};

std::vector<ManifestLine> read_manifest()
{
    std::vector<ManifestLine> lines;
    std::ifstream in(test_data_dir() + "/manifest.txt");
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text[0] != '#')
            lines.push_back({text, text.substr(text.rfind(' ') + 1)});
    }
    return lines;
}

// The manifest line that describes what the pipeline makes of the fixture now.
std::string actual_line(const std::string& relativePath)
{
    const std::string path = test_data_dir() + "/" + relativePath;
    const std::string palette = path + ".pal";
    LoadResult r = load_file(path, fs::is_regular_file(palette) ? palette : "");
    if (!r.loaded)
        return "BAD unknown " + relativePath;
    Bytes pixels = r.image;
    unsigned width = r.descriptor.width, height = r.descriptor.height;
    if (!r.frames.empty()) {
        width = r.frames[0].width;
        height = r.frames[0].height;
        pixels.clear();
        for (const LoadResult::Frame& frame : r.frames)
            pixels.insert(pixels.end(), frame.pixels.begin(), frame.pixels.end());
    }
    char text[64];
    std::snprintf(text, sizeof text, "OK %08x %ux%u ", crc32_of(pixels), width, height);
    return text + relativePath;
}

}  // namespace

TEST(GoldenManifest, EveryFixtureGivesItsPinnedResult)
{
    const std::vector<ManifestLine> lines = read_manifest();
    ASSERT_FALSE(lines.empty()) << "tests/data/manifest.txt is missing or empty";
    for (const ManifestLine& line : lines) {
        SCOPED_TRACE("manifest.txt: " + line.text);
        ASSERT_TRUE(fs::is_regular_file(test_data_dir() + "/" + line.path)) << "fixture missing";
        EXPECT_EQ(actual_line(line.path), line.text);
    }
}

// Damaged dumps are mostly cut short: every short prefix of every fixture, and a spread
// of longer ones, must load or be refused without touching memory it does not own (run
// under the sanitizers to see it).
TEST(GoldenManifest, TruncatedFixturesLoadOrAreRefused)
{
    constexpr std::size_t EVERY_LENGTH_BELOW = 256;
    constexpr std::size_t SPREAD_LENGTHS = 256;
    for (const ManifestLine& line : read_manifest()) {
        SCOPED_TRACE(line.path);
        const Bytes whole = read_file(test_data_dir() + "/" + line.path);
        std::vector<std::size_t> lengths;
        for (std::size_t n = 0; n < whole.size() && n < EVERY_LENGTH_BELOW; ++n)
            lengths.push_back(n);
        for (std::size_t i = 0; whole.size() > EVERY_LENGTH_BELOW && i < SPREAD_LENGTHS; ++i)
            lengths.push_back(EVERY_LENGTH_BELOW + (whole.size() - EVERY_LENGTH_BELOW) * i / SPREAD_LENGTHS);
        for (std::size_t n : lengths) {
            LoadResult r = load_bytes(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
            EXPECT_EQ(r.loaded != 0, r.descriptor.formatId != 0) << n;
        }
    }
}

// The truncation sweep runs over the manifest's lines, so every file under tests/data must
// have its line (an ICON's external palette, <path>.pal, goes with its picture).
TEST(GoldenManifest, EveryFixtureHasItsLine)
{
    std::set<std::string> pinned;
    for (const ManifestLine& line : read_manifest())
        pinned.insert(line.path);
    const fs::path root = test_data_dir();
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().lexically_relative(root).string();
        if (entry.is_regular_file() && relative != "manifest.txt" && entry.path().extension() != ".pal") {
            EXPECT_TRUE(pinned.count(relative)) << relative << " has no line in tests/data/manifest.txt";
        }
    }
}
