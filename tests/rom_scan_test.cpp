// The whole-ROM scan: the planted logos of the synthetic images (tests/data/roms, written
// by make_rom_fixtures), lhasa as an oracle for the Award members, hostile containers,
// and the scan command.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "output/save_png.h"
#include "pipeline/rom_scan.h"
#include "rom/rom_parts.h"
#include "support/lh5_writer.h"
#include "core/stream_io.h"
#include "support/fixtures.h"
#include "support/hostile_roms.h"

namespace {

namespace fs = std::filesystem;

struct Planted {
    const char* rom;
    std::uint64_t offset;
    const char* container;
    const char* name;
    const char* compression;
    unsigned formatId;
    unsigned width, height;
    const char* plain;  // the committed picture planted there
};

// Every logo of every synthetic image, in file order.
const Planted PLANTED[] = {
    {"award.bin", 0x56b9, "Award LHA", "LOGO.BMP", "lh5", 32, 40, 23, "bmp/magick-8bit.bmp"},
    {"award.bin", 0x5d3e, "Award LHA", "AWARDEPA.BIN", "lh5", 1, 136, 84, "award/award-standard.epa"},
    {"award.bin", 0x5e0e, "Award LHA", "dbios.bmp", "lh5", 3, 128, 48, "award/awbm16.bin"},
    {"ami.bin", 0x1c501, "AMI module", "0e", "lh5", 8, 40, 12, "intel/grfx.bin"},
    {"ami.bin", 0x1c599, "AMI module", "31", "none", 6, 48, 16, "phoenix/pg-own-palette.pg"},
    {"ami.bin", 0x1c779, "AMI module", "20", "lh5", 16, 37, 23, "pcx/ami-option-rom.bin"},
    {"ami0700.bin", 0x1c4fa, "AMI module", "0e", "lh5", 8, 40, 12, "intel/grfx.bin"},
    {"ami0700.bin", 0x1c592, "AMI module", "31", "none", 6, 48, 16, "phoenix/pg-own-palette.pg"},
    {"ami0700.bin", 0x1c772, "AMI module", "20", "lh5", 16, 37, 23, "pcx/ami-option-rom.bin"},
    {"ami0800.bin", 0x1c4fc, "AMI module", "0e", "lh5", 8, 40, 12, "intel/grfx.bin"},
    {"ami0800.bin", 0x1c594, "AMI module", "31", "none", 6, 48, 16, "phoenix/pg-own-palette.pg"},
    {"ami0800.bin", 0x1c774, "AMI module", "20", "lh5", 16, 37, 23, "pcx/ami-option-rom.bin"},
    {"msi.bin", 0x0, "MSI PCX slot", "slot 0", "none", 27, 37, 23, "pcx/netpbm-8bit.pcx"},
    {"msi.bin", 0x8000, "MSI PCX slot", "slot 1", "none", 25, 37, 23, "pcx/netpbm-4plane.pcx"},
    {"msi.bin", 0x1c8a0, "AMI module", "0e", "lh5", 28, 192, 64, "award/awbm256-compressed.bin"},
    {"phoenix.bin", 0x240c, "Phoenix module", "L0", "LZINT", 25, 37, 23, "pcx/netpbm-4plane.pcx"},
    {"phoenix.bin", 0x2642, "Phoenix module", "L1", "LZSS", 6, 64, 24, "phoenix/pg-standard.pg"},
    {"phoenix.bin", 0x2742, "Phoenix module", "L2", "LZARI", 3, 128, 48, "award/awbm16.bin"},
    {"phoenix.bin", 0x10000, "raw", "PG", "none", 6, 48, 16, "phoenix/pg-own-palette.pg"},
    {"phoenix.bin", 0x19000, "Phoenix BCD6F1", "6000", "LZARI", 32, 40, 23, "bmp/magick-4bit.bmp"},
    {"intel.bi1", 0xc080, "Intel part", "TEXTLOGO", "none", 11, 80, 48, "intel/textlogo.bin"},
    {"archive.lzh", 0x0, "LHA archive", "logo.pg", "lh5", 6, 64, 24, "phoenix/pg-standard.pg"},
};

std::string rom_path(const std::string& name)
{
    return test_data_dir() + "/roms/" + name;
}

std::string shown(const std::string& stored)
{
    return stored.substr(0, stored.find('\0'));
}

// A level-1 Award member storing data (-lh0-), with its checksum and CRC as given.
Bytes award_member(const std::string& name, unsigned segment, const Bytes& data, int checksumDelta = 0,
                   unsigned crcDelta = 0, std::uint32_t claimedPacked = 0xFFFFFFFF)
{
    std::uint32_t crc = 0;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    ByteBuilder h;
    h.u8(static_cast<unsigned>(25 + name.size())).u8(0).text("-lh0-");
    h.u32(claimedPacked != 0xFFFFFFFF ? claimedPacked : static_cast<std::uint32_t>(data.size()));
    h.u32(static_cast<std::uint32_t>(data.size())).u16(0).u16(segment).u8(0x20).u8(1).u8(static_cast<unsigned>(name.size()));
    h.text(name).u16((crc + crcDelta) & 0xFFFF).u8(0x20).u16(0);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h.data()[i];
    h.put_u8(1, (sum + checksumDelta) & 0xFF);
    h.bytes(data);
    return h.data();
}

// The candidates of the image that the scan took for Award members.
std::vector<RomCandidate> award_members(const Bytes& image)
{
    std::vector<RomCandidate> members;
    for (RomCandidate& c : scan_rom_image(image))
        if (c.container == "Award LHA")
            members.push_back(std::move(c));
    return members;
}

void expect_same_picture(const Bytes& found, const std::string& plain)
{
    LoadResult a = load_bytes(found, "found.bin");
    LoadResult b = load_file(test_data_dir() + "/" + plain);
    ASSERT_TRUE(a.loaded && b.loaded);
    EXPECT_EQ(a.descriptor.width, b.descriptor.width);
    EXPECT_EQ(a.descriptor.height, b.descriptor.height);
    EXPECT_EQ(crc32_of(a.image), crc32_of(b.image));
}

// Runs "zarpo2-cli scan" with the arguments (shell words); its standard output.
std::string cli_scan(const std::string& args, int* status = nullptr)
{
    std::string text;
    int s = run_command("timeout 20 " + cli_path() + " scan " + args + " 2>/dev/null", &text);
    if (status)
        *status = s;
    return text;
}

}  // namespace

