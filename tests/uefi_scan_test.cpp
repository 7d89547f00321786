// UEFI images: the planted pictures of the synthetic images (tests/data/uefi, written by
// make_uefi_fixtures) with ImageMagick as the oracle of their pixels, Debian's OVMF
// firmware with UEFIExtract as the oracle of its volumes and files, hostile images, and
// the scan command's records and files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "pipeline/rom_scan.h"
#include "rom/uefi_walk.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* OVMF = "/usr/share/OVMF/OVMF_CODE.fd";

struct PlantedPicture {
    const char* image;
    std::uint64_t offset;  // the outermost file's
    const char* guid;
    const char* path;
    const char* compression;
    const char* picture;
    unsigned formatId;
    unsigned width, height, frames;
    const char* plain;  // the committed picture planted there
};

const PlantedPicture PLANTED[] = {
    {"synthetic.bin", 0x100c8, "7BB28B99-61BB-11D5-9A5D-0090273FC14D",
     "UEFI FV 0x10000 > file 7BB28B99-61BB-11D5-9A5D-0090273FC14D \"Logo\" > LZMA > raw", "LZMA", "BMP", 32, 40, 23, 0,
     "bmp/magick-8bit.bmp"},
    {"synthetic.bin", 0x10630, "5A5A5A5A-0001-4000-8000-00000000CAFE",
     "UEFI FV 0x10000 > file 5A5A5A5A-0001-4000-8000-00000000CAFE \"VendorLogo\" > LZMA > raw", "LZMA", "JPEG", 24, 37,
     23, 0, "jpeg/magick.jpg"},
    {"synthetic.bin", 0x10ad8, "5A5A5A5A-0002-4000-8000-00000000CAFE",
     "UEFI FV 0x10000 > file 5A5A5A5A-0002-4000-8000-00000000CAFE > Tiano > raw", "Tiano", "PNG", 0, 48, 32, 0,
     "uefi/pictures/logo.png"},
    {"synthetic.bin", 0x118a8, "5A5A5A5A-0003-4000-8000-00000000CAFE",
     "UEFI FV 0x10000 > file 5A5A5A5A-0003-4000-8000-00000000CAFE \"Gif\" > CRC32 > raw", "none", "GIF", 0, 40, 24, 0,
     "uefi/pictures/logo.gif"},
    {"synthetic.bin", 0x11b48, "C0C0C0C0-1111-2222-3333-444455556666",
     "UEFI FV 0x10000 > file 5A5A5A5A-0004-4000-8000-00000000CAFE > LZMA > FV 0x0 > file "
     "C0C0C0C0-1111-2222-3333-444455556666 \"Inner\" > stored > raw",
     "LZMA", "BMP", 32, 40, 23, 0, "bmp/magick-24bit.bmp"},
    {"synthetic.bin", 0x20048, "5A5A5A5A-0007-4000-8000-00000000CAFE",
     "UEFI FV 0x20000 > file 5A5A5A5A-0007-4000-8000-00000000CAFE \"Four-bit\" > EFI > raw", "EFI", "BMP", 32, 40, 23, 0,
     "bmp/magick-4bit.bmp"},
    {"synthetic.bin", 0x20218, "5A5A5A5A-0008-4000-8000-00000000CAFE",
     "UEFI FV 0x20000 > file 5A5A5A5A-0008-4000-8000-00000000CAFE > Brotli > freeform", "Brotli", "GIF", 0, 32, 20, 3,
     "uefi/pictures/anim.gif"},
    {"capsule.bin", 0x1048, "5A5A5A5A-0009-4000-8000-00000000CAFE",
     "UEFI FV 0x1000 > file 5A5A5A5A-0009-4000-8000-00000000CAFE > LZMA-F86 > raw", "LZMA-F86", "JPEG", 24, 53, 31, 0,
     "jpeg/cjpeg-progressive.jpg"},
};

