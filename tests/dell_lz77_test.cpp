// Dell's NVRAM LZ77 coder: the token kinds on worked examples, the trace line, and the
// guards for sizes, references and tokens that leave the payload or the output buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "codec/dell_lz77.h"
#include "pipeline/viewer_state.h"
#include "support/fixtures.h"

namespace {

constexpr std::int32_t HEADER = 14;
constexpr std::size_t OUTPUT_LIMIT = 196608;

// Runs the coder over an NVRAM file: a 14-byte header, then payload; size defaults to both.
constexpr std::int32_t WHOLE = INT32_MIN;
Bytes unpack(const Bytes& payload, std::int32_t size = WHOLE)
{
    if (size == WHOLE)
        size = static_cast<std::int32_t>(payload.size()) + HEADER;
    // The payload as detection reads it: size - 14 bytes, zero past the file's end.
    Bytes read(size > HEADER ? static_cast<std::size_t>(size - HEADER) : 0, 0);
    std::copy_n(payload.begin(), std::min(read.size(), payload.size()), read.begin());
    return dell_decompress(read).bytes;
}

TEST(DellLz77, TokensDecodeAsTheirKindSays)
{
    // 256 literal runs of 16 bytes, then 0xFF 0xFF: 16 bytes from 4096 back.
    Bytes far, farOut;
    for (unsigned i = 0; i < 4096; ++i) {
        if (i % 16 == 0)
            far.push_back(0xF0);
        far.push_back(static_cast<std::uint8_t>(i * 7 / 16 + i * 13));
        farOut.push_back(far.back());
    }
    far.insert(far.end(), {0xFF, 0xFF});
    farOut.insert(farOut.end(), far.begin() + 1, far.begin() + 17);
    // 16 literals, then 20,000 tokens 0x0F 0x00 (16 bytes at distance 1, the last byte and
    // zeros): 320,016 bytes unclipped.
    Bytes runs = {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (int i = 0; i < 20000; ++i)
        runs.insert(runs.end(), {0x0F, 0x00});
    Bytes clipped(OUTPUT_LIMIT, 0);
    std::copy(runs.begin() + 1, runs.begin() + 17, clipped.begin());
    clipped[16] = 16;

    const struct {
        const char* what;
        Bytes payload, expected;
        std::int32_t size = WHOLE;
    } cases[] = {
        {"0x00 pairs give one byte each", {0x00, 'a', 0x00, 'b', 0x00, 0x00, 0x00, 'c'}, {'a', 'b', 0, 'c'}},
        {"a literal run of h + 1 bytes", {0x20, 'x', 'y', 'z', 0x00, '!'}, {'x', 'y', 'z', '!'}},
        {"distance 1, length 4 reads zeros past the output position", {0x00, 'X', 0x03, 0x00}, {'X', 'X', 0, 0, 0}},
        {"distance 3, length 3", {0x20, 'a', 'b', 'c', 0x02, 0x02}, {'a', 'b', 'c', 'a', 'b', 'c'}},
        {"0xFF 0xFF copies 16 bytes from 4096 back", far, farOut},
        // Malformed payloads stay inside the buffers.
        {"a reference before the start of the output reads zeros", {0x31, 0x05}, {0, 0}},
        {"a reference reaching partly before the start", {0x10, 'A', 'B', 0x03, 0x02}, {'A', 'B', 0, 'A', 'B', 0}},
        {"a literal run cut by the end of the payload", {0x00, 'q', 0x50, 'r', 's'}, {'q', 'r', 's', 0, 0, 0, 0}},
        {"a reference without its distance byte", {0x00, 'q', 0x01}, {'q', 'q', 0}},
        {"a single literal without its byte", {0x00}, {0}},
        // The size counts the 14 header bytes: nothing is decoded past it.
        {"a size short of the file leaves the rest undecoded", {0x00, 'A', 0x00, 'B'}, {'A'}, HEADER + 2},
        {"output stops at 196,608 bytes", runs, clipped},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unpack(c.payload, c.size), c.expected) << c.what;
    for (std::int32_t size : {-1000, 0, 5, 13, 14})
        EXPECT_TRUE(unpack({0x00, 'A'}, size).empty()) << "size " << size;
}

TEST(DellLz77, TracesTheSizeOnlyInVerboseMode)
{
    Bytes payload = {0x00, 'A', 0x00, 'B', 0x00, 'C', 0x00, 'D', 0x00, 'E', 0x00, 'F'};
    std::string path = write_temp_file(
        ByteBuilder().text("NVRAM").pad_to(12).u16(HEADER + static_cast<unsigned>(payload.size())).bytes(payload).data(),
        "nvram.bin");
    const char* line = "==>>> DELL COMPRESSION: Image Size: 1A (26) bytes\n";
    EXPECT_EQ(load_file(path).stdoutText.find(line), std::string::npos);
    EXPECT_NE(load_file(path, "", true).stdoutText.find(line), std::string::npos);
}

}  // namespace