TEST(RomScan, SyntheticImagesGiveExactlyTheirPlantedLogos)
{
    for (const char* rom :
         {"award.bin", "ami.bin", "ami0700.bin", "ami0800.bin", "msi.bin", "phoenix.bin", "intel.bi1", "archive.lzh"}) {
        SCOPED_TRACE(rom);
        RomScanReport report = scan_rom(rom_path(rom));
        std::vector<const Planted*> expected;
        for (const Planted& p : PLANTED)
            if (std::string(p.rom) == rom)
                expected.push_back(&p);
        ASSERT_EQ(report.logos.size(), expected.size());
        std::size_t next = 0;
        for (const FoundLogo& f : report.logos) {
            const Planted& p = *expected[next++];
            SCOPED_TRACE(p.plain);
            EXPECT_EQ(f.offset, p.offset);
            EXPECT_EQ(f.container, p.container);
            EXPECT_EQ(shown(f.name), p.name);
            EXPECT_EQ(f.compression, p.compression);
            EXPECT_EQ(f.formatId, p.formatId);
            EXPECT_EQ(f.width, p.width);
            EXPECT_EQ(f.height, p.height);
            EXPECT_TRUE(f.notes.empty());
            expect_same_picture(f.bytes, p.plain);
            // An AMI module covers its header (0x14 bytes packed, 0x0C stored) and its data.
            if (f.container == "AMI module") {
                const Bytes image = read_file(rom_path(rom));
                bool stored = image[f.offset + 7] & 0x80;
                std::uint64_t data = stored ? rd_u16(image.data(), f.offset + 4) : rd_u32(image.data(), f.offset + 0x0C);
                EXPECT_EQ(f.length, (stored ? 0x0Cu : 0x14u) + data);
            }
        }
    }
}

// lhasa takes each Award member as a one-member archive: cut at every "-lh?-" hit, what
// lhasa lists and prints must be exactly our members (names, methods, bytes).
TEST(RomScan, AwardMembersMatchLhasa)
{
    if (!have_program("lhasa"))
        GTEST_SKIP() << "lhasa is not installed";
    const Bytes image = read_file(rom_path("award.bin"));
    const std::vector<RomCandidate> ours = award_members(image);
    std::set<std::uint64_t> listed;
    for (std::size_t x = 0; x + 7 < image.size(); ++x) {
        if (image[x + 2] != '-' || image[x + 3] != 'l' || image[x + 6] != '-')
            continue;
        std::string path = write_temp_file(Bytes(image.begin() + static_cast<std::ptrdiff_t>(x), image.end()), "cut.lzh");
        std::string listing, contents;
        if (run_command("lhasa v '" + path + "' 2>/dev/null | sed -n 3p", &listing) != 0 || listing.empty() ||
            listing[0] != '[')
            continue;
        run_command("lhasa pq '" + path + "'", &contents);
        auto it = std::find_if(ours.begin(), ours.end(), [&](const RomCandidate& c) { return c.offset == x; });
        ASSERT_NE(it, ours.end()) << "lhasa reads a member at " << x << " that the scan does not list";
        listed.insert(x);
        std::string name = shown(it->name);
        std::replace(name.begin(), name.end(), '\\', '/');
        EXPECT_NE(listing.find(" -" + it->compression + "- "), std::string::npos) << listing;
        EXPECT_EQ(listing.substr(listing.rfind(' ') + 1), name + "\n");
        EXPECT_EQ(Bytes(contents.begin(), contents.end()), it->bytes) << name;
    }
    EXPECT_EQ(listed.size(), ours.size());
    EXPECT_EQ(ours.size(), 9u);
}

