// Helpers for decoder tests: calling one decoder on a hand-made descriptor, capturing
// messages, and reading pictures back through ImageMagick as an independent oracle.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "pipeline/format_registry.h"
#include "support/fixtures.h"

// Runs decoder over the file with a descriptor of the given size, as detection would leave
// it; returns the image it wrote, and what it printed in messages when given.
Bytes decode_bytes_with(SingleDecoder decoder, const Bytes& file, std::uint16_t width, std::uint16_t height,
                        std::string* messages = nullptr, bool verbose = false);

// Keeps what a load or decoder prints on standard output (out) and standard error (err).
class CaptureSink : public MessageSink {
public:
    void trace_line(const std::string& text) override { out += text; }
    void notice_line(const std::string& text) override { out += text; }
    void fatal_line(const std::string& text) override { out += text; }
    void kernel_line(const std::string& text) override { err += text; }
    std::string out, err;
};

// RGB of pixel (x, y) of a width-wide image, or of standard colour n, as 0xRRGGBB.
std::uint32_t pixel_at(const Bytes& image, unsigned width, unsigned x, unsigned y);
std::uint32_t standard_rgb(unsigned n);
// Expects pixel_at(image, width, x, y) to be rgb for each {x, y, rgb}.
void expect_pixels(const Bytes& image, unsigned width, std::initializer_list<std::array<std::uint32_t, 3>> pixels);

// 8-bit RGB pixels of any picture ImageMagick reads (of a 16-bit PNG the high bytes).
bool convert_to_rgb(const std::string& path, Bytes& rgb);
// Runs a shell command that writes "$OUT", a fresh path, and returns it ("" when that failed).
std::string tool_file(const std::string& command);
// Runs "zarpo2-cli png" on the file and reads the one PNG it wrote back as 8-bit RGB.
bool cli_png_rgb(const std::string& path, Bytes& rgb);
// Every byte with its two low bits cleared, as BMP and plain PCX palettes are drawn.
Bytes clear_low_bits(Bytes rgb);
