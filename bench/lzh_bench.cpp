// lh5 decoding speed: the kernel against liblhasa's -lh5- decoder on the same streams,
// and against libarchive's (bsdtar -xO, where installed), in MB/s of output. Each payload is at least 16 MiB of output, generated here, packed
// once with jlha (an independent encoder) and cached in $ZARPO2_BENCH_PAYLOADS (default
// ./lzh-bench-payloads). Both decoders read the packed stream from memory and write into
// memory; both outputs are checked against the original before timing. bsdtar is a
// process reading the archive file (from the page cache) and writing into a pipe that is
// read into memory; its time is its CPU time, start-up included (a few milliseconds), as
// the in-process decoders are timed by theirs.
//
//   lzh_bench [--benchmark_repetitions=N ...]   (any Google Benchmark flag)
#include <benchmark/benchmark.h>

#include <lha_decoder.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"
#include "codec/lzh.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t PAYLOAD_SIZE = 16u << 20;
constexpr int LH5_WINDOW_BITS = 13;
constexpr int LH5_METHOD = 5;
constexpr std::size_t LHASA_CHUNK = 64 * 1024;
constexpr std::uint32_t LAST_MATCH_OVERRUN = 255;

// ---- Payloads -----------------------------------------------------------------------------

// Prose-like text from a vocabulary of words and numbers.
Bytes text_payload()
{
    static const char* const WORDS[] = {"the ", "logo ", "BIOS ", "firmware ", "picture ", "of ", "a ", "board,\n",
                                         "Award ", "Phoenix ", "compressed ", "window ", "setup ", "version ", "and ",
                                         "is ", "to ", "memory ", "(c) ", "1998 ", "Intel ", "boot ", "screen. "};
    std::mt19937 rng(1);
    Bytes out;
    out.reserve(PAYLOAD_SIZE + 16);
    while (out.size() < PAYLOAD_SIZE) {
        const char* w = WORDS[rng() % (sizeof WORDS / sizeof *WORDS)];
        out.insert(out.end(), w, w + std::strlen(w));
        if (rng() % 16 == 0) {
            std::string n = std::to_string(rng() % 100000) + " ";
            out.insert(out.end(), n.begin(), n.end());
        }
    }
    out.resize(PAYLOAD_SIZE);
    return out;
}

// An 8-bit indexed 4096 x 4096 picture: flat areas, gradients, dithered bands, a noisy strip.
Bytes picture_payload()
{
    constexpr std::size_t SIDE = 4096;
    std::mt19937 rng(2);
    Bytes out(PAYLOAD_SIZE);
    for (std::size_t y = 0; y < SIDE; ++y) {
        for (std::size_t x = 0; x < SIDE; ++x) {
            std::uint8_t v;
            if ((x / 512 + y / 512) % 3 == 0)
                v = static_cast<std::uint8_t>(((x / 64) ^ (y / 64)) & 15);  // flat tiles
            else if ((x / 512 + y / 512) % 3 == 1)
                v = static_cast<std::uint8_t>((x + y) / 32 + ((x ^ y) & 1));  // dithered gradient
            else
                v = static_cast<std::uint8_t>(x / 16);  // horizontal gradient
            if (x % 1024 > 1000)
                v = static_cast<std::uint8_t>(rng() % 64);  // noise strip
            out[y * SIDE + x] = v;
        }
    }
    return out;
}

// A 4-bit 8192 x 4096 picture, two pixels a byte as 4-bit BMP rows store them: flat
// areas of 16 colours with soft edges, a dithered band, a noisy strip.
Bytes picture4_payload()
{
    constexpr std::size_t SIDE = 4096, WIDTH = 2 * SIDE;
    std::mt19937 rng(4);
    Bytes out(PAYLOAD_SIZE);
    auto pixel = [&](std::size_t x, std::size_t y) -> unsigned {
        if (x % 2048 > 2000)
            return rng() % 16;  // noise strip
        if ((y / 256) % 4 == 3)
            return ((x + y) / 64 + ((x ^ y) & 1)) % 16;  // dithered band
        return ((x / 300) * 5 + (y / 200) * 3) % 16;    // flat areas
    };
    for (std::size_t y = 0; y < SIDE; ++y)
        for (std::size_t x = 0; x < WIDTH; x += 2)
            out[(y * WIDTH + x) / 2] = static_cast<std::uint8_t>(pixel(x, y) << 4 | pixel(x + 1, y));
    return out;
}

