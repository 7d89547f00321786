// Writes the project's own sample logos: the word "ZARPO" as an Award Standard EPA
// (17 x 6 character cells), as an AWBM16 picture with its palette trailer, and as a
// compressed AWBM256 picture. Usage: make_samples [OUTPUT_DIR] (default "samples").
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixture_bytes.h"

namespace {

constexpr int GLYPH_COLUMNS = 5;
constexpr int GLYPH_ROWS = 7;
constexpr const char* WORD = "ZARPO";
constexpr int WORD_LETTERS = 5;

// A 5 x 7 block letter: '#' is ink.
struct Glyph {
    char letter;
    const char* rows[GLYPH_ROWS];
};

// Our own block letters for the word.
constexpr Glyph GLYPHS[] = {
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};

bool glyph_ink(char letter, int column, int row)
{
    for (const Glyph& g : GLYPHS) {
        if (g.letter == letter)
            return g.rows[row][column] == '#';
    }
    return false;
}

// True where the word, drawn with letters of scale x scale pixels per glyph dot, starting
// at (left, top) and advancing by pitch pixels a letter, has ink at pixel (x, y).
bool word_ink(int x, int y, int left, int top, int scaleX, int scaleY, int pitch)
{
    if (x < left || y < top)
        return false;
    int letter = (x - left) / pitch;
    int dotX = (x - left) % pitch / scaleX;
    int dotY = (y - top) / scaleY;
    if (letter >= WORD_LETTERS || dotX >= GLYPH_COLUMNS || dotY >= GLYPH_ROWS)
        return false;
    return glyph_ink(WORD[letter], dotX, dotY);
}

// Standard EPA: 17 x 6 cells of 8 x 14 pixels. The letters fill cell rows 1 to 4, three
// cells a letter, coloured by cell row from yellow down to blue; rows 0 and 5 carry a
// chain of small diamonds.
Bytes standard_epa()
{
    constexpr int COLUMNS = 17, ROWS = 6, CELL_W = 8, CELL_H = 14;
    constexpr std::uint8_t ROW_COLORS[ROWS] = {3, 14, 12, 13, 9, 3};  // standard colours
    Bytes out = {COLUMNS, ROWS};
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < COLUMNS; ++c)
            out.push_back(ROW_COLORS[r]);
    for (int r = 0; r < ROWS; ++r) {
        for (int c = 0; c < COLUMNS; ++c) {
            for (int j = 0; j < CELL_H; ++j) {
                std::uint8_t bits = 0;
                for (int b = 0; b < CELL_W; ++b) {
                    int x = c * CELL_W + b, y = r * CELL_H + j;
                    bool ink;
                    if (r == 0 || r == ROWS - 1) {
                        int dy = j - CELL_H / 2, dx = b - CELL_W / 2;
                        ink = std::abs(dx) + std::abs(dy) == 3;  // a diamond outline per cell
                    } else {
                        // Letters of 4 x 8 pixel dots, 24 pixels apart, from x = 10.
                        ink = word_ink(x, y, 10, CELL_H, 4, 8, 24);
                    }
                    if (ink)
                        bits = static_cast<std::uint8_t>(bits | (0x80 >> b));
                }
                out.push_back(bits);
            }
        }
    }
    out.resize(15 * COLUMNS * ROWS + 72, 0);  // 1,602 bytes: the tail is free space
    return out;
}

// The AWBM16 picture: 128 x 48, a dark blue band background (entries 0-7) under
// letters shaded from yellow to red (entries 8-15). Palette entries are stored blue,
// green, red, as 6-bit values.
constexpr unsigned AWBM16_W = 128, AWBM16_H = 48;

unsigned awbm16_index(unsigned x, unsigned y)
{
    if (word_ink(static_cast<int>(x), static_cast<int>(y), 6, 10, 4, 4, 24))
        return 8 + (y - 10) * 8 / 28;
    return ((x / 16) + (y / 12)) % 8;
}

Bytes awbm16_with_trailer()
{
    Bytes out = {'A', 'W', 'B', 'M'};
    u16(out, AWBM16_W);
    u16(out, AWBM16_H);
    const unsigned planeBytes = AWBM16_W / 8;
    for (unsigned y = 0; y < AWBM16_H; ++y) {
        Bytes row(planeBytes * 4, 0);
        for (unsigned x = 0; x < AWBM16_W; ++x) {
            unsigned index = awbm16_index(x, y);
            for (unsigned p = 0; p < 4; ++p) {
                if (index & (1u << p))
                    row[p * planeBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    out.insert(out.end(), {'R', 'G', 'B', ' '});
    for (unsigned i = 0; i < 16; ++i) {
        unsigned red, green, blue;
        if (i < 8) {
            red = 2 + i, green = 4 + 2 * i, blue = 16 + 5 * i;
        } else {
            red = 63, green = 63 - (i - 8) * 8, blue = 8;
        }
        out.insert(out.end(), {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                               static_cast<std::uint8_t>(red)});
    }
    return out;
}

// The scramble stream of compressed AWBM run counts: the widely published linear
// congruential generator from state 1, bit 7 of r XOR bit 6 of r of each output r.
class RunScrambler {
public:
    std::uint8_t next_mask()
    {
        state_ = state_ * 1103515245u + 12345u;
        std::uint32_t r = (state_ >> 16) & 0x7FFF;
        return static_cast<std::uint8_t>((r ^ (r << 1)) & 0x80);
    }

private:
    std::uint32_t state_ = 1;
};

// The compressed AWBM256 picture: 192 x 64, a sky gradient (entries 0-63) behind
// letters in warm shades (entries 64-127). Byte 11, the last byte of the palette
// block's tag field, is 1 for 256 colours.
Bytes awbm256_compressed()
{
    constexpr unsigned W = 192, H = 64;
    Bytes out = {'A', 'W', 'B', 'M'};
    u16(out, W);
    u16(out, H);
    out.insert(out.end(), {'R', 'G', 'B', 1});
    for (unsigned i = 0; i < 256; ++i) {
        unsigned red = 0, green = 0, blue = 0;
        if (i < 64) {
            red = i / 4, green = 8 + i / 2, blue = 24 + i * 39 / 63;
        } else if (i < 128) {
            red = 63, green = 20 + (i - 64) * 43 / 63, blue = (i - 64) / 4;
        }
        out.insert(out.end(), {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                               static_cast<std::uint8_t>(blue)});
    }
    Bytes pixels;
    for (unsigned y = 0; y < H; ++y) {
        for (unsigned x = 0; x < W; ++x) {
            if (word_ink(static_cast<int>(x), static_cast<int>(y), 6, 11, 6, 6, 36))
                pixels.push_back(static_cast<std::uint8_t>(64 + (y - 11) * 63 / 41));
            else
                pixels.push_back(static_cast<std::uint8_t>(y));
        }
    }
    RunScrambler scrambler;
    for (std::size_t i = 0; i < pixels.size();) {
        std::size_t run = 1;
        while (run < 256 && i + run < pixels.size() && pixels[i + run] == pixels[i])
            ++run;
        out.push_back(pixels[i]);
        out.push_back(static_cast<std::uint8_t>((run - 1) ^ scrambler.next_mask()));
        i += run;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "samples";
    bool ok = write_file(dir + "/award-standard.epa", standard_epa());
    ok = write_file(dir + "/awbm16.bin", awbm16_with_trailer()) && ok;
    ok = write_file(dir + "/awbm256-compressed.bin", awbm256_compressed()) && ok;
    return ok ? 0 : 1;
}
