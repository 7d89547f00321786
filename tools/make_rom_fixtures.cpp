// Writes the synthetic ROM images under tests/data/roms: small firmware-like files with
// logos planted the way real ROMs keep them, around committed picture fixtures, so every
// logo found can be checked against the plain file's decode.
//
//   award.bin    Award: single-member level-1 LHA archives (-lh5- streams written by
//                jlha, -lh0- members), header checksums, load addresses 5000/4100/4000/
//                4002/4011/400E/1000, 0x00 separators, the system BIOS checksum byte,
//                0xFF runs, a code member named asus.bmp at a 4 KiB boundary.
//   ami.bin      AMIBIOSC 0627 chain ending at a 4 KiB boundary: bare lh5 logo modules
//                (GRFX, an option ROM with its PCX), a stored PG module, code modules; L
//                and C left 0.
//   ami0700.bin  The same modules as the 0700 core lays them: PackedSize the stream alone,
//                back to back, the highest 7 bytes below the header, L = 4 and C holding.
//   ami0800.bin  And as the 0800 core does: every module padded with 0x00 to a multiple of
//                4, the highest 2 bytes below the header, L reaching 4 bytes of '0'
//                below the lowest module, C holding.
//   msi.bin      MSI: raw PCX slots at 0x0 and 0x8000, a decoy slot at 0x10000 whose rows
//                are overwritten by the AMI module area.
//   phoenix.bin  Phoenix 4.0: BCPSEGMENT, BCPSYS, BCPCMP, a module chain with LZINT, LZSS
//                and LZARI logo modules, a fragmented code module, a BCD6F1 block, a raw
//                PG at 0x10000; the date text "11/11/97" holds a false 00 31 31.
//   intel.bi1    Intel part file: 128-byte part header, TEXTLOGO at data offset 0xC000,
//                "TEXTLOGO" followed by code at 0x2804.
//   archive.lzh  A plain jlha archive (level-2 headers) holding a PG picture and a text.
//   award-sums.bin  Award laid out as a writer meets it: one run from 0 (system BIOS with its
//                checksum byte, awardext, EPA 0x4002, AWBM 0x4000, dual-BIOS 0x4011, ACPI),
//                0xFF fill to a code page at 0x1A000, the decompression block at 0x1B000
//                whose bytes A (sum of the image below it) and B (sum of its page) hold, the
//                boot block at 0x1E000.
//
//   make_rom_fixtures REPO_ROOT     (needs jlha on PATH)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/phoenix_lzari_encode.h"
#include "codec/phoenix_lzss_encode.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string g_root;

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const Bytes& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes fixture(const std::string& relative)
{
    return read_file(g_root + "/tests/data/" + relative);
}

