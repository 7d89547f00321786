// PCX pictures with run-length scanlines:
//   PCX4RLEbm  plain PCX file, 4 bit planes, 16-colour palette in the header
//   AMIGFXbm   4-plane PCX picture inside an AMI option ROM
//   PCX8RLEbm  plain PCX file, 8 bits per pixel, 256-colour palette at the end of the file
//   BIOGFXbm   BioStar 8-bit PCX file
//   SYSOFXbm   8-bit PCX picture inside a SystemSoft ROM image
// The plain PCX8/PCX4 decoders clear the two low bits of every palette value; the vendor
// decoders use the palette values as stored.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/canvas.h"
#include "core/owned.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/pcx_scanline.h"
#include "formats/pcx_layout.h"

namespace {

constexpr unsigned HEADER_PALETTE_ENTRIES = 16;
constexpr unsigned PALETTE_ENTRIES = 256;
constexpr std::size_t TRAILER_PALETTE_SIZE = PALETTE_ENTRIES * 3;  // last bytes of an 8-bit file
constexpr unsigned PLANE_COUNT = 4;
constexpr unsigned PIXELS_PER_BYTE = 8;
constexpr std::uint8_t RUN_FLAGS = 0xC0;  // both top bits set: a run
constexpr std::uint8_t RUN_LENGTH_MASK = 0x3F;
constexpr std::uint8_t LOW_BITS_CLEARED = 0xFC;

enum class PcxLayout { planar4, indexed8 };
enum class PaletteSource { header16, trailer256 };

struct PcxVariant {
    const char* name;
    std::size_t searchWindow;  // 0: the header is at offset 0
    PcxLayout layout;
    PaletteSource paletteSource;
    bool clearLowBits;
};

constexpr PcxVariant PCX4_FILE = {"PCX4RLEbm", 0, PcxLayout::planar4, PaletteSource::header16, true};
constexpr PcxVariant AMI_ROM = {"AMIGFXbm", AMI_PCX_WINDOW, PcxLayout::planar4, PaletteSource::header16, false};
constexpr PcxVariant PCX8_FILE = {"PCX8RLEbm", 0, PcxLayout::indexed8, PaletteSource::trailer256, true};
constexpr PcxVariant BIOSTAR_FILE = {"BIOGFXbm", 0, PcxLayout::indexed8, PaletteSource::trailer256, false};
constexpr PcxVariant SYSTEMSOFT_ROM = {"SYSOFXbm", SYSTEMSOFT_PCX_WINDOW, PcxLayout::indexed8,
                                       PaletteSource::trailer256, false};

using RgbPalette = std::uint8_t[PALETTE_ENTRIES][3];

// The picture's palette as it is drawn. The trailer palette is the file's last 768 bytes;
// a file shorter than that has zeros in front, so its last byte is still entry 255's blue.
void read_palette(const PcxVariant& variant, std::FILE* stream, const std::uint8_t* header, RgbPalette palette)
{
    std::uint8_t raw[TRAILER_PALETTE_SIZE] = {};
    if (variant.paletteSource == PaletteSource::header16) {
        std::memcpy(raw, header + PCX_HEADER_PALETTE_AT, HEADER_PALETTE_ENTRIES * 3);
    } else {
        std::uint64_t size = stream_size(stream);
        if (size >= TRAILER_PALETTE_SIZE)
            read_at(stream, size - TRAILER_PALETTE_SIZE, raw, TRAILER_PALETTE_SIZE);
        else
            read_at(stream, 0, raw + (TRAILER_PALETTE_SIZE - size), static_cast<std::size_t>(size));
    }
    for (unsigned i = 0; i < PALETTE_ENTRIES; ++i) {
        for (unsigned c = 0; c < 3; ++c) {
            std::uint8_t v = raw[i * 3 + c];
            palette[i][c] = variant.clearLowBits ? static_cast<std::uint8_t>(v & LOW_BITS_CLEARED) : v;
        }
    }
}

// Bit 7 - k of a plane byte moved to bit 0 of byte k: the eight pixels of one plane byte
// spread out at once, leftmost pixel in the low byte.
constexpr auto PLANE_BYTE_SPREAD = [] {
    std::array<std::uint64_t, 256> table{};
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned k = 0; k < PIXELS_PER_BYTE; ++k)
            table[v] |= static_cast<std::uint64_t>((v >> (7 - k)) & 1u) << (k * 8);
    return table;
}();

