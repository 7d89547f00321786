// Writing a new logo into whole ROM images: every planted logo of the synthetic images
// replaced by a picture of the same size, a smaller and a larger one, each result checked
// by the verification and by independent oracles (lhasa on every Award member, the A/B and
// dword-sum rules and each AMIBIOSC core's module layout recomputed here); too-large logos
// refused with the right shortfall; negative controls (a flipped byte, an A that did not
// hold); hostile runs and chains.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// An AMIBIOSC image as the tests read it, from the layout facts alone: the header, its core,
// and the chain's modules (start, and bytes up to the end of the stream or stored data).
struct AmiImage {
    std::size_t header = 0;
    std::size_t end = 0;  // E, the header's end
    std::string core;
    unsigned align = 1;  // 0800 pads each module to a multiple of 4
    std::vector<std::pair<std::size_t, std::size_t>> modules;  // highest first
};

AmiImage read_ami(const Bytes& image)
{
    AmiImage a;
    std::string text(image.begin(), image.end());
    a.header = text.find("AMIBIOSC0");
    if (a.header == std::string::npos)
        return a;
    a.end = a.header + 22;
    a.core = text.substr(a.header + 8, 4);
    a.align = a.core == "0800" ? 4 : 1;
    const std::size_t base = 0x100000 - image.size();  // the image ends at linear 1 MiB
    std::size_t pointer = a.header + 0x12;
    for (int n = 0; n < 64; ++n) {
        std::size_t offset = rd_u16(image.data(), pointer), segment = rd_u16(image.data(), pointer + 2);
        if (offset == 0xFFFF || segment * 16 + offset < base || segment * 16 + offset - base >= image.size())
            break;
        std::size_t at = segment * 16 + offset - base;
        bool stored = image[at + 7] & 0x80;
        // 0627 and 0631 count the 8 size bytes in PackedSize; 0700 and 0800 the stream alone.
        std::size_t bytes = stored ? 12 + rd_u16(image.data(), at + 4)
                                   : 0x14 + rd_u32(image.data(), at + 12) - (a.core < "0700" ? 8 : 0);
        a.modules.push_back({at, bytes});
        pointer = at;
    }
    return a;
}

std::size_t round_up(std::size_t v, std::size_t unit)
{
    return (v + unit - 1) / unit * unit;
}

// The AMIBIOSC dword rule recomputed: the u32 words of the L x 8 bytes below the header's end sum to 0.
bool ami_sum_holds(const Bytes& image)
{
    AmiImage a = read_ami(image);
    if (a.core.empty())
        return false;
    std::size_t length = std::size_t{rd_u16(image.data() + a.header, 12)} * 8;
    std::uint32_t sum = 0;
    for (std::size_t at = a.end - length; at < a.end; at += 4)
        sum += rd_u32(image.data() + at, 0);
    return sum == 0;
}

