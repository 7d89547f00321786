// Dell's NVRAM LZ77 coder: the token kinds on worked examples, the trace line, and the
// guards for sizes, references and tokens that leave the payload or the output buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "codec/dell_lz77.h"
#include "core/viewer_state.h"
#include "support/fixtures.h"

namespace {

constexpr std::int32_t HEADER = 14;
constexpr std::size_t OUTPUT_LIMIT = 196608;

// Runs the coder over an NVRAM file made of a 14-byte header and payload; size defaults
// to the header and payload together.
constexpr std::int32_t WHOLE = INT32_MIN;
Bytes unpack(const Bytes& payload, std::int32_t size = WHOLE)
{
    if (size == WHOLE)
        size = static_cast<std::int32_t>(payload.size()) + HEADER;
    Bytes file = ByteBuilder().text("NVRAM").pad_to(12).u16(static_cast<unsigned>(size)).bytes(payload).data();
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fwrite(file.data(), 1, file.size(), in);
    std::rewind(in);
    dell_decompress(in, out, size);
    long n = std::ftell(out);  // the coder leaves the output after its last byte
    std::rewind(out);
    Bytes result(static_cast<std::size_t>(n > 0 ? n : 0));
    if (!result.empty()) {
        EXPECT_EQ(std::fread(result.data(), 1, result.size(), out), result.size());
    }
    std::fclose(in);
    std::fclose(out);
    return result;
}

struct TokenCase {
    const char* what;
    Bytes payload;
    Bytes expected;
};

// 4096 distinct-looking bytes as 256 literal runs of 16, then payload continues.
Bytes runs_of_16(std::size_t count)
{
    Bytes payload;
    for (std::size_t r = 0; r < count; ++r) {
        payload.push_back(0xF0);
        for (unsigned k = 0; k < 16; ++k)
            payload.push_back(static_cast<std::uint8_t>(r * 7 + k * 13));
    }
    return payload;
}

Bytes literals_of(const Bytes& payload)
{
    Bytes out;
    for (std::size_t i = 0; i < payload.size(); i += 17)
        out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                   payload.begin() + static_cast<std::ptrdiff_t>(i) + 17);
    return out;
}

TEST(DellLz77, TokensDecodeAsTheirKindSays)
{
    Bytes far = runs_of_16(256);
    Bytes farOut = literals_of(far);
    Bytes farRef = far;
    farRef.insert(farRef.end(), {0xFF, 0xFF});
    Bytes farRefOut = farOut;
    farRefOut.insert(farRefOut.end(), farOut.begin(), farOut.begin() + 16);

    const TokenCase cases[] = {
        {"0x00 pairs give one byte each", {0x00, 'a', 0x00, 'b', 0x00, 0x00, 0x00, 'c'}, {'a', 'b', 0, 'c'}},
        {"a literal run of h + 1 bytes", {0x20, 'x', 'y', 'z', 0x00, '!'}, {'x', 'y', 'z', '!'}},
        {"distance 1, length 4 reads zeros past the output position",
         {0x00, 'X', 0x03, 0x00}, {'X', 'X', 0, 0, 0}},
        {"distance 3, length 3 copies three bytes as they stand",
         {0x20, 'a', 'b', 'c', 0x02, 0x02}, {'a', 'b', 'c', 'a', 'b', 'c'}},
        {"0xFF 0xFF copies 16 bytes from 4096 back", farRef, farRefOut},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(unpack(c.payload), c.expected) << c.what;
}

TEST(DellLz77, DecodingStopsAtTheEndOfThePayload)
{
    // The size counts 14 header bytes; nothing is decoded from beyond the payload.
    EXPECT_EQ(unpack({0x00, 'A'}), (Bytes{'A'}));
    // A size short of the file leaves the rest of the file undecoded.
    EXPECT_EQ(unpack({0x00, 'A', 0x00, 'B'}, HEADER + 2), (Bytes{'A'}));
}

TEST(DellLz77, MalformedPayloadsStayInsideTheBuffers)
{
    const TokenCase cases[] = {
        {"a reference before the start of the output reads zeros", {0x31, 0x05}, {0, 0}},
        {"a reference reaching partly before the start",
         {0x10, 'A', 'B', 0x03, 0x02}, {'A', 'B', 0, 'A', 'B', 0}},
        {"a literal run cut by the end of the payload", {0x00, 'q', 0x50, 'r', 's'}, {'q', 'r', 's', 0, 0, 0, 0}},
        {"a reference without its distance byte", {0x00, 'q', 0x01}, {'q', 'q', 0}},
        {"a single literal without its byte", {0x00}, {0}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(unpack(c.payload), c.expected) << c.what;

    for (std::int32_t size : {-1000, 0, 5, 13, 14})
        EXPECT_TRUE(unpack({0x00, 'A'}, size).empty()) << size;
}

TEST(DellLz77, OutputStopsAt196608Bytes)
{
    // Every 0x0F token adds 16 zero bytes; 20,000 of them would make 320,000.
    Bytes payload;
    for (int i = 0; i < 20000; ++i)
        payload.insert(payload.end(), {0x0F, 0x00});
    payload.insert(payload.begin(), {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Bytes out = unpack(payload);
    ASSERT_EQ(out.size(), OUTPUT_LIMIT);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[16], 16);  // distance 1 copies the last byte, then zeros
    EXPECT_EQ(out[17], 0);
}

TEST(DellLz77, TracesTheSizeOnlyInVerboseMode)
{
    ViewerState& state = viewer_state();
    int verbose = state.verbose;
    testing::internal::CaptureStdout();
    state.verbose = 0;
    unpack({0x00, 'A'});
    state.verbose = 1;
    unpack({0x00, 'A', 0x00, 'B', 0x00, 'C', 0x00, 'D', 0x00, 'E', 0x00, 'F'});
    state.verbose = verbose;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "==>>> DELL COMPRESSION: Image Size: 1A (26) bytes\n");
}

}  // namespace
