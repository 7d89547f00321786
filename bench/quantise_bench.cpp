// Colour reduction to 16 colours: our quantiser (libimagequant, posterised for the 6-bit
// DAC) beside ImageMagick's `convert IN +dither -colors 16 OUT`, on a photo and on the
// logos of the test set that hold more than 16 colours. Times are medians of the
// repetitions (ImageMagick as a whole process, as a user runs it); the RMSE (0..1, over
// R, G and B) of each result against the picture is printed in the summary, ours twice:
// the palette as the library gives it, and as the file is drawn (6-bit values times 4).
//
//   quantise_bench [Google Benchmark flags]
// Environment: ZARPO2_BENCH_PHOTO (a photo; default: a plasma of ImageMagick's),
// ZARPO2_BENCH_CONVERT (ImageMagick's convert), ZARPO2_BENCH_OUT (scratch folder).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/summary_reporter.h"
#include "encode/encode_logo.h"
#include "encode/quantise.h"
#include "output/convert_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
    std::string name;
    std::string ppm;  // the picture as a PPM file, for ImageMagick
    SourcePicture source;
};

struct Figures {
    double oursRmse = 0, drawnRmse = 0, magickRmse = 0;
    std::vector<double> oursSeconds, magickSeconds;
};

std::map<std::string, Figures> figures;

std::string env(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::string scratch()
{
    return env("ZARPO2_BENCH_OUT", (fs::temp_directory_path() / "zarpo2-quantise-bench").string());
}

std::string convert_program()
{
    return env("ZARPO2_BENCH_CONVERT", "convert");
}

bool write_ppm(const std::string& path, const SourcePicture& p)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%u %u\n255\n", p.width, p.height);
    const bool ok = std::fwrite(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
    return std::fclose(f) == 0 && ok;
}

// The 8-bit RGB of any picture ImageMagick reads.
bool read_with_magick(const std::string& path, std::uint32_t width, std::uint32_t height, std::vector<std::uint8_t>& rgb)
{
    const std::string command = convert_program() + " '" + path + "' -depth 8 rgb:-";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    const std::size_t got = std::fread(rgb.data(), 1, rgb.size(), pipe);
    return pclose(pipe) == 0 && got == rgb.size();
}

double rmse(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    return a.empty() ? 0 : std::sqrt(sum / double(a.size())) / 255.0;
}

std::vector<Picture> pictures()
{
    std::vector<Picture> list;
    fs::create_directories(scratch());
    const std::string photo = env("ZARPO2_BENCH_PHOTO", scratch() + "/plasma.png");
    if (!std::getenv("ZARPO2_BENCH_PHOTO"))
        std::system((convert_program() + " -size 640x480 -seed 7 plasma:fractal '" + photo + "'").c_str());
    // The photo through ImageMagick; the logos through our own load.
    std::string identify = convert_program() + " '" + photo + "' -format '%w %h' info:";
    std::FILE* pipe = popen(identify.c_str(), "r");
    unsigned w = 0, h = 0;
    if (pipe && std::fscanf(pipe, "%u %u", &w, &h) == 2) {
        Picture p;
        p.name = "photo " + std::to_string(w) + "x" + std::to_string(h);
        p.source.width = w;
        p.source.height = h;
        if (read_with_magick(photo, w, h, p.source.rgb))
            list.push_back(p);
    }
    if (pipe)
        pclose(pipe);

    static HeadlessFrontEnd frontEnd;
    static SilentSink silent;
    frontEnd.quiet = true;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
    for (const auto& entry : fs::recursive_directory_iterator(ZARPO2_TEST_DATA_DIR)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        if (path.find("-cut") != std::string::npos)
            continue;
        viewer_state().loaded = load_logo(path);
        if (!viewer_state().loaded)
            continue;
        Picture p;
        std::string why;
        const bool ok = loaded_picture(0, p.source, why);
        unload_logo();
        if (!ok || p.source.width < 16 || p.source.height < 8)
            continue;
        EncodeOptions awbm;
        if (encode_logo(p.source, awbm).sourceColors <= 16)
            continue;  // the logo keeps its colours: nothing to compare
        p.name = fs::relative(entry.path(), ZARPO2_TEST_DATA_DIR).string();
        list.push_back(p);
    }
    set_front_end(nullptr);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].ppm = scratch() + "/in-" + std::to_string(i) + ".ppm";
        write_ppm(list[i].ppm, list[i].source);
    }
    return list;
}

void bench_ours(benchmark::State& state, const Picture* p)
{
    IndexedPicture out;
    std::string error;
    for (auto _ : state) {
        Quantiser quantiser(16, 0.0f);
        if (!quantiser.quantise(p->source.rgb.data(), p->source.width, p->source.height, out, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    std::vector<std::uint8_t> drawn;
    for (std::uint8_t i : out.indices) {
        drawn.push_back(out.palette[i].r);
        drawn.push_back(out.palette[i].g);
        drawn.push_back(out.palette[i].b);
    }
    Figures& f = figures[p->name];
    f.oursRmse = rmse(p->source.rgb, drawn);
    EncodeOptions options;
    f.drawnRmse = encode_logo(p->source, options).rmse;
}

void bench_magick(benchmark::State& state, const Picture* p)
{
    const std::string out = p->ppm + ".16.ppm";
    const std::string command = convert_program() + " '" + p->ppm + "' +dither -colors 16 -depth 8 '" + out + "'";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("convert failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::vector<std::uint8_t> rgb;
    if (read_with_magick(out, p->source.width, p->source.height, rgb))
        figures[p->name].magickRmse = rmse(p->source.rgb, rgb);
}

class QuantiseReporter : public SummaryReporter {
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nQuantisation to 16 colours, no dithering: RMSE (0..1) and median time\n");
        std::printf("%-34s %10s %12s %10s %14s %10s\n", "picture", "ours", "ours (DAC)", "time", "ImageMagick", "time");
        for (const auto& [name, f] : figures)
            std::printf("%-34s %10.4f %12.4f %8.1f ms %14.4f %8.1f ms\n", name.c_str(), f.oursRmse, f.drawnRmse,
                        median(f.oursSeconds) * 1e3, f.magickRmse, median(f.magickSeconds) * 1e3);
    }

protected:
    void collect(const Run& run) override
    {
        const std::string name = run.benchmark_name();
        const bool ours = name.rfind("ours/", 0) == 0;
        std::string picture = name.substr(name.find('/') + 1);
        picture = picture.substr(0, picture.find("/repeats"));
        picture = picture.substr(0, picture.find("/iterations"));
        picture = picture.substr(0, picture.find("/manual_time"));
        const double seconds = run.GetAdjustedRealTime() / 1e9;  // time unit: ns
        (ours ? figures[picture].oursSeconds : figures[picture].magickSeconds).push_back(seconds);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    static const std::vector<Picture> list = pictures();
    for (const Picture& p : list) {
        benchmark::RegisterBenchmark(("ours/" + p.name).c_str(), bench_ours, &p)->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark(("magick/" + p.name).c_str(), bench_magick, &p)
            ->UseManualTime()
            ->Iterations(3)
            ->Unit(benchmark::kNanosecond);
    }
    QuantiseReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!std::getenv("ZARPO2_BENCH_OUT")) {  // our own scratch folder: leave nothing behind
        std::error_code ignored;
        fs::remove_all(scratch(), ignored);
    }
    return 0;
}
