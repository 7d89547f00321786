#include "output/apng_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/stream_io.h"

namespace {

constexpr std::size_t CHUNK_OVERHEAD = 12;  // length, type, CRC
constexpr std::uint16_t MS_PER_SECOND = 1000;
constexpr std::uint8_t DISPOSE_NONE = 0;  // fcTL dispose_op: leave the canvas as it is
constexpr std::uint8_t BLEND_SOURCE = 0;  // fcTL blend_op: the frame replaces the canvas

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

void write_chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    put_png_chunk(out, type, data.data(), data.size());
}

void put_be16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.insert(out.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

// The chunks of a PNG our encoder wrote; empty when the bytes are not a well-formed PNG.
std::vector<Chunk> split_chunks(const std::vector<std::uint8_t>& png)
{
    std::vector<Chunk> chunks;
    if (png.size() < sizeof PNG_SIGNATURE || !std::equal(PNG_SIGNATURE, PNG_SIGNATURE + 8, png.begin()))
        return chunks;
    std::size_t at = sizeof PNG_SIGNATURE;
    while (png.size() - at >= CHUNK_OVERHEAD) {
        std::uint32_t length = rd_u32be(png.data(), at);
        if (length > png.size() - at - CHUNK_OVERHEAD)
            return {};
        const auto* body = png.data() + at + 8;
        chunks.push_back({std::string(reinterpret_cast<const char*>(png.data() + at + 4), 4),
                          std::vector<std::uint8_t>(body, body + length)});
        at += CHUNK_OVERHEAD + length;
    }
    return chunks;
}

// fcTL: a full-canvas frame shown for delayMs.
std::vector<std::uint8_t> frame_control(std::uint32_t sequence, std::uint32_t width, std::uint32_t height,
                                        std::uint16_t delayMs)
{
    std::vector<std::uint8_t> data;
    put_png_u32(data, sequence);
    put_png_u32(data, width);
    put_png_u32(data, height);
    put_png_u32(data, 0);  // x offset
    put_png_u32(data, 0);  // y offset
    put_be16(data, delayMs);
    put_be16(data, MS_PER_SECOND);
    data.push_back(DISPOSE_NONE);
    data.push_back(BLEND_SOURCE);
    return data;
}

// The frame's pixels centred on a black canvas (the frame itself when it fills the canvas).
std::vector<std::uint8_t> on_canvas(const ApngFrame& frame, std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(width) * height * 3, 0);
    if (!frame.rgb || frame.width == 0 || frame.height == 0)
        return canvas;
    const std::size_t left = (width - frame.width) / 2, top = (height - frame.height) / 2;
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 3;
    for (std::uint32_t y = 0; y < frame.height; ++y)
        std::memcpy(&canvas[((top + y) * width + left) * 3], frame.rgb + y * rowBytes, rowBytes);
    return canvas;
}

}  // namespace

bool encode_apng_rgb16(const std::vector<ApngFrame>& frames, std::uint16_t delayMs, const PngTexts& texts,
                       std::vector<std::uint8_t>& out)
{
    out.clear();
    std::uint32_t width = 0, height = 0;
    for (const ApngFrame& frame : frames) {
        if (frame.rgb && frame.width && frame.height) {
            width = std::max(width, frame.width);
            height = std::max(height, frame.height);
        }
    }
    if (width == 0 || height == 0)
        return false;

    out.assign(PNG_SIGNATURE, PNG_SIGNATURE + sizeof PNG_SIGNATURE);
    std::uint32_t sequence = 0;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const ApngFrame& frame = frames[f];
        const bool fills = frame.rgb && frame.width == width && frame.height == height;
        std::vector<std::uint8_t> padded;
        if (!fills)
            padded = on_canvas(frame, width, height);
        std::vector<std::uint8_t> png;
        if (!encode_png_rgb16(fills ? frame.rgb : padded.data(), width, height, f == 0 ? texts : PngTexts{}, png))
            return false;
        std::vector<Chunk> chunks = split_chunks(png);
        if (chunks.empty() || chunks.front().type != "IHDR")
            return false;
        bool controlWritten = false;
        for (const Chunk& chunk : chunks) {
            if (chunk.type == "IDAT") {
                if (!controlWritten) {
                    write_chunk(out, "fcTL", frame_control(sequence++, width, height, delayMs));
                    controlWritten = true;
                }
                if (f == 0) {
                    write_chunk(out, "IDAT", chunk.data);
                } else {
                    std::vector<std::uint8_t> data;
                    put_png_u32(data, sequence++);
                    data.insert(data.end(), chunk.data.begin(), chunk.data.end());
                    write_chunk(out, "fdAT", data);
                }
            } else if (f == 0 && chunk.type != "IEND") {
                // The first frame's header and text chunks head the file; acTL goes
                // right after the header.
                write_chunk(out, chunk.type.c_str(), chunk.data);
                if (chunk.type == "IHDR") {
                    std::vector<std::uint8_t> control;
                    put_png_u32(control, static_cast<std::uint32_t>(frames.size()));
                    put_png_u32(control, 0);  // loop forever
                    write_chunk(out, "acTL", control);
                }
            }
        }
        if (!controlWritten)
            return false;
    }
    write_chunk(out, "IEND", {});
    return true;
}