// Bytes spread over 200 values: jlha still picks lh5, with barely any matches.
Bytes random_like_payload()
{
    std::mt19937 rng(3);
    Bytes out(PAYLOAD_SIZE);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() % 200);
    return out;
}

// 64 KiB pieces of the three others in turn.
Bytes mixed_payload(const Bytes& text, const Bytes& picture, const Bytes& randomLike)
{
    constexpr std::size_t PIECE = 64 * 1024;
    Bytes out(PAYLOAD_SIZE);
    const Bytes* sources[] = {&text, &picture, &randomLike};
    for (std::size_t at = 0, k = 0; at < PAYLOAD_SIZE; at += PIECE, ++k)
        std::memcpy(out.data() + at, sources[k % 3]->data() + at, PIECE);
    return out;
}

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const Bytes& data)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                static_cast<std::streamsize>(data.size()));
}

struct Payload {
    Bytes original;
    Bytes packed;         // the raw lh5 stream
    std::string archive;  // the jlha archive it came from
};

// The raw stream of a level-2 LHA archive made by jlha.
bool unpack_level2(const Bytes& archive, Payload& p)
{
    constexpr std::size_t LEVEL_OFFSET = 20;
    if (archive.size() < 26 || archive[LEVEL_OFFSET] != 2 || std::memcmp(&archive[2], "-lh5-", 5) != 0)
        return false;
    std::size_t header = archive[0] | (archive[1] << 8);
    std::uint32_t packed;
    std::memcpy(&packed, &archive[7], 4);  // little-endian host
    if (header + packed > archive.size())
        return false;
    p.packed.assign(archive.begin() + static_cast<std::ptrdiff_t>(header),
                    archive.begin() + static_cast<std::ptrdiff_t>(header + packed));
    return true;
}

std::map<std::string, Payload>& payloads()
{
    static std::map<std::string, Payload> all;
    if (!all.empty())
        return all;
    const char* env = std::getenv("ZARPO2_BENCH_PAYLOADS");
    std::string dir = env ? env : "lzh-bench-payloads";
    std::filesystem::create_directories(dir);
    Bytes text = text_payload(), picture = picture_payload(), randomLike = random_like_payload();
    std::map<std::string, Bytes> originals = {{"text", text},
                                              {"picture", picture},
                                              {"picture4", picture4_payload()},
                                              {"mixed", mixed_payload(text, picture, randomLike)},
                                              {"random-like", randomLike}};
    for (auto& [name, original] : originals) {
        std::string archive = dir + "/" + name + ".lzh";
        Payload p;
        p.original = std::move(original);
        p.archive = std::filesystem::absolute(archive).string();
        if (read_file(dir + "/" + name) != p.original) {
            write_file(dir + "/" + name, p.original);
            std::filesystem::remove(archive);
        }
        if (!std::filesystem::exists(archive)) {
            std::fprintf(stderr, "packing %s with jlha...\n", name.c_str());
            std::string command = "cd '" + dir + "' && jlha aqo5 '" + name + ".lzh' '" + name + "' >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0) {
                std::fprintf(stderr, "jlha failed (is jlha-utils installed?)\n");
                std::exit(1);
            }
        }
        if (!unpack_level2(read_file(archive), p)) {
            std::fprintf(stderr, "%s: not a level-2 -lh5- archive\n", archive.c_str());
            std::exit(1);
        }
        all[name] = std::move(p);
    }
    return all;
}

// ---- The two decoders -----------------------------------------------------------------

class KernelLinesDropped : public KernelSink {
public:
    void kernel_line(const std::string&) override {}
};

std::size_t zarpo2_decode(Payload& p, Bytes& out)
{
    KernelLinesDropped messages;
    LzhResult result = lzh_decode(LzhRequest{p.packed, static_cast<std::uint32_t>(p.original.size()),
                                             static_cast<std::uint32_t>(p.packed.size()), LH5_WINDOW_BITS, LH5_METHOD},
                                  messages);
    std::size_t size = std::min(result.bytes.size(), out.size());
    std::memcpy(out.data(), result.bytes.data(), size);
    return size;
}

struct MemorySource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

std::size_t source_read(void* buf, std::size_t len, void* user)
{
    auto* src = static_cast<MemorySource*>(user);
    std::size_t take = std::min(len, src->size - src->pos);
    std::memcpy(buf, src->data + src->pos, take);
    src->pos += take;
    return take;
}