// jlha's -lh5-, -lh6- and -lh7- members (level-2 headers) unpack through the kernel.
TEST(RomScan, PlainArchivesOfEachMethod)
{
    if (!have_program("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    const std::string bmp = write_temp_file(read_file(test_data_dir() + "/bmp/magick-8bit.bmp"), "a.bmp");
    const std::string dir = fs::path(bmp).parent_path();
    for (const char* method : {"5", "6", "7"}) {
        SCOPED_TRACE(method);
        ASSERT_EQ(run_command("cd '" + dir + "' && jlha aqo" + method + " m" + method + ".lzh a.bmp >/dev/null 2>&1"), 0);
        RomScanReport report = scan_rom(dir + "/m" + method + ".lzh");
        ASSERT_EQ(report.logos.size(), 1u);
        EXPECT_EQ(report.logos[0].compression, std::string("lh") + method);
        EXPECT_EQ(report.logos[0].container, "LHA archive");
        expect_same_picture(report.logos[0].bytes, "bmp/magick-8bit.bmp");
    }
}

// -lh7- members copy from up to 64 KiB back (jlha's copy from 40,000 bytes back unpacks);
// a stream that names a position class past its window's is not unpacked, and says why.
TEST(RomScan, Lh7WindowAndCopiesPastIt)
{
    if (have_program("jlha")) {
        Bytes data(40000);  // noise, then the same noise again: one copy from 40,000 bytes back
        std::uint32_t seed = 7;
        for (std::uint8_t& b : data) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        const Bytes noise = data;
        data.insert(data.end(), noise.begin(), noise.end());
        const std::string file = write_temp_file(data, "far.bin");
        const std::string dir = fs::path(file).parent_path();
        ASSERT_EQ(run_command("cd '" + dir + "' && jlha aqo7 far.lzh far.bin >/dev/null 2>&1"), 0);
        std::vector<RomCandidate> found = scan_rom_image(read_file(dir + "/far.lzh"));
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found[0].bytes, data);
        EXPECT_TRUE(found[0].notes.empty());
    }
    // One block of four literals 'A' whose position code (a 5-bit count of 18) gives a
    // length to class 17, past the 17 classes of a 64 KiB window.
    Lh5Writer stream;
    stream.bits(4, 16).single(0, NT_COUNT_BITS).single('A', NC_COUNT_BITS).bits(18, 5);
    for (unsigned k = 0; k < 18; ++k)
        stream.bits(k == 17 ? 1 : 0, 3);
    const Bytes packed = stream.bytes();
    RomScanState state(packed.size(), RomScanLimits{}, nullptr);
    RomBuffer buffer{packed, {}, 0, {}};
    RomUnpacked unpacked = state.unpack_lh(buffer, 0, packed, 4, 7);
    EXPECT_FALSE(unpacked.complete);
    EXPECT_EQ(unpacked.problem, "could not decompress: it copies from further back than the 64 KiB window of -lh7-");
}

TEST(RomScan, ChecksumMismatchesAreNotedOrRefused)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    struct Row {
        const char* what;
        int checksumDelta;
        unsigned crcDelta;
        bool listed;
        const char* note;
    } rows[] = {
        {"both right", 0, 0, true, nullptr},
        {"header checksum lies, data CRC right", 1, 0, true, "header checksum mismatch"},
        {"data CRC lies", 0, 1, true, "CRC-16 mismatch"},
        {"both lie: not a member", 1, 1, false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ByteBuilder rom;
        rom.fill(0x100, 0xFF).bytes(award_member("logo.pcx", 0x4000, pcx, row.checksumDelta, row.crcDelta)).fill(0x100, 0xFF);
        const std::vector<RomCandidate> found = award_members(rom.data());
        ASSERT_EQ(found.size(), row.listed ? 1u : 0u);
        if (!row.listed)
            continue;
        EXPECT_EQ(found[0].bytes, pcx);
        EXPECT_EQ(found[0].detail, "4000:0000");
        if (row.note)
            EXPECT_EQ(found[0].notes, std::vector<std::string>{row.note});
        else
            EXPECT_TRUE(found[0].notes.empty());
    }
}

// Hostile records end quickly, inside their buffers (run under the sanitizers).
TEST(RomScan, HostileContainersEndQuickly)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    auto ami = [](std::uint32_t prevLinear, std::uint32_t expanded) {
        ByteBuilder b;
        b.fill(0x1CFEA - 0x40, 0xFF);
        // One compressed module at 0x1CFAA whose Prev points at itself, or upward.
        b.u16(prevLinear & 0xF).u16(prevLinear >> 4).u16(8).u8(0x0E).u8(0).u32(0).u32(8).u32(expanded).fill(0x2C, 0);
        b.text("AMIBIOSC0627").u16(0).u32(0).u16(0xFFAA & 0xF).u16(0xFCFAA >> 4);
        b.pad_to(0x20000, 0xFF);
        return b.data();
    };
    auto phoenix = [](std::uint32_t previous, std::uint32_t expanded, std::uint32_t nextFragment) {
        ByteBuilder b;
        b.fill(0x1000, 0xFF);
        b.u32(previous).u8(0).u8(0x31).u8(0x31).u8(0).u8('L').u8(27).u8(5).u16(0).u16(0xF).u32(expanded).u32(16).u32(nextFragment);
        b.u32(expanded).fill(12, 0x55);
        // BCPSYS sends the chain walk to the module first.
        b.pad_to(0x1E000, 0xFF).text("BCPSEGMENT").text("BCPSYS").u8(0).u8(0).u16(0x80);
        b.pad_to(0x1E00A + 0x77, 0).u32(0xFFFE1000).pad_to(0x1E00A + 0x80, 0);
        b.pad_to(0x20000, 0xFF);
        return b.data();
    };
    ByteBuilder tiny;
    for (int i = 0; i < 10000; ++i)
        tiny.bytes(award_member("t", 0x4000, {static_cast<std::uint8_t>(i)})).u8(0);
    struct Row {
        const char* what;
        Bytes rom;
    } rows[] = {
        {"member size past the end", ByteBuilder().fill(16, 0xFF).bytes(award_member("x.bmp", 0x4000, pcx, 0, 0, 0x7FFFFFF0)).data()},
        {"member of 4 GiB unpacked", [&] { Bytes m = award_member("x", 0x4000, pcx); m[11] = m[12] = m[13] = m[14] = 0xFF; return m; }()},
        {"AMI chain pointing at itself", ami(0xFCFAA, 100)},
        {"AMI chain pointing upward", ami(0xFFFF0, 100)},
        {"AMI module of 4 GiB unpacked", ami(0xFFFFFFFF, 0xFFFFFFFF)},
        {"Phoenix chain pointing at itself", phoenix(0xFFFE1000, 100, 0)},
        {"Phoenix module of 4 GiB unpacked", phoenix(0, 0xFFFFFFFF, 0)},
        {"Phoenix fragment chain looping", phoenix(0, 100, 0xFFFE1000)},
        {"10,000 tiny members", tiny.data()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<RomCandidate> found = scan_rom_image(row.rom);
        EXPECT_LE(found.size(), RomScanLimits{}.maxCandidates);
        for (const RomCandidate& c : found)
            EXPECT_LE(c.bytes.size(), RomScanLimits{}.maxModuleSize);
        RomScanReport report = scan_rom_bytes(row.rom);
        EXPECT_LE(report.logos.size(), 1u);
    }
    // 10,000 candidates are past what the budget of a 340 KiB file pays for (and past the
    // candidate cap): the rest is not looked at, and the scan says so.
    RomScanReport report = scan_rom_bytes(tiny.data());
    EXPECT_TRUE(report.incomplete);
    EXPECT_TRUE(std::any_of(report.problems.begin(), report.problems.end(), [](const std::string& p) {
        return p.find(": work budget spent: this place and the rest of the scan not looked at") != std::string::npos ||
               p.find(": candidate cap of 4096 reached: this and the rest not looked at") != std::string::npos;
    }));
}

TEST(RomScanCommand, ListsExtractsAndWritesPngs)
{
    const std::string dir = test_temp_dir() + "/scan-out";
    int status = -1;
    std::string out =
        cli_scan("--extract '" + dir + "/x' --png '" + dir + "/p' '" + rom_path("award.bin") + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
    EXPECT_NE(out.find("0x000056b9 Award LHA \"LOGO.BMP\" (4000:0000), lh5: [32]"), std::string::npos) << out;
    for (const auto& e : fs::directory_iterator(dir + "/x")) {  // each extracted file is a logo
        std::string identified;
        EXPECT_EQ(run_command(cli_path() + " identify '" + e.path().string() + "'", &identified), 0) << identified;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/x"), {}), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/p"), {}), 3);
    EXPECT_TRUE(fs::exists(dir + "/x/award_bin-000056b9-LOGO_BMP.bin"));
    EXPECT_TRUE(fs::exists(dir + "/p/award_bin-00005e0e-dbios_bmp.png"));
}

