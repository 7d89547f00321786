// UEFI walk target: descriptor, capsule and volume search, files, sections and every
// unpacker over any bytes, under small caps so a run stays short; then every picture it
// lists is decoded as the scan confirms it (PNG and GIF included). The whole scan runs in
// the rom_scan target.
#include <string>

#include "fuzz/fuzz_target.h"
#include "pipeline/decode_logo.h"
#include "pipeline/front_end.h"
#include "rom/uefi_walk.h"

namespace {

constexpr std::uint32_t MAX_MODULE = 1u << 20;
constexpr std::uint64_t BUDGET = 4ull << 20;

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    RomScanLimits limits;
    limits.maxModuleSize = MAX_MODULE;
    limits.minWorkBudget = BUDGET;
    limits.workBudgetPerFileByte = 1;
    std::span<const std::uint8_t> image(data, size);
    UefiWalkReport walk = walk_uefi_image(image, limits);
    for (const RomCandidate& c : walk.candidates) {
        FUZZ_CHECK(c.container == UEFI_CONTAINER);
        // A picture has bytes and a kind; the notes are skipped records.
        FUZZ_CHECK(!c.bytes.empty() && !c.picture.empty());
        FUZZ_CHECK(c.path.size() == 1);
        FUZZ_CHECK(c.bytes.size() <= std::max<std::uint64_t>(size, MAX_MODULE));
    }
    unsigned decoded = 0;
    for (const RomCandidate& c : walk.candidates) {
        SilentSink silent;
        HeadlessFrontEnd quiet;
        quiet.quiet = true;
        quiet.sink = &silent;
        LoadContext load(silent, false);
        decoded += decode_found_logo(load, c.bytes, c.name, quiet, ENGLISH_STRINGS).decoded ? 1 : 0;
    }
    return "volumes=" + std::to_string(walk.volumes) + " files=" + std::to_string(walk.files) +
           " sections=" + std::to_string(walk.sections) + " pictures=" + std::to_string(walk.candidates.size()) +
           " skipped=" + std::to_string(walk.skipped.size()) +
           " decoded=" + std::to_string(decoded);
}
