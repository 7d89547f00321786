// The state of one load. The pipeline makes one per load and hands it down to the probes,
// the decoders and the kernels, which reach no other state: whether trace lines are
// wanted, where messages go, the stream being read, and the pixel budget with the
// buffers charged to it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/kernel_messages.h"
#include "core/logo.h"
#include "core/owned.h"

// Where a load's messages go. Each program chooses the streams; tests capture them.
class MessageSink : public KernelSink {
public:
    // A trace line of verbose mode.
    virtual void trace_line(const std::string& text) = 0;
    // A message of every mode: allocation failures, unexpected records, palette lines.
    virtual void notice_line(const std::string& text) = 0;
    // A fatal line; the process ends right after it.
    virtual void fatal_line(const std::string& text) = 0;
};

// The viewer's streams: trace lines, notices and fatal lines on standard output, kernel
// lines on standard error.
class StdioSink : public MessageSink {
public:
    void trace_line(const std::string& text) override;
    void notice_line(const std::string& text) override;
    void fatal_line(const std::string& text) override;
    void kernel_line(const std::string& text) override;
};

// Drops every message: for loads whose messages nobody reads (fuzzers, candidate checks).
class SilentSink : public MessageSink {
public:
    void trace_line(const std::string&) override {}
    void notice_line(const std::string&) override {}
    void fatal_line(const std::string&) override {}
    void kernel_line(const std::string&) override {}
};

class LoadContext {
public:
    LoadContext(MessageSink& sink, bool verbose) : sink_(sink), verbose_(verbose) {}
    LoadContext(const LoadContext&) = delete;
    LoadContext& operator=(const LoadContext&) = delete;

    bool verbose() const { return verbose_; }
    MessageSink& messages() { return sink_; }

    // printf to the sink's trace lines, only in verbose mode.
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // printf to the sink's notices, in every mode.
    void notice(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Sends a fatal line and ends the process with status 1.
    [[noreturn]] void fatal(const char* text);

    // The stream the load reads: the logo file, or unpacked bytes that took its place.
    std::FILE* input() const { return input_.get(); }
    void set_input(OwnedFile file);
    // Puts unpacked bytes in the place of the input, read through a memory stream; the
    // earlier input is closed. Returns the new stream (null when none could be made).
    std::FILE* replace_input(std::vector<std::uint8_t> bytes);
    void close_input();

    // Zero-filled RGB buffer charged against the load's budget; null when the size is
    // empty or beyond the limits, the budget is spent, or memory is short.
    OwnedBytes alloc_rgb(std::uint32_t width, std::uint32_t height);
    // Sets a frame's size and gives it a zero-filled pixel buffer charged like alloc_rgb,
    // which the load keeps (take_frame_buffers); false, with pixels null, when it gets none.
    bool alloc_frame_pixels(LogoFrame& frame, std::uint16_t width, std::uint16_t height);
    std::vector<OwnedBytes> take_frame_buffers() { return std::move(frameBuffers_); }

private:
    MessageSink& sink_;
    bool verbose_;
    OwnedFile input_;
    std::vector<std::uint8_t> unpacked_;  // what a memory input reads
    std::uint64_t chargedBytes_ = 0;
    std::vector<OwnedBytes> frameBuffers_;
};
