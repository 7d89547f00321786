// Replace-then-verify over any image: every logo the scan lists (the first few) is written
// back into its slot with its own bytes, through the family writers and the verification.
// A refusal must name its reason and give no image; a write must keep the image's size and
// name only ranges inside it; the verification must run to the end either way.
#include <string>

#include "fuzz/fuzz_target.h"
#include "pipeline/rom_replace.h"

namespace {

constexpr std::size_t MAX_IMAGE = 1u << 20;  // the scans of a write run twice more over the image
constexpr std::size_t MAX_LOGOS = 3;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    if (size > MAX_IMAGE)
        return "too large";
    std::span<const std::uint8_t> image(data, size);
    RomScanReport scanned = scan_rom_bytes(image);
    const RomPackers packers = default_rom_packers();
    unsigned written = 0, refused = 0, verified = 0;
    for (std::size_t i = 0; i < scanned.logos.size() && i < MAX_LOGOS; ++i) {
        const FoundLogo& logo = scanned.logos[i];
        RomReplacement r = replace_rom_logo(image, logo, logo.bytes, packers);
        if (!r.write.ok) {
            FUZZ_CHECK(!r.write.refusal.empty());
            FUZZ_CHECK(r.write.image.empty());
            ++refused;
            continue;
        }
        ++written;
        FUZZ_CHECK(r.write.image.size() == size);
        for (const RomRange& range : r.write.report.touched)
            FUZZ_CHECK(range.start <= range.end && range.end <= size);
        FUZZ_CHECK(!r.verification.passed.empty() || !r.verification.failures.empty());
        verified += r.verification.ok ? 1 : 0;
    }
    return "logos=" + std::to_string(scanned.logos.size()) + " written=" + std::to_string(written) +
           " verified=" + std::to_string(verified) + " refused=" + std::to_string(refused);
}