std::string uefi_path(const std::string& name)
{
    return test_data_dir() + "/uefi/" + name;
}

// ImageMagick's RGB of the plain picture, every frame after the other; a BMP's palette is
// drawn with its two low bits cleared.
Bytes oracle_rgb(const PlantedPicture& p)
{
    Bytes rgb;
    EXPECT_TRUE(convert_to_rgb(test_data_dir() + "/" + p.plain, rgb)) << p.plain;
    return std::string(p.picture) == "BMP" && std::string(p.plain) != "bmp/magick-24bit.bmp" ? clear_low_bits(rgb) : rgb;
}

// The pixels the viewer and the command load for a found logo, frames one after the other;
// a BMP's rows cut to the picture's own width (detection makes them as wide as the stored
// rows).
Bytes loaded_rgb(const Bytes& bytes, std::size_t width)
{
    LoadResult r = load_bytes(bytes, "found");
    EXPECT_TRUE(r.loaded);
    Bytes rgb;
    const std::size_t stride = std::size_t{r.descriptor.width} * 3;
    for (std::size_t row = 0; stride && row + stride <= r.image.size(); row += stride)
        rgb.insert(rgb.end(), r.image.begin() + static_cast<std::ptrdiff_t>(row),
                   r.image.begin() + static_cast<std::ptrdiff_t>(row + width * 3));
    for (const LoadResult::Frame& f : r.frames)
        rgb.insert(rgb.end(), f.pixels.begin(), f.pixels.end());
    return rgb;
}

// Volume, file and section rows of UEFIExtract's report on the image.
std::map<std::string, unsigned> uefiextract_counts(const std::string& image)
{
    std::map<std::string, unsigned> counts;
    const std::string dir = test_temp_dir() + "/uefiextract";
    fs::create_directories(dir);
    const std::string copy = dir + "/image.fd";
    fs::copy_file(image, copy, fs::copy_options::overwrite_existing);
    if (run_command("cd '" + dir + "' && UEFIExtract image.fd report >/dev/null 2>&1") != 0)
        return counts;
    std::ifstream report(copy + ".report.txt");
    for (std::string line; std::getline(report, line);)
        counts[line.substr(1, line.find_first_of(" |", 1) - 1)]++;  // " Volume   | FFSv2 ..."
    return counts;
}

}  // namespace

TEST(UefiScan, SyntheticImagesListExactlyThePlantedPictures)
{
    for (const char* image : {"synthetic.bin", "capsule.bin"}) {
        SCOPED_TRACE(image);
        RomScanReport report = scan_rom(uefi_path(image));
        std::vector<const PlantedPicture*> expected;
        for (const PlantedPicture& p : PLANTED)
            if (std::string(p.image) == image)
                expected.push_back(&p);
        ASSERT_EQ(report.logos.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const FoundLogo& f = report.logos[i];
            const PlantedPicture& p = *expected[i];
            SCOPED_TRACE(p.plain);
            EXPECT_EQ(f.offset, p.offset);
            EXPECT_EQ(f.container, UEFI_CONTAINER);
            EXPECT_EQ(f.name, p.guid);
            EXPECT_EQ(found_logo_place(f), p.path);
            EXPECT_EQ(f.compression, p.compression);
            EXPECT_EQ(f.picture, p.picture);
            EXPECT_EQ(f.formatId, p.formatId);
            EXPECT_EQ(f.width, p.width);
            EXPECT_EQ(f.height, p.height);
            EXPECT_EQ(f.frameCount, p.frames);
            EXPECT_TRUE(f.notes.empty());
            if (have_program("convert")) {
                Bytes oracle = oracle_rgb(p);
                Bytes rgb = loaded_rgb(f.bytes, oracle.size() / 3 / p.height / (p.frames ? p.frames : 1));
                EXPECT_EQ(crc32_of(rgb), crc32_of(oracle)) << rgb.size() << " bytes";
            }
        }
    }
}

