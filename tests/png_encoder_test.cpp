// The PNG encoder: the rows it compresses must inflate, through zlib, to exactly the
// 16-bit rows (filter byte 0, each picture byte then a zero byte) of every kind of picture
// the search treats apart; and the file around them must carry the chunks the export
// promises, in a layout pngcheck finds no fault in. (ImageMagick reads the PNGs of every
// format back in the decoder tests, through cli_png_rgb.)
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <functional>

#include "output/png_deflate.h"
#include "output/png_file.h"
#include "support/fixtures.h"

namespace {

// The PNG rows of a 16-bit RGB picture made from 8-bit bytes, built the plain way.
Bytes expected_rows(const Bytes& rgb, std::uint32_t width, std::uint32_t height)
{
    Bytes rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);
        for (std::size_t i = 0; i < std::size_t{width} * 3; ++i) {
            rows.push_back(rgb[y * std::size_t{width} * 3 + i]);
            rows.push_back(0);
        }
    }
    return rows;
}

// zlib's inflate of a whole stream; empty when it is refused (bad data or Adler-32).
Bytes inflate_all(const Bytes& stream, std::size_t expectedSize)
{
    Bytes out(expectedSize + 1);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, stream.data(), stream.size()) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

struct Picture {
    const char* name;
    std::uint32_t width, height;
    std::function<std::uint8_t(std::uint32_t x, std::uint32_t y, unsigned channel)> byte;
};

std::uint8_t noise(std::uint32_t x, std::uint32_t y, unsigned c)
{
    std::uint32_t v = (x * 2654435761u) ^ (y * 40503u) ^ (c * 0x9E3779B9u);
    v ^= v >> 13;
    return static_cast<std::uint8_t>(v * 0x5bd1e995u >> 24);
}

Bytes make_rgb(const Picture& p)
{
    Bytes rgb;
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x)
            for (unsigned c = 0; c < 3; ++c)
                rgb.push_back(p.byte(x, y, c));
    return rgb;
}

}  // namespace

// Each picture exercises a path of the search: zero rows (first, inside, last, all), runs
// that cross row ends from straight above, rows one pixel wide, rows wider than the
// 32 KiB window, noise (literals, several blocks), few-colour patterns (short repeats and
// lone bytes). Both with and without zlib's
// stream for small pictures, so the encoder itself is checked on small ones too.
TEST(PngEncoder, RowsInflateToThe16BitRows)
{
    const Picture pictures[] = {
        {"all zero", 40, 30, [](auto, auto, auto) { return 0; }},
        {"zero rows first, inside, last", 33, 9,
         [](auto x, auto y, auto c) { return y % 4 == 0 ? 0 : noise(x % 5, y, c); }},
        {"one flat colour", 64, 64, [](auto, auto, unsigned c) { return static_cast<std::uint8_t>(0x40 + c); }},
        {"black with a lone dot", 17, 11, [](auto x, auto y, auto) { return x == 8 && y == 5 ? 0xFF : 0; }},
        {"vertical stripes (repeats from above)", 7, 200, [](auto x, auto, auto) { return x % 3 ? 0x10 : 0xE0; }},
        {"one pixel wide", 1, 300, [](auto, auto y, auto c) { return static_cast<std::uint8_t>((y / 7) * 3 + c); }},
        {"one pixel", 1, 1, [](auto, auto, auto) { return 0x7F; }},
        {"rows wider than the window", 6000, 3, [](auto x, auto y, auto c) { return noise(x % 40, y, c); }},
        {"noise over several blocks", 160, 120, noise},
        {"gray ramps (byte to the left)", 90, 20,
         [](auto x, auto, auto) { return static_cast<std::uint8_t>(x / 9 * 20); }},
        {"four colours, dithered", 120, 40,
         [](auto x, auto y, auto c) { return static_cast<std::uint8_t>(((x ^ y) & 3) * 60 + c); }},
    };
    for (const Picture& p : pictures) {
        for (bool zlibForSmall : {false, true}) {
            SCOPED_TRACE(std::string(p.name) + (zlibForSmall ? ", zlib allowed" : ", own encoder"));
            const Bytes rgb = make_rgb(p);
            const Bytes rows = expected_rows(rgb, p.width, p.height);
            Bytes stream;
            ASSERT_TRUE(deflate_rgb16_rows(rgb.data(), p.width, p.height, stream, zlibForSmall));
            EXPECT_EQ(inflate_all(stream, rows.size()), rows);
        }
    }
}

