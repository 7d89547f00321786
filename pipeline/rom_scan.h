// Logos inside whole ROM images: the rom/ scanner's candidates, each confirmed by the
// normal detection and a bounded decode of its unpacked bytes as the scan finds it.
//
// A candidate is listed as a logo when all of these hold:
//   - detection claims its bytes and the format's decoder runs;
//   - the picture (or every frame) is not empty, at most MAX_ROM_CONFIRM_PIXELS pixels,
//     and the declared pixels are within reach of the bytes (at most 256 pixels a byte,
//     as run-length data can give);
//   - where the format has a measuring rule (formats/picture_extent.h), its data is all
//     in the bytes; padding after it does not matter, as the container or the raw sweep
//     says where the bytes end;
//   - the pixels are not all one colour (a header over zero fill or erased flash), except
//     in a slot its container names a logo slot, which is listed with the note "blank
//     picture" so that a logo can be put there;
//   - a raw hit of a two-byte signature (PG) has rows that are not noise.
// A listed logo claims its byte range: nothing inside it is listed again. Every decode
// runs with a silent front end, and is charged to the scan's one work budget.
// A UEFI image's PNG and GIF pictures are confirmed the same way, through
// detect_found_logo and decode_found_logo (pipeline/decode_logo.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "rom/rom_scan.h"

constexpr std::uint64_t MAX_ROM_CONFIRM_PIXELS = 16ull << 20;  // per picture, all frames
constexpr std::uint64_t MAX_ROM_KEPT_BYTES = 64ull << 20;      // bytes of the listed logos, all told

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
    std::vector<RomSkipped> skipped;     // what was dropped or not looked at, and why
    std::size_t skippedNotKept = 0;      // more of them, not kept
    std::vector<std::string> problems;   // the skipped records as lines of text
    bool opened = true;                  // false when the file could not be read
    std::string openProblem;             // then why: NOT_A_REGULAR_FILE or the system's reason
    bool incomplete = false;             // part of the image was not looked at (budget, caps, size)
    bool notScanned = false;             // the file is too large to scan
};

// Scans an image in memory.
RomScanReport scan_rom_bytes(std::span<const std::uint8_t> image);
// Reads the file (at most RomScanLimits::maxFileSize bytes; a larger file is not scanned)
// and scans it. Only a regular file is read (open_input_file): a folder, FIFO or device
// is refused without waiting on it.
RomScanReport scan_rom(const std::string& path);
// The reading part of scan_rom: the whole file into image; false with report's opened,
// openProblem or problems saying why.
bool read_rom_file(const std::string& path, std::vector<std::uint8_t>& image, RomScanReport& report);

// The file name of a found logo: "<ROM leaf>-<offset, 8 hex digits>-<member>". The ROM's
// leaf and the member name (its DOS path and anything after a NUL dropped; the container
// when nothing is left) keep [A-Za-z0-9-], every other byte becomes '_' (a run of them one
// '_'), each cut to 40 characters: no dot and no slash, so the name is one path component
// with no extension whatever the ROM holds.
std::string found_logo_name(const std::string& romPath, const FoundLogo& logo);

// found_logo_name in the ROM's folder: the name a logo loaded from the ROM goes by, so its
// PNG files are written beside the ROM.
std::string found_logo_stem(const std::string& romPath, const FoundLogo& logo);

// Where the logo was found, for a line of text: Award LHA "LOGO.BMP" (4000:0000), and for
// a logo inside unpacked bytes the containers from the file down joined by " > ":
// LHA archive "BIOS.BIN" > Award LHA "AwardBmp.bmp" (4002:0000). Names end at a NUL;
// control bytes, bytes that are not valid UTF-8 (escaped_text), quotes
// and backslashes in them are \xNN.
// A UEFI picture's place is its section path: UEFI FV 0x80000 > file 7BB28B99-... "Logo" > LZMA > raw.
std::string found_logo_place(const FoundLogo& logo);
// The same for a path of containers (a skipped record's).
std::string rom_path_text(const std::vector<RomContainer>& path);
// A skipped record as a line of text: "0x00001234 Award LHA "x.bmp" (4000:0000): reason".
std::string skipped_text(const RomSkipped& skipped);