// The damage planted in the synthetic image and every kind of lie in the hostile one: a
// skipped record each with the path where it was met, nothing listed, the walk bounded
// (the 15 MiB bomb runs into the scan's work budget, which stops the scan).
const std::string NESTED8 = [] {
    std::string path = "FV 0x0 > file B0B0B0B0-0005-4000-8000-000000000000";
    for (int i = 0; i < 8; ++i)
        path += " > FV 0x0 > file DEE9DEE9-0000-4000-8000-000000000000";
    return path;
}();
const std::vector<std::string> HOSTILE_FIRST = {
    "0x00000048 UEFI FV 0x0 > file B0B0B0B0-0001-4000-8000-000000000000 > stored > stored > stored > stored > "
    "stored > stored > stored > stored > stored: nested deeper than 8 levels: not opened",
    "0x000000e0 UEFI FV 0x0 > file B0B0B0B0-0002-4000-8000-000000000000: GUID-defined section "
    "EE4E5898-3914-4259-9D6E-DC7BD79403CF has its data offset outside it: not opened",
    "0x00000130 UEFI FV 0x0 > file B0B0B0B0-0003-4000-8000-000000000000 > LZMA: unpacks to 1073741824 bytes, above "
    "the limit of 16777216: not opened",
    "0x00000130 UEFI FV 0x0 > file B0B0B0B0-0003-4000-8000-000000000000 > Tiano: unpacks to 1073741824 bytes, above "
    "the limit of 16777216: not opened",
};
const std::vector<std::string> HOSTILE_LATER = {
    "0x00002f60 UEFI " + NESTED8 + ": volume nested deeper than 8 levels: not opened",
    "0x00020048 UEFI FV 0x20000: file B0B0B0B0-0006-4000-8000-000000000000 at +0x48 of 8280 bytes runs past its "
    "volume",
    "0x00021000 UEFI FV 0x21000: claims 4294967296 bytes, 4096 are there: walked as far as they go",
};

TEST(UefiScan, DamageAndHostileImagesGiveClearRecords)
{
    std::vector<std::string> hostile = HOSTILE_FIRST;
    hostile.push_back("0x000001a8: work budget spent: this place and the rest of the scan not looked at");
    const std::tuple<const char*, std::vector<std::string>> cases[] = {
        {"synthetic.bin",
         {"0x000129b0 UEFI FV 0x10000 > file 5A5A5A5A-0006-4000-8000-00000000CAFE: section at +0x0 of 1024 bytes "
          "runs past its file (44 bytes left)",
          "0x00020000 UEFI FV 0x20000: header checksum mismatch: walked all the same"}},
        {"hostile.bin", hostile},
    };
    for (const auto& [image, problems] : cases) {
        SCOPED_TRACE(image);
        RomScanReport report = scan_rom(uefi_path(image));
        EXPECT_EQ(report.problems, problems);
        if (std::string(image) == "hostile.bin") {
            EXPECT_TRUE(report.logos.empty());
        }
    }
}

// With room in the budget the walk opens the bomb and goes on to the lies after it.
TEST(UefiScan, HostileImageWithRoomInTheBudgetRecordsEveryLie)
{
    RomScanLimits roomy;
    roomy.minWorkBudget = 256ull << 20;
    UefiWalkReport walk = walk_uefi_image(read_file(uefi_path("hostile.bin")), roomy);
    std::vector<std::string> lines;
    for (const RomSkipped& s : walk.skipped)
        lines.push_back(skipped_text(s));
    std::vector<std::string> expected = HOSTILE_FIRST;
    expected.insert(expected.end(), HOSTILE_LATER.begin(), HOSTILE_LATER.end());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(walk.candidates.empty());
}