// Scan records are written as identify's are (every kind of name is tried in
// cli_batch_test): here the names that are not UTF-8 get their exact bytes in "fileHex"
// and "nameHex", and a member name ends at its first NUL.
TEST(RomScanCommand, JsonKeepsTheExactNames)
{
    const std::string fffd = "\xEF\xBF\xBD";
    const std::string path = write_temp_file(read_file(rom_path("msi.bin")), "rom-\xff\xe2\x88-\"q\".bin");
    std::string out = cli_scan("--json '" + path + "'");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_NE(out.find("rom-" + fffd + fffd + fffd + "-\\\"q\\\".bin\", \"fileHex\": \""), std::string::npos) << out;
    EXPECT_NE(out.find("ffe2882d2271222e62696e\", \"offset\": 0, \"hexOffset\": \"0x00000000\", "), std::string::npos)
        << out;
    EXPECT_EQ(out.find("offsetHex"), std::string::npos) << "only the twins of strings end in Hex";
    EXPECT_NE(out.find("\"container\": \"MSI PCX slot\", \"name\": \"slot 1\", \"detail\""), std::string::npos) << out;

    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    ByteBuilder image;
    image.fill(0x40, 0xFF).bytes(award_member("caf\xE9\x01.bmp", 0x4000, pcx)).u8(0);
    image.bytes(award_member(std::string("n:\\\xFF\0junk", 9), 0x4000, pcx)).u8(0);
    out = cli_scan("--json '" + write_temp_file(image.data(), "members.bin") + "'");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("\"name\": \"caf" + fffd + "\\u0001.bmp\", \"nameHex\": \"636166e9012e626d70\""),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"name\": \"n:\\\\" + fffd + "\", \"nameHex\": \"6e3a5cff\""), std::string::npos) << out;
    EXPECT_EQ(out.find("fileHex"), std::string::npos) << out;
}

