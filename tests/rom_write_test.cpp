// Writing a new logo into whole ROM images: every planted logo of the synthetic images
// replaced by a picture of the same size, a smaller and a larger one, each result checked
// by the verification and by independent oracles (lhasa on every Award member, the A/B and
// dword-sum rules recomputed here); too-large logos refused with the right shortfall;
// negative controls (a flipped byte, an A that did not hold); hostile runs.
#include <gtest/gtest.h>

#include "romwrite/rom_write.h"
#include "support/rom_write_support.h"

namespace {

std::string rom_path(const std::string& name)
{
    return test_data_dir() + "/roms/" + name;
}

std::string with_commas(std::uint64_t v)
{
    std::string s = std::to_string(v);
    for (int at = static_cast<int>(s.size()) - 3; at > 0; at -= 3)
        s.insert(static_cast<std::size_t>(at), ",");
    return s;
}

unsigned sum8_of(const Bytes& b, std::size_t from, std::size_t to)
{
    unsigned s = 0;
    for (std::size_t i = from; i < to; ++i)
        s += b[i];
    return s & 0xFF;
}

// The Award members of an image, by a plain walk of the scan's candidates.
std::vector<std::uint64_t> award_members(const Bytes& image)
{
    std::vector<std::uint64_t> at;
    for (const RomCandidate& c : scan_rom_image(image))
        if (c.container == "Award LHA")
            at.push_back(c.offset);
    return at;
}

struct AwardCase {
    const char* rom;
    const char* name;  // the member replaced
    Bytes logo;
    const char* what;
};

std::vector<AwardCase> award_cases()
{
    return {
        {"award-sums.bin", "AWARDEPA.BIN", epa_logo(17, 6, 3), "EPA, same size"},
        {"award-sums.bin", "AWARDEPA.BIN", epa_logo(17, 2, 4), "EPA, smaller"},
        {"award-sums.bin", "AWARDEPA.BIN", epa_logo(17, 9, 5), "EPA, larger"},
        {"award-sums.bin", "LOGO.BMP", awbm16_logo(128, 48, 6), "AWBM 0x4000, same size"},
        {"award-sums.bin", "LOGO.BMP", awbm16_logo(16, 8, 7), "AWBM 0x4000, smaller"},
        {"award-sums.bin", "LOGO.BMP", awbm16_logo(320, 200, 8, true), "AWBM 0x4000, larger, noisy"},
        {"award-sums.bin", "dbios.bmp", awbm16_logo(136, 42, 9), "AWBM 0x4011, larger"},
        {"award-sums.bin", "dbios.bmp", awbm16_logo(32, 12, 10), "AWBM 0x4011, smaller"},
        {"award.bin", "AWARDEPA.BIN", epa_logo(17, 9, 11), "EPA in an image whose A does not hold"},
    };
}

TEST(RomWriteAward, EveryPlantedLogoIsReplacedAndVerified)
{
    if (!have_program("lhasa"))
        GTEST_SKIP() << "needs lhasa";
    for (const AwardCase& c : award_cases()) {
        SCOPED_TRACE(std::string(c.rom) + ": " + c.what);
        Bytes image = read_file(rom_path(c.rom));
        FoundLogo target;
        ASSERT_TRUE(find_logo(image, "Award LHA", c.name, target));
        RomReplacement r = replace_rom_logo(image, target, c.logo, test_packers());
        ASSERT_TRUE(r.write.ok) << r.write.refusal;
        for (const std::string& failure : r.verification.failures)
            ADD_FAILURE() << failure;
        ASSERT_TRUE(r.ok());
        const Bytes& out = r.write.image;
        ASSERT_EQ(out.size(), image.size());
        // lhasa, an independent reader, tests every member of the new image.
        std::vector<std::uint64_t> members = award_members(out);
        EXPECT_EQ(members.size(), award_members(image).size());
        for (std::uint64_t at : members)
            EXPECT_TRUE(lhasa_tests_member(out, at)) << "member at " << at;
        // B = sum of D's page below it; A = sum of the image below it, where it held.
        std::size_t d = std::string(out.begin(), out.end()).rfind("= Award Decompression Bios =");
        std::size_t a = (d | 0xFFF) - 1, b = d | 0xFFF;
        EXPECT_EQ(out[b], sum8_of(out, d, b));
        bool aHeld = image[a] == sum8_of(image, 0, a);
        EXPECT_EQ(aHeld, std::string(c.rom) == "award-sums.bin");
        EXPECT_EQ(r.write.report.awardByteAHeld, aHeld);
        EXPECT_EQ(out[a], aHeld ? sum8_of(out, 0, a) : image[a]);
        // The boot block and everything from D on apart from A and B stay as they were.
        for (std::size_t i = d; i < out.size(); ++i) {
            if (i != a && i != b) {
                ASSERT_EQ(out[i], image[i]) << "byte " << i;
            }
        }
    }
}

TEST(RomWriteAward, TooLargeIsRefusedWithTheShortfall)
{
    Bytes image = read_file(rom_path("award-sums.bin"));
    FoundLogo target;
    ASSERT_TRUE(find_logo(image, "Award LHA", "AWARDEPA.BIN", target));
    Bytes logo = awbm16_logo(640, 480, 12, true);
    Bytes packed = test_packers().lh5(logo);
    ASSERT_FALSE(packed.empty());
    // Room = first non-FF after the run - member start - the members after it with their
    // 0x00s - its own 0x00 - its header (H + 2).
    std::uint64_t runEnd = 0;
    for (const RomCandidate& c : scan_rom_image(image))
        if (c.container == "Award LHA" && c.offset < 0x10000)
            runEnd = std::max<std::uint64_t>(runEnd, c.offset + c.length + 1);
    std::uint64_t limit = runEnd;
    while (image[limit] == 0xFF)
        ++limit;
    std::uint64_t header = image[target.offset] + 2;
    std::uint64_t followers = runEnd - (target.offset + target.length + 1);
    std::uint64_t room = limit - target.offset - followers - 1 - header;
    ASSERT_GT(packed.size(), room);
    RomReplacement r = replace_rom_logo(image, target, logo, test_packers());
    ASSERT_FALSE(r.write.ok);
    EXPECT_TRUE(r.write.image.empty());
    EXPECT_NE(r.write.refusal.find(with_commas(packed.size() - room) + " bytes short"), std::string::npos)
        << r.write.refusal;
    EXPECT_NE(r.write.refusal.find("no dithering"), std::string::npos);
}

TEST(RomWriteAward, VerificationCatchesAFlippedByte)
{
    Bytes image = read_file(rom_path("award-sums.bin"));
    FoundLogo target;
    ASSERT_TRUE(find_logo(image, "Award LHA", "LOGO.BMP", target));
    Bytes logo = awbm16_logo(128, 48, 13);
    RomWriteResult w = write_logo_into_rom(image, target, logo, test_packers());
    ASSERT_TRUE(w.ok) << w.refusal;
    ASSERT_TRUE(verify_rom_write(image, w.image, target, logo, w.report).ok);
    struct Flip {
        std::uint64_t at;
        const char* what;
    };
    std::uint64_t data = target.offset + w.image[target.offset] + 2;
    const Flip flips[] = {
        {data + 10, "a packed byte of the written member"},
        {target.offset + 9, "its skip size"},
        {w.report.awardByteB, "byte B"},
        {w.report.awardByteA, "byte A"},
        {0x1E010, "a boot block byte"},
        {w.image.size() - 1, "the last byte"},
    };
    for (const Flip& f : flips) {
        SCOPED_TRACE(f.what);
        Bytes bad = w.image;
        bad[f.at] ^= 0x01;
        EXPECT_FALSE(verify_rom_write(image, bad, target, logo, w.report).ok);
    }
}

// Images whose run does not hold together: refused with a reason, nothing written.
TEST(RomWriteAward, HostileRunsAreRefused)
{
    Bytes image = read_file(rom_path("award-sums.bin"));
    FoundLogo target;
    ASSERT_TRUE(find_logo(image, "Award LHA", "AWARDEPA.BIN", target));
    std::uint64_t next = target.offset + target.length + 1;  // the member after it
    struct Damage {
        const char* what;
        std::uint64_t at;
        std::uint8_t value;
        const char* reason;
    };
    const Damage damages[] = {
        {"the separator after the logo is not 0x00", next - 1, 0x5A, "is not followed by 0x00"},
        {"the next member's header sum fails", next + 1, static_cast<std::uint8_t>(image[next + 1] + 1),
         "no valid member at"},
        {"the next member's skip size runs past the image", next + 10, 0x7F, "no valid member at"},
        {"the decompression block is gone", 0x1B000, 'x', "Decompression Bios"},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        Bytes bad = image;
        bad[d.at] = d.value;
        RomWriteResult w = write_logo_into_rom(bad, target, epa_logo(17, 2, 14), test_packers());
        EXPECT_FALSE(w.ok);
        EXPECT_TRUE(w.image.empty());
        EXPECT_NE(w.refusal.find(d.reason), std::string::npos) << w.refusal;
    }
    // The system BIOS member is never rewritten.
    FoundLogo system = target;
    system.offset = 0;
    system.name = "AWDBIOS.BIN";
    RomWriteResult w = write_logo_into_rom(image, system, epa_logo(17, 2, 14), test_packers());
    EXPECT_FALSE(w.ok);
    EXPECT_NE(w.refusal.find("system BIOS"), std::string::npos) << w.refusal;
}

}  // namespace