// Four planes of bytesPerLine bytes each; bit 7 of a plane byte is the leftmost pixel and
// plane p gives bit p of the colour index.
void draw_planar_row(const RgbCanvas& canvas, std::uint32_t y, const std::uint8_t* line, std::size_t bytesPerLine,
                     std::uint32_t width, const RgbPalette palette)
{
    for (std::size_t j = 0; j < bytesPerLine; ++j) {
        std::uint64_t indices = 0;  // byte k: colour index of pixel k of this column of bytes
        for (unsigned p = 0; p < PLANE_COUNT; ++p)
            indices |= PLANE_BYTE_SPREAD[line[p * bytesPerLine + j]] << p;
        for (unsigned k = 0; k < PIXELS_PER_BYTE; ++k) {
            std::uint32_t x = static_cast<std::uint32_t>(j * PIXELS_PER_BYTE + k);
            if (x >= width)
                return;
            canvas.put(x, y, palette[(indices >> (k * 8)) & 0xFF]);
        }
    }
}

// One palette index per byte; bytes past the picture's width are row fill.
void draw_indexed_row(const RgbCanvas& canvas, std::uint32_t y, const std::uint8_t* line, std::size_t bytesPerLine,
                      std::uint32_t width, const RgbPalette palette)
{
    std::size_t count = width < bytesPerLine ? width : bytesPerLine;
    for (std::size_t x = 0; x < count; ++x)
        canvas.put(static_cast<std::uint32_t>(x), y, palette[line[x]]);
}

void decode_pcx(const PcxVariant& variant, std::uint8_t* image, const LogoDescriptor& d, LoadContext& load)
{
    // Inside a ROM the header is searched for; without one the picture is read from 0.
    std::uint64_t start = variant.searchWindow ? find_pcx_header(d.stream, variant.searchWindow).value_or(0) : 0;
    std::uint8_t header[PCX_HEADER_SIZE];
    read_at(d.stream, start, header, PCX_HEADER_SIZE);
    PcxGeometry geometry = pcx_geometry(header);
    std::size_t bytesPerLine = rd_u16(header, PCX_BYTES_PER_LINE_AT);
    if (bytesPerLine == 0)
        return;  // empty scanlines: nothing to draw

    RgbPalette palette;
    read_palette(variant, d.stream, header, palette);

    OwnedBytes line = alloc_zeroed(PLANE_COUNT, bytesPerLine);
    if (!line) {
        load.notice("%s() img buffer allocation error\n", variant.name);
        return;
    }
    std::size_t lineLength = variant.layout == PcxLayout::planar4 ? PLANE_COUNT * bytesPerLine : bytesPerLine;
    // The header found in a ROM may not be the one detection measured: the canvas keeps
    // every pixel inside the image, and rows and columns outside it are not worth drawing.
    RgbCanvas canvas{image, d.width, d.height};
    std::uint32_t rows = std::min<std::uint32_t>(geometry.height, canvas.height);
    std::uint32_t columns = std::min<std::uint32_t>(geometry.width, canvas.width);
    ByteReader in(d.stream, start + PCX_HEADER_SIZE);
    for (std::uint32_t y = 0; y < rows && !in.at_end(); ++y) {
        unpack_pcx_scanline(in, line.get(), lineLength);
        if (variant.layout == PcxLayout::planar4)
            draw_planar_row(canvas, y, line.get(), bytesPerLine, columns, palette);
        else
            draw_indexed_row(canvas, y, line.get(), bytesPerLine, columns, palette);
    }
}

}  // namespace

void unpack_pcx_scanline(ByteReader& in, std::uint8_t* line, std::size_t length)
{
    std::size_t pos = 0;
    while (pos < length) {
        std::uint8_t code = in.u8();
        std::size_t run = 1;
        std::uint8_t value = code;
        if ((code & RUN_FLAGS) == RUN_FLAGS) {
            run = code & RUN_LENGTH_MASK;
            value = in.u8();
        }
        std::size_t fits = run < length - pos ? run : length - pos;
        std::memset(line + pos, value, fits);
        pos += fits;
    }
}

void PCX4RLEbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_pcx(PCX4_FILE, image, d, load);
}

void AMIGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_pcx(AMI_ROM, image, d, load);
}

void PCX8RLEbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_pcx(PCX8_FILE, image, d, load);
}

void BIOGFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_pcx(BIOSTAR_FILE, image, d, load);
}

void SYSOFXbm(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_pcx(SYSTEMSOFT_ROM, image, d, load);
}
