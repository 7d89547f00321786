// The ROM scan's promise, checked over every picture fixture that has a signature: planted
// in a synthetic ROM of code-like bytes, raw (at 0, at an odd offset, at the very end,
// right after its own first byte) and inside each container kind (Award member stored and
// lh5, AMI module stored and lh5, Phoenix module of each compression, an Award ROM inside
// a jlha archive), it is listed exactly once, with the pixels the fixture gives alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "codec/phoenix_lzari_encode.h"
#include "codec/phoenix_lzss_encode.h"
#include "pipeline/rom_scan.h"
#include "support/fixtures.h"
#include "support/hostile_roms.h"
#include "support/lha_archive.h"

namespace {

// The pictures the probes recognise by a signature, one file per layout variant.
const char* const SIGNED_FIXTURES[] = {
    "pcx/netpbm-4plane.pcx", "pcx/netpbm-8bit.pcx", "pcx/magick-8bit.pcx", "pcx/biostar.pcx",
    "bmp/magick-1bit.bmp", "bmp/magick-4bit.bmp", "bmp/magick-8bit.bmp", "bmp/magick-24bit.bmp",
    "award/awbm16.bin", "award/awbm256-compressed.bin", "award/awbm16-no-palette.bin",
    "phoenix/pg-standard.pg", "phoenix/pg-own-palette.pg", "phoenix/pg-subheader.pg", "phoenix/pg-subheader-odd.pg",
    "phoenix/icon8.icn", "intel/grfx.bin", "intel/textlogo.bin", "intel/logo-block.bin",
    "vendor/gle.bin", "vendor/trigem.bin",
    "jpeg/magick.jpg", "jpeg/cjpeg-grey.jpg", "jpeg/cjpeg-progressive.jpg", "jpeg/scn-envelope.bin",
    "containers/osb-pcx.bin", "containers/osb-bmp.bin", "containers/scrn.bin", "containers/scn.bin",
};

constexpr std::size_t ROM_SIZE = 0x10000;

Bytes planted(Bytes rom, std::size_t at, const Bytes& what)
{
    if (rom.size() < at + what.size())
        rom.resize(at + what.size(), 0xFF);
    std::copy(what.begin(), what.end(), rom.begin() + static_cast<std::ptrdiff_t>(at));
    return rom;
}

std::uint16_t crc16(const Bytes& data)
{
    unsigned crc = 0;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

// A level-1 Award member at load address segment:0 of data, stored or packed.
Bytes award_member(const std::string& name, unsigned segment, const Bytes& data, const std::string& method,
                   const Bytes& packed)
{
    ByteBuilder h;
    h.u8(static_cast<unsigned>(25 + name.size())).u8(0).text(method);
    h.u32(static_cast<std::uint32_t>(packed.size())).u32(static_cast<std::uint32_t>(data.size())).u16(0).u16(segment);
    h.u8(0x20).u8(1).u8(static_cast<unsigned>(name.size())).text(name).u16(crc16(data)).u8(0x20).u16(0);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h.data()[i];
    h.put_u8(1, sum & 0xFF);
    return h.bytes(packed).u8(0).data();
}

// A code ROM with the picture as an Award logo member at 0x2000, stored or packed.
Bytes award_rom(const Bytes& picture, const std::string& method, const Bytes& packed)
{
    return planted(hostile_roms::code(ROM_SIZE, 1), 0x2000,
                   award_member("AwardBmp.bmp", 0x4002, picture, method, packed));
}

// A 128 KiB AMIBIOSC image whose chain is one module at 0x10000 (linear F000:0000).
Bytes ami_image(const Bytes& data, const Bytes* packed)
{
    ByteBuilder m;
    m.u16(0xFFFF).u16(0xFFFF);
    if (packed) {
        m.u16(packed->size() & 0xFFFF).u8(0x0E).u8(0x00).u32(0);
        m.u32(static_cast<std::uint32_t>(packed->size())).u32(static_cast<std::uint32_t>(data.size())).bytes(*packed);
    } else {
        m.u16(static_cast<unsigned>(data.size())).u8(0x31).u8(0x80).u32(0).bytes(data);
    }
    ByteBuilder header;
    header.text("AMIBIOSC0627").u16(0).u32(0).u16(0x0000).u16(0xF000);
    Bytes rom = planted(hostile_roms::code(0x20000, 2), 0x10000, m.data());
    return planted(rom, 0x1CFEA, header.data());
}

// A 27-byte Phoenix 'L' module header and its data, planted at 0x4000.
Bytes phoenix_image(std::uint8_t code, std::uint32_t expanded, const Bytes& stream)
{
    ByteBuilder m;
    m.u32(0).u8(0).u8(0x31).u8(0x31).u8(0).u8('L').u8(27).u8(code).u16(0).u16(0xF);
    m.u32(expanded).u32(static_cast<std::uint32_t>(stream.size())).u32(0).bytes(stream);
    return planted(hostile_roms::code(ROM_SIZE, 3), 0x4000, m.data());
}

// Packs the files with one jlha run (lh5, level-2 headers); the packed stream of each by
// name, and the archive. Empty when jlha is missing or fails.
std::map<std::string, Bytes> jlha_pack_all(const std::map<std::string, Bytes>& files, Bytes& archive)
{
    std::map<std::string, Bytes> streams;
    const std::string dir = test_temp_dir() + "/jlha-all";
    std::filesystem::create_directories(dir);
    std::string names;
    for (const auto& [name, data] : files) {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                               static_cast<std::streamsize>(data.size()));
        names += " " + name;
    }
    if (!have_program("jlha") || run_command("cd '" + dir + "' && rm -f all.lzh && jlha aqo5 all.lzh" + names +
                                             " >/dev/null 2>&1") != 0)
        return streams;
    archive = read_file(dir + "/all.lzh");
    // Level-2 members: whole header size at 0, packed size at 7, extended headers from 24
    // (each: its size was given before it; type, body, the next one's size).
    std::size_t at = 0;
    while (at + 26 <= archive.size() && archive[at] != 0) {
        std::size_t header = rd_u16(archive.data() + at, 0);
        std::size_t packed = rd_u32(archive.data() + at, 7);
        std::string name;
        for (std::size_t e = at + 26, size = rd_u16(archive.data() + at, 24); size >= 3 && e + size <= at + header;) {
            if (archive[e] == 0x01)
                name.assign(archive.begin() + static_cast<std::ptrdiff_t>(e + 1),
                            archive.begin() + static_cast<std::ptrdiff_t>(e + size - 2));
            std::size_t next = rd_u16(archive.data() + e, size - 2);
            e += size;
            size = next;
        }
        if (at + header + packed > archive.size())
            break;
        streams[name].assign(archive.begin() + static_cast<std::ptrdiff_t>(at + header),
                             archive.begin() + static_cast<std::ptrdiff_t>(at + header + packed));
        at += header + packed;
    }
    return streams;
}

struct Placement {
    std::string what;
    Bytes rom;
    std::size_t depth;  // containers on the logo's path
};

// Every placement of one fixture; the lh5 ones only where jlha packed it (lh5 given).
std::vector<Placement> placements(const Bytes& picture, const Bytes* lh5)
{
    const Bytes code = hostile_roms::code(ROM_SIZE, 1);
    std::vector<Placement> out = {
        {"raw at 0", planted(code, 0, picture), 1},
        {"raw at 0x1235", planted(code, 0x1235, picture), 1},
        {"raw at the end", planted(code, ROM_SIZE - picture.size(), picture), 1},
        {"raw after its own first byte", planted(planted(code, 0x2000, {picture[0]}), 0x2001, picture), 1},
        {"Award lh0", award_rom(picture, "-lh0-", picture), 1},
        {"AMI stored", ami_image(picture, nullptr), 1},
        {"Phoenix stored", phoenix_image(0, static_cast<std::uint32_t>(picture.size()), picture), 1},
        {"Phoenix LZSS", phoenix_image(3, static_cast<std::uint32_t>(picture.size()), phoenix_lzss_encode(picture, 0x20)), 1},
        {"Phoenix LZARI", phoenix_image(2, static_cast<std::uint32_t>(picture.size()), phoenix_lzari_encode(picture, 0x20)), 1},
    };
    if (!lh5)
        return out;
    ByteBuilder lzint;
    lzint.u32(static_cast<std::uint32_t>(picture.size())).bytes(*lh5);
    out.push_back({"Award lh5", award_rom(picture, "-lh5-", *lh5), 1});
    out.push_back({"AMI lh5", ami_image(picture, lh5), 1});
    out.push_back({"Phoenix LZINT", phoenix_image(5, static_cast<std::uint32_t>(picture.size()), lzint.data()), 1});
    return out;
}

// The fixture, with the one change the raw sweep needs.
Bytes signed_fixture(const std::string& name)
{
    Bytes picture = read_fixture(name);
    // The fixture leaves the header length of its block 0; real blocks hold 21 there,
    // which the raw sweep requires of a "TEXTLOGO" hit.
    if (name == "intel/textlogo.bin")
        picture[0x88] = 21;
    return picture;
}

std::string file_key(const std::string& name)
{
    std::string key = name;
    std::replace(key.begin(), key.end(), '/', '_');
    return key;
}

void expect_listed_once(const Placement& p, const LoadResult& alone)
{
            RomScanReport report = scan_rom_bytes(p.rom);
            ASSERT_EQ(report.logos.size(), 1u);
            const FoundLogo& logo = report.logos[0];
            EXPECT_EQ(logo.path.size(), p.depth);
            EXPECT_FALSE(report.incomplete);
            LoadResult found = load_bytes(logo.bytes, "found.bin");
            ASSERT_TRUE(found.loaded);
            EXPECT_EQ(found.descriptor.formatId, alone.descriptor.formatId);
            EXPECT_EQ(found.descriptor.width, alone.descriptor.width);
            EXPECT_EQ(found.descriptor.height, alone.descriptor.height);
            EXPECT_EQ(found.descriptor.frameCount, alone.descriptor.frameCount);
            EXPECT_EQ(crc32_of(found.image), crc32_of(alone.image));
            ASSERT_EQ(found.frames.size(), alone.frames.size());
            for (std::size_t k = 0; k < found.frames.size(); ++k)
                EXPECT_EQ(crc32_of(found.frames[k].pixels), crc32_of(alone.frames[k].pixels)) << "frame " << k;
}

}  // namespace

