// The contract of a fuzz target. Each fuzz/<name>_fuzzer.cpp defines fuzz_summary(); the
// libFuzzer entry (fuzz_entry.cpp) and the plain replay program (replay_main.cpp) both
// call it, so a crasher replays through exactly the code the fuzzer ran.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "core/stream_io.h"

// Runs one input through the target and describes the outcome in one short line
// ("refused", "id=12 640x480 frames=0", ...). The replay program compares it with the
// expected result kept beside each crasher file.
std::string fuzz_summary(const std::uint8_t* data, std::size_t size);

// A broken invariant is a finding like a crash: print what broke and abort, which both
// libFuzzer and the replay program report.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// The 5-byte control block the codec targets put before the stream: a size (bytes 0-3,
// little-endian, held to at most maxSize) and a byte of flags (byte 4).
struct CodecControl {
    std::uint32_t size = 0;
    std::uint8_t flags = 0;
    std::span<const std::uint8_t> stream;
};
inline constexpr std::size_t CODEC_CONTROL_SIZE = 5;

// False when the input is shorter than the control block.
inline bool read_codec_control(const std::uint8_t* data, std::size_t size, std::uint32_t maxSize, CodecControl& control)
{
    if (size < CODEC_CONTROL_SIZE)
        return false;
    control.size = rd_u32(data, 0) % (maxSize + 1);
    control.flags = data[4];
    control.stream = std::span(data + CODEC_CONTROL_SIZE, size - CODEC_CONTROL_SIZE);
    return true;
}