namespace {

// The AMIBIOSC dword rule recomputed: the u32 words of the L x 8 bytes below the header's end sum to 0.
bool ami_sum_holds(const Bytes& image)
{
    std::size_t header = std::string(image.begin(), image.end()).find("AMIBIOSC0627");
    if (header == std::string::npos)
        return false;
    std::size_t end = header + 22, length = std::size_t{rd_u16(image.data() + header, 12)} * 8;
    std::uint32_t sum = 0;
    for (std::size_t at = end - length; at < end; at += 4)
        sum += rd_u32(image.data() + at, 0);
    return sum == 0;
}

struct FamilyCase {
    const char* rom;
    unsigned logo;  // 1-based, as scan lists them
    unsigned width, height;
    bool noisy;
    const char* refusal;  // empty: written and verified
};

const FamilyCase FAMILY_CASES[] = {
    {"ami.bin", 1, 40, 12, false, ""},                      // GRFX in a bare lh5 module, same size
    {"ami.bin", 1, 16, 6, false, ""},                       //   smaller: the modules below move up
    {"ami.bin", 1, 200, 120, true, ""},                     //   larger: they move down
    {"ami.bin", 1, 640, 480, true, "bytes short"},          //   past the free space below the chain
    {"ami.bin", 2, 48, 16, true, ""},                       // PG in a stored module
    {"ami.bin", 2, 16, 8, false, ""},
    {"ami.bin", 3, 37, 23, false, ""},                      // the PCX inside an option-ROM module, in place
    {"ami.bin", 3, 37, 23, true, "not larger"},
    {"msi.bin", 1, 37, 23, false, ""},                      // 8-bit PCX slot
    {"msi.bin", 1, 37, 23, true, ""},
    {"msi.bin", 2, 37, 23, true, ""},                       // 4-bit PCX slot
    {"msi.bin", 2, 30, 20, false, "kind the slot holds"},
    {"msi.bin", 3, 192, 64, false, ""},                     // compressed AWBM256 in a module above the slots
    {"msi.bin", 3, 192, 64, true, "bytes short"},
    {"phoenix.bin", 1, 37, 23, false, ""},                  // LZINT
    {"phoenix.bin", 2, 64, 24, false, ""},                  // LZSS
    {"phoenix.bin", 3, 64, 24, false, ""},                  // LZARI
    {"phoenix.bin", 3, 128, 48, true, "only in place"},
    {"phoenix.bin", 4, 48, 16, false, "are not written"},   // a raw PG outside every structure
};

TEST(RomWriteFamilies, PlantedLogosAreReplacedOrRefused)
{
    for (const FamilyCase& c : FAMILY_CASES) {
        SCOPED_TRACE(std::string(c.rom) + " logo " + std::to_string(c.logo) + " " + std::to_string(c.width) + "x" +
                     std::to_string(c.height) + (c.noisy ? " noisy" : ""));
        Bytes image = read_file(rom_path(c.rom));
        RomScanReport scanned = scan_rom_bytes(image);
        ASSERT_GE(scanned.logos.size(), c.logo);
        const FoundLogo& slot = scanned.logos[c.logo - 1];
        Bytes logo = slot_logo(image, slot, c.width, c.height, c.logo, c.noisy);
        ASSERT_FALSE(logo.empty());
        RomReplacement r = replace_rom_logo(image, slot, logo, test_packers());
        if (*c.refusal) {
            EXPECT_FALSE(r.write.ok);
            EXPECT_TRUE(r.write.image.empty());
            EXPECT_NE(r.write.refusal.find(c.refusal), std::string::npos) << r.write.refusal;
            continue;
        }
        ASSERT_TRUE(r.write.ok) << r.write.refusal;
        for (const std::string& failure : r.verification.failures)
            ADD_FAILURE() << failure;
        EXPECT_EQ(r.write.image.size(), image.size());
        EXPECT_EQ(scan_rom_bytes(r.write.image).logos.size(), scanned.logos.size());
        if (slot.container == "AMI module") {
            EXPECT_TRUE(ami_sum_holds(r.write.image));
        }
        bool phoenix = std::string(c.rom) == "phoenix.bin";
        bool warned = std::find(r.write.report.notices.begin(), r.write.report.notices.end(),
                                std::string(PHOENIX_UNVERIFIED)) != r.write.report.notices.end();
        EXPECT_EQ(warned, phoenix);
    }
}

// An AMI chain that does not hold together (a loop, a pointer out of the image, a module
// that does not end where the one above begins) is refused, never followed.
TEST(RomWriteFamilies, HostileAmiChainsAreRefused)
{
    Bytes image = read_file(rom_path("ami.bin"));
    RomScanReport scanned = scan_rom_bytes(image);
    ASSERT_FALSE(scanned.logos.empty());
    const FoundLogo& slot = scanned.logos.front();
    Bytes logo = slot_logo(image, slot, 40, 12, 1, false);
    std::size_t header = std::string(image.begin(), image.end()).find("AMIBIOSC0627");
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } damages[] = {
        {"Begin points at the header itself", header + 0x12, 0x0000FCFE},
        {"Begin points past the image", header + 0x12, 0xFFFF0000},
        {"the chain loops back to its top", static_cast<std::size_t>(slot.offset), rd_u32(image.data() + header, 0x12)},
        {"the module above lies about its size", static_cast<std::size_t>(slot.offset) + 0x0C, 0x00001000},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.what);
        Bytes bad = image;
        for (int i = 0; i < 4; ++i)
            bad[d.at + i] = static_cast<std::uint8_t>(d.value >> (8 * i));
        RomWriteResult w = write_logo_into_rom(bad, slot, logo, test_packers());
        EXPECT_FALSE(w.ok);
        EXPECT_TRUE(w.image.empty());
        EXPECT_NE(w.refusal.find("chain"), std::string::npos) << w.refusal;
    }
}

}  // namespace
