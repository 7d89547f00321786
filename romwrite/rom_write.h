// Putting a new logo file into a whole ROM image: the logo's container is rebuilt (re-packed,
// its sizes and checks recomputed), the containers laid after it in the same run are moved
// with it, and the image's own checksums are fixed, in the order each family needs. Every
// write is then checked by scanning the new image again (verify_rom_write).
//
// What is written, per family:
//   Award LHA      the member (level 1, -lh5-; name, load address, attribute and OS ID kept),
//                  the members after it in its run with their separators, 0xFF fill to the
//                  old end of the run, byte A where it held in the input, then byte B;
//   AMI module     the module's stream (bare lh5 or stored; cores 0627, 0631, 0700, 0800),
//                  the modules below it moved (0800: 4-byte padding kept), their Prev
//                  pointers, the AMIBIOSC length (kept on 0700) and dword checksum;
//   MSI PCX slot   the length word and the PCX, inside the slot's 32 KiB;
//   Phoenix module the module in place (LZSS, LZARI, LZINT or stored) when it is not larger.
// Nothing else of the image changes: every writer names the ranges it may touch, and the
// verification compares every other byte.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_scan.h"

using RomImageBytes = std::vector<std::uint8_t>;

// The notice every write into a Phoenix image carries.
constexpr char PHOENIX_UNVERIFIED[] = "no checksum of this image family is known; not verified on a board";

// The packers a write needs, passed in so that the layer is tested with any of them. Each
// returns the packed stream of its input; an empty result means it could not pack.
struct RomPackers {
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)> lh5;
    // Phoenix LZSS and LZARI with their ring pre-filled with fill (the BCPCMP fill byte);
    // the LZARI stream starts with its 4-byte expanded size.
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>, std::uint8_t fill)> phoenixLzss;
    std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>, std::uint8_t fill)> phoenixLzari;
};

// A byte range of the image a write may change: [start, end).
struct RomRange {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// What one write did, for the short report and for the verification.
struct RomWriteReport {
    std::string slot;                  // where the logo sits: `Award LHA "AWARDEPA.BIN" (4002:0000) at 0x0000a1b3`
    std::uint64_t oldPacked = 0;       // bytes the logo took in its container before
    std::uint64_t newPacked = 0;       // and now
    std::uint64_t room = 0;            // the largest packed logo the slot takes
    std::uint64_t moved = 0;           // containers moved after it
    std::int64_t shift = 0;            // by how many bytes (negative: down in the file)
    std::vector<std::string> fixed;    // checksums and fields recomputed, one line each
    std::vector<std::string> notices;  // what the user must know ("no checksum of this image family ...")
    std::vector<RomRange> touched;     // every byte the write may have changed lies in one of these
    std::uint64_t newOffset = 0;       // the target candidate's offset in the new image (a logo found inside a
                                       // module goes by the module's)
    std::uint64_t containerOffset = 0; // where the container written (member, module, slot) starts now
    // The checks the verification repeats on the new image (each writer fills what it knows).
    std::uint64_t awardByteA = 0;      // offset of byte A, when it held in the input and was fixed
    std::uint64_t awardByteB = 0;      // offset of byte B, when fixed
    bool awardByteAHeld = false;
    std::uint64_t amiHeader = 0;       // offset of the AMIBIOSC header whose dword sum was fixed
    bool amiSumFixed = false;
};

struct RomWriteResult {
    bool ok = false;
    std::string refusal;  // why nothing was written, in words the user can act on
    RomImageBytes image;  // the new image, as large as the old one
    RomWriteReport report;
};

// Puts newLogo (the bytes of a logo file, as the slot holds it unpacked) into the image in
// the place of target, a candidate of scan_rom_image(image). The result is either a new image
// or a refusal; the image itself is not changed.
RomWriteResult write_logo_into_rom(std::span<const std::uint8_t> image, const RomCandidate& target,
                                   std::span<const std::uint8_t> newLogo, const RomPackers& packers);

// The result of checking a written image against the image it was made from.
struct RomVerification {
    bool ok = false;
    std::vector<std::string> failures;  // one line per check that failed
    std::vector<std::string> passed;    // one line per check that held
};

// Checks a write: the image size is unchanged; no byte outside the report's touched ranges
// changed; the new image, scanned again, holds the target's container with exactly newLogo
// unpacked, and every other container the old image held unpacks to the same bytes; every
// Award member passes its header sum and CRC-16; bytes A and B, and the AMI dword sum, hold
// where the write fixed them; an AMI chain lies where its core's size rules put it.
RomVerification verify_rom_write(std::span<const std::uint8_t> oldImage, std::span<const std::uint8_t> newImage,
                                 const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                 const RomWriteReport& report);
