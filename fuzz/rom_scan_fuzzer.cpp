// Whole-ROM scan target: the container passes, the unpackers and the raw sweep over any
// bytes, then the confirmation of every candidate by detection and decoding.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_target.h"
#include "pipeline/rom_scan.h"

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    const RomScanLimits limits;
    std::span<const std::uint8_t> image(data, size);
    std::vector<RomCandidate> candidates = scan_rom_image(image);
    FUZZ_CHECK(candidates.size() <= limits.maxCandidates);  // each one offered counts
    for (const RomCandidate& c : candidates) {
        FUZZ_CHECK(c.bytes.size() <= std::max<std::uint64_t>(limits.maxModuleSize, size + 0x80));
        FUZZ_CHECK(!c.path.empty() && c.path.size() <= MAX_ROM_NESTING);
    }
    RomScanReport report = scan_rom_bytes(image);
    for (const FoundLogo& logo : report.logos) {
        FUZZ_CHECK(logo.formatId != 0 || logo.picture == "PNG" || logo.picture == "GIF");  // UEFI pictures have no identifier
        FUZZ_CHECK(!logo.bytes.empty());
        FUZZ_CHECK(logo.width != 0 && logo.height != 0);
    }
    return "candidates=" + std::to_string(candidates.size()) + " logos=" + std::to_string(report.logos.size());
}
