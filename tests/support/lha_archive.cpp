#include "support/lha_archive.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr std::size_t LEVEL2_MIN_HEADER = 26;
constexpr std::size_t LEVEL_OFFSET = 20;
constexpr unsigned LEVEL_2 = 2;

std::uint32_t le32(const Bytes& b, std::size_t off)
{
    return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) | (static_cast<std::uint32_t>(b[off + 3]) << 24);
}

std::string fresh_folder(const std::string& name)
{
    static int serial = 0;
    std::string dir = test_temp_dir() + "/lha-" + name + "-" + std::to_string(++serial);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

bool read_lha_member(const Bytes& archive, LhaMember& member)
{
    if (archive.size() < LEVEL2_MIN_HEADER || archive[LEVEL_OFFSET] != LEVEL_2)
        return false;
    std::size_t headerSize = archive[0] | (archive[1] << 8);  // whole header, extensions included
    member.method.assign(archive.begin() + 2, archive.begin() + 7);
    member.packedSize = le32(archive, 7);
    member.originalSize = le32(archive, 11);
    if (headerSize + member.packedSize > archive.size())
        return false;
    member.packed.assign(archive.begin() + headerSize, archive.begin() + headerSize + member.packedSize);
    return true;
}

bool jlha_pack(const Bytes& data, const std::string& name, LhaMember& member, std::string* archivePath,
               const std::string& method)
{
    if (!have_program("jlha"))
        return false;
    std::string dir = fresh_folder(name);
    std::FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    std::string archive = dir + "/" + name + ".lzh";
    if (run_command("cd '" + dir + "' && jlha aqo" + method + " '" + name + ".lzh' '" + name + "' >/dev/null 2>&1") != 0)
        return false;
    if (archivePath)
        *archivePath = archive;
    return read_lha_member(read_file(archive), member);
}

bool lhasa_unpack(const std::string& archivePath, Bytes& data)
{
    if (!have_program("lhasa"))
        return false;
    std::string dir = fresh_folder("lhasa");
    if (run_command("lhasa xqfw='" + dir + "' '" + archivePath + "' >/dev/null 2>&1") != 0)
        return false;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        data = read_file(entry.path().string());
        return true;
    }
    return false;
}
