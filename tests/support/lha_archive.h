// LHA archives made by independent tools (jlha, lhasa) as oracles for the lh5 kernel.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/stream_io.h"
#include "rom/rom_scan.h"
#include "support/fixtures.h"

// The first member of an LHA archive with a level-2 header.
struct LhaMember {
    std::string archive;  // the archive's path
    std::string method;   // "-lh5-", "-lh0-" ...
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    Bytes packed;  // the raw compressed stream
};

// Packs data with jlha (method "5": lh5, "6": lh6) in a fresh folder; false when that fails.
inline bool jlha_pack(const Bytes& data, LhaMember& member, const std::string& method = "5")
{
    constexpr std::size_t LEVEL2_MIN_HEADER = 26;
    constexpr std::size_t LEVEL_OFFSET = 20;
    std::string dir = std::filesystem::path(write_temp_file(data, "data.bin")).parent_path();
    member.archive = dir + "/data.lzh";
    if (!have_program("jlha") ||
        run_command("cd '" + dir + "' && jlha aqo" + method + " data.lzh data.bin >/dev/null 2>&1") != 0)
        return false;
    Bytes a = read_file(member.archive);
    if (a.size() < LEVEL2_MIN_HEADER || a[LEVEL_OFFSET] != 2)
        return false;
    std::size_t headerSize = rd_u16(a.data(), 0);  // whole header, extensions included
    member.method.assign(a.begin() + 2, a.begin() + 7);
    member.packedSize = rd_u32(a.data(), 7);
    member.originalSize = rd_u32(a.data(), 11);
    if (headerSize + member.packedSize > a.size())
        return false;
    member.packed.assign(a.begin() + headerSize, a.begin() + headerSize + member.packedSize);
    return true;
}

// Extracts the one member of an archive with lhasa; false when lhasa is missing or fails.
inline bool lhasa_unpack(const std::string& archive, Bytes& data)
{
    std::string dir = std::filesystem::path(archive).parent_path() / "lhasa";
    std::filesystem::create_directories(dir);
    if (!have_program("lhasa") || run_command("lhasa xqfw='" + dir + "' '" + archive + "' >/dev/null 2>&1") != 0)
        return false;
    data = read_file(dir + "/data.bin");
    return true;
}

// Writes a one-member LHA archive with a level-1 header (member "data.bin", method such as
// "-lh5-") around an already packed stream, for lhasa to extract; returns its path.
inline std::string write_lha_archive(const Bytes& packed, const Bytes& original, const std::string& method)
{
    constexpr std::uint8_t ATTRIBUTE = 0x20;  // archive bit
    constexpr std::uint8_t LEVEL = 1;
    constexpr std::uint8_t OS_ID = 'M';  // MS-DOS, as Award's members say
    constexpr std::uint32_t DOS_TIME = 0x21000000;
    const std::string name = "data.bin";
    ByteBuilder h;
    h.u8(0).u8(0).text(method).u32(static_cast<std::uint32_t>(packed.size()));
    h.u32(static_cast<std::uint32_t>(original.size())).u32(DOS_TIME).u8(ATTRIBUTE).u8(LEVEL);
    h.u8(static_cast<std::uint8_t>(name.size())).text(name).u16(crc16_arc(original)).u8(OS_ID).u16(0);
    Bytes a = h.data();
    a[0] = static_cast<std::uint8_t>(a.size() - 2);  // header size, from the method on
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < a.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + a[i]);
    a[1] = sum;
    a.insert(a.end(), packed.begin(), packed.end());
    a.push_back(0);  // end of archive
    return write_temp_file(a, "data.lzh");
}

// Packs each file with jlha's -lh5- in one archive (one run of jlha for all); the packed
// size of each, 0 for a file jlha stored rather than packed. Empty when jlha fails.
inline std::vector<std::uint32_t> jlha_packed_sizes(const std::vector<std::string>& files)
{
    constexpr std::size_t LEVEL2_MIN_HEADER = 26;
    std::string dir = test_temp_dir() + "/jlha-all";
    std::filesystem::create_directories(dir);
    std::string command = "cd '" + dir + "' && jlha aqo5 all.lzh";
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string name = std::to_string(i) + ".bin";  // short plain names, in order
        std::filesystem::copy_file(files[i], dir + "/" + name, std::filesystem::copy_options::overwrite_existing);
        command += " " + name;
    }
    if (run_command(command + " >/dev/null 2>&1") != 0)
        return {};
    Bytes a = read_file(dir + "/all.lzh");
    constexpr std::size_t FIRST_EXTENSION_SIZE = 24;  // each extension: type, data, next size
    constexpr std::uint8_t NAME_EXTENSION = 0x01;
    std::vector<std::uint32_t> sizes(files.size());
    std::size_t found = 0;
    for (std::size_t at = 0; at + LEVEL2_MIN_HEADER <= a.size();) {
        const std::uint8_t* h = a.data() + at;
        std::size_t headerSize = rd_u16(h, 0);
        std::uint32_t packed = rd_u32(h, 7);
        if (headerSize < LEVEL2_MIN_HEADER || at + headerSize > a.size())
            break;
        std::string name;
        for (std::size_t e = FIRST_EXTENSION_SIZE, size = rd_u16(h, e); size >= 3 && e + 2 + size <= headerSize;) {
            e += 2;
            if (h[e] == NAME_EXTENSION)
                name.assign(h + e + 1, h + e + size - 2);
            e += size - 2;
            size = rd_u16(h, e);
        }
        std::size_t index = std::strtoul(name.c_str(), nullptr, 10);
        if (index < files.size() && std::string(h + 2, h + 7) == "-lh5-") {
            sizes[index] = packed;
            ++found;
        }
        at += headerSize + packed;
    }
    return found > 0 ? sizes : std::vector<std::uint32_t>{};
}
