// Where Save as PNG writes, and what it refuses: the PNG goes beside the input through a
// temporary file renamed into place, so the input is never overwritten, a symlink or
// folder at the target is never followed, and a failed write leaves nothing behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "output/png_file.h"
#include "output/save_png.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;
using Leaves = std::vector<std::string>;

constexpr std::size_t MAX_NAME_BYTES = 255;  // one path component on Linux file systems

// Loads input, saves its PNG beside it and flushes the logo.
SaveResult load_and_save(const std::string& input)
{
    HeadlessFrontEnd frontEnd;
    frontEnd.quiet = true;
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.loaded = load_logo(input);
    EXPECT_EQ(state.loaded, 1) << input;
    SaveResult result = save_png_files("");
    unload_logo();
    set_front_end(nullptr);
    return result;
}

// A one-picture logo named leaf, alone in a fresh folder.
std::string fresh_input(const std::string& leaf)
{
    return write_temp_file(read_file(test_data_dir() + "/pcx/netpbm-8bit.pcx"), leaf);
}

Leaves leaves_in(const std::string& dir)
{
    Leaves leaves;
    for (const auto& entry : fs::directory_iterator(dir))
        leaves.push_back(entry.path().filename().string());
    std::sort(leaves.begin(), leaves.end());
    return leaves;
}

bool is_png_file(const std::string& path)
{
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)))
        return false;
    Bytes bytes = read_file(path);
    return bytes.size() > signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

}  // namespace

// What already sits at logo.png decides: an older file is replaced; the input itself, a
// folder or a read-only folder refuse the save; a symlink is replaced, never followed (one
// to the input is refused). Nothing else is left in the folder, and what links reach is kept.
TEST(PngOutput, WhatSitsAtTheTarget)
{
    struct Case {
        const char* inputLeaf;
        std::string atTarget;  // "file", "folder", "read-only" (the folder), else a link to it
        bool written;
        Leaves leaves;  // besides other.txt and the folder sub, there in every case
    };
    const Case cases[] = {
        {"logo.png", "", false, {"logo.png"}},
        {"logo.bin", "file", true, {"logo.bin", "logo.png"}},
        {"logo.bin", "folder", false, {"logo.bin", "logo.png"}},
        {"logo.bin", "read-only", false, {"logo.bin"}},
        {"logo.bin", "other.txt", true, {"logo.bin", "logo.png"}},
        {"logo.bin", "logo.bin", false, {"logo.bin", "logo.png"}},
        {"logo.bin", "../outside-victim.png", true, {"logo.bin", "logo.png"}},
        {"logo.bin", "sub", true, {"logo.bin", "logo.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.atTarget);
        if (geteuid() == 0 && c.atTarget == "read-only")
            continue;  // permissions do not bind root
        const std::string input = fresh_input(c.inputLeaf);
        const std::string dir = fs::path(input).parent_path(), target = dir + "/logo.png";
        const Bytes inputBefore = read_file(input);
        std::ofstream(dir + "/other.txt") << "keep";
        fs::create_directory(dir + "/sub");
        if (c.atTarget == "file")
            std::ofstream(target) << "old";
        else if (c.atTarget == "folder")
            fs::create_directory(target);
        else if (c.atTarget == "read-only")
            fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        else if (!c.atTarget.empty())
            fs::create_symlink(c.atTarget, target);
        const SaveResult result = load_and_save(input);
        fs::permissions(dir, fs::perms::owner_all);
        EXPECT_EQ(result.ok, c.written);
        EXPECT_EQ(result.written.empty(), !c.written);
        EXPECT_EQ(read_file(input), inputBefore);
        EXPECT_EQ(read_file(dir + "/other.txt"), (Bytes{'k', 'e', 'e', 'p'}));
        EXPECT_TRUE(fs::is_empty(dir + "/sub"));
        EXPECT_FALSE(fs::exists(dir + "/../outside-victim.png"));
        EXPECT_EQ(is_png_file(target), c.written);
        if (c.atTarget == "folder") {
            EXPECT_TRUE(fs::is_empty(target));
        }
        fs::remove(dir + "/other.txt");
        fs::remove(dir + "/sub");
        EXPECT_EQ(leaves_in(dir), c.leaves);
    }
}

// Output names up to the 255-byte limit are written; one byte more fails cleanly. The
// temporary file must not need more room than the final name.
TEST(PngOutput, NamesNearTheLengthLimit)
{
    for (std::size_t outputLeafBytes : {MAX_NAME_BYTES - 1, MAX_NAME_BYTES, MAX_NAME_BYTES + 1}) {
        SCOPED_TRACE(outputLeafBytes);
        const bool fits = outputLeafBytes <= MAX_NAME_BYTES;
        const std::string base(outputLeafBytes - std::string(".png").size(), 'n');
        const std::string input = fresh_input(base + ".b");
        const std::string dir = fs::path(input).parent_path();
        EXPECT_EQ(load_and_save(input).ok, fits);
        EXPECT_EQ(leaves_in(dir), (fits ? Leaves{base + ".b", base + ".png"} : Leaves{base + ".b"}));
        EXPECT_EQ(is_png_file(dir + "/" + base + ".png"), fits);
    }
}

TEST(PngOutput, FailedWriteLeavesNoPartialFile)
{
    const std::string target = write_temp_file(Bytes{'o', 'l', 'd'}, "logo.png");
    // A file-size limit makes the write fail part way, as a full disk would.
    constexpr rlim_t SIZE_LIMIT = 100;
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const struct rlimit limited = {SIZE_LIMIT, saved.rlim_max};
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string error;
    bool written = write_file_atomically(target, Bytes(SIZE_LIMIT * 10, 0xAB), error);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(read_file(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(leaves_in(fs::path(target).parent_path()), Leaves{"logo.png"});
}

// A picture of height 0 (an EPA of 5 x 0 cells) decodes to nothing: no PNG is written, a
// line says so, and the command counts the file as failed (no file came of it).
TEST(PngOutput, EmptyPictureIsReportedAndSkipped)
{
    Bytes epa(72, 0);
    epa[0] = 5;  // cell columns; 15 x 5 x 0 + 72 = 72 bytes
    std::string input = write_temp_file(epa, "empty.epa");
    std::string out;
    EXPECT_EQ(run_command(cli_path() + " png '" + input + "' 2>&1", &out), 1);
    EXPECT_NE(out.find("the picture is empty (40x0)"), std::string::npos) << out;
    EXPECT_EQ(leaves_in(fs::path(input).parent_path()), Leaves{"empty.epa"});
}
