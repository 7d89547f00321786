// The whole-ROM scanner: finds the places inside a firmware image where a logo may sit
// (LHA members, AMI and Phoenix modules, Intel parts, MSI slots, raw signatures) and
// unpacks each into memory. It knows containers and compressions, not pictures: every
// candidate still has to be confirmed by detection and decoding (pipeline/rom_scan.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct RomCandidate {
    std::string container;    // "Award LHA", "LHA archive", "AMI module", "MSI PCX slot", "Phoenix module",
                              // "Phoenix BCD6F1", "Intel part", "UEFI", "raw"
    std::string name;         // member name as stored, AMI module ID, Phoenix type letter and instance, ...
    std::string detail;       // more of the record: Award load address, Phoenix load address, AMI flags ...
    std::string compression;  // "none", "lh0", "lh5", "LZSS", "LZARI", "LZINT", "LH5 container" ...
    std::uint64_t offset = 0; // where the container record starts in the file
    std::uint64_t length = 0; // bytes of the file it covers
    std::vector<std::uint8_t> bytes;  // unpacked; empty when it could not be unpacked
    std::vector<std::string> notes;   // "header checksum mismatch", "CRC-16 mismatch", ...
    std::string picture;              // a UEFI payload's picture format: "BMP", "JPEG", "PNG", "GIF"
    // Index of the candidate whose unpacked bytes hold this one (a signature found inside
    // a module), or -1 when it was found in the file itself.
    int parent = -1;
};

// Bounds of one scan. The defaults suit real ROM images, which are at most a few MiB and
// unpack to a few MiB more.
struct RomScanLimits {
    std::uint64_t maxFileSize = 64ull << 20;         // only this much of a file is scanned
    std::uint32_t maxModuleSize = 16u << 20;         // larger unpacked sizes are refused
    std::uint64_t minUnpackBudget = 64ull << 20;     // bytes all unpacking may produce, at least,
    std::uint32_t unpackBudgetPerFileByte = 8;       //   or this many per byte of the file
    std::uint32_t maxRawCarve = 4u << 20;            // longest raw signature carve
    std::size_t maxCandidates = 4096;
};

// Scans an image held in memory. Candidates come in file order within each pass: Award
// and other LHA members, AMI modules, MSI slots, Phoenix modules and BCD6F1 blocks, Intel
// TEXTLOGO blocks, pictures in UEFI volumes (rom/uefi_walk.h), then raw signatures in the
// file and inside every unpacked candidate.
std::vector<RomCandidate> scan_rom_image(std::span<const std::uint8_t> image, const RomScanLimits& limits = {});

// Length of the picture file at the start of bytes by the rules the raw sweep carves
// with (PCX rows walked, BMP and PG sizes from the header, TEXTLOGO at 0x80 ...).
// signature is set to the name of the signature that starts the bytes ("PCX", "BMP",
// "AWBM", "PG", "GRFX", "ICON", "TEXTLOGO", "JPEG", ...), empty when none does; the
// result is 0 when its picture does not fit in the bytes.
std::uint64_t rom_picture_extent(std::span<const std::uint8_t> bytes, std::string& signature);

// CRC-16/ARC (reflected polynomial 0xA001, initial 0), the LHA data check.
std::uint16_t crc16_arc(std::span<const std::uint8_t> bytes);
