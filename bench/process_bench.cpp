// Whole-process conversion of one logo to a 16-bit RGB PNG: zarpo2-cli png against
// ImageMagick (PNG48:) and the netpbm pipeline (pcxtoppm or bmptopnm | pamdepth 65535 |
// pnmtopng -force), on the pictures of bench/make_pictures.sh; the project's own formats
// alone; and 1,000 small logos through one zarpo2-cli call against one call per logo.
// Each iteration starts the command and waits for it: the time is the wall clock from
// fork to exit, the counters are its CPU time (user + system, every process of a
// pipeline added up) and its peak resident memory (the largest single process).
//
//   process_bench [Google Benchmark flags]
// Environment: ZARPO2_CLI (the command under test), ZARPO2_BENCH_PICTURES (the pictures),
// ZARPO2_BENCH_CONVERT (ImageMagick's convert), ZARPO2_BENCH_OUT (scratch folder),
// ZARPO2_BENCH_LARGE_REPETITIONS (repetitions at 4096x4096, default 3).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int BATCH_SIZE = 1000;
// A picture followed by a long tail of other bytes, as in a firmware dump.
constexpr const char* TAIL_MARK = "-64MiB-tail";
constexpr double KIB_PER_MIB = 1024.0;
// One logo to PNG must take at most a third of ImageMagick's CPU time, at every size.
constexpr double CPU_GOAL_AGAINST_MAGICK = 3.0;

struct Settings {
    std::string cli, pictures, convert, out;
    int largeRepetitions = 3;
};

Settings& settings()
{
    static Settings s;
    return s;
}

std::string env_or(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

struct Outcome {
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
};

// Runs argv with its output thrown away; wait4 gives its CPU time and the peak of the
// largest process it or its children had.
Outcome run_process(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    Outcome o;
    if (pid < 0)
        return o;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return o;
    o.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    o.peakMiB = static_cast<double>(usage.ru_maxrss) / KIB_PER_MIB;
    o.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return o;
}

using Command = std::vector<std::string>;

void run_command(benchmark::State& state, const Command& command, int logos)
{
    double cpu = 0, peak = 0;
    for (auto _ : state) {
        Outcome o = run_process(command);
        if (!o.ok) {
            state.SkipWithError(("command failed: " + command[0]).c_str());
            return;
        }
        state.SetIterationTime(o.wallSeconds);
        cpu += o.cpuSeconds;
        peak = std::max(peak, o.peakMiB);
    }
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["peak_MiB"] = peak;
    state.counters["logos"] = logos;
}

void add(const std::string& name, const Command& command, int repetitions, int logos = 1)
{
    benchmark::RegisterBenchmark(name.c_str(), run_command, command, logos)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(false);
}

// The three converters of a picture run the same number of times; the largest pictures,
// which take seconds each, run fewer.
void register_pictures(int repetitions)
{
    const Settings& s = settings();
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(s.pictures))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::string leaf = f.filename().string();
        bool pcx = f.extension() == ".pcx";
        int reps = leaf.find("4096") != std::string::npos ? s.largeRepetitions : repetitions;
        std::string png = s.out + "/" + f.stem().string() + ".png";
        add("zarpo2/" + leaf, {s.cli, "png", "--out-dir", s.out, f.string()}, reps);
        if (leaf.find(TAIL_MARK) != std::string::npos)
            continue;  // only our memory matters here, and ImageMagick refuses the file size
        add("magick/" + leaf, {s.convert, f.string(), "PNG48:" + png}, reps);
        std::string toPnm = pcx ? "pcxtoppm" : "bmptopnm";
        add("netpbm/" + leaf,
            {"sh", "-c", toPnm + " '" + f.string() + "' 2>/dev/null | pamdepth 65535 | pnmtopng -force > '" + png + "'"},
            reps);
    }
    std::vector<fs::path> own;
    for (const auto& e : fs::directory_iterator(fs::path(s.pictures) / "own"))
        own.push_back(e.path());
    std::sort(own.begin(), own.end());
    for (const fs::path& f : own)
        add("zarpo2/own/" + f.filename().string(), {s.cli, "png", "--out-dir", s.out + "/own", f.string()},
            repetitions);

    std::vector<std::string> batch;
    for (const auto& e : fs::directory_iterator(fs::path(s.pictures) / "batch"))
        batch.push_back(e.path().string());
    std::sort(batch.begin(), batch.end());
    if (batch.size() == BATCH_SIZE) {
        Command one = {s.cli, "png", "--out-dir", s.out + "/batch"};
        one.insert(one.end(), batch.begin(), batch.end());
        add("zarpo2/batch-one-call", one, repetitions, BATCH_SIZE);
        std::string loop = "for f in '" + fs::path(s.pictures).string() + "'/batch/*; do '" + s.cli +
                           "' png --out-dir '" + s.out + "/batch' \"$f\" || exit 1; done";
        add("zarpo2/batch-call-per-logo", {"sh", "-c", loop}, repetitions, BATCH_SIZE);
    }
}

// Prints the usual lines, then tables of medians over the repetitions and their ratios.
class RatioReporter : public SummaryReporter {
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        print_pictures();
        print_tail();
        print_own();
        print_batch();
    }

