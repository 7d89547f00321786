// What the kernel targets report of their output, and a sink for the kernels' messages
// that keeps nothing.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/kernel_messages.h"

// "out=<bytes> crc=<crc-32>": the replay summary of a kernel's output.
inline std::string output_summary(const std::vector<std::uint8_t>& bytes)
{
    uLong crc = crc32(0, nullptr, 0);
    if (!bytes.empty())
        crc = crc32(crc, bytes.data(), static_cast<uInt>(bytes.size()));
    char summary[64];
    std::snprintf(summary, sizeof summary, "out=%llu crc=%08lx", static_cast<unsigned long long>(bytes.size()),
                  static_cast<unsigned long>(crc));
    return summary;
}

class KernelLinesDropped : public KernelSink {
public:
    void kernel_line(const std::string&) override {}
};
