// Where Save as PNG writes, and what it refuses: the PNG goes beside the input through a
// temporary file renamed into place, so the input is never overwritten, a symlink or
// folder at the target is never followed, and a failed write leaves nothing behind.
#include <gtest/gtest.h>

#include <fstream>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/front_end.h"
#include "core/load_pipeline.h"
#include "core/viewer_state.h"
#include "output/png_file.h"
#include "output/save_png.h"
#include "support/fixtures.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t MAX_NAME_BYTES = 255;  // one path component on Linux file systems
const Bytes PNG_SIGNATURE = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A fresh, empty folder per case.
std::string fresh_dir(const std::string& name)
{
    std::string dir = test_temp_dir() + "/png-" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void write_at(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string copy_fixture(const std::string& fixture, const std::string& dir, const std::string& leaf)
{
    std::string path = dir + "/" + leaf;
    fs::copy_file(test_data_dir() + "/" + fixture, path, fs::copy_options::overwrite_existing);
    return path;
}

// Loads path, saves its PNG files beside it (or into outDir) and flushes the logo.
SaveResult load_and_save(const std::string& path, const std::string& outDir = "")
{
    HeadlessFrontEnd frontEnd;
    frontEnd.quiet = true;
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.loaded = load_logo(path);
    EXPECT_EQ(state.loaded, 1) << path;
    SaveResult result = save_png_files(outDir);
    unload_logo();
    set_front_end(nullptr);
    return result;
}

std::vector<std::string> leaves_in(const std::string& dir)
{
    std::vector<std::string> leaves;
    for (const auto& entry : fs::directory_iterator(dir))
        leaves.push_back(entry.path().filename().string());
    std::sort(leaves.begin(), leaves.end());
    return leaves;
}

bool is_png_file(const std::string& path)
{
    Bytes bytes = read_file(path);
    return fs::is_regular_file(fs::symlink_status(path)) && bytes.size() > PNG_SIGNATURE.size() &&
           std::equal(PNG_SIGNATURE.begin(), PNG_SIGNATURE.end(), bytes.begin());
}

constexpr const char* SINGLE_PICTURE = "pcx/netpbm-8bit.pcx";

}  // namespace

TEST(PngOutput, InputAlreadyNamedLikeItsOutputIsNotOverwritten)
{
    std::string dir = fresh_dir("same-name");
    std::string input = copy_fixture(SINGLE_PICTURE, dir, "logo.png");
    Bytes before = read_file(input);
    SaveResult result = load_and_save(input);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.written.empty());
    EXPECT_EQ(read_file(input), before);
    EXPECT_EQ(leaves_in(dir), std::vector<std::string>{"logo.png"});
}

