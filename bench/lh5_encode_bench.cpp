// lh5 encoding: lh5_encode against jlha (`jlha ao5`, -lh5-) on sets of files, in packed
// size and in MB/s of input. Sets:
//   logos     the committed logo and picture fixtures and the bundled samples (not the ROMs);
//   pictures  bench/make_pictures.sh's 4- and 8-bit BMP and PCX pictures at 640x480 and
//             1024x768 (from $ZARPO2_BENCH_PICTURES, default ./bench-pictures), when there;
//   text      the project's documents (docs/, the manual pages);
//   code      the project's C++ sources.
// Each file is packed on its own. jlha packs a whole set in one run; its rate is the set's
// size over the CPU time of that run less the CPU time of a run packing one byte (the Java
// start-up). Every stream of ours is decoded by lzh_decode and compared before timing;
// "larger" counts the files jlha packed whose stream of ours is larger than jlha's.
//
//   lh5_encode_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"
#include "codec/lh5_encode.h"
#include "codec/lzh.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int LH5_WINDOW_BITS = 13;
constexpr int LH5_METHOD = 5;

Bytes read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct FileSet {
    std::vector<fs::path> paths;
    std::vector<Bytes> files;
    std::uint64_t bytes = 0;
    std::vector<std::uint32_t> jlhaSizes;  // per file: the -lh5- stream, or 0 for a file jlha stored
    std::uint64_t jlhaPacked = 0;          // a file jlha stored counts at its size
    unsigned largerThanJlha = 0;           // files jlha packed that our stream of is larger than jlha's
    double jlhaMBps = 0;
};

void add_files(FileSet& set, const fs::path& root, bool (*wanted)(const fs::path&))
{
    if (!fs::exists(root))
        return;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.file_size() == 0 || !wanted(entry.path()))
            continue;
        set.paths.push_back(entry.path());
        set.files.push_back(read_file(entry.path()));
        set.bytes += set.files.back().size();
    }
}

// CPU seconds of a shell command and its children; negative when it fails.
double command_cpu(const std::string& command)
{
    struct rusage before {
    }, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    if (std::system(command.c_str()) != 0)
        return -1;
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const struct rusage& u) {
        return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    return seconds(after) - seconds(before);
}

// Packs the set with jlha in one archive: its packed sizes and its rate.
bool pack_with_jlha(FileSet& set, const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("lh5-encode-bench-" + std::to_string(getpid())) / name;
    fs::create_directories(dir);
    std::string list;
    for (std::size_t i = 0; i < set.paths.size(); ++i) {
        // Zero-padded: jlha lists the members in name order.
        char file[32];  // room for any size_t, as the compiler checks
        std::snprintf(file, sizeof file, "%06zu.bin", i);
        fs::copy_file(set.paths[i], dir / file, fs::copy_options::overwrite_existing);
        list += std::string(" ") + file;
    }
    std::ofstream(dir / "one", std::ios::binary) << 'x';
    std::string cd = "cd '" + dir.string() + "' && ";
    double startup = command_cpu(cd + "jlha aqo5 one.lzh one >/dev/null 2>&1");
    double cpu = command_cpu(cd + "jlha aqo5 all.lzh" + list + " >/dev/null 2>&1");
    Bytes a = read_file(dir / "all.lzh");
    fs::remove_all(dir.parent_path());
    if (startup < 0 || cpu < 0)
        return false;
    set.jlhaMBps = static_cast<double>(set.bytes) / 1e6 / std::max(cpu - startup, 1e-3);
    // Level-2 headers: total header size at 0, packed size at 7, original size at 11.
    for (std::size_t at = 0; at + 26 <= a.size() && set.jlhaSizes.size() < set.files.size();) {
        std::size_t header = a[at] | a[at + 1] << 8;
        std::uint32_t packed = 0, original = 0;
        std::memcpy(&packed, &a[at + 7], 4);  // little-endian host
        std::memcpy(&original, &a[at + 11], 4);
        if (header == 0)
            break;
        bool lh5 = std::memcmp(&a[at + 2], "-lh5-", 5) == 0;
        set.jlhaSizes.push_back(lh5 ? packed : 0);
        set.jlhaPacked += lh5 ? packed : original;
        at += header + packed;
    }
    return set.jlhaSizes.size() == set.files.size();
}