TEST(PngEncoder, EmptyPicturesAreRefused)
{
    Bytes stream, pixel(3, 0);
    EXPECT_FALSE(deflate_rgb16_rows(pixel.data(), 0, 5, stream));
    EXPECT_FALSE(deflate_rgb16_rows(pixel.data(), 5, 0, stream));
    EXPECT_FALSE(deflate_rgb16_rows(nullptr, 1, 1, stream));
    EXPECT_TRUE(stream.empty());
}

// The file: signature, IHDR of a 16-bit RGB picture, tIME, the four texts (cut to 254
// bytes), the rows, IEND; pngcheck finds no fault.
TEST(PngEncoder, FileChunks)
{
    const Picture p = {"pattern", 37, 23,
                       [](auto x, auto y, auto c) { return static_cast<std::uint8_t>((x * 7 + y * 3) % 5 * 50 + c); }};
    const Bytes rgb = make_rgb(p);
    PngTexts texts{"\nlogo.png", "\nDravenko", "\nOriginal format: X", std::string(300, 's')};
    Bytes png;
    ASSERT_TRUE(encode_png_rgb16(rgb.data(), p.width, p.height, texts, png));

    std::vector<std::string> chunks;
    std::string software;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        std::uint32_t length = (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (chunks.empty() || chunks.back() != type)
            chunks.push_back(type);
        if (type == "tEXt" && std::string(png.begin() + at + 8, png.begin() + at + 17) == std::string("Software", 9))
            software.assign(png.begin() + at + 17, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "tIME", "tEXt", "IDAT", "IEND"}));
    EXPECT_EQ(software, std::string(254, 's'));
    EXPECT_EQ(png[24], 16);  // bit depth
    EXPECT_EQ(png[25], 2);   // colour type RGB

    if (have_program("pngcheck")) {
        EXPECT_EQ(run_command("pngcheck -q '" + write_temp_file(png, "pattern.png") + "' >/dev/null 2>&1"), 0);
    }
}

// Code lengths: complete codes within the bit limit, more frequent symbols never longer.
TEST(PngEncoder, CodeLengthsStayWithinTheLimit)
{
    std::vector<std::uint32_t> fibonacci;
    for (std::uint32_t a = 1, b = 1; fibonacci.size() < 30; b += a, a = b - a)
        fibonacci.push_back(a);
    const struct {
        const char* name;
        std::vector<std::uint32_t> counts;
        unsigned maxBits;
        std::vector<std::uint8_t> lengths;  // empty: only the properties are checked
    } cases[] = {
        {"none used", {0, 0, 0}, 15, {0, 0, 0}},
        {"one used", {0, 9, 0}, 15, {0, 1, 0}},
        {"four alike", {5, 5, 5, 5}, 15, {2, 2, 2, 2}},
        {"worked", {10, 6, 2, 1, 1}, 15, {1, 2, 3, 4, 4}},
        {"Fibonacci, 30 symbols, 15 bits", fibonacci, 15, {}},
        {"Fibonacci, 19 symbols, 7 bits", {fibonacci.begin(), fibonacci.begin() + 19}, 7, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> lengths(c.counts.size());
        code_lengths(c.counts.data(), static_cast<unsigned>(c.counts.size()), c.maxBits, lengths.data());
        if (!c.lengths.empty()) {
            EXPECT_EQ(lengths, c.lengths);
        }
        double kraft = 0;
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            EXPECT_LE(lengths[i], c.maxBits);
            EXPECT_EQ(lengths[i] == 0, c.counts[i] == 0);
            kraft += lengths[i] ? 1.0 / (1u << lengths[i]) : 0;
            for (std::size_t j = 0; j < lengths.size(); ++j) {
                if (c.counts[j] != 0 && c.counts[i] > c.counts[j]) {
                    EXPECT_LE(lengths[i], lengths[j]);
                }
            }
        }
        if (std::count_if(c.counts.begin(), c.counts.end(), [](auto n) { return n != 0; }) > 1) {
            EXPECT_EQ(kraft, 1.0);
        }
    }
}
