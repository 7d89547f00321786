#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "support/image_oracle.h"

ByteBuilder& ByteBuilder::u8(unsigned v)
{
    data_.push_back(static_cast<std::uint8_t>(v));
    return *this;
}

ByteBuilder& ByteBuilder::u16(unsigned v)
{
    return u8(v & 0xFF).u8((v >> 8) & 0xFF);
}

ByteBuilder& ByteBuilder::u32(std::uint32_t v)
{
    return u16(v & 0xFFFF).u16(v >> 16);
}

ByteBuilder& ByteBuilder::u16be(unsigned v)
{
    return u8((v >> 8) & 0xFF).u8(v & 0xFF);
}

ByteBuilder& ByteBuilder::text(const std::string& s)
{
    data_.insert(data_.end(), s.begin(), s.end());
    return *this;
}

ByteBuilder& ByteBuilder::bytes(const Bytes& b)
{
    data_.insert(data_.end(), b.begin(), b.end());
    return *this;
}

ByteBuilder& ByteBuilder::fill(std::size_t count, std::uint8_t v)
{
    data_.insert(data_.end(), count, v);
    return *this;
}

ByteBuilder& ByteBuilder::pad_to(std::size_t size, std::uint8_t v)
{
    if (data_.size() < size)
        data_.resize(size, v);
    return *this;
}

ByteBuilder& ByteBuilder::put_u8(std::size_t offset, unsigned v)
{
    pad_to(offset + 1);
    data_[offset] = static_cast<std::uint8_t>(v);
    return *this;
}

ByteBuilder& ByteBuilder::put_u16(std::size_t offset, unsigned v)
{
    return put_u8(offset, v & 0xFF).put_u8(offset + 1, (v >> 8) & 0xFF);
}

ByteBuilder& ByteBuilder::put_u32(std::size_t offset, std::uint32_t v)
{
    return put_u16(offset, v & 0xFFFF).put_u16(offset + 2, v >> 16);
}

ByteBuilder& ByteBuilder::put_text(std::size_t offset, const std::string& s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        put_u8(offset + i, static_cast<unsigned char>(s[i]));
    return *this;
}

std::string test_temp_dir()
{
    // A plain array: it outlives every static object, so the exit handler can still read it.
    static char dir[PATH_MAX] = "";
    if (!dir[0]) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/zarpo2-test-XXXXXX";
        if (pattern.size() >= sizeof dir || !mkdtemp(pattern.data()))
            std::abort();
        std::memcpy(dir, pattern.c_str(), pattern.size() + 1);
        // Everything the tests write goes in here, and goes when the process ends.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
    }
    return dir;
}

std::string write_temp_file(const Bytes& bytes, const std::string& name)
{
    // Each file gets a folder of its own: the name stays as asked, and no file is ever
    // rewritten in place, which would make the file system flush it (milliseconds each).
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

LogoDescriptor detect_bytes(const Bytes& bytes)
{
    return detect_file(write_temp_file(bytes, "detect.bin"));
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

Bytes copy_buffer(const std::uint8_t* data, std::size_t size)
{
    return data ? Bytes(data, data + size) : Bytes();
}

}  // namespace

LoadResult load_file(const std::string& path, const std::string& paletteFile, bool verbose)
{
    HeadlessFrontEnd frontEnd;
    CaptureSink capture;
    frontEnd.quiet = true;
    frontEnd.paletteFile = paletteFile;
    frontEnd.sink = &capture;
    set_front_end(&frontEnd);
    ViewerState& state = viewer_state();
    state.verbose = verbose ? 1 : 0;

    LoadResult result;
    state.loaded = load_logo(path);
    result.loaded = state.loaded;
    const LogoDescriptor& d = state.descriptor;
    result.descriptor = d;
    std::size_t size = static_cast<std::size_t>(d.width) * d.height * 3;
    if (state.loaded) {
        result.image = copy_buffer(d.image, size);
        result.fontMap = copy_buffer(state.fontMapPanel, size);
        result.colorMap = copy_buffer(state.colorMapPanel, size);
        result.palette = copy_buffer(d.palette, 256 * 3);
        for (unsigned f = 0; f < d.frameCount && state.frames; ++f) {
            const LogoFrame& frame = state.frames[f];
            result.frames.push_back({frame.width, frame.height,
                                     copy_buffer(frame.pixels, static_cast<std::size_t>(frame.width) * frame.height * 3)});
        }
        unload_logo();
    }
    result.stdoutText = capture.out;
    result.stderrText = capture.err;
    state.verbose = 0;
    set_front_end(nullptr);
    return result;
}

LoadResult load_bytes(const Bytes& bytes, const std::string& name)
{
    return load_file(write_temp_file(bytes, name));
}

std::uint32_t LoadResult::rgb(unsigned x, unsigned y) const
{
    std::size_t i = (static_cast<std::size_t>(y) * descriptor.width + x) * 3;
    if (i + 2 >= image.size())
        return 0xFFFFFFFF;
    return (image[i] << 16) | (image[i + 1] << 8) | image[i + 2];
}

std::uint32_t LoadResult::frame_rgb(unsigned f, unsigned x, unsigned y) const
{
    if (f >= frames.size())
        return 0xFFFFFFFF;
    const Frame& frame = frames[f];
    std::size_t i = (static_cast<std::size_t>(y) * frame.width + x) * 3;
    if (i + 2 >= frame.pixels.size())
        return 0xFFFFFFFF;
    return (frame.pixels[i] << 16) | (frame.pixels[i + 1] << 8) | frame.pixels[i + 2];
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

std::string cli_path()
{
    return ZARPO2_CLI_PATH;
}

std::string test_data_dir()
{
    return ZARPO2_TEST_DATA_DIR;
}

bool have_program(const std::string& name)
{
    return run_command("command -v " + name + " >/dev/null 2>&1") == 0;
}
