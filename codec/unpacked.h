// What the whole-buffer decompressors of firmware sections give back: the bytes out, and
// why they are not all there (empty when the stream gave everything it promised).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Unpacked {
    std::vector<std::uint8_t> bytes;
    std::string problem;

    bool complete() const { return problem.empty(); }
};
