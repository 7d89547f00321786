// ROM scanning speed in MiB/s of image: the candidate passes alone (scan_rom_image) and
// the whole scan with the confirmation of every candidate (scan_rom_bytes), on 1 MiB
// images made here:
//   code     real-mode-code-like bytes with a few Award members (stored pictures), an
//            AMIBIOSC-style tag and a TEXTLOGO block: what a ROM mostly is;
//   noise    bytes with no structure, as compressed modules look;
//   erased   0xFF throughout, as unused flash;
//   dense    the committed synthetic ROMs of tests/data/roms, concatenated to 1 MiB;
// and the hostile shapes of tests/support/hostile_roms.h at 1 MiB.
//
//   rom_scan_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
//   rom_scan_bench --shapes [MiB]
//       scans each shape once at MiB (default 64) in a child process of its own and prints
//       its CPU seconds, peak memory (the child's maximum resident set), MiB/s, the logos
//       listed and whether the scan ran out of budget; the random shape's logos are the
//       false-positive count.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"
#include "pipeline/rom_scan.h"
#include "tests/support/hostile_roms.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t IMAGE_SIZE = 1u << 20;

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
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
    Bytes image = hostile_roms::code(IMAGE_SIZE, 1);
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

Bytes dense_image(std::size_t size = IMAGE_SIZE)
{
    Bytes image;
    const std::string dir = std::string(ZARPO2_TEST_DATA_DIR) + "/roms/";
    while (image.size() < size) {
        for (const char* name : {"award.bin", "ami.bin", "msi.bin", "phoenix.bin", "intel.bi1"}) {
            Bytes rom = read_file(dir + name);
            image.insert(image.end(), rom.begin(), rom.end());
        }
    }
    image.resize(size);
    return image;
}

const std::map<std::string, Bytes>& images()
{
    static const std::map<std::string, Bytes> all = {
        {"code", code_image()},
        {"noise", hostile_roms::random(IMAGE_SIZE)},
        {"erased", Bytes(IMAGE_SIZE, 0xFF)},
        {"dense", dense_image()},
        {"hostile-lha-chains", hostile_roms::lha_chains(IMAGE_SIZE)},
        {"hostile-pcx-flood", hostile_roms::pcx_flood(IMAGE_SIZE)},
        {"hostile-phoenix-claims", hostile_roms::phoenix_claims(IMAGE_SIZE)},
        {"hostile-osb-flood", hostile_roms::osb_flood(IMAGE_SIZE)}};
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


// The shapes at any size, for --shapes.
const std::vector<std::pair<std::string, std::function<Bytes(std::size_t)>>>& shapes()
{
    static const std::vector<std::pair<std::string, std::function<Bytes(std::size_t)>>> all = {
        {"code", [](std::size_t n) { return hostile_roms::code(n); }},
        {"dense", [](std::size_t n) { return dense_image(n); }},
        {"random", [](std::size_t n) { return hostile_roms::random(n); }},
        {"lha-chains", [](std::size_t n) { return hostile_roms::lha_chains(n); }},
        {"pcx-flood", [](std::size_t n) { return hostile_roms::pcx_flood(n); }},
        {"phoenix-claims", [](std::size_t n) { return hostile_roms::phoenix_claims(n); }},
        {"osb-flood", [](std::size_t n) { return hostile_roms::osb_flood(n); }},
    };
    return all;
}

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Each shape scanned once in a child; the child's CPU time and peak memory, net of the
// image it builds (measured by a child that only builds it).
int run_shapes(std::size_t mib)
{
    std::printf("%-16s %8s %10s %9s %10s %6s %s\n", "shape", "MiB", "CPU s", "MiB/s", "peak MiB", "logos", "budget");
    for (const auto& [name, make] : shapes()) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return 1;
        pid_t child = fork();
        if (child == 0) {
            close(pipeFds[0]);
            Bytes image = make(mib << 20);
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            RomScanReport report = scan_rom_bytes(image);
            rusage after{};
            getrusage(RUSAGE_SELF, &after);
            double cpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) -
                         seconds(before.ru_stime);
            char line[256];
            int n = std::snprintf(line, sizeof line, "%.3f %zu %d", cpu, report.logos.size(), report.incomplete ? 1 : 0);
            if (write(pipeFds[1], line, static_cast<std::size_t>(n)) != n)
                _exit(1);
            _exit(0);
        }
        close(pipeFds[1]);
        char line[256] = {};
        ssize_t got = read(pipeFds[0], line, sizeof line - 1);
        close(pipeFds[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        double cpu = 0;
        std::size_t logos = 0;
        int spent = 0;
        if (got <= 0 || std::sscanf(line, "%lf %zu %d", &cpu, &logos, &spent) != 3) {
            std::printf("%-16s failed\n", name.c_str());
            continue;
        }
        double peak = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB to MiB
        std::printf("%-16s %8zu %10.2f %9.1f %10.1f %6zu %s\n", name.c_str(), mib, cpu,
                    cpu > 0 ? static_cast<double>(mib) / cpu : 0.0, peak, logos, spent ? "spent" : "-");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--shapes") == 0)
        return run_shapes(argc >= 3 ? static_cast<std::size_t>(std::atoi(argv[2])) : 64);
    for (const auto& [name, image] : images()) {
        benchmark::RegisterBenchmark(("candidates/" + name).c_str(), candidates_only, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("scan/" + name).c_str(), whole_scan, name)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    ScanSpeedReporter reporter("scan (1 MiB image)", 1);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
