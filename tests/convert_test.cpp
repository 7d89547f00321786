// zarpo2-cli convert as a user runs it: PCX and BMP files it writes read the same in
// ImageMagick and netpbm as in our decoder, a logo converted to its own format keeps its
// bytes, OUT is never IN however reached, and damaged or huge pictures are refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

namespace fs = std::filesystem;

struct ConvertRun {
    int status = -1;
    std::string out, err;
};

ConvertRun convert(const std::string& args)
{
    static int runs = 0;
    const std::string errFile = test_temp_dir() + "/convert-err-" + std::to_string(++runs);
    ConvertRun r;
    r.status = run_command("timeout 60 " + cli_path() + " convert " + args + " 2>'" + errFile + "'", &r.out);
    const Bytes err = read_file(errFile);
    r.err.assign(err.begin(), err.end());
    return r;
}

std::string fresh_dir()
{
    static int dirs = 0;
    const std::string dir = test_temp_dir() + "/convert-" + std::to_string(++dirs);
    fs::create_directories(dir);
    return dir;
}

// The first width pixels of each row of a picture drawnWidth wide.
Bytes crop(const Bytes& rgb, unsigned drawnWidth, unsigned width, unsigned height)
{
    Bytes out;
    for (unsigned y = 0; y < height; ++y)
        out.insert(out.end(), rgb.begin() + y * drawnWidth * 3, rgb.begin() + (y * drawnWidth + width) * 3);
    return out;
}

