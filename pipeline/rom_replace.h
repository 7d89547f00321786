// Replacing a logo found in a ROM image (pipeline/rom_scan.h) with a new logo file: the
// romwrite/ layer writes it and checks the containers and checksums; here the new image is
// also scanned the way `scan` scans, and the logo listed at the slot must decode, pixel for
// pixel, to what the new logo file decodes to. Used by `zarpo2-cli replace` and the viewer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "encode/encode_logo.h"
#include "pipeline/rom_scan.h"
#include "romwrite/rom_write.h"

struct RomReplacement {
    RomWriteResult write;            // the new image, or the refusal
    RomVerification verification;    // empty when nothing was written
    bool ok() const { return write.ok && verification.ok; }
};

// The format a slot is written in: the one it holds (Award: AWBM only where the slot holds
// AWBM or the system BIOS contains "AWBM", else EPA v1). requested (may be null) overrides
// it, with a warning where the firmware is not known to show that format there.
struct SlotTarget {
    const TargetInfo* target = nullptr;  // null: refusal says why
    std::string refusal;
    std::string warning;
};
SlotTarget choose_slot_target(std::span<const std::uint8_t> image, const FoundLogo& slot, const TargetInfo* requested);

// The 70-byte Award mark that ends the slot's EPA file; empty for other slots.
std::vector<std::uint8_t> slot_epa_mark(const FoundLogo& slot);

// What a logo file decodes to: its size and the RGB of its picture (the first frame's for
// an animation); empty rgb when it does not decode.
struct DrawnLogo {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    LogoFormatId formatId = FORMAT_UNKNOWN;
    std::vector<std::uint8_t> rgb;
};
DrawnLogo draw_logo_bytes(std::span<const std::uint8_t> bytes);

// The packers of this build (the lh5 encoder, the Phoenix ring coders).
RomPackers default_rom_packers();

// Writes newLogo in the place of target (a logo of scan_rom_bytes(image)) and verifies the
// result; the image itself is not changed.
RomReplacement replace_rom_logo(std::span<const std::uint8_t> image, const FoundLogo& target,
                                std::span<const std::uint8_t> newLogo, const RomPackers& packers);

// The texts of the report's lines, printf formats whose values come in the order the
// English ones take them; the command's are the English ones, the viewer passes its language's.
struct ReplacementReportTexts {
    const char* slot = "slot: %s";
    const char* packedSize = "packed size: %llu -> %llu bytes; room %llu, %lld left";
    const char* moved = "moved: %llu container(s) after it by %+lld bytes";
    const char* fixed = "fixed: %s";
    const char* verificationFailed = "verification failed: %s";
    const char* verified = "verified: %zu checks held";
};

// The report's lines (the slot alone for a refusal): slot, old -> new packed size, room left, moves, checksums fixed,
// then the verification (one line per failed check, or one line that all held). What the
// lower layers name (the slot, the checksums, the failed checks) stays as they word it.
std::vector<std::string> replacement_report(const RomReplacement& replacement,
                                            const ReplacementReportTexts& texts = ReplacementReportTexts{});
