// Writes the composite-container test fixtures: a Phoenix SCRN composite and an SCN
// envelope with a 4-bit and an 8-bit picture each, and "$OSB" chains of 8-bit PCX and of
// BMP pictures; plus cut copies, as a damaged dump gives, and a chain whose second
// record points back at the first. Usage: make_container_fixtures [OUTPUT_DIR]
// (default "tests/data/containers").
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fixture_bytes.h"

namespace {

// A pattern index for pixel (x, y): a ring around the picture's centre over diagonal bands.
unsigned pattern(unsigned x, unsigned y, unsigned width, unsigned height, unsigned colours)
{
    int dx = static_cast<int>(2 * x) - static_cast<int>(width);
    int dy = static_cast<int>(2 * y) - static_cast<int>(height);
    int r2 = dx * dx + dy * dy;
    int inner = static_cast<int>(height * height) / 4, outer = static_cast<int>(height * height) * 3 / 4;
    if (r2 >= inner && r2 <= outer)
        return colours - 1;
    return (x + y) / 3 % (colours - 1);
}

// A Phoenix picture: 19-byte head (bits at 4, width at 5, height at 7); a 4-bit picture
// has a substitution table after it and two pixels a byte, the high four bits first.
Bytes phoenix_picture(unsigned bits, unsigned width, unsigned height, const std::uint8_t* substitution)
{
    Bytes out(19, 0);
    out[4] = static_cast<std::uint8_t>(bits);
    put_u16(out, 5, width);
    put_u16(out, 7, height);
    if (bits == 4) {
        for (unsigned i = 0; i < 16; ++i)
            out.push_back(substitution[i]);
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; x += 2)
                out.push_back(static_cast<std::uint8_t>((pattern(x, y, width, height, 16) << 4) |
                                                        pattern(x + 1, y, width, height, 16)));
    } else {
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                out.push_back(static_cast<std::uint8_t>(pattern(x, y, width, height, 64)));
    }
    return out;
}

// 6-bit palette entries: a run from deep blue to orange.
Bytes phoenix_palette(unsigned entries)
{
    Bytes out;
    for (unsigned i = 0; i < entries; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 63 / (entries - 1)));
        out.push_back(static_cast<std::uint8_t>(20 + i * 20 / entries));
        out.push_back(static_cast<std::uint8_t>(63 - i * 63 / (entries - 1)));
    }
    return out;
}

// Substitution tables: the 16 pixel values spread over the palette.
constexpr std::uint8_t SCRN_SUBSTITUTION[16] = {0, 4, 8, 12, 16, 20, 24, 28, 33, 37, 41, 45, 49, 53, 57, 63};
constexpr std::uint8_t SCN_SUBSTITUTION[16] = {0, 2, 4, 7, 9, 11, 14, 16, 18, 21, 23, 25, 28, 30, 32, 35};

// SCRN composite: header, 64-entry palette, two pictures, then the directory.
Bytes scrn_composite()
{
    Bytes out = {'S', 'C', 'R', 'N'};
    out.resize(16, 0);
    Bytes palette = phoenix_palette(64);
    out.insert(out.end(), palette.begin(), palette.end());
    std::vector<unsigned> offsets;
    for (const Bytes& picture : {phoenix_picture(4, 40, 14, SCRN_SUBSTITUTION), phoenix_picture(8, 25, 10, nullptr)}) {
        offsets.push_back(static_cast<unsigned>(out.size()));
        out.insert(out.end(), picture.begin(), picture.end());
    }
    put_u16(out, 6, static_cast<unsigned>(out.size()));  // directory offset
    out.push_back(static_cast<std::uint8_t>(offsets.size()));
    for (unsigned offset : offsets) {
        out.push_back(0);
        u16(out, offset);
    }
    put_u16(out, 4, static_cast<unsigned>(out.size()));
    return out;
}

// SCN envelope: header with the picture count at 9, 36-entry palette, two pictures, then
// the directory of 5-byte entries that ends the data.
Bytes scn_envelope()
{
    Bytes out = {'S', 'C', 'N'};
    out.resize(16, 0);
    out[9] = 2;
    Bytes palette = phoenix_palette(36);
    out.insert(out.end(), palette.begin(), palette.end());
    std::vector<std::uint32_t> offsets;
    for (const Bytes& picture : {phoenix_picture(4, 30, 12, SCN_SUBSTITUTION), phoenix_picture(8, 20, 8, nullptr)}) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), picture.begin(), picture.end());
    }
    for (std::uint32_t offset : offsets) {
        out.push_back(0);
        u32(out, offset);
    }
    put_u32(out, 4, static_cast<std::uint32_t>(out.size()));
    return out;
}

