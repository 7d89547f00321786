// Putting a new logo into a whole Award image end to end: the picture encoded for the slot
// (quantised, planes or cells written), packed with lh5, the run re-laid, bytes A and B
// fixed, the new image scanned twice (containers, then logos) and compared. Images of
// 256 KiB and 1 MiB are made from tests/data/roms/award-sums.bin: its member run at 0, 0xFF
// fill, its top 24 KiB (code page, decompression block, boot block) at the image's top.
//
//   rom_replace_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pipeline/rom_replace.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t RUN_END = 0x1A000;     // award-sums.bin: the fill ends at its code page
constexpr std::size_t SOURCE_SIZE = 0x20000;

Bytes award_image(std::size_t size)
{
    std::ifstream in(std::string(ZARPO2_TEST_DATA_DIR) + "/roms/award-sums.bin", std::ios::binary);
    Bytes source(std::istreambuf_iterator<char>(in), {});
    Bytes image(size, 0xFF);
    if (source.size() != SOURCE_SIZE)
        return {};
    std::copy(source.begin(), source.begin() + RUN_END, image.begin());
    std::copy(source.begin() + RUN_END, source.end(), image.end() - (SOURCE_SIZE - RUN_END));
    return image;
}

// A flat graphic with soft edges, as boot logos are: bands, a disc, a gradient.
SourcePicture picture(unsigned width, unsigned height)
{
    SourcePicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(std::size_t{width} * height * 3);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            std::uint8_t* px = &p.rgb[(std::size_t{y} * width + x) * 3];
            long dx = long(x) - width / 2, dy = long(y) - height / 2;
            bool disc = dx * dx + dy * dy < long(height) * height / 9;
            px[0] = static_cast<std::uint8_t>(disc ? 230 : (y * 255 / height) & 0xE0);
            px[1] = static_cast<std::uint8_t>(disc ? 200 : 40);
            px[2] = static_cast<std::uint8_t>(disc ? 20 : 160 - (x * 120 / width) / 16 * 16);
        }
    }
    return p;
}

// state.range(0): image size in KiB; range(1): 0 the small logo (4002, 136 x 84 EPA), 1 the
// full-screen one (4000, 640 x 480 AWBM).
void BM_ReplaceAward(benchmark::State& state)
{
    Bytes image = award_image(static_cast<std::size_t>(state.range(0)) << 10);
    RomScanReport scanned = scan_rom_bytes(image);
    bool full = state.range(1) == 1;
    const FoundLogo* slot = nullptr;
    for (const FoundLogo& logo : scanned.logos)
        if (logo.name.rfind(full ? "LOGO.BMP" : "AWARDEPA.BIN", 0) == 0)
            slot = &logo;
    if (image.empty() || !slot) {
        state.SkipWithError("no image or slot");
        return;
    }
    SourcePicture source = picture(full ? 640 : 136, full ? 480 : 84);
    const RomPackers packers = default_rom_packers();
    std::size_t packed = 0;
    for (auto _ : state) {
        SlotTarget target = choose_slot_target(image, *slot, nullptr);
        EncodeOptions options;
        options.target = target.target->target;
        options.width = source.width;
        options.height = source.height;
        options.epaMarkTail = slot_epa_mark(*slot);
        EncodedLogo encoded = encode_logo(source, options);
        RomReplacement r = replace_rom_logo(image, *slot, encoded.bytes, packers);
        if (!r.ok()) {
            state.SkipWithError(r.write.ok ? "verification failed" : r.write.refusal.c_str());
            return;
        }
        packed = r.write.report.newPacked;
        benchmark::DoNotOptimize(r.write.image.data());
    }
    state.counters["packed"] = static_cast<double>(packed);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_ReplaceAward)->Args({256, 0})->Args({256, 1})->Args({1024, 0})->Args({1024, 1})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
