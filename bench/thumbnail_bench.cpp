// File-manager thumbnails: how long `zarpo2-cli thumbnail -s 256 FILE OUT.png` takes for the
// 640x480 and 1024x768 pictures of bench/make_pictures.sh, as a whole process (what a file
// manager waits for) beside ImageMagick's `convert FILE -thumbnail 256x256 PNG32:OUT`, and
// in the process: the load and the thumbnail together, then the scaling and the PNG
// encoding alone.
//
//   thumbnail_bench [Google Benchmark flags]
// Environment: ZARPO2_CLI (the command under test), ZARPO2_BENCH_PICTURES (the pictures),
// ZARPO2_BENCH_CONVERT (ImageMagick's convert), ZARPO2_BENCH_OUT (scratch folder).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "output/thumbnail.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t SIDE = 256;
// The pictures measured, by name in the pictures folder.
constexpr const char* PICTURES[] = {"pcx8-640x480.pcx", "pcx4-640x480.pcx", "bmp8-640x480.bmp",
                                    "pcx8-1024x768.pcx"};

std::string env_or(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

// Runs argv with its output thrown away and returns its CPU time (user + system) in
// seconds; negative when it cannot start or fails.
double run_process(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    if (started != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time from start to exit per run; the process's own CPU time as the counter cpu_ms,
// which a busy machine disturbs less.
void whole_process(benchmark::State& state, std::vector<std::string> command)
{
    double cpu = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double seconds = run_process(command);
        if (seconds < 0) {
            state.SkipWithError(("command failed: " + command[0]).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu += seconds * 1e3;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

// Loads the picture into viewer_state(); false when it does not load.
bool load(const std::string& picture)
{
    static HeadlessFrontEnd frontEnd;
    frontEnd.quiet = true;
    set_front_end(&frontEnd);
    viewer_state().loaded = load_logo(picture);
    return viewer_state().loaded;
}

void load_and_thumbnail(benchmark::State& state, std::string picture, std::string out)
{
    std::string error;
    for (auto _ : state) {
        bool ok = load(picture) && write_thumbnail(out, SIDE, error);
        unload_logo();
        if (!ok) {
            state.SkipWithError(("no thumbnail of " + picture).c_str());
            return;
        }
    }
}

void scale_only(benchmark::State& state, std::string picture)
{
    if (!load(picture)) {
        state.SkipWithError(("cannot load " + picture).c_str());
        return;
    }
    const ViewerState& s = viewer_state();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            scale_to_thumbnail(s.currentImage, s.descriptor.width, s.descriptor.height, SIDE).pixels.data());
    unload_logo();
}

void encode_only(benchmark::State& state, std::string picture)
{
    if (!load(picture)) {
        state.SkipWithError(("cannot load " + picture).c_str());
        return;
    }
    const ViewerState& s = viewer_state();
    RgbaPicture thumbnail = scale_to_thumbnail(s.currentImage, s.descriptor.width, s.descriptor.height, SIDE);
    unload_logo();
    std::vector<std::uint8_t> bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(encode_png_rgba8(thumbnail, bytes));
    state.counters["png_bytes"] = static_cast<double>(bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::string cli = fs::absolute(env_or("ZARPO2_CLI", "zarpo2-cli")).string();
    fs::path pictures = fs::absolute(env_or("ZARPO2_BENCH_PICTURES", "bench-pictures"));
    std::string convert = env_or("ZARPO2_BENCH_CONVERT", "convert");
    fs::path out = fs::absolute(env_or("ZARPO2_BENCH_OUT", "bench-out")) / "thumbnails";
    fs::create_directories(out);
    const std::string size = std::to_string(SIDE);
    for (const char* leaf : PICTURES) {
        fs::path picture = pictures / leaf;
        if (!fs::is_regular_file(picture)) {
            std::fprintf(stderr, "no %s: run bench/make_pictures.sh first\n", picture.c_str());
            return 1;
        }
        std::string png = (out / (picture.stem().string() + ".png")).string();
        benchmark::RegisterBenchmark(("process/zarpo2/" + std::string(leaf)).c_str(), whole_process,
                                     std::vector<std::string>{cli, "thumbnail", "-s", size, picture, png})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("process/magick/" + std::string(leaf)).c_str(), whole_process,
            std::vector<std::string>{convert, picture, "-thumbnail", size + "x" + size, "PNG32:" + png})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("in-process/load+thumbnail/" + std::string(leaf)).c_str(),
                                     load_and_thumbnail, picture.string(), png)
            ->Unit(benchmark::kMillisecond);
    }
    std::string first = (pictures / PICTURES[0]).string();
    benchmark::RegisterBenchmark("in-process/scale-only/640x480", scale_only, first)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("in-process/encode-only/256x192", encode_only, first)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