// Member names with DOS paths, NUL junk or nothing make names inside the folder, all
// apart; an input in the folder under an output's name is not replaced.
TEST(RomScanCommand, OutputNamesStayInsideTheFolderAndApart)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    Bytes two(64, 0x90);
    two.insert(two.end(), pcx.begin(), pcx.end());
    two.insert(two.end(), 32, 0x90);
    two.insert(two.end(), pcx.begin(), pcx.end());
    two.back() ^= 0x01;  // a second picture, not a duplicate
    ByteBuilder rom;
    rom.fill(0x40, 0xFF);
    rom.bytes(award_member("n:\\bios\\..\\..\\x", 0x4000, pcx)).u8(0);
    rom.bytes(award_member(std::string("a\0/../../junk", 13), 0x4000, pcx)).u8(0);
    rom.bytes(award_member("", 0x4000, pcx)).u8(0);
    rom.bytes(award_member("..", 0x4000, pcx)).u8(0);
    rom.bytes(award_member("two.bin", 0x4001, two)).u8(0);
    const std::string dir = test_temp_dir() + "/names/out";
    fs::create_directories(dir);
    const std::string input = dir + "/r_bin-00000040-x.bin";  // what the first output would be called
    {
        std::string p = write_temp_file(rom.data(), "r.bin");
        fs::copy_file(p, input);
    }
    // The input under its own name "r.bin" elsewhere, and the copy in the folder.
    const std::string other = write_temp_file(rom.data(), "r.bin");
    int status = -1;
    std::string out = cli_scan("--extract '" + dir + "' -- '" + other + "' '" + input + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(input), rom.data());
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(fs::path(dir).parent_path())) {
        if (e.path() == fs::path(dir))
            continue;
        EXPECT_EQ(e.path().parent_path(), fs::path(dir)) << e.path();
        names.insert(e.path().filename().string());
    }
    // Two inputs of six logos each, and the input itself.
    EXPECT_EQ(names.size(), 13u) << out;
    for (const char* name : {"r_bin-00000040-x-2.bin", "r_bin-00000336-a.bin", "r_bin-0000062a-Award_LHA.bin",
                             "r_bin-00000911-Award_LHA.bin", "r_bin-00000bfa-PCX.bin", "r_bin-00000bfa-PCX-2.bin",
                             "r_bin-00000040-x_bin-00000040-x.bin"})
        EXPECT_TRUE(names.count(name)) << name << "\n" << out;
}

// The names the viewer and the command give a found logo: one path component with no dot,
// so the PNG base keeps all of it, in the ROM's folder; and the place shown in text lines.
TEST(RomScan, FoundLogoNamesAndPlaces)
{
    struct Row {
        const char* rom;
        std::uint64_t offset;
        const char* container;
        std::string name;
        const char* detail;
        const char* stem;
        std::string place;
    } rows[] = {
        {"/fw/award.bin", 0x5d3e, "Award LHA", "AWARDEPA.BIN", "4002:0000", "/fw/award_bin-00005d3e-AWARDEPA_BIN",
         "Award LHA \"AWARDEPA.BIN\" (4002:0000)"},
        {"r.v2.bin", 0x40, "Award LHA", "n:\\bios\\logo.bmp", "", "r_v2_bin-00000040-logo_bmp",
         "Award LHA \"n:\\x5cbios\\x5clogo.bmp\""},
        {"/a.b/c d..rom", 0x1c8a0, "raw", std::string("a\0/../junk", 11), "", "/a.b/c_d_rom-0001c8a0-a", "raw \"a\""},
        {"/x/m.bin", 0x8000, "MSI PCX slot", "", "", "/x/m_bin-00008000-MSI_PCX_slot", "MSI PCX slot \"\""},
        {"/x/m.bin", 0, "AMI module", "\xff\xe2\"", "flags 00", "/x/m_bin-00000000-AMI_module",
         "AMI module \"\\xff\\xe2\\x22\" (flags 00)"},
        {"/x/m.bin", 0x100000000ull, "LHA archive", std::string(60, 'x'), "",
         "/x/m_bin-100000000-xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", "LHA archive \"" + std::string(60, 'x') + "\""},
    };
    for (const Row& row : rows) {
        FoundLogo logo;
        logo.offset = row.offset;
        logo.container = row.container;
        logo.name = row.name;
        logo.detail = row.detail;
        const std::string stem = found_logo_stem(row.rom, logo);
        EXPECT_EQ(stem, row.stem) << row.rom;
        EXPECT_EQ(found_logo_name(row.rom, logo), fs::path(stem).filename().string()) << row.rom;
        EXPECT_EQ(png_base_name(stem), stem) << row.rom;
        EXPECT_EQ(found_logo_place(logo), row.place) << row.rom;
    }
}

