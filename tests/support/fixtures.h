// Helpers shared by the tests: building binary fixtures, running the pipeline headlessly,
// and running the real binaries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/logo.h"

using Bytes = std::vector<std::uint8_t>;

// Little-endian byte builder for hand-made logo files.
class ByteBuilder {
public:
    ByteBuilder& u8(unsigned v) { return bytes({static_cast<std::uint8_t>(v)}); }
    ByteBuilder& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    ByteBuilder& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    ByteBuilder& u16be(unsigned v) { return u8((v >> 8) & 0xFF).u8(v & 0xFF); }
    ByteBuilder& text(const std::string& s) { return bytes(Bytes(s.begin(), s.end())); }  // without terminator
    ByteBuilder& bytes(const Bytes& b);
    ByteBuilder& fill(std::size_t count, std::uint8_t v = 0) { return bytes(Bytes(count, v)); }
    ByteBuilder& pad_to(std::size_t n, std::uint8_t v = 0) { return fill(n > size() ? n - size() : 0, v); }  // n bytes
    // Overwrites (growing if needed) at an absolute offset.
    ByteBuilder& put_u8(std::size_t offset, unsigned v);
    ByteBuilder& put_u16(std::size_t at, unsigned v) { return put_u8(at, v & 0xFF).put_u8(at + 1, v >> 8); }
    ByteBuilder& put_u32(std::size_t at, std::uint32_t v) { return put_u16(at, v).put_u16(at + 2, v >> 16); }
    ByteBuilder& put_text(std::size_t offset, const std::string& s);
    std::size_t size() const { return data_.size(); }
    const Bytes& data() const { return data_; }

private:
    Bytes data_;
};

// A fresh folder of this test process under TMPDIR or /tmp, removed with its files at exit.
std::string test_temp_dir();
// Writes bytes to a new file named name in a fresh folder under test_temp_dir(); its path.
std::string write_temp_file(const Bytes& bytes, const std::string& name);
Bytes read_file(const std::string& path);

// Detection alone, as the pipeline runs it; the stream is closed afterwards.
LogoDescriptor detect_file(const std::string& path);
inline LogoDescriptor detect_bytes(const Bytes& bytes) { return detect_file(write_temp_file(bytes, "detect.bin")); }

// A single-picture file and the descriptor detection must give it (all zero when unknown).
struct DetectCase {
    const char* name;
    Bytes bytes;
    unsigned formatId, width, height, colorCount;
};
// Detects c.bytes and checks every descriptor field; dataSize is the size of a claimed file.
void expect_detected(const DetectCase& c);

// What one headless load produced, copied out before the logo is flushed.
struct LoadResult {
    int loaded = 0;
    LogoDescriptor descriptor;  // buffers and stream are not valid after the load
    Bytes image;                // width x height x 3, empty when no buffer
    Bytes fontMap, colorMap, palette;
    struct Frame {
        unsigned width = 0, height = 0;
        Bytes pixels;
    };
    std::vector<Frame> frames;
    std::string stdoutText;  // the trace lines, notices and fatal lines of the load
    std::string stderrText;  // its kernel lines

    // RGB of pixel (x, y) of the image or of a frame as 0xRRGGBB.
    std::uint32_t rgb(unsigned x, unsigned y) const;
    std::uint32_t frame_rgb(unsigned f, unsigned x, unsigned y) const;
};

// Loads through load_logo, quiet and headless, keeping its messages; paletteFile answers the
// ICON palette question; verbose turns the trace lines on.
LoadResult load_file(const std::string& path, const std::string& paletteFile = "", bool verbose = false);
LoadResult load_bytes(const Bytes& bytes, const std::string& name = "logo.bin");

std::uint32_t crc32_of(const Bytes& bytes);
// Runs a shell command; returns its exit status and its standard output.
int run_command(const std::string& command, std::string* output = nullptr);
// The zarpo2-cli binary under test, the committed test data (tests/data), a program on PATH.
inline std::string cli_path() { return ZARPO2_CLI_PATH; }
inline std::string test_data_dir() { return ZARPO2_TEST_DATA_DIR; }
inline Bytes read_fixture(const std::string& name) { return read_file(test_data_dir() + "/" + name); }
inline bool have_program(const std::string& name) { return run_command("command -v " + name + " >/dev/null") == 0; }
