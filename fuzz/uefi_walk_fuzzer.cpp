// UEFI walk target: descriptor, capsule and volume search, files, sections and every
// unpacker over any bytes, under small caps so a run stays short; then the confirmation of
// what it lists (PNG and GIF decoding included) through the whole scan.
#include <string>

#include "fuzz/fuzz_target.h"
#include "pipeline/rom_scan.h"
#include "rom/uefi_walk.h"

namespace {

constexpr std::uint32_t MAX_MODULE = 1u << 20;
constexpr std::uint64_t BUDGET = 4ull << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    RomScanLimits limits;
    limits.maxModuleSize = MAX_MODULE;
    limits.minUnpackBudget = BUDGET;
    limits.unpackBudgetPerFileByte = 1;
    std::span<const std::uint8_t> image(data, size);
    UefiWalkReport walk = walk_uefi_image(image, limits);
    for (const RomCandidate& c : walk.candidates) {
        FUZZ_CHECK(c.container == UEFI_CONTAINER);
        // A picture has bytes and a kind; a record of notes has neither.
        FUZZ_CHECK(c.bytes.empty() == c.picture.empty());
        FUZZ_CHECK(c.bytes.empty() != c.notes.empty());
        FUZZ_CHECK(c.bytes.size() <= std::max<std::uint64_t>(size, MAX_MODULE));
    }
    RomScanReport report = scan_rom_bytes(image);
    return "volumes=" + std::to_string(walk.volumes) + " files=" + std::to_string(walk.files) +
           " sections=" + std::to_string(walk.sections) + " records=" + std::to_string(walk.candidates.size()) +
           " logos=" + std::to_string(report.logos.size());
}
