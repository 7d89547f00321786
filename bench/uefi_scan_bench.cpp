// UEFI scanning speed in MiB/s of image, on a 16 MiB flash image made here the way board
// dumps are laid out:
//   0x0000000  an Intel flash descriptor naming the BIOS region;
//   0x0001000  an 8 MiB stretch of random bytes where the ME firmware sits (compressed
//              modules look like this);
//   0x0800000  the BIOS region: Debian's OVMF_CODE_4M.fd (its LZMA volume unpacks to
//              12 MiB), the two volumes of tests/data/uefi/synthetic.bin (seven planted
//              pictures, every compression kind), then erased flash.
// Measured: the UEFI walk alone (walk_uefi_image, every volume, file and section, every
// unpack) and the whole scan (scan_rom_bytes: every pass, the raw sweeps, and the
// confirmation of every picture).
//
//   uefi_scan_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"
#include "pipeline/rom_scan.h"
#include "rom/uefi_walk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t IMAGE_SIZE = 16u << 20;
constexpr std::size_t BIOS_AT = 8u << 20;
constexpr const char* OVMF = "/usr/share/OVMF/OVMF_CODE_4M.fd";

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void put_u32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

const Bytes& flash_image()
{
    static const Bytes image = [] {
        Bytes b(IMAGE_SIZE, 0xFF);
        put_u32(b, 0x10, 0x0FF0A55A);
        put_u32(b, 0x14, 0x00040003);                                                   // region table at 0x40
        put_u32(b, 0x44, ((IMAGE_SIZE - 1) >> 12) << 16 | static_cast<std::uint32_t>(BIOS_AT >> 12));  // BIOS region
        std::mt19937 rng(5);
        for (std::size_t i = 0x1000; i < BIOS_AT; ++i)
            b[i] = static_cast<std::uint8_t>(rng());
        std::size_t at = BIOS_AT;
        Bytes ovmf = read_file(OVMF);
        std::copy(ovmf.begin(), ovmf.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        at += ovmf.size();
        Bytes synthetic = read_file(std::string(ZARPO2_TEST_DATA_DIR) + "/uefi/synthetic.bin");
        std::copy(synthetic.begin() + 0x10000, synthetic.begin() + 0x30000, b.begin() + static_cast<std::ptrdiff_t>(at));
        if (ovmf.empty())
            std::fprintf(stderr, "uefi_scan_bench: %s is missing (package ovmf): the image lacks it\n", OVMF);
        return b;
    }();
    return image;
}

void walk_only(benchmark::State& state)
{
    const Bytes& image = flash_image();
    UefiWalkReport walk;
    for (auto _ : state)
        walk = walk_uefi_image(image);
    state.counters["volumes"] = walk.volumes;
    state.counters["files"] = walk.files;
    state.counters["sections"] = walk.sections;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}

void whole_scan(benchmark::State& state)
{
    const Bytes& image = flash_image();
    std::size_t found = 0;
    for (auto _ : state)
        found = scan_rom_bytes(image).logos.size();
    state.counters["logos"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}


}  // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("uefi_walk", walk_only)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("whole_scan", whole_scan)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    ScanSpeedReporter reporter("UEFI (16 MiB image)", 16);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
