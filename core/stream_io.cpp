#include "core/stream_io.h"

#include <cstring>

namespace {

bool seek_to(std::FILE* stream, std::uint64_t offset)
{
    if (offset > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace

std::size_t read_at(std::FILE* stream, std::uint64_t offset, std::uint8_t* buf, std::size_t n)
{
    if (!stream || !seek_to(stream, offset)) {
        if (n != 0)  // an empty read may come with no buffer (the data of an empty vector)
            std::memset(buf, 0, n);
        return 0;
    }
    return read_next(stream, buf, n);
}

std::size_t read_next(std::FILE* stream, std::uint8_t* buf, std::size_t n)
{
    std::size_t got = stream ? std::fread(buf, 1, n, stream) : 0;
    if (got < n)
        std::memset(buf + got, 0, n - got);
    return got;
}

std::uint64_t stream_size(std::FILE* stream)
{
    if (!stream || fseeko(stream, 0, SEEK_END) != 0)
        return 0;
    off_t size = ftello(stream);
    std::rewind(stream);
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

ByteReader::ByteReader(std::FILE* stream, std::uint64_t start) : stream_(stream)
{
    seek(start);
}

ByteReader::ByteReader(std::FILE* stream) : stream_(stream)
{
    off_t here = stream ? ftello(stream) : 0;
    base_ = here < 0 ? 0 : static_cast<std::uint64_t>(here);
}

ByteReader::~ByteReader()
{
    if (stream_)
        seek_to(stream_, tell());
}

std::uint16_t ByteReader::u16()
{
    std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t ByteReader::u32()
{
    std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

std::size_t ByteReader::read(std::uint8_t* out, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !refill())
            break;
        std::size_t take = end_ - pos_;
        if (take > n - done)
            take = n - done;
        std::memcpy(out + done, buf_ + pos_, take);
        pos_ += take;
        done += take;
    }
    if (done < n)
        std::memset(out + done, 0, n - done);
    return done;
}

void ByteReader::seek(std::uint64_t offset)
{
    if (offset >= base_ && offset <= base_ + end_) {
        pos_ = static_cast<std::size_t>(offset - base_);
        return;
    }
    base_ = offset;
    pos_ = end_ = 0;
    eof_ = false;
}

bool ByteReader::at_end()
{
    return pos_ == end_ && !refill();
}

bool ByteReader::refill()
{
    if (!stream_ || eof_)
        return false;
    base_ += end_;
    pos_ = end_ = 0;
    if (!seek_to(stream_, base_)) {
        eof_ = true;
        return false;
    }
    end_ = std::fread(buf_, 1, BUFFER_SIZE, stream_);
    if (end_ == 0)
        eof_ = true;
    return end_ > 0;
}