std::size_t lhasa_decode(Payload& p, Bytes& out)
{
    static char lh5Name[] = "-lh5-";
    MemorySource src{p.packed.data(), p.packed.size()};
    LHADecoder* decoder = lha_decoder_new(lha_decoder_for_name(lh5Name), source_read, &src, p.original.size());
    std::size_t done = 0;
    while (done < out.size()) {
        std::size_t n = lha_decoder_read(decoder, out.data() + done, std::min(LHASA_CHUNK, out.size() - done));
        if (n == 0)
            break;
        done += n;
    }
    lha_decoder_free(decoder);
    return done;
}

// bsdtar -xO writing into a pipe that is read into out; cpuSeconds gets its CPU time.
std::size_t bsdtar_decode(Payload& p, Bytes& out, double& cpuSeconds)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execlp("bsdtar", "bsdtar", "-xOf", p.archive.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::size_t done = 0;
    while (pid > 0) {
        ssize_t n = ::read(fds[0], out.data() + done, std::min(LHASA_CHUNK, out.size() - done));
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
        if (done == out.size())
            break;
    }
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    if (pid > 0)
        wait4(pid, &status, 0, &usage);
    cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? done : 0;
}

bool have_bsdtar()
{
    return std::system("bsdtar --version >/dev/null 2>&1") == 0;
}

using Decoder = std::size_t (*)(Payload&, Bytes&);

void run_decoder(benchmark::State& state, Decoder decode, const std::string& name)
{
    Payload& p = payloads().at(name);
    Bytes out(p.original.size() + LAST_MATCH_OVERRUN);
    std::size_t produced = decode(p, out);
    if (produced < p.original.size() || std::memcmp(out.data(), p.original.data(), p.original.size()) != 0) {
        state.SkipWithError("decoded bytes differ from the original");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(decode(p, out));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(p.original.size()));
}

void run_bsdtar(benchmark::State& state, const std::string& name)
{
    Payload& p = payloads().at(name);
    Bytes out(p.original.size());
    double cpu = 0;
    std::size_t produced = bsdtar_decode(p, out, cpu);
    if (produced < p.original.size() || std::memcmp(out.data(), p.original.data(), p.original.size()) != 0) {
        state.SkipWithError("bsdtar's bytes differ from the original");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(bsdtar_decode(p, out, cpu));
        state.SetIterationTime(cpu);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(p.original.size()));
}

// Prints the usual table, then output MB/s of the decoders per payload and their ratios.
class RatioReporter : public SummaryReporter {
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nlh5 decoding, output MB/s (medians of the repetitions; ratio = ours / theirs)\n");
        std::printf("%-12s %12s %14s %12s %10s %10s\n", "payload", "zarpo2 MB/s", "liblhasa MB/s", "bsdtar MB/s",
                    "x liblhasa", "x bsdtar");
        for (const auto& [key, s] : samples_) {
            if (key.rfind("zarpo2/", 0) != 0)
                continue;
            std::string name = key.substr(7);
            auto other = samples_.find("liblhasa/" + name);
            if (other == samples_.end())
                continue;
            double ours = median(s) / 1e6, theirs = median(other->second) / 1e6;
            auto tar = samples_.find("bsdtar/" + name);
            if (tar == samples_.end()) {
                std::printf("%-12s %12.1f %14.1f %12s %9.2fx %10s\n", name.c_str(), ours, theirs, "-", ours / theirs,
                            "-");
                continue;
            }
            double bsdtar = median(tar->second) / 1e6;
            std::printf("%-12s %12.1f %14.1f %12.1f %9.2fx %9.2fx\n", name.c_str(), ours, theirs, bsdtar,
                        ours / theirs, ours / bsdtar);
        }
    }

private:
    void collect(const Run& run) override
    {
        auto it = run.counters.find("bytes_per_second");
        if (it != run.counters.end())
            samples_[run.run_name.function_name].push_back(it->second.value);
    }

    std::map<std::string, std::vector<double>> samples_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bool bsdtar = have_bsdtar();
    for (const char* name : {"text", "picture", "picture4", "mixed", "random-like"}) {
        benchmark::RegisterBenchmark((std::string("zarpo2/") + name).c_str(), run_decoder, zarpo2_decode,
                                     std::string(name))
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("liblhasa/") + name).c_str(), run_decoder, lhasa_decode,
                                     std::string(name))
            ->Unit(benchmark::kMillisecond);
        if (bsdtar)
            benchmark::RegisterBenchmark((std::string("bsdtar/") + name).c_str(), run_bsdtar, std::string(name))
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