TEST(ConvertCommand, PcxAndBmpReadTheSameInImageMagickAndNetpbm)
{
    if (!have_program("convert") || !have_program("pcxtoppm") || !have_program("bmptopnm"))
        GTEST_SKIP() << "ImageMagick or netpbm missing";
    const std::string dir = fresh_dir();
    const struct {
        const char* target;
        unsigned width;
        const char* netpbm;
    } cases[] = {
        {"pcx4", 37, "pcxtoppm"}, {"pcx8", 37, "pcxtoppm"}, {"bmp4", 37, "bmptopnm"}, {"bmp8", 37, "bmptopnm"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string size = std::to_string(c.width) + "x23";
        const std::string in = dir + "/in-" + c.target + ".png";
        ASSERT_EQ(run_command("convert -size " + size + " gradient:orange-navy -swirl 200 '" + in + "'"), 0);
        const std::string out = dir + "/out-" + c.target;
        const ConvertRun r = convert(std::string("--to ") + c.target + " '" + in + "' '" + out + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, out + "\n");
        Bytes ours, magick, netpbm;
        ASSERT_TRUE(cli_png_rgb(out, ours));
        ASSERT_TRUE(convert_to_rgb(out, magick));
        ASSERT_EQ(run_command(std::string(c.netpbm) + " '" + out + "' >'" + out + ".ppm' 2>/dev/null"), 0);
        ASSERT_TRUE(convert_to_rgb(out + ".ppm", netpbm));
        // Our BMP decoder draws rows as wide as they are stored (a multiple of 4 pixels).
        const unsigned drawn = static_cast<unsigned>(ours.size() / 3 / 23);
        const Bytes mine = crop(ours, drawn, c.width, 23);
        EXPECT_TRUE(mine == magick) << "ImageMagick reads other pixels";
        EXPECT_TRUE(mine == netpbm) << "netpbm reads other pixels";
    }
}

TEST(ConvertCommand, ALogoConvertedToItsOwnFormatKeepsItsBytes)
{
    const std::string dir = fresh_dir();
    const struct {
        const char* fixture;
        const char* target;
    } cases[] = {{"award/awbm16.bin", "awbm16"},
                 {"award/award-standard.epa", "epa"},
                 {"phoenix/pg-standard.pg", "pg"},
                 {"intel/grfx.bin", "grfx"}};
    for (const auto& c : cases) {
        const std::string out = dir + "/" + c.target + ".out";
        const ConvertRun r = convert(std::string("--to ") + c.target + " -- '" + test_data_dir() + "/" + c.fixture + "' '" +
                              out + "'");
        ASSERT_EQ(r.status, 0) << c.fixture << ": " << r.err;
        EXPECT_TRUE(read_file(out) == read_fixture(c.fixture)) << c.fixture;
    }
    // Compressed targets keep the pixels of the picture they pack.
    for (const char* target : {"awbm16-compressed", "grfx-compressed", "pg-compressed"}) {
        const std::string out = dir + "/" + target + ".out";
        ASSERT_EQ(convert(std::string("--to ") + target + " '" + test_data_dir() + "/phoenix/pg-standard.pg' '" +
                          out + "'")
                      .status,
                  0);
        Bytes packed, plain;
        ASSERT_TRUE(cli_png_rgb(out, packed));
        ASSERT_TRUE(cli_png_rgb(test_data_dir() + "/phoenix/pg-standard.pg", plain));
        EXPECT_TRUE(packed == plain) << target;
    }
}

TEST(ConvertCommand, NeverWritesOverItsInput)
{
    const std::string dir = fresh_dir();
    const Bytes original = read_fixture("award/awbm16.bin");
    const std::string in = write_temp_file(original, "in.bin");
    ASSERT_EQ(symlink(in.c_str(), (dir + "/soft.bin").c_str()), 0);
    ASSERT_EQ(link(in.c_str(), (dir + "/hard.bin").c_str()), 0);
    for (const std::string& out : {in, dir + "/soft.bin", dir + "/hard.bin"}) {
        const ConvertRun r = convert("--to pg '" + in + "' '" + out + "'");
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.err.find("it is the input file"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_TRUE(read_file(in) == original);
    // A refused picture and a folder that is not there leave nothing behind.
    EXPECT_EQ(convert("--to epa '" + in + "' '" + dir + "/epa.bin'").status, 1);
    EXPECT_EQ(convert("--to pg '" + in + "' '" + dir + "/none/pg.bin'").status, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);
}

TEST(ConvertCommand, DamagedAndHugePicturesAreRefused)
{
    const std::string dir = fresh_dir();
    ASSERT_EQ(run_command("convert -size 64x48 plasma:fractal '" + dir + "/photo.png' 2>/dev/null"), 0);
    Bytes png = read_file(dir + "/photo.png");
    const std::string cut = write_temp_file(Bytes(png.begin(), png.begin() + png.size() / 2), "cut.png");
    // A valid header claiming 100,000 x 100,000 pixels over a few bytes of data.
    ByteBuilder bomb;
    bomb.bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}).u8(0).u8(0).u8(0).u8(13).text("IHDR");
    bomb.u16be(1).u16be(0x86A0).u16be(1).u16be(0x86A0).u8(8).u8(2).u8(0).u8(0).u8(0).u32(0);
    const std::string huge = write_temp_file(bomb.data(), "bomb.png");
    for (const std::string& in : {cut, huge}) {
        const ConvertRun r = convert("--to awbm16 '" + in + "' '" + dir + "/out.bin'");
        EXPECT_EQ(r.status, 1) << in;
        EXPECT_NE(r.err.find("PNG"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir + "/out.bin"));
    }
    // The photo itself converts, 1 x 1 too, and verbose mode tells the error.
    ConvertRun r = convert("--verbose --to awbm16 --size 136x84 '" + dir + "/photo.png' '" + dir + "/photo.awbm'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("AWBM16 holds 16 colours; quantising "), std::string::npos) << r.err;
    ASSERT_EQ(run_command("convert -size 1x1 xc:red '" + dir + "/dot.png'"), 0);
    EXPECT_EQ(convert("--to epa --size 8x14 '" + dir + "/dot.png' '" + dir + "/dot.epa'").status, 0);
}

TEST(ConvertCommand, UsageAndTheTargetList)
{
    const ConvertRun list = convert("--list");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 14) << list.out;
    EXPECT_EQ(list.out.rfind("awbm16 ", 0), 0u);
    // A frame of a multi-frame logo; one it does not have.
    const std::string asus = test_data_dir() + "/asus/composite-4osb.bin";
    const std::string dir = fresh_dir();
    EXPECT_EQ(convert("--to awbm16 --frame 1 '" + asus + "' '" + dir + "/frame1.awbm'").status, 0);
    const ConvertRun missing = convert("--to awbm16 --frame 99 '" + asus + "' '" + dir + "/frame99.awbm'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("frame 99 is not one of them"), std::string::npos) << missing.err;
    for (const char* args : {"--to nothing a b", "--to pg --dither 2 a b", "--to pg --size 12 a b", "--to pg a",
                             "a b", "--to pg --frame x a b"})
        EXPECT_EQ(convert(args).status, 2) << args;
}

}  // namespace
