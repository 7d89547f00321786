// Every fixture with single bytes flipped goes through the whole load: each must end cleanly
// (the sanitizer build turns any stray access into a failure). Truncations are swept by the
// golden manifest test.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/fixtures.h"

TEST(MalformedSweep, SingleByteFlipsOfEveryFixtureLoadCleanly)
{
    constexpr std::size_t FLIPS_PER_FILE = 64;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test_data_dir())) {
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
