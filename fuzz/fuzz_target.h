// The contract of a fuzz target. Each fuzz/<name>_fuzzer.cpp defines fuzz_summary(); the
// libFuzzer entry (fuzz_entry.cpp) and the plain replay program (replay_main.cpp) both
// call it, so a crasher replays through exactly the code the fuzzer ran.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
