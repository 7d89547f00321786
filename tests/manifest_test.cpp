// The golden manifest: every committed fixture under tests/data runs through the whole load
// pipeline and gives the result pinned in tests/data/manifest.txt ('#' lines are comments):
//   OK <crc32> <W>x<H> <path>    loads; crc32 (8 lower-case hex digits) of the RGB bytes of
//                                the picture, or of every frame in turn (W x H of the first)
//   BAD unknown <path>           no format claims the file
// An ICON's external palette stands beside it as <path>.pal. Prefixes of every fixture and
// single-byte flips of it must load or be refused cleanly (under the sanitizers, no stray access).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "decode/uefi_pictures.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

// The manifest's lines and the path each names (its last field).
std::vector<std::pair<std::string, std::string>> read_manifest()
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::ifstream in(test_data_dir() + "/manifest.txt");
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text[0] != '#')
            lines.emplace_back(text, text.substr(text.rfind(' ') + 1));
    }
    return lines;
}

// The manifest line that describes what the pipeline makes of the fixture now.
std::string actual_line(const std::string& relativePath)
{
    const std::string path = test_data_dir() + "/" + relativePath, palette = path + ".pal";
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
    const auto lines = read_manifest();
    ASSERT_FALSE(lines.empty()) << "tests/data/manifest.txt is missing or empty";
    for (const auto& [text, path] : lines) {
        ASSERT_TRUE(fs::is_regular_file(test_data_dir() + "/" + path)) << path << " is missing";
        EXPECT_EQ(actual_line(path), text);
    }
}

// Damaged dumps are mostly cut short: every short prefix of every fixture, and a spread
// of longer ones, must load or be refused without touching memory it does not own (run
// under the sanitizers to see it).
TEST(GoldenManifest, TruncatedFixturesLoadOrAreRefused)
{
    constexpr std::size_t EVERY_LENGTH_BELOW = 256;
    constexpr std::size_t SPREAD_LENGTHS = 256;
    for (const auto& [text, path] : read_manifest()) {
        const Bytes whole = read_fixture(path);
        std::vector<std::size_t> lengths;
        for (std::size_t n = 0; n < whole.size() && n < EVERY_LENGTH_BELOW; ++n)
            lengths.push_back(n);
        for (std::size_t i = 0; whole.size() > EVERY_LENGTH_BELOW && i < SPREAD_LENGTHS; ++i)
            lengths.push_back(EVERY_LENGTH_BELOW + (whole.size() - EVERY_LENGTH_BELOW) * i / SPREAD_LENGTHS);
        for (std::size_t n : lengths) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            LoadResult r = load_bytes(cut);
            // Bytes found in a ROM load as a PNG or GIF picture too, which has no identifier
            // (cut short, it may load or be refused).
            if (uefi_picture_kind(cut) == UefiPicture::none) {
                EXPECT_EQ(r.loaded != 0, r.descriptor.formatId != 0) << path << " cut to " << n;
            }
        }
    }
}

// The truncation sweep runs over the manifest's lines: every fixture (but <path>.pal) has one.
TEST(GoldenManifest, EveryFixtureHasItsLine)
{
    std::set<std::string> pinned;
    for (const auto& line : read_manifest())
        pinned.insert(line.second);
    const fs::path root = test_data_dir();
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().lexically_relative(root).string();
        if (entry.is_regular_file() && relative != "manifest.txt" && entry.path().extension() != ".pal") {
            EXPECT_TRUE(pinned.count(relative)) << relative << " has no line in tests/data/manifest.txt";
        }
    }
}

TEST(MalformedSweep, SingleByteFlipsOfEveryFixtureLoadCleanly)
{
    constexpr std::size_t FLIPS_PER_FILE = 64;
    for (const auto& entry : fs::recursive_directory_iterator(test_data_dir())) {
        if (!entry.is_regular_file() || entry.path().filename() == "manifest.txt")
            continue;
        const Bytes whole = read_file(entry.path().string());
        // Flip the header bytes, where the layout decisions live, then bytes spread over the body.
        for (std::size_t k = 0; k < FLIPS_PER_FILE && !whole.empty(); ++k) {
            const std::size_t at = k < 32 ? k : (k * 2654435761u) % whole.size();
            if (at >= whole.size())
                continue;
            for (std::uint8_t mask : {std::uint8_t{0xFF}, std::uint8_t{0x80}}) {
                Bytes flipped = whole;
                flipped[at] ^= mask;
                load_bytes(flipped);
            }
        }
    }
}