// An 8-bit run-length PCX file with its 256-colour palette; bytes per line are even, so an
// odd width leaves a fill byte at the end of each line.
Bytes pcx8(unsigned width, unsigned height)
{
    unsigned bytesPerLine = width + width % 2;
    Bytes out = {0x0A, 5, 1, 8};
    u16(out, 0);
    u16(out, 0);
    u16(out, width - 1);
    u16(out, height - 1);
    out.resize(65, 0);
    out.push_back(1);  // planes
    u16(out, bytesPerLine);
    out.resize(128, 0);
    for (unsigned y = 0; y < height; ++y) {
        Bytes line;
        for (unsigned x = 0; x < bytesPerLine; ++x)
            line.push_back(x < width ? static_cast<std::uint8_t>(200 + pattern(x, y, width, height, 40)) : 7);
        for (std::size_t i = 0; i < line.size();) {
            std::size_t run = 1;
            while (run < 63 && i + run < line.size() && line[i + run] == line[i])
                ++run;
            if (run > 1 || line[i] >= 0xC0)
                out.push_back(static_cast<std::uint8_t>(0xC0 | run));
            out.push_back(line[i]);
            i += run;
        }
    }
    out.push_back(0x0C);
    for (unsigned i = 0; i < 256; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 5));
        out.push_back(static_cast<std::uint8_t>(255 - i * 3));
        out.push_back(static_cast<std::uint8_t>(i * 37));
    }
    return out;
}

// A BMP file, rows stored bottom-up and filled to 4 bytes: 8 bits a pixel, or 4.
Bytes bmp(unsigned width, unsigned height, unsigned bits)
{
    unsigned rowBytes = ((width * bits + 7) / 8 + 3) / 4 * 4;
    unsigned dataOffset = 54 + 256 * 4;
    Bytes out = {'B', 'M'};
    u32(out, dataOffset + rowBytes * height);
    u32(out, 0);
    u32(out, dataOffset);
    u32(out, 40);
    u32(out, width);
    u32(out, height);
    u16(out, 1);
    u16(out, bits);
    out.resize(54, 0);
    for (unsigned i = 0; i < 256; ++i) {
        out.insert(out.end(), {static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7),
                               static_cast<std::uint8_t>(i * 3 + 1), 0});
    }
    for (unsigned s = 0; s < height; ++s) {
        unsigned y = height - 1 - s;
        Bytes row(rowBytes, 0);
        for (unsigned x = 0; x < width; ++x) {
            unsigned index = pattern(x, y, width, height, bits == 8 ? 60 : 16);
            if (bits == 8)
                row[x] = static_cast<std::uint8_t>(index);
            else
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A "$OSB" record (tag, end mark at 4, picture length at 5).
void put_osb_record(Bytes& out, std::uint32_t length, std::uint8_t mark = 0)
{
    std::size_t at = out.size();
    out.insert(out.end(), {'$', 'O', 'S', 'B', mark});
    u32(out, length);
    out.resize(at + 16, 0);
}

Bytes osb_chain(const std::vector<Bytes>& pictures)
{
    Bytes out;
    for (const Bytes& picture : pictures) {
        put_osb_record(out, static_cast<std::uint32_t>(picture.size()));
        out.insert(out.end(), picture.begin(), picture.end());
    }
    put_osb_record(out, 0, 0xFF);
    return out;
}

// Two PCX links whose second length, added in 32 bits, leads back to offset 0.
Bytes osb_loop()
{
    Bytes picture = pcx8(12, 6);
    Bytes out;
    put_osb_record(out, static_cast<std::uint32_t>(picture.size()));
    out.insert(out.end(), picture.begin(), picture.end());
    put_osb_record(out, 0u - static_cast<std::uint32_t>(out.size() + 16));
    out.insert(out.end(), picture.begin(), picture.end());
    return out;
}

Bytes prefix(const Bytes& bytes, std::size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "tests/data/containers";
    Bytes scrn = scrn_composite();
    Bytes scn = scn_envelope();
    Bytes osbPcx = osb_chain({pcx8(24, 16), pcx8(21, 9)});
    Bytes osbBmp = osb_chain({bmp(30, 12, 8), bmp(20, 6, 4), bmp(17, 5, 8)});
    bool ok = write_file(dir + "/scrn.bin", scrn);
    ok = write_file(dir + "/scrn-cut.bin", prefix(scrn, 400)) && ok;
    ok = write_file(dir + "/scn.bin", scn) && ok;
    ok = write_file(dir + "/scn-cut.bin", prefix(scn, 300)) && ok;
    ok = write_file(dir + "/osb-pcx.bin", osbPcx) && ok;
    ok = write_file(dir + "/osb-pcx-cut.bin", prefix(osbPcx, 1300)) && ok;
    ok = write_file(dir + "/osb-bmp.bin", osbBmp) && ok;
    ok = write_file(dir + "/osb-bmp-cut.bin", prefix(osbBmp, 1500)) && ok;
    ok = write_file(dir + "/osb-loop.bin", osb_loop()) && ok;
    return ok ? 0 : 1;
}
