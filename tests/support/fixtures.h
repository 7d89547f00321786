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
    ByteBuilder& u8(unsigned v);
    ByteBuilder& u16(unsigned v);
    ByteBuilder& u32(std::uint32_t v);
    ByteBuilder& u16be(unsigned v);
    ByteBuilder& text(const std::string& s);  // without terminator
    ByteBuilder& bytes(const Bytes& b);
    ByteBuilder& fill(std::size_t count, std::uint8_t v = 0);
    ByteBuilder& pad_to(std::size_t size, std::uint8_t v = 0);  // grows to size bytes
    // Overwrites (growing if needed) at an absolute offset.
    ByteBuilder& put_u8(std::size_t offset, unsigned v);
    ByteBuilder& put_u16(std::size_t offset, unsigned v);
    ByteBuilder& put_u32(std::size_t offset, std::uint32_t v);
    ByteBuilder& put_text(std::size_t offset, const std::string& s);
    std::size_t size() const { return data_.size(); }
    const Bytes& data() const { return data_; }

private:
    Bytes data_;
};

// A fresh folder for this test process under the system's temporary folder.
std::string test_temp_dir();
// Writes bytes to a new file, in a fresh folder under test_temp_dir() (name may hold
// subfolders), and returns its path.
std::string write_temp_file(const Bytes& bytes, const std::string& name);
Bytes read_file(const std::string& path);

// Detection alone, as the pipeline runs it; the stream is closed afterwards.
LogoDescriptor detect_file(const std::string& path);
LogoDescriptor detect_bytes(const Bytes& bytes);

// A single-picture file and the descriptor detection must give it (all zero when unknown).
struct DetectCase {
    const char* name;
    Bytes bytes;
    unsigned formatId;
    unsigned width;
    unsigned height;
    unsigned colorCount;
};

// Detects c.bytes and checks every descriptor field against the case; dataSize is the
// file size for a claimed file.
void expect_detected(const DetectCase& c);

// What one headless load produced, copied out before the logo is flushed.
struct LoadResult {
    int loaded = 0;
    LogoDescriptor descriptor;  // buffers and stream are not valid after the load
    Bytes image;                // width x height x 3, empty when no buffer
    Bytes fontMap, colorMap;
    Bytes palette;
    struct Frame {
        unsigned width = 0, height = 0;
        Bytes pixels;
    };
    std::vector<Frame> frames;
    std::string stdoutText;  // what the load printed on standard output
    std::string stderrText;  // the kernel lines it printed on standard error

    // RGB of pixel (x, y) of the image as 0xRRGGBB.
    std::uint32_t rgb(unsigned x, unsigned y) const;
    std::uint32_t frame_rgb(unsigned f, unsigned x, unsigned y) const;
};

// Loads through load_logo with a quiet headless front end; paletteFile answers the
// ICON palette question; verbose turns the trace lines on.
LoadResult load_file(const std::string& path, const std::string& paletteFile = "", bool verbose = false);
LoadResult load_bytes(const Bytes& bytes, const std::string& name = "logo.bin");

// CRC-32 of bytes, for the golden manifest.
std::uint32_t crc32_of(const Bytes& bytes);

// Runs a shell command; returns its exit status and its standard output.
int run_command(const std::string& command, std::string* output = nullptr);

// Path of the zarpo2-cli binary under test.
std::string cli_path();
// Folder of the committed test data (tests/data).
std::string test_data_dir();
// True when a program is on PATH.
bool have_program(const std::string& name);
