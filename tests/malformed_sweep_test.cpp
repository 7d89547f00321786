// Every fixture, truncated at every length and with single bytes flipped, goes through the
// whole load: each must end cleanly (the sanitizer build turns any stray access into a failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/fixtures.h"

namespace {

// Fixtures above this size are cut at a stride instead of at every length.
constexpr std::size_t EVERY_PREFIX_LIMIT = 1024;
constexpr std::size_t PREFIXES_PER_LARGE_FILE = 256;
constexpr std::size_t FLIPS_PER_FILE = 64;

std::vector<std::string> fixture_files()
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test_data_dir(), error)) {
        if (entry.is_regular_file() && entry.path().filename() != "manifest.txt")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(MalformedSweep, EveryPrefixOfEveryFixtureLoadsCleanly)
{
    for (const std::string& path : fixture_files()) {
        Bytes whole = read_file(path);
        std::size_t step = whole.size() <= EVERY_PREFIX_LIMIT ? 1 : whole.size() / PREFIXES_PER_LARGE_FILE + 1;
        for (std::size_t length = 0; length < whole.size(); length += step) {
            Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            LoadResult result = load_bytes(prefix, "prefix.bin");
            if (result.loaded) {
                EXPECT_NE(result.descriptor.formatId, 0) << path << " cut at " << length;
            }
        }
    }
}

TEST(MalformedSweep, SingleByteFlipsOfEveryFixtureLoadCleanly)
{
    for (const std::string& path : fixture_files()) {
        Bytes whole = read_file(path);
        if (whole.empty())
            continue;
        // Flip the header bytes, where the layout decisions live, then bytes spread over the body.
        for (std::size_t k = 0; k < FLIPS_PER_FILE; ++k) {
            std::size_t at = k < 32 ? k : (k * 2654435761u) % whole.size();
            if (at >= whole.size())
                continue;
            for (std::uint8_t mask : {std::uint8_t{0xFF}, std::uint8_t{0x80}}) {
                Bytes flipped = whole;
                flipped[at] ^= mask;
                load_bytes(flipped, "flipped.bin");
            }
        }
    }
}
