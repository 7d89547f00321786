// liblzma and libbrotlidec behind output caps. Output grows in steps as the stream
// delivers, so a stream that lies about its size costs only what it really produces.
#include "codec/library_decoders.h"

#include <brotli/decode.h>
#include <lzma.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t LZMA_PROPERTIES = 5;
constexpr std::size_t LZMA_SIZE_AT = 5;
constexpr std::uint64_t UNKNOWN_SIZE = UINT64_MAX;
constexpr std::uint64_t LZMA_MEMORY_LIMIT = 128ull << 20;  // dictionaries of real firmware stay far below
constexpr std::uint32_t MIN_DICTIONARY = 4096;             // the smallest liblzma accepts
constexpr std::size_t OUTPUT_STEP = 1u << 20;

std::string text_of(const char* format, unsigned long long a, unsigned long long b)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Room for the next step of output, never past cap; 0 when the cap is reached.
std::size_t grow(std::vector<std::uint8_t>& bytes, std::uint64_t cap)
{
    std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(OUTPUT_STEP, cap - bytes.size()));
    bytes.resize(bytes.size() + room);
    return room;
}

// Sets up the raw LZMA1 decoder (with the x86 converter in front when asked) for a stream
// of known size, its dictionary held to that size: no window larger than the output is
// allocated whatever the properties claim.
// liblzma's allocation of the decoded properties, through new and delete so that it is
// released by name here rather than by a bare free.
void* lzma_new(void*, std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return ::operator new(count * size, std::nothrow);
}

void lzma_delete(void*, void* p)
{
    ::operator delete(p);
}

lzma_ret raw_decoder(lzma_stream& stream, std::span<const std::uint8_t> input, std::uint64_t size, bool x86Filter)
{
    const lzma_allocator allocator{lzma_new, lzma_delete, nullptr};
    lzma_filter lzma1{LZMA_FILTER_LZMA1, nullptr};
    lzma_ret ret = lzma_properties_decode(&lzma1, &allocator, input.data(), LZMA_PROPERTIES);
    if (ret != LZMA_OK)
        return ret;
    auto* options = static_cast<lzma_options_lzma*>(lzma1.options);
    options->dict_size = static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(size, MIN_DICTIONARY, std::max(options->dict_size, MIN_DICTIONARY)));
    lzma_filter chain[3] = {{LZMA_FILTER_X86, nullptr}, lzma1, {LZMA_VLI_UNKNOWN, nullptr}};
    ret = lzma_raw_decoder(&stream, x86Filter ? chain : chain + 1);
    lzma_delete(nullptr, lzma1.options);
    return ret;
}

}  // namespace

Unpacked lzma_alone_decode(std::span<const std::uint8_t> input, std::uint64_t maxOutput, bool x86Filter)
{
    Unpacked out;
    if (input.size() < LZMA_ALONE_HEADER) {
        out.problem = "LZMA stream shorter than its 13-byte header";
        return out;
    }
    std::uint64_t size = 0;
    for (int i = 7; i >= 0; --i)
        size = (size << 8) | input[LZMA_SIZE_AT + static_cast<std::size_t>(i)];
    const bool known = size != UNKNOWN_SIZE;
    if (known && size > maxOutput) {
        out.problem = text_of("LZMA stream unpacks to %llu bytes, above the cap of %llu", size, maxOutput);
        return out;
    }
    if (!known && x86Filter) {
        out.problem = "LZMA-F86 stream of unknown size";
        return out;
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_ret ret = known ? raw_decoder(stream, input, size, x86Filter) : lzma_alone_decoder(&stream, LZMA_MEMORY_LIMIT);
    if (ret != LZMA_OK) {
        lzma_end(&stream);
        out.problem = "LZMA stream has properties liblzma refuses";
        return out;
    }
    const std::uint64_t cap = known ? size : maxOutput;
    if (known) {
        stream.next_in = input.data() + LZMA_ALONE_HEADER;
        stream.avail_in = input.size() - LZMA_ALONE_HEADER;
    } else {
        stream.next_in = input.data();
        stream.avail_in = input.size();
    }
    std::size_t done = 0;
    while (ret == LZMA_OK && done < cap) {
        std::size_t room = grow(out.bytes, cap);
        stream.next_out = out.bytes.data() + done;
        stream.avail_out = room;
        ret = lzma_code(&stream, LZMA_FINISH);
        done += room - stream.avail_out;
        if (ret == LZMA_OK && stream.avail_out != 0 && stream.avail_in == 0)
            ret = LZMA_BUF_ERROR;  // no more input and the output is not full: the data ends early
    }
    lzma_end(&stream);
    out.bytes.resize(done);
    if (known && done < size)
        out.problem = text_of("LZMA stream ends after %llu of %llu bytes", done, size);
    else if (!known && ret != LZMA_STREAM_END)
        out.problem = done >= cap ? "LZMA stream unpacks to more than " + std::to_string(cap) + " bytes"
                                  : "LZMA stream ends without its end mark after " + std::to_string(done) + " bytes";
    return out;
}

Unpacked brotli_decode(std::span<const std::uint8_t> input, std::uint64_t maxOutput)
{
    Unpacked out;
    BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
    if (!state) {
        out.problem = "Brotli decoder could not be allocated";
        return out;
    }
    const std::uint8_t* next = input.data();
    std::size_t left = input.size();
    std::size_t done = 0;
    BrotliDecoderResult result = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
    while (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT && done < maxOutput) {
        std::size_t room = grow(out.bytes, maxOutput);
        std::uint8_t* to = out.bytes.data() + done;
        std::size_t avail = room;
        result = BrotliDecoderDecompressStream(state, &left, &next, &avail, &to, nullptr);
        done += room - avail;
    }
    if (result == BROTLI_DECODER_RESULT_ERROR)
        out.problem = std::string("Brotli stream is damaged: ") +
                      BrotliDecoderErrorString(BrotliDecoderGetErrorCode(state));
    else if (result == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT)
        out.problem = "Brotli stream ends early after " + std::to_string(done) + " bytes";
    else if (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT)
        out.problem = "Brotli stream unpacks to more than " + std::to_string(maxOutput) + " bytes";
    BrotliDecoderDestroyInstance(state);
    out.bytes.resize(done);
    return out;
}