TEST(RomScanProperty, EverySignedPictureIsListedOnceWherePlanted)
{
    std::map<std::string, Bytes> pictures;
    for (const char* name : SIGNED_FIXTURES)
        pictures[file_key(name)] = signed_fixture(name);
    Bytes archive;
    const std::map<std::string, Bytes> lh5 = jlha_pack_all(pictures, archive);
    for (const char* name : SIGNED_FIXTURES) {
        const Bytes& picture = pictures.at(file_key(name));
        LoadResult alone = load_bytes(picture, "alone.bin");
        ASSERT_TRUE(alone.loaded) << name;
        auto packed = lh5.find(file_key(name));
        for (const Placement& p : placements(picture, packed == lh5.end() ? nullptr : &packed->second)) {
            SCOPED_TRACE(std::string(name) + ", " + p.what);
            expect_listed_once(p, alone);
        }
    }
}

// Award ROMs inside an update archive: every ROM member is scanned as a ROM, and its logo
// is listed once with the path from the archive member down.
TEST(RomScanProperty, RomsInsideAnArchiveAreScannedToo)
{
    std::map<std::string, Bytes> roms;
    for (const char* name : SIGNED_FIXTURES) {
        const Bytes picture = signed_fixture(name);
        roms[file_key(name)] = award_rom(picture, "-lh0-", picture);
    }
    Bytes archive;
    if (jlha_pack_all(roms, archive).size() != roms.size())
        GTEST_SKIP() << "jlha is not installed";
    RomScanReport report = scan_rom_bytes(archive);
    EXPECT_FALSE(report.incomplete);
    ASSERT_EQ(report.logos.size(), roms.size());
    for (const FoundLogo& logo : report.logos) {
        ASSERT_EQ(logo.path.size(), 2u);
        SCOPED_TRACE(logo.path[0].name);
        EXPECT_EQ(logo.path[0].kind, "LHA archive");
        EXPECT_EQ(logo.path[1].kind, "Award LHA");
        EXPECT_EQ(found_logo_place(logo), "LHA archive \"" + logo.path[0].name +
                                              "\" > Award LHA \"AwardBmp.bmp\" (4002:0000)");
        const Bytes& rom = roms.at(logo.path[0].name);
        Bytes picture(rom.begin() + 0x2000 + 0x27, rom.begin() + 0x2000 + 0x27 + static_cast<std::ptrdiff_t>(logo.bytes.size()));
        EXPECT_EQ(logo.bytes, picture);
    }
}
