// The targets of the encoders and their limits. Sizes stop at the largest side a load
// accepts (MAX_PICTURE_SIDE), so every file written here opens again; the formats'
// own fields narrow that further where they must (the cell counts of EPA and TEXTLOGO are
// single bytes, a PG plane is at most 65,535 bytes).
#include <array>

#include "core/limits.h"
#include "encode/encode_logo.h"

namespace {

constexpr std::uint32_t SIDE = MAX_PICTURE_SIDE;
constexpr std::uint64_t ANY = static_cast<std::uint64_t>(SIDE) * SIDE;
// A PG plane (rows x width / 8 bytes) is addressed in 16 bits.
constexpr std::uint64_t PG_MAX_PIXELS = 0xFFFFull * 8;
// Cell counts are bytes: 255 columns of 8 pixels, 255 rows of 14 (EPA) or 16 (TEXTLOGO).
constexpr std::uint32_t MAX_CELLS = 255;

constexpr std::array<TargetInfo, 14> TARGETS = {{
    {EncodeTarget::awbm16, "awbm16", "AWBM16", ".awbm", FORMAT_AWBM16, 16, 1, 1, SIDE, SIDE, ANY, false,
     "Award AWBM, 16 colours (6-bit), any size up to 8192 x 8192; ROM slots hold 640 x 480 and 136 x 84"},
    {EncodeTarget::awbm256, "awbm256", "AWBM256", ".awbm", FORMAT_AWBM256, 256, 1, 1, SIDE, SIDE, ANY, false,
     "Award AWBM, 256 colours (6-bit), any size up to 8192 x 8192; no ROM seen holds one"},
    {EncodeTarget::awbm16Compressed, "awbm16-compressed", "AWBM16 (compressed)", ".awbm",
     FORMAT_AWBM16_COMPRESSED, 16, 1, 1, SIDE, SIDE, ANY, true,
     "Award plug-in AWBM, 16 colours (6-bit) in runs, any size up to 8192 x 8192"},
    {EncodeTarget::awbm256Compressed, "awbm256-compressed", "AWBM256 (compressed)", ".awbm",
     FORMAT_AWBM256_COMPRESSED, 256, 1, 1, SIDE, SIDE, ANY, true,
     "Award plug-in AWBM, 256 colours (6-bit) in runs, any size up to 8192 x 8192"},
    {EncodeTarget::grfx, "grfx", "GRFX", ".grfx", FORMAT_INTEL_GRFX, 16, 2, 1, SIDE, SIDE, ANY, false,
     "Intel GRFX, 16 colours (6-bit), an even width, up to 8192 x 8192"},
    {EncodeTarget::grfxCompressed, "grfx-compressed", "Compressed GRFX", ".grfx", FORMAT_INTEL_COMPRESSED_GRFX,
     16, 2, 1, SIDE, SIDE, ANY, true, "Intel GRFX packed with lh5, 16 colours (6-bit), an even width, up to 8192 x 8192"},
    {EncodeTarget::pg, "pg", "PG", ".pg", FORMAT_PHOENIX_PG, 16, 8, 1, SIDE, SIDE, PG_MAX_PIXELS, false,
     "Phoenix PG, 16 colours (6-bit), a width of 8 x N, at most 524,280 pixels (a plane of 65,535 bytes)"},
    {EncodeTarget::pgCompressed, "pg-compressed", "Compressed PG", ".pg", FORMAT_INTEL_COMPRESSED_PG, 16, 8, 1,
     SIDE, SIDE, PG_MAX_PIXELS, true,
     "Intel PG packed with lh5, 16 colours (6-bit), a width of 8 x N, at most 524,280 pixels"},
    {EncodeTarget::epa, "epa", "EPA", ".epa", FORMAT_STANDARD_EPA, 16, 8, 14, MAX_CELLS * 8, MAX_CELLS * 14, ANY,
     false,
     "Award EPA, 8 x 14 cells of two text colours (background 0-7), at most 255 x 255 cells; ROM slots hold "
     "136 x 84 (17 x 6 cells)"},
    {EncodeTarget::pcx4, "pcx4", "PCX (4-bit)", ".pcx", FORMAT_PCX4, 16, 1, 1, SIDE, SIDE, ANY, false,
     "PCX, 4 bit planes, 16 colours (6-bit), any size up to 8192 x 8192"},
    {EncodeTarget::pcx8, "pcx8", "PCX (8-bit)", ".pcx", FORMAT_PCX8, 256, 1, 1, SIDE, SIDE, ANY, false,
     "PCX, 8 bits a pixel, 256 colours (6-bit), any size up to 8192 x 8192"},
    {EncodeTarget::bmp4, "bmp4", "BMP (4-bit)", ".bmp", FORMAT_PLAIN_BMP, 16, 1, 1, SIDE, SIDE, ANY, false,
     "BMP, 4 bits a pixel, 16 colours (6-bit), any size up to 8192 x 8192"},
    {EncodeTarget::bmp8, "bmp8", "BMP (8-bit)", ".bmp", FORMAT_PLAIN_BMP, 256, 1, 1, SIDE, SIDE, ANY, false,
     "BMP, 8 bits a pixel, 256 colours (6-bit), any size up to 8192 x 8192"},
    {EncodeTarget::textlogo, "textlogo", "TEXTLOGO", ".bin", FORMAT_INTEL_TEXTLOGO, 16, 8, 16, MAX_CELLS * 8,
     MAX_CELLS * 16, ANY, false,
     "Intel TEXTLOGO, 8 x 16 cells of a text colour, at most 255 x 255 cells and 256 different glyphs"},
}};

}  // namespace

std::span<const TargetInfo> encode_targets()
{
    return TARGETS;
}

const TargetInfo* find_target(std::string_view name)
{
    for (const TargetInfo& info : TARGETS)
        if (name == info.name)
            return &info;
    return nullptr;
}

const TargetInfo& target_info(EncodeTarget target)
{
    for (const TargetInfo& info : TARGETS)
        if (info.target == target)
            return info;
    return TARGETS.front();
}