// A folder or a FIFO is refused without waiting on it, and the scan goes on; a failed
// write to standard output fails the run.
TEST(RomScanCommand, ExitStatuses)
{
    const std::string noise = write_temp_file(Bytes(4096, 0x5A), "noise.bin");
    const std::string fifo = test_temp_dir() + "/scan-fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string intel = "'" + rom_path("intel.bi1") + "'";
    struct Row {
        std::string args;
        int status;
    } rows[] = {
        {intel, 0},
        {"'" + noise + "'", 1},
        {"'" + noise + "' " + intel, 0},
        {"'" + test_temp_dir() + "/missing.bin'", 1},
        {"", 2},
        {"--bogus '" + noise + "'", 2},
        {"--extract", 2},
        {"--extract ''", 2},
        {"'" + fifo + "' '" + test_temp_dir() + "' " + intel, 1},
        {"'" + fifo + "'", 1},
        {intel + " > /dev/full", 1},
        {"--json " + intel + " > /dev/full", 1},
    };
    for (const Row& row : rows) {
        int status = -1;
        cli_scan(row.args, &status);
        EXPECT_EQ(status, row.status) << row.args;
    }
}

// A member name that holds control bytes reaches standard error escaped, in the problem
// lines as in the records: it can neither clear the screen nor start a line of its own.
TEST(RomScanCommand, ProblemLinesEscapeMemberNames)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    ByteBuilder image;
    image.fill(0x40, 0xFF).bytes(award_member("\x1b[2J\nzarpo2-cli: all good\x9b", 0x4000, pcx, 1, 1)).u8(0);
    const std::string rom = write_temp_file(image.data(), "forged.bin");
    std::string err;
    run_command("timeout 20 " + cli_path() + " scan '" + rom + "' 2>&1 >/dev/null", &err);
    EXPECT_EQ(err, "zarpo2-cli: " + rom +
                       ": 0x00000040 Award LHA \"\\x1b[2J\\x0azarpo2-cli: all good\\x9b\" (4000:0000): header checksum and CRC-16 mismatch: not taken as a member\n");
    ByteBuilder good;
    good.fill(0x40, 0xFF).bytes(award_member("\x1b[2J\nzarpo2-cli: all good\x9b", 0x4000, pcx)).u8(0);
    const std::string out = cli_scan("'" + write_temp_file(good.data(), "forged-good.bin") + "'");
    EXPECT_NE(out.find("Award LHA \"\\x1b[2J\\x0azarpo2-cli: all good\\x9b\""), std::string::npos) << out;
}

namespace {

// An LHA member of level 0 (extra header bytes after the CRC) or level 1 (one extended
// header of 261 bytes): both end their summed header on a byte that is not 0.
Bytes lha_member(unsigned level, const std::string& name, const Bytes& data)
{
    std::uint32_t crc = crc16_arc(data);
    ByteBuilder h;
    h.u8(0).u8(0).text("-lh0-");
    const std::size_t extension = 261;
    h.u32(static_cast<std::uint32_t>(data.size() + (level == 1 ? extension : 0))).u32(static_cast<std::uint32_t>(data.size()));
    h.u32(0x12345678).u8(0x20).u8(level).u8(static_cast<unsigned>(name.size())).text(name).u16(crc);
    if (level == 0)
        h.u8(0x5A).u8(0xA5);  // extension bytes of level 0
    else
        h.u8('U').u16(extension);
    h.put_u8(0, static_cast<unsigned>(h.size() - 2));
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h.data()[i];
    h.put_u8(1, sum & 0xFF);
    if (level == 1)
        h.u8(0x3F).fill(extension - 3, 0x11).u16(0);
    return h.bytes(data).data();
}

// A standard PG picture of one colour (every plane bit 0).
Bytes blank_pg(unsigned width, unsigned height)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(0).fill(6, 0).u16(width).u16(height).fill(4, 0);
    return b.fill(4 * height * ((width + 7) / 8), 0).data();
}

// A 4-bit ICON of one colour: it draws through an external palette, black without one.
Bytes blank_icon(unsigned width, unsigned height)
{
    ByteBuilder b;
    b.text("ICON").u8(4).u16(width).u16(height).fill(10, 0);
    for (unsigned i = 0; i < 16; ++i)
        b.u8(i);
    return b.fill((width + 1) / 2 * height, 0).data();
}

// A stored Phoenix module of the type letter, at 0x1000 of a 64 KiB image of code.
Bytes phoenix_module_rom(char type, const Bytes& data)
{
    ByteBuilder m;
    m.u32(0).u8(0).u8(0x31).u8(0x31).u8(0).u8(static_cast<unsigned>(type)).u8(27).u8(0).u16(0).u16(0xF);
    m.u32(static_cast<std::uint32_t>(data.size())).u32(static_cast<std::uint32_t>(data.size())).u32(0).bytes(data);
    Bytes rom = hostile_roms::code(0x10000, 4);
    std::copy(m.data().begin(), m.data().end(), rom.begin() + 0x1000);
    return rom;
}

