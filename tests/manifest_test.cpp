// The golden manifest: every committed fixture under tests/data runs through the whole
// load pipeline and must give the result pinned in tests/data/manifest.txt.
//
// One line per fixture, the path relative to tests/data:
//   OK <crc32> <W>x<H> <path>    loads; crc32 (8 lower-case hex digits) of the RGB bytes
//   BAD unknown <path>           no format claims the file
// The CRC covers the picture's RGB buffer, width x height x 3 bytes (for character-cell
// logos the "Original" picture only, not the two side panels). For multi-frame logos it
// covers every frame's pixels concatenated in frame order, and W x H is the first
// frame's size. A fixture that needs an external palette (Phoenix FirstBIOS ICON) has
// it beside itself as <path>.pal. Lines starting with '#' and blank lines are ignored.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

#include "support/fixtures.h"

namespace {

struct ManifestLine {
    int lineNumber = 0;
    std::string text;
    std::string verdict;  // "OK" or "BAD"
    std::string crc;      // OK: the CRC; BAD: the reason ("unknown")
    std::string size;     // OK only: WxH
    std::string path;
};

std::vector<ManifestLine> read_manifest(const std::string& file)
{
    std::vector<ManifestLine> lines;
    std::ifstream in(file);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.empty() || text[0] == '#')
            continue;
        ManifestLine line;
        line.lineNumber = number;
        line.text = text;
        std::istringstream fields(text);
        fields >> line.verdict >> line.crc;
        if (line.verdict == "OK")
            fields >> line.size;
        fields >> line.path;
        lines.push_back(line);
    }
    return lines;
}

bool file_exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The manifest line that describes what the pipeline makes of the fixture now.
std::string actual_line(const std::string& relativePath)
{
    const std::string path = test_data_dir() + "/" + relativePath;
    const std::string palette = path + ".pal";
    LoadResult r = load_file(path, file_exists(palette) ? palette : "");
    if (!r.loaded)
        return "BAD unknown " + relativePath;
    Bytes pixels;
    unsigned width = r.descriptor.width, height = r.descriptor.height;
    if (!r.frames.empty()) {
        width = r.frames[0].width;
        height = r.frames[0].height;
        for (const LoadResult::Frame& frame : r.frames)
            pixels.insert(pixels.end(), frame.pixels.begin(), frame.pixels.end());
    } else {
        pixels = r.image;
    }
    char text[64];
    std::snprintf(text, sizeof text, "OK %08x %ux%u ", crc32_of(pixels), width, height);
    return text + relativePath;
}

}  // namespace

TEST(GoldenManifest, EveryFixtureGivesItsPinnedResult)
{
    const std::vector<ManifestLine> lines = read_manifest(test_data_dir() + "/manifest.txt");
    ASSERT_FALSE(lines.empty()) << "tests/data/manifest.txt is missing or empty";
    for (const ManifestLine& line : lines) {
        SCOPED_TRACE("manifest.txt:" + std::to_string(line.lineNumber) + ": " + line.text);
        const bool wellFormed = (line.verdict == "OK" && line.crc.size() == 8 && !line.size.empty()) ||
                                (line.verdict == "BAD" && line.crc == "unknown");
        ASSERT_TRUE(wellFormed && !line.path.empty()) << "malformed line";
        ASSERT_TRUE(file_exists(test_data_dir() + "/" + line.path)) << "fixture missing";
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
    for (const ManifestLine& line : read_manifest(test_data_dir() + "/manifest.txt")) {
        SCOPED_TRACE(line.path);
        const Bytes whole = read_file(test_data_dir() + "/" + line.path);
        std::vector<std::size_t> lengths;
        for (std::size_t n = 0; n < whole.size() && n < EVERY_LENGTH_BELOW; ++n)
            lengths.push_back(n);
        if (whole.size() > EVERY_LENGTH_BELOW) {
            const std::size_t span = whole.size() - EVERY_LENGTH_BELOW;
            for (std::size_t i = 0; i < SPREAD_LENGTHS; ++i)
                lengths.push_back(EVERY_LENGTH_BELOW + span * i / SPREAD_LENGTHS);
        }
        for (std::size_t n : lengths) {
            // A new file each time: rewriting one file in place makes the file system flush it.
            const std::string path = write_temp_file(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)),
                                                     "prefix-" + std::to_string(n) + ".bin");
            LoadResult r = load_file(path);
            std::remove(path.c_str());
            EXPECT_EQ(r.loaded != 0, r.descriptor.formatId != 0) << n;
        }
    }
}

// The truncation sweep above runs over the manifest's lines, so a fixture left out of the
// manifest would escape it: every file under tests/data must have its line (an ICON's
// external palette, <path>.pal, goes with its picture).
TEST(GoldenManifest, EveryFixtureHasItsLine)
{
    std::set<std::string> pinned;
    for (const ManifestLine& line : read_manifest(test_data_dir() + "/manifest.txt"))
        pinned.insert(line.path);
    const std::filesystem::path root = test_data_dir();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::string relative = entry.path().lexically_relative(root).string();
        if (relative == "manifest.txt" || entry.path().extension() == ".pal")
            continue;
        EXPECT_TRUE(pinned.count(relative)) << relative << " has no line in tests/data/manifest.txt";
    }
}
