// EFI and Tiano compression, the lh5-kind coders of UEFI firmware sections.
//
// A stream is a 4-byte compressed size and a 4-byte original size (little-endian), then
// lh5 blocks. EFI keeps lh5's 8 KiB window: 14 position classes in a 4-bit count field.
// Tiano widens the window to 512 KiB: 20 position classes in a 5-bit count field. Unlike
// lh5 the window does not start full of spaces: a match that reaches before the first
// byte ends the stream.
#pragma once

#include <cstdint>
#include <span>

#include "codec/unpacked.h"

enum class EfiCompression { efi, tiano };

constexpr std::size_t EFI_COMPRESSION_HEADER = 8;

// Decodes a framed stream. An original size above maxOutput is refused before anything is
// allocated; a compressed size past the input's end is read as far as the input goes.
Unpacked efi_decompress(std::span<const std::uint8_t> input, EfiCompression kind, std::uint64_t maxOutput);

// The original size a framed stream declares (0 when the header is not all there).
std::uint32_t efi_original_size(std::span<const std::uint8_t> input);
