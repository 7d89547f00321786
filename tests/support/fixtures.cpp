#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <zlib.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "support/image_oracle.h"

ByteBuilder& ByteBuilder::bytes(const Bytes& b)
{
    data_.insert(data_.end(), b.begin(), b.end());
    return *this;
}

ByteBuilder& ByteBuilder::put_u8(std::size_t offset, unsigned v)
{
    pad_to(offset + 1);
    data_[offset] = static_cast<std::uint8_t>(v);
    return *this;
}

ByteBuilder& ByteBuilder::put_text(std::size_t offset, const std::string& s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        put_u8(offset + i, static_cast<unsigned char>(s[i]));
    return *this;
}

std::string test_temp_dir()
{
    // On the heap, never destroyed: the exit handler runs after the static objects are gone.
    static const std::string* dir = [] {
        const char* base = std::getenv("TMPDIR");
        auto* path = new std::string(std::string(base && *base ? base : "/tmp") + "/zarpo2-test-XXXXXX");
        if (!mkdtemp(path->data()))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*dir, ignored);
        });
        return path;
    }();
    return *dir;
}

std::string write_temp_file(const Bytes& bytes, const std::string& name)
{
    // A folder of its own each: no file is rewritten in place (the file system would flush it).
    static unsigned serial = 0;
    std::string path = test_temp_dir() + "/" + std::to_string(serial++) + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

LogoDescriptor detect_file(const std::string& path)
{
    LogoDescriptor d;
    SilentSink silent;
    identify_logo(path, d, silent, false);
    return d;
}

void expect_detected(const DetectCase& c)
{
    SCOPED_TRACE(c.name);
    LogoDescriptor d = detect_bytes(c.bytes);
    EXPECT_EQ(d.formatId, c.formatId);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.colorCount, c.colorCount);
    EXPECT_EQ(d.dataSize, c.formatId ? c.bytes.size() : 0u);
    EXPECT_EQ(d.frameCount, 0u);
}

namespace {

// Runs one headless load (load() calls load_logo or load_logo_bytes) and copies out what it
// produced before the logo is flushed.
template <typename Load>
LoadResult headless_load(Load load, const std::string& paletteFile, bool verbose)
{
    HeadlessFrontEnd frontEnd;
    CaptureSink capture;
    frontEnd.quiet = true;
    frontEnd.paletteFile = paletteFile;
    frontEnd.sink = &capture;
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.verbose = verbose ? 1 : 0;

    auto copy = [](const std::uint8_t* data, std::size_t size) { return data ? Bytes(data, data + size) : Bytes(); };
    LoadResult result;
    result.loaded = state.loaded = load();
    const LogoDescriptor& d = result.descriptor = state.descriptor;
    std::size_t size = static_cast<std::size_t>(d.width) * d.height * 3;
    if (state.loaded) {
        result.image = copy(d.image, size);
        result.fontMap = copy(state.fontMapPanel, size);
        result.colorMap = copy(state.colorMapPanel, size);
        result.palette = copy(d.palette, 256 * 3);
        for (unsigned f = 0; f < d.frameCount && state.frames; ++f) {
            const LogoFrame& frame = state.frames[f];
            result.frames.push_back({frame.width, frame.height,
                                     copy(frame.pixels, static_cast<std::size_t>(frame.width) * frame.height * 3)});
        }
        unload_logo();
    }
    result.stdoutText = capture.out;
    result.stderrText = capture.err;
    state.verbose = 0;
    set_front_end(nullptr);
    return result;
}

}  // namespace

LoadResult load_file(const std::string& path, const std::string& paletteFile, bool verbose)
{
    return headless_load([&] { return load_logo(path); }, paletteFile, verbose);
}

LoadResult load_bytes(const Bytes& bytes, const std::string& name)
{
    // From memory: the sweeps load tens of thousands of cut copies, which files would only slow.
    return headless_load([&] { return load_logo_bytes(bytes, name); }, "", false);
}

std::uint32_t LoadResult::rgb(unsigned x, unsigned y) const
{
    return pixel_at(image, descriptor.width, x, y);
}

std::uint32_t LoadResult::frame_rgb(unsigned f, unsigned x, unsigned y) const
{
    return f < frames.size() ? pixel_at(frames[f].pixels, frames[f].width, x, y) : 0xFFFFFFFF;
}

std::uint32_t crc32_of(const Bytes& bytes)
{
    return static_cast<std::uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

int run_command(const std::string& command, std::string* output)
{
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buf;
    std::size_t n;
    std::string text;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        text.append(buf.data(), n);
    int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