// OVMF's logo is an HII resource inside a driver: the walk goes through every volume, file
// and section UEFIExtract lists, notes nothing and finds no picture.
TEST(UefiScan, OvmfParsesCleanlyWithoutPictures)
{
    if (!fs::exists(OVMF))
        GTEST_SKIP() << "the ovmf package is not installed";
    const Bytes image = read_file(OVMF);
    UefiWalkReport walk = walk_uefi_image(image);
    EXPECT_TRUE(walk.candidates.empty());
    for (const RomCandidate& c : walk.candidates)
        ADD_FAILURE() << c.name << ": " << c.detail;
    for (const RomSkipped& s : walk.skipped)
        ADD_FAILURE() << skipped_text(s);
    if (have_program("UEFIExtract")) {
        std::map<std::string, unsigned> oracle = uefiextract_counts(OVMF);
        EXPECT_EQ(walk.volumes, oracle["Volume"]);
        EXPECT_EQ(walk.files, oracle["File"]);
        EXPECT_EQ(walk.sections, oracle["Section"]);
    }
    RomScanReport report = scan_rom(OVMF);
    EXPECT_TRUE(report.logos.empty());
    EXPECT_TRUE(report.problems.empty());
}

// Damaged dumps are mostly cut short: every cut of the synthetic image walks without a
// fault, keeping the pictures that lie wholly before the cut.
TEST(UefiScan, CutImagesWalkSafely)
{
    const Bytes whole = read_file(uefi_path("synthetic.bin"));
    for (std::size_t n = 0; n <= whole.size(); n += 0x7F1) {
        UefiWalkReport walk = walk_uefi_image(std::span(whole.data(), n));
        for (const RomCandidate& c : walk.candidates)
            EXPECT_TRUE(c.offset + c.length <= n || c.bytes.empty()) << "cut at " << n;
    }
}

// scan's records, --extract and --png for UEFI pictures.
TEST(UefiScan, ScanCommandRecordsExtractsAndWritesPngs)
{
    const std::string dir = test_temp_dir() + "/uefi-scan";
    std::string out;
    ASSERT_EQ(run_command(cli_path() + " scan --json --extract '" + dir + "/x' --png '" + dir + "/p' '" +
                              uefi_path("synthetic.bin") + "' 2>/dev/null",
                          &out),
              0);
    unsigned records = 0;
    for (std::size_t at = 0; (at = out.find("\"container\": \"UEFI\"", at)) != std::string::npos; ++at)
        ++records;
    EXPECT_EQ(records, 7u);
    for (const char* member : {"\"picture\": \"PNG\"", "\"picture\": \"GIF\"", "\"formatName\": \"PNG picture\"",
                               "\"name\": \"7BB28B99-61BB-11D5-9A5D-0090273FC14D\"", "\"frameCount\": 3"})
        EXPECT_NE(out.find(member), std::string::npos) << member;
    // The extracted PNG and GIF are the planted files themselves.
    std::map<std::string, Bytes> extracted;
    for (const auto& entry : fs::directory_iterator(dir + "/x"))
        extracted[entry.path().filename()] = read_file(entry.path());
    EXPECT_EQ(extracted.size(), 7u);
    const Bytes png = read_fixture("uefi/pictures/logo.png"), anim = read_fixture("uefi/pictures/anim.gif");
    bool sawPng = false, sawAnim = false;
    for (const auto& [name, bytes] : extracted) {
        sawPng = sawPng || bytes == png;
        sawAnim = sawAnim || bytes == anim;
    }
    EXPECT_TRUE(sawPng && sawAnim);
    // --png: the PNG logo's file holds ImageMagick's pixels of the planted PNG.
    if (have_program("convert")) {
        Bytes written, planted;
        ASSERT_TRUE(convert_to_rgb(dir + "/p/synthetic_bin-00010ad8-5A5A5A5A-0002-4000-8000-00000000CAFE.png", written));
        ASSERT_TRUE(convert_to_rgb(test_data_dir() + "/uefi/pictures/logo.png", planted));
        EXPECT_TRUE(written == planted);
    }
}
