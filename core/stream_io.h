// Bounded reads from a logo stream. Every read zero-fills what the file did not supply,
// so no byte of an earlier read is ever tested again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads n bytes at offset into buf; returns how many came from the file, the rest are 0.
std::size_t read_at(std::FILE* stream, std::uint64_t offset, std::uint8_t* buf, std::size_t n);

// Reads n bytes from the current position; returns how many came from the file, the rest are 0.
std::size_t read_next(std::FILE* stream, std::uint8_t* buf, std::size_t n);

// Size of the stream in bytes; leaves the stream rewound.
std::uint64_t stream_size(std::FILE* stream);

inline std::uint16_t rd_u16(const std::uint8_t* p, std::size_t off)
{
    return static_cast<std::uint16_t>(p[off] | (p[off + 1] << 8));
}

inline std::uint32_t rd_u32(const std::uint8_t* p, std::size_t off)
{
    return static_cast<std::uint32_t>(p[off]) | (static_cast<std::uint32_t>(p[off + 1]) << 8) |
           (static_cast<std::uint32_t>(p[off + 2]) << 16) | (static_cast<std::uint32_t>(p[off + 3]) << 24);
}

inline std::uint16_t rd_u16be(const std::uint8_t* p, std::size_t off)
{
    return static_cast<std::uint16_t>((p[off] << 8) | p[off + 1]);
}

inline std::uint32_t rd_u32be(const std::uint8_t* p, std::size_t off)
{
    return static_cast<std::uint32_t>(rd_u16be(p, off)) << 16 | rd_u16be(p, off + 2);
}

// Buffered sequential reader over a stream, for decoders and kernels that take the
// logo byte by byte. While it lives it owns the stream position; when it goes out of
// scope the stream is left at the reader's logical position.
class ByteReader {
public:
    ByteReader(std::FILE* stream, std::uint64_t start);
    explicit ByteReader(std::FILE* stream);  // starts at the stream's current position
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // Next byte, or -1 past the end of the stream (like getc).
    int get()
    {
        if (pos_ < end_)
            return buf_[pos_++];
        return refill() ? buf_[pos_++] : -1;
    }
    // Next byte, 0 past the end.
    std::uint8_t u8()
    {
        int c = get();
        return c < 0 ? 0 : static_cast<std::uint8_t>(c);
    }
    std::uint16_t u16();
    std::uint32_t u32();
    // Reads n bytes into out; returns how many came from the stream, the rest are 0.
    std::size_t read(std::uint8_t* out, std::size_t n);
    void skip(std::uint64_t n) { seek(tell() + n); }
    void seek(std::uint64_t offset);
    std::uint64_t tell() const { return base_ + pos_; }
    bool at_end();

private:
    bool refill();

    static constexpr std::size_t BUFFER_SIZE = 64 * 1024;
    std::FILE* stream_;
    std::uint64_t base_ = 0;  // stream offset of buf_[0]
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::uint8_t buf_[BUFFER_SIZE];
};
