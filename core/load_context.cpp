#include "core/load_context.h"

#include <cstdarg>
#include <cstdlib>

#include "core/format_string.h"
#include "core/limits.h"
#include "core/text_escape.h"

namespace {

// Every line reaches the terminal escaped: names from files cannot drive it.
void put(std::FILE* stream, const std::string& text)
{
    const std::string line = escaped_line(text);
    std::fwrite(line.data(), 1, line.size(), stream);
}

}  // namespace

void StdioSink::trace_line(const std::string& text)
{
    put(stdout, text);
}

void StdioSink::notice_line(const std::string& text)
{
    put(stdout, text);
}

void StdioSink::fatal_line(const std::string& text)
{
    put(stdout, text);
}

void StdioSink::kernel_line(const std::string& text)
{
    put(stderr, text);
    std::fflush(stderr);
}

void LoadContext::trace(const char* format, ...)
{
    if (!verbose_)
        return;
    va_list args;
    va_start(args, format);
    sink_.trace_line(vformat_string(format, args));
    va_end(args);
}

void LoadContext::notice(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    sink_.notice_line(vformat_string(format, args));
    va_end(args);
}

void LoadContext::fatal(const char* text)
{
    sink_.fatal_line(text);
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(1);
}

void LoadContext::set_input(OwnedFile file)
{
    input_ = std::move(file);
    unpacked_.clear();
}

std::FILE* LoadContext::replace_input(std::vector<std::uint8_t> bytes)
{
    input_.reset();
    unpacked_ = std::move(bytes);
    // fmemopen reads the vector in place; a zero-sized buffer still gives an empty stream.
    input_.reset(fmemopen(unpacked_.data(), unpacked_.size(), "rb"));
    return input_.get();
}

void LoadContext::close_input()
{
    input_.reset();
    unpacked_.clear();
    unpacked_.shrink_to_fit();
}

OwnedBytes LoadContext::alloc_rgb(std::uint32_t width, std::uint32_t height)
{
    std::size_t bytes = rgb_buffer_size(width, height);
    if (bytes == 0 || chargedBytes_ + bytes > MAX_LOAD_RGB_BYTES)
        return nullptr;
    OwnedBytes buffer = alloc_zeroed(bytes, 1);
    if (buffer)
        chargedBytes_ += bytes;
    return buffer;
}

bool LoadContext::alloc_frame_pixels(LogoFrame& frame, std::uint16_t width, std::uint16_t height)
{
    frame.width = width;
    frame.height = height;
    OwnedBytes pixels = alloc_rgb(width, height);
    frame.pixels = pixels.get();
    if (pixels)
        frameBuffers_.push_back(std::move(pixels));
    return frame.pixels != nullptr;
}
