// UEFI firmware images: the walk that finds the pictures (BMP, JPEG, PNG, GIF) stored in
// sections of firmware-volume files. The scan runs it as one of its passes
// (CONTAINER_PASSES); walk_uefi_image runs it alone and counts what it went through, for
// tests and tools that compare the walk with other readers of the format.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_scan.h"

// RomCandidate::container of everything the walk lists. Its candidates carry the file GUID
// as name, the section path as detail ("FV 0x80000 > file 7BB28B99-61BB-11D5-9A5D-0090273FC14D
// "Logo" > LZMA > raw"), the unpacking chain as compression ("LZMA", "LZMA > Tiano", "none")
// and the payload's picture format ("BMP", "JPEG", "PNG", "GIF") as picture.
constexpr const char* UEFI_CONTAINER = "UEFI";

// Nested volumes and unpacked sections go this deep, and no deeper.
constexpr unsigned UEFI_MAX_DEPTH = 8;

struct UefiWalkReport {
    unsigned volumes = 0;   // every volume header that held together, nested ones included
    unsigned files = 0;     // files of FFS2/FFS3 volumes, pad files included
    unsigned sections = 0;  // sections at every depth
    std::vector<RomCandidate> candidates;  // the pictures
    std::vector<RomSkipped> skipped;       // the walk's notes of damage and of what it left unopened
};

UefiWalkReport walk_uefi_image(std::span<const std::uint8_t> image, const RomScanLimits& limits = {});
