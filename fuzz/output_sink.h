// An output stream for the kernel targets that keeps nothing: it counts the bytes written
// and checksums them, so a fuzz run never grows a file.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>

struct OutputSink {
    std::uint64_t bytes = 0;
    uLong crc = crc32(0, nullptr, 0);
};

inline ssize_t output_sink_write(void* cookie, const char* data, std::size_t size)
{
    auto* sink = static_cast<OutputSink*>(cookie);
    sink->bytes += size;
    sink->crc = crc32(sink->crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
    return static_cast<ssize_t>(size);
}

// A write-only stream over sink; close it with fclose.
inline std::FILE* open_output_sink(OutputSink& sink)
{
    cookie_io_functions_t io{nullptr, output_sink_write, nullptr, nullptr};
    return fopencookie(&sink, "wb", io);
}
