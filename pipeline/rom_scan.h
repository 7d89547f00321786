// Logos inside whole ROM images: the rom/ scanner's candidates, each confirmed by the
// normal detection and a bounded decode of its unpacked bytes.
//
// A candidate is listed as a logo only when all of these hold:
//   - detection claims its bytes and the format's decoder runs;
//   - the picture (or every frame) is not empty, and the declared pixels are within
//     reach of the bytes (at most 256 pixels a byte, as run-length data can give);
//   - the pixels are not all one colour (a header over zero fill or erased flash);
//   - where the format is one the raw sweep measures (PCX rows, BMP, AWBM, PG, GRFX,
//     ICON, TEXTLOGO, JPEG) and its signature starts the bytes, the picture's data is
//     all there and takes at least a quarter of the bytes: a header alone, or a small
//     header at the start of a large code module, is not a logo;
//   - a logo found inside a module that is itself a listed logo is not listed again.
// A UEFI image's PNG and GIF pictures are confirmed the same way, through
// detect_found_logo and decode_found_logo (pipeline/decode_logo.h).
// Every decode runs with a silent front end and the normal load budget; the scan as a
// whole decodes at most MAX_ROM_CONFIRM_PIXELS pixels and MAX_ROM_CONFIRMATIONS candidates.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "rom/rom_scan.h"

constexpr std::uint64_t MAX_ROM_CONFIRM_PIXELS = 64ull << 20;
constexpr std::size_t MAX_ROM_CONFIRMATIONS = 1024;

// A confirmed logo: where it was found (the candidate's fields; bytes hold the logo file
// as zarpo2 opens it) and what detection made of it.
struct FoundLogo : RomCandidate {
    LogoFormatId formatId = 0;
    std::string formatName;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t frameCount = 0;
};

struct RomScanReport {
    std::vector<FoundLogo> logos;        // by file offset
    std::vector<std::string> problems;   // one line each: records that could not be unpacked, budgets spent
    bool opened = true;                  // false when the file could not be read
    std::string openProblem;             // then why: NOT_A_REGULAR_FILE or the system's reason
};

// Scans an image in memory.
RomScanReport scan_rom_bytes(std::span<const std::uint8_t> image);
// Reads the file (at most RomScanLimits::maxFileSize bytes; a larger file is not scanned)
// and scans it. Only a regular file is read (open_input_file): a folder, FIFO or device
// is refused without waiting on it.
RomScanReport scan_rom(const std::string& path);

// The file name of a found logo: "<ROM leaf>-<offset, 8 hex digits>-<member>". The ROM's
// leaf and the member name (its DOS path and anything after a NUL dropped; the container
// when nothing is left) keep [A-Za-z0-9-], every other byte becomes '_' (a run of them one
// '_'), each cut to 40 characters: no dot and no slash, so the name is one path component
// with no extension whatever the ROM holds.
std::string found_logo_name(const std::string& romPath, const FoundLogo& logo);

// found_logo_name in the ROM's folder: the name a logo loaded from the ROM goes by, so its
// PNG files are written beside the ROM.
std::string found_logo_stem(const std::string& romPath, const FoundLogo& logo);

// Where the logo was found, for a line of text: Award LHA "LOGO.BMP" (4000:0000). Names
// end at a NUL; control bytes, bytes that are not valid UTF-8 (escaped_text), quotes and
// backslashes in them are \xNN.
// A UEFI picture's place is its section path: UEFI FV 0x80000 > file 7BB28B99-... "Logo" > LZMA > raw.
std::string found_logo_place(const FoundLogo& logo);
