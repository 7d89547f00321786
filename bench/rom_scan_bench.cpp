// ROM scanning speed in MiB/s of image: the candidate passes alone (scan_rom_image) and
// the whole scan with the confirmation of every candidate (scan_rom_bytes), on 1 MiB
// images made here:
//   code     real-mode-code-like bytes with a few Award members (stored pictures), an
//            AMIBIOSC-style tag and a TEXTLOGO block: what a ROM mostly is;
//   noise    bytes with no structure, as compressed modules look;
//   erased   0xFF throughout, as unused flash;
//   dense    the committed synthetic ROMs of tests/data/roms, concatenated to 1 MiB.
//
//   rom_scan_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
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

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t IMAGE_SIZE = 1u << 20;

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes code_bytes(std::size_t n, unsigned seed)
{
    static const std::vector<Bytes> OPS = {{0x55}, {0x8B, 0xEC}, {0x50}, {0x1E}, {0x5D}, {0xC3}, {0xB8}, {0xE8},
                                           {0xE9}, {0x74}, {0xEB}, {0xCD, 0x10}, {0x8E, 0xD8}, {0x66, 0x60}, {0xEE}};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const Bytes& op = OPS[rng() % OPS.size()];
        out.insert(out.end(), op.begin(), op.end());
        for (unsigned k = rng() % 3; k > 0; --k)
            out.push_back(static_cast<std::uint8_t>(rng()));
    }
    out.resize(n);
    return out;
}

// A stored level-1 Award member.
Bytes award_member(const std::string& name, unsigned segment, const Bytes& data)
{
    unsigned crc = 0;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    auto le = [](Bytes& b, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    Bytes h{static_cast<std::uint8_t>(25 + name.size()), 0, '-', 'l', 'h', '0', '-'};
    le(h, static_cast<std::uint32_t>(data.size()), 4);
    le(h, static_cast<std::uint32_t>(data.size()), 4);
    le(h, 0, 2);
    le(h, segment, 2);
    h.push_back(0x20);
    h.push_back(1);
    h.push_back(static_cast<std::uint8_t>(name.size()));
    h.insert(h.end(), name.begin(), name.end());
    le(h, crc, 2);
    h.push_back(0x20);
    le(h, 0, 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

Bytes code_image()
{
    const std::string data = ZARPO2_TEST_DATA_DIR;
    Bytes image = code_bytes(IMAGE_SIZE, 1);
    std::size_t at = 0x1000;
    for (const char* name : {"bmp/magick-8bit.bmp", "pcx/netpbm-4plane.pcx", "award/awbm16.bin", "phoenix/pg-standard.pg"}) {
        Bytes member = award_member(name, 0x4000, read_file(data + "/" + name));
        std::copy(member.begin(), member.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
        at += 0x20000;
    }
    const std::string tag = "AMIBIOSC0627";
    std::copy(tag.begin(), tag.end(), image.begin() + 0xFCFEA);
    Bytes textlogo = read_file(data + "/intel/textlogo.bin");
    std::copy(textlogo.begin() + 0x80, textlogo.end(), image.begin() + 0xC0000);
    image[0xC0008] = 21;
    return image;
}

Bytes noise_image()
{
    std::mt19937 rng(3);
    Bytes image(IMAGE_SIZE);
    for (std::uint8_t& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

Bytes dense_image()
{
    Bytes image;
    const std::string dir = std::string(ZARPO2_TEST_DATA_DIR) + "/roms/";
    while (image.size() < IMAGE_SIZE) {
        for (const char* name : {"award.bin", "ami.bin", "msi.bin", "phoenix.bin", "intel.bi1"}) {
            Bytes rom = read_file(dir + name);
            image.insert(image.end(), rom.begin(), rom.end());
        }
    }
    image.resize(IMAGE_SIZE);
    return image;
}

const std::map<std::string, Bytes>& images()
{
    static const std::map<std::string, Bytes> all = {
        {"code", code_image()}, {"noise", noise_image()}, {"erased", Bytes(IMAGE_SIZE, 0xFF)}, {"dense", dense_image()}};
    return all;
}

void candidates_only(benchmark::State& state, const std::string& name)
{
    const Bytes& image = images().at(name);
    std::size_t found = 0;
    for (auto _ : state)
        found = scan_rom_image(image).size();
    state.counters["candidates"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}

void whole_scan(benchmark::State& state, const std::string& name)
{
    const Bytes& image = images().at(name);
    std::size_t found = 0;
    for (auto _ : state)
        found = scan_rom_bytes(image).logos.size();
    state.counters["logos"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}

// After the console table: MiB/s and milliseconds per 1 MiB image, median of the repetitions.
class ScanReporter : public SummaryReporter {
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %10s %12s\n", "scan (1 MiB image)", "MiB/s", "ms/image");
        for (const auto& [name, speeds] : speeds_) {
            double mib = median(speeds) / (1024.0 * 1024.0);
            std::printf("%-28s %10.1f %12.2f\n", name.c_str(), mib, mib > 0 ? 1000.0 / mib : 0.0);
        }
    }

protected:
    void collect(const Run& run) override
    {
        auto it = run.counters.find("bytes_per_second");
        if (it != run.counters.end())
            speeds_[run.run_name.function_name].push_back(it->second);
    }

private:
    std::map<std::string, std::vector<double>> speeds_;
};

}  // namespace

int main(int argc, char** argv)
{
    for (const auto& [name, image] : images()) {
        benchmark::RegisterBenchmark(("candidates/" + name).c_str(), candidates_only, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("scan/" + name).c_str(), whole_scan, name)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    ScanReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
