#include "support/lha_archive.h"

#include <filesystem>

#include "core/stream_io.h"

namespace {

constexpr std::size_t LEVEL2_MIN_HEADER = 26;
constexpr std::size_t LEVEL_OFFSET = 20;
constexpr unsigned LEVEL_2 = 2;

// Parses the level-2 header at the start of archive; false when it is not one.
bool read_lha_member(const Bytes& archive, LhaMember& member)
{
    if (archive.size() < LEVEL2_MIN_HEADER || archive[LEVEL_OFFSET] != LEVEL_2)
        return false;
    std::size_t headerSize = rd_u16(archive.data(), 0);  // whole header, extensions included
    member.method.assign(archive.begin() + 2, archive.begin() + 7);
    member.packedSize = rd_u32(archive.data(), 7);
    member.originalSize = rd_u32(archive.data(), 11);
    if (headerSize + member.packedSize > archive.size())
        return false;
    member.packed.assign(archive.begin() + headerSize, archive.begin() + headerSize + member.packedSize);
    return true;
}

}  // namespace

bool jlha_pack(const Bytes& data, const std::string& name, LhaMember& member, std::string* archivePath,
               const std::string& method)
{
    if (!have_program("jlha"))
        return false;
    std::string dir = std::filesystem::path(write_temp_file(data, name)).parent_path();
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
    std::string dir = std::filesystem::path(archivePath).parent_path() / "lhasa";
    std::filesystem::create_directories(dir);
    if (run_command("lhasa xqfw='" + dir + "' '" + archivePath + "' >/dev/null 2>&1") != 0)
        return false;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        data = read_file(entry.path().string());
        return true;
    }
    return false;
}
