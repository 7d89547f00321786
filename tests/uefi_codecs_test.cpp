// The compressions of UEFI sections: EFI and Tiano through hand-made streams that pin
// where they differ from each other and from lh5; LZMA (plain and with the x86 filter) and
// Brotli against their libraries' own encoders, with the output caps.
#include <gtest/gtest.h>

#include <brotli/encode.h>
#include <lzma.h>

#include <random>
#include <tuple>

#include "codec/efi_decompress.h"
#include "codec/lh5_encode.h"
#include "codec/library_decoders.h"
#include "support/fixtures.h"
#include "support/lh5_writer.h"

namespace {

constexpr std::uint64_t CAP = 1u << 20;

// The 8-byte frame: compressed size, original size.
Bytes framed(const Bytes& stream, std::uint32_t original, std::uint32_t compressed = UINT32_MAX)
{
    ByteBuilder b;
    b.u32(compressed == UINT32_MAX ? static_cast<std::uint32_t>(stream.size()) : compressed).u32(original).bytes(stream);
    return b.data();
}

// "B", 8192 "A"s, then a 3-byte match from position class 14 with 13 extra bits of 0:
// distance 8193, so the copy starts at the B. countBits is the position count's width.
Bytes far_match_stream(unsigned countBits)
{
    Lh5Writer w;
    w.single_value_block(1, 'B', 0, countBits).single_value_block(8192, 'A', 0, countBits);
    w.single_value_block(1, 256, 14, countBits).bits(0, 13);
    return w.bytes();
}

Bytes random_bytes(std::size_t n, unsigned seed, unsigned alphabet = 256)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b)
        v = static_cast<std::uint8_t>(rng() % alphabet);
    return b;
}

// An LZMA alone stream made by liblzma; with x86, the raw chain x86 + LZMA1 behind an alone header.
Bytes lzma_pack(const Bytes& data, bool x86)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1u << 20;
    Bytes out(data.size() + data.size() / 2 + 1024);
    std::size_t pos = 0;
    if (!x86) {
        lzma_stream s = LZMA_STREAM_INIT;
        EXPECT_EQ(lzma_alone_encoder(&s, &options), LZMA_OK);
        s.next_in = data.data();
        s.avail_in = data.size();
        s.next_out = out.data();
        s.avail_out = out.size();
        EXPECT_EQ(lzma_code(&s, LZMA_FINISH), LZMA_STREAM_END);
        out.resize(s.total_out);
        lzma_end(&s);
        // The encoder writes an unknown size; firmware tools write the real one.
        for (int i = 0; i < 8; ++i)
            out[5 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data.size() >> (8 * i));
        return out;
    }
    lzma_filter chain[3] = {{LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::uint32_t propsSize = 0;
    EXPECT_EQ(lzma_properties_size(&propsSize, &chain[1]), LZMA_OK);
    Bytes props(propsSize);
    EXPECT_EQ(lzma_properties_encode(&chain[1], props.data()), LZMA_OK);
    ByteBuilder header;
    header.bytes(props).u32(static_cast<std::uint32_t>(data.size())).u32(0);
    EXPECT_EQ(lzma_raw_buffer_encode(chain, nullptr, data.data(), data.size(), out.data(), &pos, out.size()), LZMA_OK);
    out.resize(pos);
    Bytes all = header.data();
    all.insert(all.end(), out.begin(), out.end());
    return all;
}

Bytes brotli_pack(const Bytes& data)
{
    std::size_t size = BrotliEncoderMaxCompressedSize(data.size());
    Bytes out(size);
    EXPECT_TRUE(BrotliEncoderCompress(5, 20, BROTLI_MODE_GENERIC, data.size(), data.data(), &size, out.data()));
    out.resize(size);
    return out;
}

}  // namespace

// One rule per case; the expected bytes follow from the rule alone.
TEST(EfiTianoCodec, HandMadeStreams)
{
    const Bytes bAaa = ByteBuilder().text("B").fill(8192, 'A').text("BAA").data();
    Bytes repeat = Lh5Writer().single_value_block(1, 'x').single_value_block(1, 256).bytes();
    Bytes repeatTiano = Lh5Writer().single_value_block(1, 'x', 0, 5).single_value_block(1, 256, 0, 5).bytes();
    Bytes before = Lh5Writer().single_value_block(1, 256).bytes();
    Bytes long509 = Lh5Writer().single_value_block(1, 'q').single_value_block(1, 509).bytes();
    using Kind = EfiCompression;
    const std::tuple<const char*, Bytes, Kind, Bytes, const char*> cases[] = {  // stream, kind, output, problem
        {"EFI: literal then a 3-byte match at distance 1", framed(repeat, 4), Kind::efi, Bytes(4, 'x'), ""},
        {"Tiano: the same with 5-bit position counts", framed(repeatTiano, 4), Kind::tiano, Bytes(4, 'x'), ""},
        {"Tiano: class 14 reaches 8193 back", framed(far_match_stream(5), 8196), Kind::tiano, bAaa, ""},
        {"EFI: class 14 is past its 14 classes", framed(far_match_stream(4), 8196), Kind::efi,
         Bytes(bAaa.begin(), bAaa.begin() + 8193), "EFI stream has a bad Huffman table after 8193 of 8196 bytes"},
        {"no window of spaces before the first byte", framed(before, 3), Kind::efi, {},
         "EFI stream has a match before its first byte after 0 of 3 bytes"},
        {"the last match stops at the original size", framed(long509, 10), Kind::efi, Bytes(10, 'q'), ""},
        {"original size 0", framed({}, 0), Kind::tiano, {}, ""},
        {"bytes past the compressed size read as zero bits: a single-value count of 0 is literal 0",
         framed(Lh5Writer().bits(1, 16).bytes(), 1, 2), Kind::efi, Bytes(1, 0), ""},
        {"original size above the cap", framed(repeat, CAP + 1), Kind::efi, {},
         "EFI stream unpacks to 1048577 bytes, above the cap of 1048576"},
        {"shorter than the frame", Bytes{1, 2, 3}, Kind::tiano, {}, "Tiano stream shorter than its 8-byte header"},
    };
    for (const auto& [what, stream, kind, expected, problem] : cases) {
        Unpacked out = efi_decompress(stream, kind, CAP);
        EXPECT_TRUE(out.bytes == expected) << what << ": " << out.bytes.size() << " bytes";
        EXPECT_EQ(out.problem, problem) << what;
    }
}

