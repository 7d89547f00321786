// Probes for PCX pictures (AMI option ROM, SystemSoft ROM, plain 8-bit and 4-bit RLE,
// BioStar 8-bit) and BMP pictures (QDI's BMP with a zeroed signature, plain BMP, and a
// plain BMP whose signature was overwritten, as an Award module holds it).
#include "core/stream_io.h"
#include "detect/probe_context.h"
#include "formats/bmp_layout.h"
#include "formats/pcx_layout.h"

namespace {

constexpr std::uint8_t ROM_SIGNATURE_0 = 0x55;
constexpr std::uint8_t ROM_SIGNATURE_1 = 0xAA;
constexpr std::uint8_t AMI_ROM_JUMP = 0xE9;  // byte 3 of an AMI option ROM with a logo

// Reads the header of the PCX picture inside a ROM. False when the window holds no
// 0A 05 pair: a ROM without an embedded PCX is not taken for a picture made of
// whatever bytes follow the window.
bool find_rom_pcx_header(std::FILE* stream, std::size_t window, std::uint8_t header[PCX_HEADER_SIZE])
{
    std::optional<std::uint64_t> at = find_pcx_header(stream, window);
    if (!at)
        return false;
    read_at(stream, *at, header, PCX_HEADER_SIZE);
    return true;
}

// Claims the file as a picture sized by the PCX header at pcx (its geometry fields lie
// within the first 12 bytes, so the header block serves for a file's own header).
void claim_pcx(LogoDescriptor& d, LogoFormatId id, const std::uint8_t* pcx, std::uint64_t dataSize,
               std::uint16_t colorCount)
{
    PcxGeometry g = pcx_geometry(pcx);
    claim_picture(d, id, g.width, g.height, dataSize, colorCount);
}

// Claims the file as a plain BMP sized by the header block: the width rounded up to a
// multiple of 4, and for 4 and 8 bits the colour-table entries before the pixel data.
void claim_plain_bmp(const DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    auto width = static_cast<std::uint32_t>(round_up_4(rd_u32(h, BMP_WIDTH_AT)));
    std::uint16_t height = rd_u16(h, BMP_HEIGHT_AT);
    std::uint16_t bitsPerPixel = rd_u16(h, BMP_BIT_COUNT_AT);
    std::uint16_t colors = 0;
    if (bitsPerPixel == 8 || bitsPerPixel == 4)
        colors = static_cast<std::uint16_t>((rd_u32(h, BMP_DATA_OFFSET_AT) - BMP_HEADERS_SIZE) / BMP_COLOR_ENTRY_SIZE);
    claim_picture(d, FORMAT_PLAIN_BMP, static_cast<std::uint16_t>(width), height, ctx.fileSize, colors);
}

constexpr std::uint32_t HEADERLESS_BMP_MAX_SIDE = 8192;

}  // namespace

bool probe_ami_option_rom_pcx(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != ROM_SIGNATURE_0 || h[1] != ROM_SIGNATURE_1 || h[2] != 0x00 || h[3] != AMI_ROM_JUMP)
        return false;
    std::uint8_t pcx[PCX_HEADER_SIZE];
    if (!find_rom_pcx_header(d.stream, AMI_PCX_WINDOW, pcx))
        return false;
    claim_pcx(d, FORMAT_AMI_GFX_PCX, pcx, ctx.fileSize, 16);
    return true;
}

bool probe_systemsoft_rom_pcx(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != ROM_SIGNATURE_0 || h[1] != ROM_SIGNATURE_1 || h[3] != 0x00)  // byte 2: ROM length, free
        return false;
    std::uint8_t pcx[PCX_HEADER_SIZE];
    if (!find_rom_pcx_header(d.stream, SYSTEMSOFT_PCX_WINDOW, pcx))
        return false;
    claim_pcx(d, FORMAT_SYSTEMSOFT_PCX, pcx, ctx.fileSize, pcx[PCX_BITS_PER_PIXEL_AT] == 8 ? 256 : 0);
    return true;
}

bool probe_pcx8(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != PCX_MAKER || h[1] != PCX_VERSION_5 || h[2] != PCX_RLE || h[3] != 8)
        return false;
    claim_pcx(d, FORMAT_PCX8, h, ctx.fileSize, 256);
    return true;
}

bool probe_pcx4(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    // The bits-per-pixel byte is not tested: 4-bit planar files carry 1 there.
    if (h[0] != PCX_MAKER || (h[1] != PCX_VERSION_5 && h[1] != PCX_VERSION_2) || h[2] != PCX_RLE)
        return false;
    claim_pcx(d, FORMAT_PCX4, h, ctx.fileSize, 16);
    return true;
}

bool probe_biostar_pcx(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != PCX_MAKER || h[1] != PCX_VERSION_5 || h[3] != 8)
        return false;
    claim_pcx(d, FORMAT_BIOSTAR_PCX, h, ctx.fileSize, 256);
    return true;
}

bool probe_qdi_bmp(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    // A BMP whose "BM" signature is zeroed, with a 256-entry colour table.
    if (h[0] != 0x00 || h[1] != 0x00 || rd_u32(h, BMP_DATA_OFFSET_AT) != QDI_PIXEL_OFFSET)
        return false;
    claim_picture(d, FORMAT_QDI_BMP, rd_u16(h, BMP_WIDTH_AT), rd_u16(h, BMP_HEIGHT_AT), ctx.fileSize, 256);
    return true;
}

bool probe_plain_bmp(DetectContext& ctx, LogoDescriptor& d)
{
    const std::uint8_t* h = ctx.header;
    if (h[0] != 'B' || h[1] != 'M')
        return false;
    claim_plain_bmp(ctx, d);
    return true;
}

bool probe_headerless_bmp(DetectContext& ctx, LogoDescriptor& d)
{
    // Bytes 0-1 are not tested: whatever replaced "BM", the rest must be a whole
    // uncompressed BITMAPINFOHEADER bitmap that fits the file exactly as it says.
    if (ctx.fileSize < BMP_HEADERS_SIZE)
        return false;
    std::uint8_t h[BMP_HEADERS_SIZE];
    read_at(d.stream, 0, h, sizeof h);
    std::uint16_t bits = rd_u16(h, BMP_BIT_COUNT_AT);
    std::uint32_t width = rd_u32(h, BMP_WIDTH_AT);
    std::uint32_t height = rd_u32(h, BMP_HEIGHT_AT);
    std::uint32_t dataOffset = rd_u32(h, BMP_DATA_OFFSET_AT);
    if (rd_u32(h, BMP_FILE_SIZE_AT) != ctx.fileSize || rd_u32(h, BMP_INFO_SIZE_AT) != BMP_INFO_HEADER_SIZE ||
        rd_u16(h, BMP_PLANES_AT) != 1 || (bits != 1 && bits != 4 && bits != 8) || rd_u32(h, BMP_COMPRESSION_AT) != 0)
        return false;
    if (width == 0 || width > HEADERLESS_BMP_MAX_SIDE || height == 0 || height > HEADERLESS_BMP_MAX_SIDE ||
        dataOffset < BMP_HEADERS_SIZE)
        return false;
    // At most 8192 x 8192 x 8 bits and a 32-bit offset: the sum fits 64 bits.
    if (dataOffset + bmp_stored_row_bytes(width, bits) * height > ctx.fileSize)
        return false;
    claim_plain_bmp(ctx, d);
    return true;
}
