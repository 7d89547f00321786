// Helpers of the ROM write tests: logo files of chosen sizes (AWBM 4-bit, EPA v1), the
// packers, the logos a scan finds, and lhasa over a carved Award member.
#pragma once

#include <cstdint>
#include <string>

#include "pipeline/rom_replace.h"
#include "support/fixtures.h"
#include "support/lha_archive.h"

// AWBM 4-bit: "AWBM", width, height, rows of 4 planes (width rounded up to 8), "RGB " and
// 16 blue-first 6-bit colours. Pixels follow a pattern of bands, or (noisy) take one of 8
// colours at random, which packs to about 3/8 of its size.
inline Bytes awbm16_logo(unsigned width, unsigned height, unsigned seed, bool noisy = false)
{
    unsigned rowBytes = (width + 7) / 8;
    ByteBuilder b;
    b.text("AWBM").u16(width).u16(height);
    std::uint32_t state = seed * 2654435761u + 1;
    for (unsigned y = 0; y < height; ++y) {
        Bytes planes(4 * rowBytes, 0);
        for (unsigned x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            unsigned index = noisy ? state >> 29 : ((x / 8 + y / 6 + seed) % 16);
            for (unsigned p = 0; p < 4; ++p)
                if ((index >> p) & 1)
                    planes[p * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        b.bytes(planes);
    }
    b.text("RGB ");
    for (unsigned i = 0; i < 16; ++i)
        b.u8((i * 4 + seed) & 63).u8((i * 3) & 63).u8((63 - i * 4) & 63);
    return b.data();
}

// EPA v1 of columns x rows cells: attributes, 14-byte glyphs, then the 70-byte mark tail
// copied from the committed fixture.
inline Bytes epa_logo(unsigned columns, unsigned rows, unsigned seed)
{
    constexpr std::size_t MARK_TAIL = 70;
    Bytes fixture = read_fixture("award/award-standard.epa");
    ByteBuilder b;
    b.u8(columns).u8(rows);
    for (unsigned i = 0; i < columns * rows; ++i)
        b.u8(((i + seed) % 15) + 1);
    for (unsigned i = 0; i < columns * rows * 14; ++i)
        b.u8((i * 37 + seed * 11) & 0xFF);
    b.bytes(Bytes(fixture.end() - MARK_TAIL, fixture.end()));
    return b.data();
}

inline RomPackers test_packers()
{
    return default_rom_packers();
}

// The logo a scan of image lists in the container whose name starts with name.
inline bool find_logo(const Bytes& image, const std::string& container, const std::string& name, FoundLogo& out)
{
    for (const FoundLogo& logo : scan_rom_bytes(image).logos) {
        if (logo.container == container && logo.name.compare(0, name.size(), name) == 0) {
            out = logo;
            return true;
        }
    }
    return false;
}

// lhasa tests the member at at (its header, stream and CRC-16) carved with its 0x00.
inline bool lhasa_tests_member(const Bytes& image, std::uint64_t at)
{
    std::uint64_t headerSize = image[at];
    std::uint64_t packed = rd_u32(image.data() + at, 7);
    std::uint64_t end = at + headerSize + 2 + packed + 1;
    if (end > image.size())
        return false;
    std::string path = write_temp_file(Bytes(image.begin() + at, image.begin() + end), "member.lzh");
    return run_command("lhasa t '" + path + "' >/dev/null 2>&1") == 0;
}

// A picture of width x height: bands of a few colours, or (noisy) every pixel its own.
inline SourcePicture test_picture(unsigned width, unsigned height, unsigned seed, bool noisy)
{
    SourcePicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(std::size_t{width} * height * 3);
    std::uint32_t state = seed * 2654435761u + 7;
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        state = state * 1664525u + 1013904223u;
        unsigned x = static_cast<unsigned>(i % width), y = static_cast<unsigned>(i / width);
        unsigned band = (x / 9 + y / 5 + seed) % 4;
        p.rgb[i * 3] = static_cast<std::uint8_t>(noisy ? state >> 24 : band * 80);
        p.rgb[i * 3 + 1] = static_cast<std::uint8_t>(noisy ? state >> 16 : 255 - band * 60);
        p.rgb[i * 3 + 2] = static_cast<std::uint8_t>(noisy ? state >> 8 : (band * 40 + seed) & 0xFF);
    }
    return p;
}

// The picture encoded as the slot of image holds its logos (choose_slot_target); empty when
// the encoder refuses.
inline Bytes slot_logo(const Bytes& image, const FoundLogo& slot, unsigned width, unsigned height, unsigned seed,
                       bool noisy)
{
    SlotTarget chosen = choose_slot_target(image, slot, nullptr);
    if (!chosen.target)
        return {};
    EncodeOptions options;
    options.target = chosen.target->target;
    options.width = width;
    options.height = height;
    options.epaMarkTail = slot_epa_mark(slot);
    return encode_logo(test_picture(width, height, seed, noisy), options).bytes;
}