void put(Bytes& image, std::size_t at, const Bytes& b)
{
    if (image.size() < at + b.size())
        image.resize(at + b.size(), 0xFF);
    std::copy(b.begin(), b.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void put_u16(Bytes& b, std::size_t at, unsigned v)
{
    put(b, at, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}

void put_u32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put_u16(b, at, v & 0xFFFF);
    put_u16(b, at + 2, v >> 16);
}

void append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes le16(unsigned v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

Bytes le32(std::uint32_t v)
{
    Bytes b = le16(v & 0xFFFF);
    append(b, le16(v >> 16));
    return b;
}

std::uint16_t crc16(const Bytes& bytes)
{
    unsigned crc = 0;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

// Deterministic bytes that look like real-mode code: common opcodes with varying operands.
Bytes code_like(std::size_t n, std::uint32_t seed)
{
    static const std::vector<Bytes> OPS = {
        {0x55}, {0x8B, 0xEC}, {0x50}, {0x53}, {0x1E}, {0x06}, {0x5D}, {0xC3}, {0xCB}, {0xFA}, {0xFB},
        {0xB8}, {0xBA}, {0xE8}, {0xE9}, {0x74}, {0x75}, {0xEB}, {0x3C}, {0x80, 0xFC}, {0xCD, 0x10},
        {0x8E, 0xD8}, {0x26, 0x8A}, {0x66, 0x60}, {0xEE}, {0xEC}, {0xE4, 0x60}, {0x2E, 0xFF}};
    Bytes out;
    std::uint32_t state = seed;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    while (out.size() < n) {
        const Bytes& op = OPS[next() % OPS.size()];
        append(out, op);
        unsigned operands = next() % 3;
        for (unsigned k = 0; k < operands; ++k)
            out.push_back(static_cast<std::uint8_t>(next() % 8 == 0 ? next() : next() % 16));
    }
    out.resize(n);
    return out;
}

// Bytes as compressed data looks: no structure at all.
Bytes noise(std::size_t n, std::uint32_t seed)
{
    Bytes out(n);
    std::uint32_t state = seed;
    for (std::uint8_t& b : out) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

// The raw -lh5- stream jlha makes of data (taken out of its level-2 archive).
Bytes jlha_lh5(const Bytes& data)
{
    char dir[] = "/tmp/zarpo2-romfix-XXXXXX";
    if (!mkdtemp(dir))
        throw std::runtime_error("no temporary folder");
    std::string work = dir;
    write_file(work + "/inner", data);
    std::string command = "cd '" + work + "' && jlha aqo5 inner.lzh inner >/dev/null 2>&1";
    int status = std::system(command.c_str());
    Bytes archive = status == 0 ? read_file(work + "/inner.lzh") : Bytes{};
    fs::remove_all(work);
    if (archive.size() < 26 || archive[20] != 2)
        throw std::runtime_error("jlha failed");
    std::size_t headerSize = archive[0] | (archive[1] << 8);
    std::uint32_t packed = archive[7] | (archive[8] << 8) | (archive[9] << 16) | (std::uint32_t{archive[10]} << 24);
    if (std::string(archive.begin() + 2, archive.begin() + 7) != "-lh5-")
        throw std::runtime_error("jlha stored the data instead of packing it");
    return Bytes(archive.begin() + static_cast<std::ptrdiff_t>(headerSize),
                 archive.begin() + static_cast<std::ptrdiff_t>(headerSize + packed));
}

// One Award member: a level-1 header with the load address in the date fields, no
// extended headers, the packed data.
Bytes award_member(const std::string& name, unsigned segment, const Bytes& data, bool stored)
{
    Bytes packed = stored ? data : jlha_lh5(data);
    std::size_t n = name.size();
    Bytes h;
    h.push_back(static_cast<std::uint8_t>(25 + n));  // header size from offset 2
    h.push_back(0);                                  // checksum, below
    append(h, text(stored ? "-lh0-" : "-lh5-"));
    append(h, le32(static_cast<std::uint32_t>(packed.size())));
    append(h, le32(static_cast<std::uint32_t>(data.size())));
    append(h, le16(0));        // offset word of the load address
    append(h, le16(segment));  // segment: the module ID
    h.push_back(0x20);         // attribute
    h.push_back(0x01);         // level
    h.push_back(static_cast<std::uint8_t>(n));
    append(h, text(name));
    append(h, le16(crc16(data)));
    h.push_back(0x20);         // OS ID
    append(h, le16(0));        // no extended header
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
    append(h, packed);
    return h;
}

void make_award(const std::string& out)
{
    Bytes image;
    Bytes system = award_member("original.tmp", 0x5000, code_like(24 * 1024, 1), false);
    append(image, system);
    unsigned sum = 0;
    for (std::uint8_t b : system)
        sum += b;
    image.push_back(0x00);
    image.push_back(static_cast<std::uint8_t>(sum));  // the system BIOS checksum byte
    Bytes optionRom = code_like(1024, 7);
    optionRom[0] = 0x55;
    optionRom[1] = 0xAA;
    optionRom[2] = 0x02;
    struct Member {
        std::string name;
        unsigned segment;
        Bytes data;
        bool stored;
    };
    const std::vector<Member> members = {
        {"awardext.rom", 0x4100, code_like(6 * 1024, 2), false},
        {"awardeyt.rom", 0x400E, code_like(16, 3), true},
        {std::string("LOGO.BMP\0vrs", 12), 0x4000, fixture("bmp/magick-8bit.bmp"), false},
        {"AWARDEPA.BIN", 0x4002, fixture("award/award-standard.epa"), false},
        {std::string("dbios.bmp\0\xE2\x88", 12), 0x4011, fixture("award/awbm16.bin"), false},
        {"n:\\bios\\award\\opt_rom\\aha7850.rom", 0x1000, optionRom, true},
        {"ACPITBL.BIN", 0x4003, code_like(2048, 4), false},
    };
    for (const Member& m : members) {
        append(image, award_member(m.name, m.segment, m.data, m.stored));
        image.push_back(0x00);
    }
    image.resize(0x10000, 0xFF);
    // A code member with a picture's name, after the 0xFF run on a 4 KiB boundary.
    Bytes asusCode = code_like(4096, 5);
    asusCode[0] = 0xE9;
    append(image, award_member("asus.bmp", 0x5000, asusCode, false));
    image.push_back(0x00);
    image.resize(0x1C000, 0xFF);
    append(image, text("= Award Decompression Bios ="));
    append(image, code_like(0x20000 - 16 - image.size(), 6));
    append(image, {0xEA, 0x5B, 0xE0, 0x00, 0xF0});
    append(image, text("*MRB*"));
    image.resize(0x20000, 0x00);
    write_file(out, image);
}

// How an AMIBIOSC core lays its modules, as the images of each core show it.
struct AmiCore {
    const char* version;
    unsigned packedExtra;  // bytes PackedSize counts beyond the stream: the 8 size bytes on 0627
    unsigned align;        // 0800: every module padded to a multiple of 4 ...
    std::uint8_t pad;      // ... with this byte
    unsigned topGap;       // bytes between the highest module and the header (0x00 bytes)
    unsigned sumUnits;     // L: 0 leaves L and C 0; COVER_MODULES reaches 0-7 bytes below the lowest module
};

constexpr unsigned COVER_MODULES = 0xFFFF;
constexpr AmiCore CORE_0627{"0627", 8, 1, 0, 0, 0};
constexpr AmiCore CORE_0700{"0700", 0, 1, 0, 7, 4};                 // L = 4: the 32 bytes ending at the header's end
constexpr AmiCore CORE_0800{"0800", 0, 4, 0x00, 2, COVER_MODULES};  // the gap below the lowest module '0' padding

struct AmiModule {
    unsigned id;
    Bytes data;
    bool stored;
};

Bytes ami_module_bytes(const AmiModule& m, const AmiCore& core)
{
    Bytes b = le32(0);  // Prev, set when the chain is laid out
    if (m.stored) {
        append(b, le16(static_cast<unsigned>(m.data.size())));
        b.push_back(static_cast<std::uint8_t>(m.id));
        b.push_back(0x80);
        append(b, le32(0));
        append(b, m.data);
    } else {
        Bytes stream = jlha_lh5(m.data);
        std::uint32_t packed = static_cast<std::uint32_t>(stream.size() + core.packedExtra);
        append(b, le16(packed & 0xFFFF));
        b.push_back(static_cast<std::uint8_t>(m.id));
        b.push_back(0x00);
        append(b, le32(0));
        append(b, le32(packed));
        append(b, le32(static_cast<std::uint32_t>(m.data.size())));
        append(b, stream);
    }
    while (b.size() % core.align != 0)
        b.push_back(core.pad);
    return b;
}

// Lays the modules out downward below the AMIBIOSC header at 0x1CFEA of a 128 KiB image
// (so its 22 bytes end at 0x1D000), the first module lowest, the highest core.topGap bytes
// below the header; the chain starts at the last one and runs down. filler, when not 0,
// is the ID of a stored module sized so that the lowest module starts at base. Then L and
// the dword checksum C as the core has them.
void lay_out_ami(Bytes& image, std::vector<AmiModule> modules, std::size_t base, const AmiCore& core)
{
    constexpr std::size_t HEADER_AT = 0x1CFEA;
    constexpr std::size_t HEADER_END = HEADER_AT + 22;
    constexpr std::uint32_t IMAGE_BASE = 0xE0000;  // a 128 KiB image ends at linear 1 MiB
    const std::size_t top = HEADER_AT - core.topGap;
    std::vector<Bytes> laid;
    std::size_t total = 0;
    for (const AmiModule& m : modules) {
        laid.push_back(ami_module_bytes(m, core));
        total += laid.back().size();
    }
    if (base != 0) {
        // A stored module of zeros takes up the room below the others.
        std::size_t room = top - base - total;
        laid.insert(laid.begin(), ami_module_bytes({0x22, Bytes(room - 12, 0), true}, core));
        total = top - base;
    }
    std::size_t at = top - total;
    const std::size_t lowest = at;
    std::uint32_t prev = 0xFFFFFFFF;
    for (Bytes& m : laid) {
        std::copy(reinterpret_cast<std::uint8_t*>(&prev), reinterpret_cast<std::uint8_t*>(&prev) + 4, m.begin());
        std::uint32_t linear = static_cast<std::uint32_t>(IMAGE_BASE + at);
        prev = (linear & 0xF) | ((linear >> 4) << 16);  // offset, then segment
        put(image, at, m);
        at += m.size();
    }
    put(image, top, Bytes(core.topGap, 0x00));
    unsigned units = core.sumUnits;
    if (units == COVER_MODULES) {
        units = static_cast<unsigned>((HEADER_END - lowest + 7) / 8);
        put(image, HEADER_END - units * 8, Bytes(lowest - (HEADER_END - units * 8), '0'));
    }
    Bytes header = text("AMIBIOSC" + std::string(core.version));
    append(header, le16(units));
    append(header, le32(0));
    append(header, le32(prev));  // Begin: the highest module
    put(image, HEADER_AT, header);
    std::uint32_t sum = 0;
    for (std::size_t i = HEADER_END - units * 8; i < HEADER_END; i += 4)
        sum += image[i] | (image[i + 1] << 8) | (image[i + 2] << 16) | (std::uint32_t{image[i + 3]} << 24);
    put_u32(image, HEADER_AT + 14, 0u - sum);
    put(image, 0x20000 - 11, text("07/25/00"));
    image.resize(0x20000, 0xFF);
}

// The modules of ami.bin, lowest first; the images of the other cores hold the same.
std::vector<AmiModule> ami_modules()
{
    return {
        {0x00, code_like(8 * 1024, 12), false},
        {0x0C, text("0123ABCD"), true},
        {0x0E, fixture("intel/grfx.bin"), false},
        {0x31, fixture("phoenix/pg-own-palette.pg"), true},
        {0x20, fixture("pcx/ami-option-rom.bin"), false},
        {0x11, code_like(2048, 13), false},
    };
}

void make_ami(const std::string& out, const AmiCore& core)
{
    Bytes image = code_like(0x4000, 11);
    image.resize(0x1D000, 0xFF);
    lay_out_ami(image, ami_modules(), 0, core);
    write_file(out, image);
}

void make_msi(const std::string& out)
{
    Bytes pcx8 = fixture("pcx/netpbm-8bit.pcx");
    Bytes pcx4 = fixture("pcx/netpbm-4plane.pcx");
    Bytes image;
    put_u16(image, 0, static_cast<unsigned>(pcx8.size()));
    put(image, 2, pcx8);
    put_u16(image, 0x8000, static_cast<unsigned>(pcx4.size()));
    put(image, 0x8002, pcx4);
    // The decoy: a whole slot's length and header, its rows overwritten from 0x10100 on.
    put_u16(image, 0x10000, static_cast<unsigned>(pcx8.size()));
    put(image, 0x10002, Bytes(pcx8.begin(), pcx8.begin() + 0x200));
    image.resize(0x1D000, 0xFF);
    lay_out_ami(image,
                {{0x00, code_like(6 * 1024, 21), false},
                 {0x0E, fixture("award/awbm256-compressed.bin"), false},
                 {0x11, code_like(1024, 22), false}},
                0x10100, CORE_0627);
    write_file(out, image);
}

// A Phoenix module header (27 bytes) and its data.
Bytes phoenix_module(char type, unsigned instance, unsigned code, std::uint32_t expanded, const Bytes& data,
                     std::uint32_t nextFragment = 0)
{
    Bytes b = le32(0);  // Previous, set by the chain
    append(b, {0x00, 0x31, 0x31, static_cast<std::uint8_t>(instance), static_cast<std::uint8_t>(type), 27,
               static_cast<std::uint8_t>(code)});
    append(b, le16(0x0000));  // load offset
    append(b, le16(0x000F));  // load segment / 0x1000
    append(b, le32(expanded));
    append(b, le32(static_cast<std::uint32_t>(data.size())));
    append(b, le32(nextFragment));
    append(b, data);
    return b;
}

Bytes lzint(const Bytes& data)
{
    Bytes b = le32(static_cast<std::uint32_t>(data.size()));
    append(b, jlha_lh5(data));
    return b;
}

void make_phoenix(const std::string& out)
{
    constexpr std::uint32_t TOP = 0xFFFE0000;  // a 128 KiB image ends at 4 GiB
    Bytes image = code_like(0x1000, 30);
    std::vector<Bytes> modules;
    modules.push_back(phoenix_module('X', 0, 0, 2048, code_like(2048, 31)));
    // A code module in two fragments: the second lies at 0x18000.
    Bytes code = code_like(8 * 1024, 32);
    Bytes packedCode = lzint(code);
    std::size_t split = packedCode.size() / 2;
    Bytes fragment2(packedCode.begin() + static_cast<std::ptrdiff_t>(split), packedCode.end());
    modules.push_back(phoenix_module('B', 0, 5, static_cast<std::uint32_t>(code.size()),
                                     Bytes(packedCode.begin(), packedCode.begin() + static_cast<std::ptrdiff_t>(split)),
                                     TOP + 0x18000));
    Bytes pcx = fixture("pcx/netpbm-4plane.pcx");
    modules.push_back(phoenix_module('L', 0, 5, static_cast<std::uint32_t>(pcx.size()), lzint(pcx)));
    Bytes pg = fixture("phoenix/pg-standard.pg");
    modules.push_back(phoenix_module('L', 1, 3, static_cast<std::uint32_t>(pg.size()), phoenix_lzss_encode(pg, 0x20)));
    Bytes awbm = fixture("award/awbm16.bin");
    modules.push_back(
        phoenix_module('L', 2, 2, static_cast<std::uint32_t>(awbm.size()), phoenix_lzari_encode(awbm, 0x20)));
    modules.push_back(phoenix_module('G', 0, 0, 512, code_like(512, 33)));
    std::uint32_t prev = 0;
    std::size_t at = 0x1000;
    for (Bytes& m : modules) {
        std::copy(reinterpret_cast<std::uint8_t*>(&prev), reinterpret_cast<std::uint8_t*>(&prev) + 4, m.begin());
        put(image, at, m);
        prev = TOP + static_cast<std::uint32_t>(at);
        at += m.size() + 16;
    }
    // The second fragment: next (none), bank, length, data.
    Bytes fragment = le32(0);
    fragment.push_back(0);
    append(fragment, le32(static_cast<std::uint32_t>(fragment2.size())));
    append(fragment, fragment2);
    put(image, 0x18000, fragment);
    // A raw PG at a 64 KiB boundary, outside every structure (at 0 the file would be a PG).
    put(image, 0x10000, fixture("phoenix/pg-own-palette.pg"));
    Bytes bmp = fixture("bmp/magick-4bit.bmp");
    Bytes block = {'B', 'C', 0xD6, 0xF1, 0x00, 0x00, 0x12, 0x04};
    append(block, le16(0x6000));
    append(block, le32(static_cast<std::uint32_t>(bmp.size())));
    Bytes packedBmp = phoenix_lzari_encode(bmp, 0x20);
    append(block, le32(static_cast<std::uint32_t>(packedBmp.size())));
    append(block, packedBmp);
    put(image, 0x19000, block);
    // BCP records: BCPSYS (with the first module's address at 0x77) and BCPCMP.
    Bytes sys = text("BCPSYS");
    append(sys, {0x03, 0x00});
    append(sys, le16(0x80));
    sys.resize(0x0F, 0);
    append(sys, text("11/11/97"));
    sys.push_back(0);
    append(sys, text("12:00:00"));
    sys.resize(0x37, 0);
    append(sys, text("DEVEL40B"));
    sys.resize(0x77, 0);
    append(sys, le32(prev));
    sys.resize(0x80, 0);
    Bytes cmp = text("BCPCMP");
    append(cmp, {0x01, 0x00});
    append(cmp, le16(33));
    cmp.push_back(0x00);  // flags
    cmp.push_back(0x01);  // LZARI
    cmp.resize(0x1A, 0);
    cmp.push_back(0x20);  // ring fill
    cmp.resize(33, 0);
    Bytes records = text("BCPSEGMENT");
    append(records, sys);
    append(records, cmp);
    append(records, Bytes(10, 0));
    image.resize(0x1E000, 0xFF);
    append(image, records);
    image.resize(0x1FFF0, 0xFF);
    append(image, {0xEA, 0x5B, 0xE0, 0x00, 0xF0});
    image.resize(0x20000, 0x00);
    write_file(out, image);
}

void make_intel(const std::string& out)
{
    constexpr std::size_t HEADER = 128;
    Bytes part(HEADER, 0);
    put(part, 0, text("XXXX Release 11.0"));
    part[0x20] = 1;  // system BIOS area
    put_u32(part, 0x21, 0x20000);
    put(part, 0x25, {0xFF, 0xFF, 0xFF});
    put(part, 0x28, text("SYSTEM BIOS"));
    put(part, 0x40, text("04/30/96-17:08"));
    put_u32(part, 0x50, 0x10000);  // destination in the area
    put_u32(part, 0x54, 0x10000);  // data length
    part[0x58] = 0x01;
    part[0x59] = 0x00;  // more parts follow
    put(part, 0x5A, text(std::string("FLASH\0", 6)));
    put(part, 0x60, text("XXXX.BI2"));
    put(part, 0x70, text("1.00.11.XXXX"));
    part.resize(HEADER, 0);
    Bytes data = noise(0x10000, 41);
    // The display routine names the block it draws: "TEXTLOGO", then code.
    Bytes decoy = text("TEXTLOGO");
    append(decoy, {0x66, 0x60, 0x1E, 0x06});
    append(decoy, code_like(64, 42));
    put(data, 0x2804, decoy);
    Bytes textlogo = fixture("intel/textlogo.bin");
    Bytes block(textlogo.begin() + 0x80, textlogo.end());
    put_u16(block, 8, 21);  // the header length real blocks carry
    put(data, 0xC000, block);
    append(part, data);
    write_file(out, part);
}

// Award image whose decompression-page bytes A and B hold (see the list at the top).
void make_award_sums(const std::string& out)
{
    constexpr std::size_t CODE_PAGE = 0x1A000;
    constexpr std::size_t BLOCK = 0x1B000;  // D
    constexpr std::size_t BYTE_A = (BLOCK | 0xFFF) - 1;
    constexpr std::size_t BYTE_B = BLOCK | 0xFFF;
    constexpr std::size_t BOOT_BLOCK = 0x1E000;
    Bytes image;
    Bytes system = award_member("AWDBIOS.BIN", 0x5000, code_like(20 * 1024, 51), false);
    append(image, system);
    unsigned systemSum = 0;
    for (std::uint8_t b : system)
        systemSum += b;
    image.push_back(0x00);
    image.push_back(static_cast<std::uint8_t>(systemSum));
    append(image, award_member("awardext.rom", 0x4100, code_like(5 * 1024, 52), false));
    image.push_back(0x00);
    append(image, award_member("AWARDEPA.BIN", 0x4002, fixture("award/award-standard.epa"), false));
    image.push_back(0x00);
    append(image, award_member(std::string("LOGO.BMP\0vrs", 12), 0x4000, fixture("award/awbm16.bin"), false));
    image.push_back(0x00);
    append(image, award_member("dbios.bmp", 0x4011, fixture("award/awbm16-no-palette.bin"), false));
    image.push_back(0x00);
    append(image, award_member("ACPITBL.BIN", 0x4003, code_like(3 * 1024, 53), false));
    image.push_back(0x00);
    image.resize(CODE_PAGE, 0xFF);
    append(image, code_like(BLOCK - CODE_PAGE, 54));
    append(image, text("= Award Decompression Bios ="));
    append(image, code_like(BYTE_A - image.size(), 55));
    image.resize(BYTE_B + 1, 0x00);
    image.resize(BOOT_BLOCK, 0xFF);
    append(image, text("Award BootBlock BIOS"));
    append(image, code_like(0x20000 - 16 - image.size(), 56));
    append(image, {0xEA, 0x5B, 0xE0, 0x00, 0xF0});
    append(image, text("*MRB*"));
    image.resize(0x20000, 0x00);
    unsigned sum = 0;
    for (std::size_t i = 0; i < BYTE_A; ++i)
        sum += image[i];
    image[BYTE_A] = static_cast<std::uint8_t>(sum);
    sum = 0;
    for (std::size_t i = BLOCK; i < BYTE_B; ++i)
        sum += image[i];
    image[BYTE_B] = static_cast<std::uint8_t>(sum);
    write_file(out, image);
}

void make_archive(const std::string& out)
{
    char dir[] = "/tmp/zarpo2-romfix-XXXXXX";
    if (!mkdtemp(dir))
        throw std::runtime_error("no temporary folder");
    std::string work = dir;
    write_file(work + "/logo.pg", fixture("phoenix/pg-standard.pg"));
    Bytes readme;
    for (int i = 0; i < 40; ++i)
        append(readme, text("The logo of this board, packed for the flash tool.\n"));
    write_file(work + "/readme.txt", readme);
    std::string command = "cd '" + work + "' && jlha aqo5 a.lzh logo.pg readme.txt >/dev/null 2>&1";
    int status = std::system(command.c_str());
    Bytes archive = status == 0 ? read_file(work + "/a.lzh") : Bytes{};
    fs::remove_all(work);
    if (archive.empty())
        throw std::runtime_error("jlha failed");
    write_file(out, archive);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_rom_fixtures REPO_ROOT\n");
        return 2;
    }
    g_root = argv[1];
    std::string dir = g_root + "/tests/data/roms/";
    try {
        make_award(dir + "award.bin");
        make_ami(dir + "ami.bin", CORE_0627);
        make_ami(dir + "ami0700.bin", CORE_0700);
        make_ami(dir + "ami0800.bin", CORE_0800);
        make_msi(dir + "msi.bin");
        make_phoenix(dir + "phoenix.bin");
        make_intel(dir + "intel.bi1");
        make_archive(dir + "archive.lzh");
        make_award_sums(dir + "award-sums.bin");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_rom_fixtures: %s\n", e.what());
        return 1;
    }
    return 0;
}