std::vector<std::string> notes_of(const RomScanReport& report)
{
    std::vector<std::string> notes;
    for (const FoundLogo& logo : report.logos)
        notes.insert(notes.end(), logo.notes.begin(), logo.notes.end());
    return notes;
}

std::string cli_scan_all(const std::string& args, int* status)
{
    std::string text;
    *status = run_command("timeout 60 " + cli_path() + " scan " + args + " 2>&1", &text);
    return text;
}

}  // namespace

// Level 0 and level 1 headers whose summed bytes end on a non-zero byte: the 8-bit sum
// over all H of them, no note.
TEST(RomScan, LhaLevelsZeroAndOneSumTheirWholeHeader)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    for (unsigned level : {0u, 1u}) {
        SCOPED_TRACE(level);
        ByteBuilder rom;
        rom.fill(0x40, 0xFF).bytes(lha_member(level, "logo.pcx", pcx)).fill(0x40, 0xFF);
        std::vector<RomCandidate> found;
        for (RomCandidate& c : scan_rom_image(rom.data()))
            if (c.container == "LHA archive")
                found.push_back(std::move(c));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].bytes, pcx);
        EXPECT_TRUE(found[0].notes.empty()) << found[0].notes.front();
        EXPECT_EQ(found[0].offset, 0x40u);
    }
}

// Every offset a pattern starts at, overlapping ones too: the search steps one byte on.
TEST(RomScan, SignatureSearchStepsOneByte)
{
    const std::tuple<std::string, std::string, std::vector<std::uint64_t>> rows[] = {
        {"--lh5-", "-l", {1}}, {"0111", "11", {1, 2}}, {"AAAA", "AA", {0, 1, 2}}, {"BBM", "BM", {1}},
        {"PPG", "PG", {1}}, {"$OS$OSB", "$OSB", {3}}, {"xyz", "xyzw", {}},
    };
    for (const auto& [text, pattern, hits] : rows) {
        Bytes bytes(text.begin(), text.end());
        EXPECT_EQ(rom_find_all(bytes, pattern.data(), pattern.size()), hits) << text;
    }
}

// A slot its container names a logo slot is listed even when its picture is one colour;
// the same bytes elsewhere are not. A logo followed by padding is a logo.
TEST(RomScan, NamedSlotsBlankPicturesAndPadding)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    Bytes padded = pcx;
    padded.resize(pcx.size() * 4, 0x00);
    auto award = [](unsigned segment, const Bytes& data) {
        return ByteBuilder().fill(0x40, 0xFF).bytes(award_member("slot.bin", segment, data)).fill(0x40, 0xFF).data();
    };
    struct Row {
        const char* what;
        Bytes rom;
        std::size_t logos;
        std::vector<std::string> notes;
    } rows[] = {
        {"blank PG in a Phoenix 'L' module", phoenix_module_rom('L', blank_pg(64, 16)), 1, {"blank picture"}},
        {"blank PG in a Phoenix 'U' module", phoenix_module_rom('U', blank_pg(64, 16)), 1, {"blank picture"}},
        {"blank PG in a Phoenix 'B' module", phoenix_module_rom('B', blank_pg(64, 16)), 0, {}},
        {"blank ICON in an Award 0x4002 member", award(0x4002, blank_icon(32, 16)), 1, {"blank picture"}},
        {"blank ICON in an Award 0x4001 member", award(0x4001, blank_icon(32, 16)), 0, {}},
        {"PCX and three times its size of padding", award(0x4000, padded), 1, {}},
        {"PCX and padding in an unnamed member", award(0x4001, padded), 1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RomScanReport report = scan_rom_bytes(row.rom);
        EXPECT_EQ(report.logos.size(), row.logos);
        EXPECT_EQ(notes_of(report), row.notes);
    }
}

// The BCPSYS pointer says where a 128 KiB Phoenix image ends inside a 256 KiB file: the
// fragment pointers of its modules map through it. Mapped against the file's end, the
// second fragment would be read from the upper half.
TEST(RomScan, PhoenixFragmentsMapThroughTheImageEnd)
{
    const Bytes pg = read_file(test_data_dir() + "/phoenix/pg-standard.pg");
    const std::size_t half = pg.size() / 2;
    ByteBuilder rom;
    rom.fill(0x4000, 0xFF);
    rom.u32(0).u8(0).u8(0x31).u8(0x31).u8(0).u8('L').u8(27).u8(0).u16(0).u16(0xF);
    rom.u32(static_cast<std::uint32_t>(pg.size())).u32(static_cast<std::uint32_t>(half)).u32(0xFFFE8000);
    rom.bytes(Bytes(pg.begin(), pg.begin() + static_cast<std::ptrdiff_t>(half)));
    rom.pad_to(0x8000, 0xFF).u32(0).u8(0).u32(static_cast<std::uint32_t>(pg.size() - half));
    rom.bytes(Bytes(pg.begin() + static_cast<std::ptrdiff_t>(half), pg.end()));
    rom.pad_to(0x1E000, 0xFF).text("BCPSEGMENT").text("BCPSYS").u8(0).u8(0).u16(0x80);
    rom.pad_to(0x1E00A + 0x77, 0).u32(0xFFFE4000).pad_to(0x1E00A + 0x80, 0);
    rom.pad_to(0x40000, 0xFF);
    RomScanReport report = scan_rom_bytes(rom.data());
    ASSERT_EQ(report.logos.size(), 1u);
    EXPECT_EQ(report.logos[0].offset, 0x4000u);
    EXPECT_EQ(report.logos[0].bytes, pg);
}

