// The records of one loaded logo: its descriptor and, for multi-frame logos, its frames.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/catalogue.h"

// What detection found out about a logo, and the buffers the pipeline allocated for it.
// Passed to decoders and encoders by value: a copy still reaches the buffers and the stream.
struct LogoDescriptor {
    LogoFormatId formatId = 0;
    const char* formatName = nullptr;
    std::uint16_t width = 0;       // pixels; for multi-frame logos the size that sizes the window
    std::uint16_t height = 0;
    std::uint64_t dataSize = 0;    // bytes of logo data, usually the file size (which may pass 4 GiB)
    std::uint8_t frameCount = 0;   // 0 for single pictures
    std::uint16_t colorCount = 0;  // palette colours the format declares
    std::uint32_t reservedWord = 0;
    std::uint8_t* image = nullptr;    // width x height x 3 bytes, RGB, rows top-down
    std::uint8_t* palette = nullptr;  // 256 entries of R, G, B
    std::FILE* stream = nullptr;      // the logo, or a temporary stream of unpacked data
    void* displayImage = nullptr;     // unused in the descriptor itself
};

// One frame of a multi-frame logo. Same layout as the descriptor; only width, height,
// pixels and displayImage carry meaning.
struct LogoFrame {
    LogoFormatId formatId = 0;
    const char* formatName = nullptr;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint64_t dataSize = 0;
    std::uint8_t frameCount = 0;
    std::uint16_t colorCount = 0;
    std::uint32_t reservedWord = 0;
    std::uint8_t* pixels = nullptr;   // width x height x 3 bytes, allocated through the load (a view)
    std::uint8_t* palette = nullptr;
    std::FILE* stream = nullptr;
    void* displayImage = nullptr;     // toolkit image over pixels, owned by the viewer
};

// A multi-frame walk never yields more frames than frameCount can count.
constexpr unsigned MAX_FRAMES = 255;
