// Little-endian byte writing shared by the sample and fixture generators.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void u8(Bytes& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void u16(Bytes& out, unsigned v)
{
    u8(out, v & 0xFF);
    u8(out, (v >> 8) & 0xFF);
}

inline void u32(Bytes& out, std::uint32_t v)
{
    u16(out, v & 0xFFFF);
    u16(out, v >> 16);
}

inline void text(Bytes& out, const char* s)
{
    while (*s)
        u8(out, static_cast<unsigned char>(*s++));
}

inline void pad_to(Bytes& out, std::size_t size, std::uint8_t v = 0)
{
    if (out.size() < size)
        out.resize(size, v);
}

// Overwrites bytes already written.
inline void put_u16(Bytes& out, std::size_t at, unsigned v)
{
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

inline void put_u32(Bytes& out, std::size_t at, std::uint32_t v)
{
    put_u16(out, at, v & 0xFFFF);
    put_u16(out, at + 2, v >> 16);
}

// Writes the first keep bytes (all by default) to path and names the file on stdout.
inline bool write_file(const std::string& path, const Bytes& bytes, std::size_t keep = SIZE_MAX)
{
    std::size_t size = keep < bytes.size() ? keep : bytes.size();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (ok)
        std::printf("%s (%zu bytes)\n", path.c_str(), size);
    return ok;
}