// Streams of the lh5 encoder with EFI's and Tiano's windows, framed: text, runs, and
// bytes that repeat from 100,000 back (only Tiano's window reaches them).
TEST(EfiTianoCodec, EncoderRoundTrips)
{
    Bytes far = random_bytes(150000, 9);
    for (std::size_t i = 100000; i < far.size(); ++i)
        far[i] = far[i - 100000];
    const std::tuple<const char*, Bytes> inputs[] = {
        {"text", random_bytes(70000, 4, 6)}, {"runs", Bytes(40000, 'r')}, {"far repeats", far}, {"one byte", Bytes{7}}};
    for (const auto& [what, data] : inputs) {
        for (const auto& [kind, bits] : {std::pair{EfiCompression::efi, 13}, {EfiCompression::tiano, 19}}) {
            SCOPED_TRACE(std::string(what) + (bits == 13 ? ", EFI" : ", Tiano"));
            Unpacked out = efi_decompress(framed(lh5_encode(data, Lh5EncodeOptions{bits}), static_cast<std::uint32_t>(data.size())),
                                          kind, CAP);
            EXPECT_TRUE(out.bytes == data);
            EXPECT_EQ(out.problem, "");
        }
    }
}

TEST(LibraryCodecs, RoundTripsAndCaps)
{
    Bytes text = random_bytes(300000, 3, 4);
    // x86 code-like bytes: E8 calls the filter rewrites.
    Bytes code = random_bytes(100000, 5);
    for (std::size_t i = 0; i + 5 < code.size(); i += 37)
        code[i] = 0xE8;
    for (const auto& [what, data, x86] : {std::tuple{"LZMA", text, false}, {"LZMA-F86", code, true}}) {
        Unpacked out = lzma_alone_decode(lzma_pack(data, x86), CAP, x86);
        EXPECT_TRUE(out.bytes == data) << what;
        EXPECT_EQ(out.problem, "") << what;
    }
    Unpacked br = brotli_decode(brotli_pack(text), CAP);
    EXPECT_TRUE(br.bytes == text);
    EXPECT_EQ(br.problem, "");

    Bytes packed = lzma_pack(text, false);
    Bytes claimsMore = packed;
    claimsMore[5] = claimsMore[6] = claimsMore[7] = 0;
    claimsMore[8] = 0x40;  // 1 GiB
    Bytes cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
    Bytes brotliCut = brotli_pack(text);
    brotliCut.resize(brotliCut.size() / 2);
    const std::tuple<const char*, Unpacked, std::size_t, const char*> failures[] = {
        {"LZMA size above the cap", lzma_alone_decode(claimsMore, CAP, false), 0,
         "LZMA stream unpacks to 1073741824 bytes, above the cap of 1048576"},
        {"LZMA output held to the cap", lzma_alone_decode(packed, 1000, false), 0,
         "LZMA stream unpacks to 300000 bytes, above the cap of 1000"},
        {"LZMA cut short", lzma_alone_decode(cut, CAP, false), SIZE_MAX, "LZMA stream ends after"},
        {"Brotli held to the cap", brotli_decode(brotli_pack(text), 1000), 1000,
         "Brotli stream unpacks to more than 1000 bytes"},
        {"Brotli cut short", brotli_decode(brotliCut, CAP), SIZE_MAX, "Brotli stream ends early after"},
        {"LZMA header cut", lzma_alone_decode(Bytes(12), CAP, false), 0, "LZMA stream shorter than its 13-byte header"},
    };
    for (const auto& [what, out, size, problem] : failures) {
        if (size != SIZE_MAX) {
            EXPECT_EQ(out.bytes.size(), size) << what;
        }
        EXPECT_EQ(out.problem.rfind(problem, 0), 0u) << what << ": " << out.problem;
    }
}