private:
    struct Samples {
        std::vector<double> wall, cpu;
        double peak = 0;
    };

    void collect(const Run& run) override
    {
        Samples& s = samples_[run.run_name.function_name];
        s.wall.push_back(run.GetAdjustedRealTime() / 1e3);  // milliseconds to seconds
        s.cpu.push_back(run.counters.at("cpu_s").value);
        s.peak = std::max(s.peak, run.counters.at("peak_MiB").value);
    }

    const Samples* find(const std::string& name) const
    {
        auto it = samples_.find(name);
        return it == samples_.end() ? nullptr : &it->second;
    }

    void print_pictures() const
    {
        std::printf("\nOne picture to a 16-bit RGB PNG, whole process (medians; ratio = their time / ours)\n");
        std::printf("%-19s %9s %9s %9s %8s %8s %8s %8s %7s %7s %7s\n", "picture", "zarpo2 s", "magick s",
                    "netpbm s", "x magick", "x netpbm", "cpu x IM", "cpu x np", "ours MiB", "IM MiB", "np MiB");
        double lowest = HUGE_VAL;
        for (const auto& [name, ours] : samples_) {
            if (name.rfind("zarpo2/", 0) != 0 || name.find('/', 7) != std::string::npos ||
                name.rfind("zarpo2/batch", 0) == 0)
                continue;
            std::string leaf = name.substr(7);
            const Samples* im = find("magick/" + leaf);
            const Samples* np = find("netpbm/" + leaf);
            if (!im || !np)
                continue;
            double w = median(ours.wall), c = median(ours.cpu);
            std::printf("%-19s %9.3f %9.3f %9.3f %7.2fx %7.2fx %7.2fx %7.2fx %8.1f %7.1f %7.1f\n", leaf.c_str(), w,
                        median(im->wall), median(np->wall), median(im->wall) / w, median(np->wall) / w,
                        median(im->cpu) / c, median(np->cpu) / c, ours.peak, im->peak, np->peak);
            lowest = std::min(lowest, median(im->cpu) / c);
        }
        if (lowest < HUGE_VAL)
            std::printf("Lowest CPU ratio against ImageMagick: %.2fx (goal %.0fx at every size: %s)\n", lowest,
                        CPU_GOAL_AGAINST_MAGICK, lowest >= CPU_GOAL_AGAINST_MAGICK ? "met" : "NOT met");
    }

    // The same picture with and without a 64 MiB tail: the load must not grow with the file.
    void print_tail() const
    {
        for (const auto& [name, tailed] : samples_) {
            std::size_t mark = name.find(TAIL_MARK);
            if (mark == std::string::npos)
                continue;
            std::string plainName = name.substr(0, mark) + name.substr(mark + std::strlen(TAIL_MARK));
            const Samples* plain = find(plainName);
            if (!plain)
                continue;
            std::printf("\nPeak memory, %s: %.1f MiB; with 64 MiB after it: %.1f MiB (cpu %.4f s / %.4f s)\n",
                        plainName.substr(7).c_str(), plain->peak, tailed.peak, median(plain->cpu),
                        median(tailed.cpu));
        }
    }

    void print_own() const
    {
        std::printf("\nThe project's own formats, one logo per process (medians)\n");
        std::printf("%-30s %9s %9s %9s\n", "logo", "wall s", "cpu s", "peak MiB");
        for (const auto& [name, s] : samples_) {
            if (name.rfind("zarpo2/own/", 0) == 0)
                std::printf("%-30s %9.4f %9.4f %9.1f\n", name.substr(11).c_str(), median(s.wall), median(s.cpu),
                            s.peak);
        }
    }

    void print_batch() const
    {
        const Samples* one = find("zarpo2/batch-one-call");
        const Samples* each = find("zarpo2/batch-call-per-logo");
        if (!one || !each)
            return;
        double w1 = median(one->wall), we = median(each->wall);
        std::printf("\n%d small logos (medians)\n", BATCH_SIZE);
        std::printf("%-22s %9s %12s %9s %9s\n", "", "wall s", "ms per logo", "cpu s", "peak MiB");
        std::printf("%-22s %9.3f %12.3f %9.3f %9.1f\n", "one zarpo2-cli call", w1, w1 * 1e3 / BATCH_SIZE,
                    median(one->cpu), one->peak);
        std::printf("%-22s %9.3f %12.3f %9.3f %9.1f\n", "one call per logo", we, we * 1e3 / BATCH_SIZE,
                    median(each->cpu), each->peak);
        std::printf("one call is %.1fx faster than a call per logo\n", we / w1);
    }

    std::map<std::string, Samples> samples_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Settings& s = settings();
    s.cli = fs::absolute(env_or("ZARPO2_CLI", "zarpo2-cli")).string();
    s.pictures = fs::absolute(env_or("ZARPO2_BENCH_PICTURES", "bench-pictures")).string();
    s.convert = env_or("ZARPO2_BENCH_CONVERT", "convert");
    s.out = fs::absolute(env_or("ZARPO2_BENCH_OUT", "bench-out")).string();
    s.largeRepetitions = std::atoi(env_or("ZARPO2_BENCH_LARGE_REPETITIONS", "3").c_str());
    fs::create_directories(s.out + "/own");
    fs::create_directories(s.out + "/batch");
    if (!fs::is_directory(s.pictures)) {
        std::fprintf(stderr, "no pictures in %s: run bench/make_pictures.sh first\n", s.pictures.c_str());
        return 1;
    }
    register_pictures(std::max(1, std::atoi(env_or("ZARPO2_BENCH_REPETITIONS", "5").c_str())));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