bool is_logo(const fs::path& p)
{
    return p.parent_path().filename() != "roms" && p.filename() != "manifest.txt";
}
bool is_picture(const fs::path& p)
{
    std::string n = p.filename().string();
    return (n.find("640x480") != std::string::npos || n.find("1024x768") != std::string::npos) &&
           n.find("tail") == std::string::npos;
}
bool is_text(const fs::path& p)
{
    return p.extension() == ".md" || p.extension() == ".scd";
}
bool is_code(const fs::path& p)
{
    return p.extension() == ".cpp" || p.extension() == ".h";
}

std::map<std::string, FileSet>& sets()
{
    static std::map<std::string, FileSet> all;
    if (!all.empty())
        return all;
    const fs::path src = ZARPO2_SOURCE_DIR;
    const char* pictures = std::getenv("ZARPO2_BENCH_PICTURES");
    add_files(all["logos"], src / "tests/data", is_logo);
    add_files(all["logos"], src / "samples", is_logo);
    add_files(all["pictures"], pictures ? pictures : "bench-pictures", is_picture);
    add_files(all["text"], src / "docs", is_text);
    for (const char* layer : {"codec", "core", "formats", "detect", "decode", "rom", "pipeline", "output", "cli", "ui"})
        add_files(all["code"], src / layer, is_code);
    for (auto it = all.begin(); it != all.end();) {
        if (it->second.files.empty() || !pack_with_jlha(it->second, it->first)) {
            std::fprintf(stderr, "%s: no files, or jlha failed (is jlha-utils installed?)\n", it->first.c_str());
            it = all.erase(it);
        } else {
            ++it;
        }
    }
    return all;
}

class KernelLinesDropped : public KernelSink {
public:
    void kernel_line(const std::string&) override {}
};

void run_encoder(benchmark::State& state, const std::string& name)
{
    FileSet& set = sets().at(name);
    std::uint64_t packed = 0;
    set.largerThanJlha = 0;
    for (std::size_t f = 0; f < set.files.size(); ++f) {
        const Bytes& file = set.files[f];
        Bytes stream = lh5_encode(file);
        KernelLinesDropped messages;
        LzhResult back = lzh_decode(LzhRequest{stream, static_cast<std::uint32_t>(file.size()),
                                               static_cast<std::uint32_t>(stream.size()), LH5_WINDOW_BITS, LH5_METHOD},
                                    messages);
        if (back.bytes.size() < file.size() || std::memcmp(back.bytes.data(), file.data(), file.size()) != 0) {
            state.SkipWithError("a stream does not decode to its file");
            return;
        }
        packed += stream.size();
        set.largerThanJlha += set.jlhaSizes[f] != 0 && stream.size() > set.jlhaSizes[f];
    }
    for (auto _ : state)
        for (const Bytes& file : set.files)
            benchmark::DoNotOptimize(lh5_encode(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.bytes));
    state.counters["packed"] = static_cast<double>(packed);
}

// Prints the usual table, then per set the sizes and rates of both encoders.
class EncodeReporter : public SummaryReporter {
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nlh5 encoding (medians of the repetitions; size ratio = ours / jlha's)\n");
        std::printf("%-9s %6s %11s %11s %11s %8s %8s %10s %10s\n", "set", "files", "bytes", "zarpo2", "jlha", "ratio",
                    "larger", "zarpo2 MB/s", "jlha MB/s");
        for (const auto& [name, set] : sets()) {
            auto s = rates_.find("lh5_encode/" + name);
            if (s == rates_.end())
                continue;
            double ours = packed_[s->first];
            std::printf("%-9s %6zu %11llu %11.0f %11llu %7.3fx %8u %10.2f %10.2f\n", name.c_str(), set.files.size(),
                        static_cast<unsigned long long>(set.bytes), ours,
                        static_cast<unsigned long long>(set.jlhaPacked), ours / static_cast<double>(set.jlhaPacked),
                        set.largerThanJlha, median(s->second) / 1e6, set.jlhaMBps);
        }
    }

private:
    void collect(const Run& run) override
    {
        std::string name = run.run_name.function_name;
        auto rate = run.counters.find("bytes_per_second");
        auto packed = run.counters.find("packed");
        if (rate != run.counters.end())
            rates_[name].push_back(rate->second.value);
        if (packed != run.counters.end())
            packed_[name] = packed->second.value;
    }

    std::map<std::string, std::vector<double>> rates_;
    std::map<std::string, double> packed_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (const auto& [name, set] : sets())
        benchmark::RegisterBenchmark(("lh5_encode/" + name).c_str(), run_encoder, name)->Unit(benchmark::kMillisecond);
    EncodeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
