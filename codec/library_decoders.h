// LZMA and Brotli, the library-coded compressions of UEFI firmware sections, as
// whole-buffer decoders with an output cap: nothing past maxOutput is ever produced, and a
// declared size above it is refused before anything is allocated.
#pragma once

#include <cstdint>
#include <span>

#include "codec/unpacked.h"

// An LZMA "alone" stream: 5 bytes of properties, an 8-byte unpacked size (all ones:
// unknown, the stream ends with a marker), then the LZMA data (liblzma). With x86Filter
// the bytes then go through the x86 branch-call-jump converter, as LZMA-F86 sections ask.
Unpacked lzma_alone_decode(std::span<const std::uint8_t> input, std::uint64_t maxOutput, bool x86Filter);

// A bare Brotli stream (libbrotlidec).
Unpacked brotli_decode(std::span<const std::uint8_t> input, std::uint64_t maxOutput);

// Header of an LZMA alone stream.
constexpr std::size_t LZMA_ALONE_HEADER = 13;