// The written image lays its modules as its core does: each ends (0800: after 0x00 padding
// to a multiple of 4) where the one above begins, the highest as far below the header as
// before; L kept on 0700, elsewhere reaching 0-7 bytes of '0' below the lowest module.
void expect_core_layout(const Bytes& before, const Bytes& after)
{
    AmiImage was = read_ami(before), now = read_ami(after);
    ASSERT_EQ(now.modules.size(), was.modules.size());
    ASSERT_FALSE(now.modules.empty());
    auto top_end = [](const AmiImage& a) { return a.modules[0].first + round_up(a.modules[0].second, a.align); };
    EXPECT_EQ(top_end(now), top_end(was));
    for (std::size_t i = 0; i < now.modules.size(); ++i) {
        auto [at, bytes] = now.modules[i];
        std::size_t span = round_up(bytes, now.align);
        if (i > 0) {
            EXPECT_EQ(at + span, now.modules[i - 1].first) << "module " << i;
        }
        for (std::size_t p = at + bytes; p < at + span; ++p)
            EXPECT_EQ(after[p], 0x00) << "padding at " << p;  // the fixture's own padding byte
    }
    std::size_t units = rd_u16(after.data(), now.header + 12);
    if (now.core == "0700") {
        EXPECT_EQ(units, rd_u16(before.data(), was.header + 12));
    } else {
        std::size_t rangeStart = now.end - units * 8, lowest = now.modules.back().first;
        ASSERT_LE(rangeStart, lowest);
        EXPECT_LT(lowest - rangeStart, 8u);
        for (std::size_t p = rangeStart; p < lowest; ++p)
            EXPECT_EQ(after[p], '0');
    }
    EXPECT_TRUE(ami_sum_holds(after));
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
    {"ami0700.bin", 1, 40, 12, false, ""},                  // the same on the 0700 core (L kept)
    {"ami0700.bin", 1, 16, 6, false, ""},
    {"ami0700.bin", 1, 200, 120, true, ""},
    {"ami0700.bin", 1, 640, 480, true, "bytes short"},
    {"ami0700.bin", 2, 48, 16, true, ""},
    {"ami0700.bin", 2, 16, 8, false, ""},
    {"ami0700.bin", 3, 37, 23, false, ""},
    {"ami0700.bin", 3, 37, 23, true, "not larger"},
    {"ami0800.bin", 1, 40, 12, false, ""},                  // and on 0800, whose modules are padded
    {"ami0800.bin", 1, 16, 6, false, ""},
    {"ami0800.bin", 1, 44, 13, false, ""},
    {"ami0800.bin", 1, 200, 120, true, ""},
    {"ami0800.bin", 1, 640, 480, true, "bytes short"},
    {"ami0800.bin", 2, 48, 16, true, ""},
    {"ami0800.bin", 2, 24, 8, false, ""},
    {"ami0800.bin", 3, 37, 23, false, ""},
    {"ami0800.bin", 3, 37, 23, true, "not larger"},
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
        // Every logo is listed again; space a write frees may uncover a raw picture whose
        // data ran into the old modules (the decoy PCX of msi.bin).
        auto structured = [](const RomScanReport& report) {
            return std::count_if(report.logos.begin(), report.logos.end(),
                                 [](const FoundLogo& l) { return l.container != "raw"; });
        };
        EXPECT_EQ(structured(scan_rom_bytes(r.write.image)), structured(scanned));
        if (slot.container == "AMI module") {
            EXPECT_TRUE(ami_sum_holds(r.write.image));
            expect_core_layout(image, r.write.image);
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

namespace {

// The GRFX logo module of each AMIBIOSC fixture, the first logo its scan lists.
const char* const AMI_CORE_ROMS[] = {"ami.bin", "ami0700.bin", "ami0800.bin"};

// A logo too large for the room below the chain is refused with the shortfall: the new
// module (0800: padded to 4) against what the logo's module and the free space below the
// lowest module give (0800: in multiples of 4; where the sum covers the modules, the '0'
// range must still start in the free space, so the lowest module starts on a multiple of
// 8 counted from E).
TEST(RomWriteAmiCores, TooLargeIsRefusedWithTheShortfall)
{
    for (const char* rom : AMI_CORE_ROMS) {
        SCOPED_TRACE(rom);
        Bytes image = read_file(rom_path(rom));
        RomScanReport scanned = scan_rom_bytes(image);
        ASSERT_FALSE(scanned.logos.empty());
        const FoundLogo& slot = scanned.logos.front();
        Bytes logo = slot_logo(image, slot, 640, 480, 21, true);
        ASSERT_FALSE(logo.empty());
        AmiImage a = read_ami(image);
        auto target = std::find_if(a.modules.begin(), a.modules.end(), [&](auto m) { return m.first == slot.offset; });
        ASSERT_NE(target, a.modules.end());
        std::size_t newSpan = round_up(0x14 + test_packers().lh5(logo).size(), a.align);
        std::size_t oldSpan = round_up(target->second, a.align);
        std::size_t lowest = a.modules.back().first;
        std::size_t units = rd_u16(image.data(), a.header + 12);
        std::size_t free = a.core == "0700" ? lowest : std::min(lowest, a.end - units * 8);
        while (image[free - 1] == 0xFF)
            --free;
        std::size_t minLowest = a.core == "0700" ? free : a.end - (a.end - free) / 8 * 8;
        std::size_t room = (lowest - minLowest + oldSpan) / a.align * a.align;
        ASSERT_GT(newSpan, room);
        RomReplacement r = replace_rom_logo(image, slot, logo, test_packers());
        ASSERT_FALSE(r.write.ok);
        EXPECT_TRUE(r.write.image.empty());
        EXPECT_NE(r.write.refusal.find("for " + with_commas(room) + " (up to"), std::string::npos) << r.write.refusal;
        EXPECT_NE(r.write.refusal.find(with_commas(newSpan - room) + " bytes short"), std::string::npos)
            << r.write.refusal;
    }
}

// One flipped byte anywhere the write put something, or anywhere it must not have touched,
// fails the verification.
TEST(RomWriteAmiCores, VerificationCatchesAFlippedByte)
{
    for (const char* rom : AMI_CORE_ROMS) {
        SCOPED_TRACE(rom);
        Bytes image = read_file(rom_path(rom));
        RomScanReport scanned = scan_rom_bytes(image);
        const FoundLogo& slot = scanned.logos.front();
        Bytes logo = slot_logo(image, slot, 64, 20, 22, true);  // larger: the modules below move down
        RomWriteResult w = write_logo_into_rom(image, slot, logo, test_packers());
        ASSERT_TRUE(w.ok) << w.refusal;
        ASSERT_LT(w.report.shift, 0);
        RomVerification v = verify_rom_write(image, w.image, slot, logo, w.report);
        for (const std::string& failure : v.failures)
            ADD_FAILURE() << failure;
        AmiImage a = read_ami(w.image);
        ASSERT_GE(a.modules.size(), 2u);
        std::size_t lowest = a.modules.back().first;  // a packed code module, moved
        std::size_t aboveLowest = a.modules[a.modules.size() - 2].first;
        const struct {
            std::size_t at;
            const char* what;
        } flips[] = {
            {w.report.newOffset + 0x14 + 5, "a byte of the new stream"},
            {w.report.newOffset + 0x0C, "the new PackedSize"},
            {lowest + 0x0C, "a moved module's PackedSize"},
            {lowest + 0x30, "a moved module's stream"},
            {aboveLowest, "the Prev pointer aimed at a moved module"},
            {a.header + 0x0E, "C"},
            {a.header - 1, "the gap above the highest module"},
            {a.modules.back().first - 0x40, "the free space below the chain"},
        };
        for (const auto& f : flips) {
            SCOPED_TRACE(f.what);
            Bytes bad = w.image;
            bad[f.at] ^= 0x01;
            EXPECT_FALSE(verify_rom_write(image, bad, slot, logo, w.report).ok);
        }
    }
}

// On 0800 the bytes that pad a rebuilt module copy the image's own padding; an image whose
// padding shows no single value gets 0xFF, the erased-flash value.
TEST(RomWriteAmiCores, PaddingCopiesTheImagesConvention)
{
    Bytes image = read_file(rom_path("ami0800.bin"));
    AmiImage a = read_ami(image);
    Bytes mixed = image;
    for (auto [at, bytes] : a.modules)
        for (std::size_t p = at + bytes, n = 0; p < at + round_up(bytes, 4); ++p, ++n)
            mixed[p] = n % 2 ? 0x00 : 0x5A;
    const struct {
        const Bytes* rom;
        std::uint8_t padding;
    } cases[] = {{&image, 0x00}, {&mixed, 0xFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.padding);
        FoundLogo slot = scan_rom_bytes(*c.rom).logos.front();
        unsigned padded = 0;
        for (unsigned width = 24; width < 64; width += 2) {
            Bytes logo = slot_logo(*c.rom, slot, width, 12, width, false);
            RomWriteResult w = write_logo_into_rom(*c.rom, slot, logo, test_packers());
            ASSERT_TRUE(w.ok) << w.refusal;
            std::size_t at = w.report.newOffset, bytes = 0x14 + rd_u32(w.image.data(), at + 12);
            for (std::size_t p = at + bytes; p < at + round_up(bytes, 4); ++p, ++padded)
                EXPECT_EQ(w.image[p], c.padding);
            EXPECT_EQ(w.report.newPacked, round_up(bytes, 4));
            EXPECT_TRUE(verify_rom_write(*c.rom, w.image, slot, logo, w.report).ok);
        }
        EXPECT_GT(padded, 0u);
    }
}

// Images of the new cores that break their layout are refused, nothing written.
TEST(RomWriteAmiCores, BrokenLayoutsAreRefused)
{
    const struct {
        const char* rom;
        const char* what;
        std::function<void(Bytes&, const AmiImage&)> damage;
        const char* reason;
    } cases[] = {
        {"ami0800.bin", "an unknown core", [](Bytes& b, const AmiImage& a) { b[a.header + 9] = '9'; },
         "only the 0627, 0631, 0700 and 0800 cores"},
        {"ami0700.bin", "a module that does not end where the one above begins",
         [](Bytes& b, const AmiImage& a) { b[a.modules[3].first + 0x0C] += 1; }, "as the 0700 core lays it"},
        {"ami0800.bin", "a packed module padded past the next multiple of 4",
         [](Bytes& b, const AmiImage& a) { b[a.modules[3].first + 0x0C] -= 4; }, "as the 0800 core lays it"},
        {"ami0700.bin", "the highest module more than 10 bytes below the header",
         [](Bytes& b, const AmiImage& a) { b[a.modules[0].first + 0x0C] -= 4; }, "as the 0700 core lays it"},
        {"ami0800.bin", "data instead of '0' padding below the lowest module",
         [](Bytes& b, const AmiImage& a) { b[a.modules.back().first - 1] = 'D'; }, "not '0' padding"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rom) + ": " + c.what);
        Bytes image = read_file(rom_path(c.rom));
        FoundLogo slot = scan_rom_bytes(image).logos.front();
        Bytes logo = slot_logo(image, slot, 200, 120, 23, true);  // larger: the modules below move
        c.damage(image, read_ami(image));
        RomWriteResult w = write_logo_into_rom(image, slot, logo, test_packers());
        EXPECT_FALSE(w.ok);
        EXPECT_TRUE(w.image.empty());
        EXPECT_NE(w.refusal.find(c.reason), std::string::npos) << w.refusal;
    }
}

}  // namespace