TEST(PngOutput, SymlinkAtTheTargetIsReplacedNotFollowed)
{
    struct Case {
        const char* name;
        const char* linkTarget;  // relative to the case's folder
        const char* victim;      // a file the link reaches, which must stay as it was; may be null
    };
    const Case cases[] = {
        {"to-other-file", "other.txt", "other.txt"},
        {"to-input", "logo.bin", "logo.bin"},
        {"dangling-outside", "../outside-victim.png", nullptr},
        {"to-folder", "sub", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = fresh_dir(std::string("symlink-") + c.name);
        std::string input = copy_fixture(SINGLE_PICTURE, dir, "logo.bin");
        write_at(dir + "/other.txt", Bytes{'k', 'e', 'e', 'p'});
        fs::create_directory(dir + "/sub");
        fs::create_symlink(c.linkTarget, dir + "/logo.png");
        Bytes victimBefore = c.victim ? read_file(dir + "/" + c.victim) : Bytes();

        SaveResult result = load_and_save(input);
        if (c.victim) {
            EXPECT_EQ(read_file(dir + "/" + c.victim), victimBefore);
        }
        EXPECT_FALSE(fs::exists(dir + "/../outside-victim.png"));
        EXPECT_TRUE(fs::is_empty(dir + "/sub"));
        // A link to the input itself may be refused; any other link is replaced by the PNG.
        if (result.ok) {
            EXPECT_TRUE(is_png_file(dir + "/logo.png"));
        } else {
            EXPECT_EQ(std::string(c.name), "to-input");
        }
    }
}

TEST(PngOutput, FolderAtTheTargetFailsAndLeavesNoTemporaryFile)
{
    std::string dir = fresh_dir("target-folder");
    std::string input = copy_fixture(SINGLE_PICTURE, dir, "logo.bin");
    fs::create_directory(dir + "/logo.png");
    SaveResult result = load_and_save(input);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(fs::is_directory(dir + "/logo.png"));
    EXPECT_TRUE(fs::is_empty(dir + "/logo.png"));
    EXPECT_EQ(leaves_in(dir), (std::vector<std::string>{"logo.bin", "logo.png"}));
}

TEST(PngOutput, ReadOnlyFolderFailsAndLeavesNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    std::string dir = fresh_dir("read-only");
    std::string input = copy_fixture(SINGLE_PICTURE, dir, "logo.bin");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    SaveResult result = load_and_save(input);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(leaves_in(dir), std::vector<std::string>{"logo.bin"});
}

// Output names up to the 255-byte limit are written; one byte more fails cleanly. The
// temporary file must not need more room than the final name.
TEST(PngOutput, NamesNearTheLengthLimit)
{
    struct Case {
        std::size_t outputLeafBytes;
        bool written;
    };
    const Case cases[] = {{MAX_NAME_BYTES - 1, true}, {MAX_NAME_BYTES, true}, {MAX_NAME_BYTES + 1, false}};
    const std::string suffix = ".png";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outputLeafBytes);
        std::string dir = fresh_dir("long-" + std::to_string(c.outputLeafBytes));
        std::string base(c.outputLeafBytes - suffix.size(), 'n');
        std::string input = copy_fixture(SINGLE_PICTURE, dir, base + ".b");
        SaveResult result = load_and_save(input);
        EXPECT_EQ(result.ok, c.written);
        std::vector<std::string> expected = {base + ".b"};
        if (c.written)
            expected.push_back(base + suffix);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(leaves_in(dir), expected);
        if (c.written) {
            EXPECT_TRUE(is_png_file(dir + "/" + base + suffix));
        }
    }
}

TEST(PngOutput, SavingTwiceReplacesTheFileAndLeavesNoTemporaryFile)
{
    std::string dir = fresh_dir("twice");
    std::string input = copy_fixture(SINGLE_PICTURE, dir, "logo.bin");
    ASSERT_TRUE(load_and_save(input).ok);
    Bytes first = read_file(dir + "/logo.png");
    write_at(dir + "/logo.png", Bytes{'o', 'l', 'd'});
    ASSERT_TRUE(load_and_save(input).ok);
    EXPECT_EQ(read_file(dir + "/logo.png").size(), first.size());
    EXPECT_EQ(leaves_in(dir), (std::vector<std::string>{"logo.bin", "logo.png"}));
}

TEST(PngOutput, FailedWriteLeavesNoPartialFile)
{
    std::string dir = fresh_dir("short-write");
    std::string target = dir + "/logo.png";
    write_at(target, Bytes{'o', 'l', 'd'});
    // A file-size limit makes the write fail part way, as a full disk would.
    constexpr rlim_t SIZE_LIMIT = 100;
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = SIZE_LIMIT;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string error;
    bool written = write_file_atomically(target, Bytes(SIZE_LIMIT * 10, 0xAB), error);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(read_file(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(leaves_in(dir), std::vector<std::string>{"logo.png"});
}

// A picture of height 0 (an EPA of 5 x 0 cells) decodes to nothing: no PNG is written, a
// line says so, and the command still counts the file as done.
TEST(PngOutput, EmptyPictureIsReportedAndSkipped)
{
    Bytes epa(72, 0);
    epa[0] = 5;  // cell columns; 15 x 5 x 0 + 72 = 72 bytes
    std::string input = write_temp_file(epa, "empty.epa");
    std::string dir = input.substr(0, input.rfind('/'));
    std::string out;
    EXPECT_EQ(run_command(cli_path() + " png '" + input + "' 2>&1", &out), 0);
    EXPECT_NE(out.find("the picture is empty (40x0)"), std::string::npos) << out;
    EXPECT_EQ(leaves_in(dir), std::vector<std::string>{"empty.epa"});
}
