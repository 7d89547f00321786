// Every fixture with single bytes flipped goes through the whole load: each must end cleanly
// (the sanitizer build turns any stray access into a failure). Truncations are swept by the
// golden manifest test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/fixtures.h"

namespace {

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
                // A new file each time: rewriting one file in place makes the file system flush it.
                std::string name = "flip-" + std::to_string(at) + "-" + std::to_string(mask) + ".bin";
                std::string file = write_temp_file(flipped, name);
                load_file(file);
                std::remove(file.c_str());
            }
        }
    }
}