// Raw composites before and after a member: each measured to its real end, each listed
// once, and the member between them too.
TEST(RomScan, RawCompositesBesideMembersKeepTheirEnds)
{
    const Bytes osbPcx = read_file(test_data_dir() + "/containers/osb-pcx.bin");
    const Bytes osbBmp = read_file(test_data_dir() + "/containers/osb-bmp.bin");
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-8bit.pcx");
    ByteBuilder rom;
    rom.bytes(hostile_roms::code(0x1000, 6)).bytes(osbPcx).bytes(award_member("logo.pcx", 0x4000, pcx)).u8(0);
    rom.bytes(osbBmp).bytes(hostile_roms::code(0x1000, 7));
    RomScanReport report = scan_rom_bytes(rom.data());
    ASSERT_EQ(report.logos.size(), 3u);
    EXPECT_EQ(report.logos[0].offset, 0x1000u);
    EXPECT_EQ(report.logos[0].bytes, osbPcx);
    EXPECT_EQ(report.logos[1].container, "Award LHA");
    EXPECT_EQ(report.logos[2].bytes, osbBmp);
}

// What the scan drops it says: a member past the end, one over the size cap.
TEST(RomScan, DropsAreExplained)
{
    const Bytes pcx = read_file(test_data_dir() + "/pcx/netpbm-4plane.pcx");
    Bytes huge = award_member("x.bmp", 0x4000, pcx);
    huge[11] = huge[12] = huge[13] = huge[14] = 0xFF;  // original size of 4 GiB, under a right checksum
    huge[1] = static_cast<std::uint8_t>(huge[1] + 4 * 0xFF - pcx.size() % 256 - (pcx.size() >> 8) % 256 -
                                        (pcx.size() >> 16) % 256 - (pcx.size() >> 24));
    struct Row {
        const char* what;
        Bytes rom;
        const char* reason;
    } rows[] = {
        {"past the end", ByteBuilder().fill(16, 0xFF).bytes(award_member("x.bmp", 0x4000, pcx, 0, 0, 0x7FFFFFF0)).data(),
         "runs past the end"},
        {"over the cap", ByteBuilder().fill(16, 0xFF).bytes(huge).data(), "is over the cap"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RomScanReport report = scan_rom_bytes(row.rom);
        ASSERT_EQ(report.skipped.size(), 1u);
        EXPECT_NE(report.skipped[0].reason.find(row.reason), std::string::npos) << report.skipped[0].reason;
        EXPECT_EQ(report.skipped[0].offset, 16u);
        EXPECT_NE(report.problems.at(0).find("0x00000010 Award LHA \"x.bmp\" (4000:0000): "), std::string::npos)
            << report.problems.at(0);
    }
}

// The hostile shapes end inside the budget (run under the sanitizers too): nothing listed,
// and where the budget ran out the report says so.
TEST(RomScan, HostileShapesStayInTheirBudget)
{
    constexpr std::size_t SIZE = 512 * 1024;
    const std::tuple<const char*, Bytes, bool> rows[] = {
        {"LHA extension chains", hostile_roms::lha_chains(SIZE, 500), false},
        {"PCX header flood", hostile_roms::pcx_flood(SIZE), true},
        {"Phoenix fragment claims", hostile_roms::phoenix_claims(SIZE), true},
        {"$OSB flood", hostile_roms::osb_flood(SIZE), false},
        {"random bytes", hostile_roms::random(SIZE), false},
        {"code", hostile_roms::code(SIZE), false},
    };
    for (const auto& [what, rom, spent] : rows) {
        SCOPED_TRACE(what);
        RomScanReport report = scan_rom_bytes(rom);
        EXPECT_TRUE(report.logos.empty());
        EXPECT_EQ(report.incomplete, spent);
        EXPECT_LE(report.skipped.size(), RomScanLimits{}.maxSkipped);
    }
}

// A spent budget and a file too large: said on standard error and in JSON, and the run fails.
TEST(RomScanCommand, IncompleteScansFail)
{
    const std::string flood = write_temp_file(hostile_roms::pcx_flood(2u << 20), "flood.bin");
    int status = -1;
    std::string out = cli_scan_all("--json '" + flood + "'", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("zarpo2-cli: " + flood + ": 0x"), std::string::npos) << out;
    EXPECT_NE(out.find(": work budget spent: this place and the rest of the scan not looked at"), std::string::npos) << out;
    EXPECT_NE(out.find("{\"file\": \"" + flood + "\", \"skipped\": \"work budget spent"), std::string::npos) << out;

    const std::string large = test_temp_dir() + "/large.bin";
    ASSERT_EQ(run_command("truncate -s 67108865 '" + large + "'"), 0);
    out = cli_scan_all("'" + large + "'", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "zarpo2-cli: " + large + ": larger than 64 MiB: not scanned\n");
}
