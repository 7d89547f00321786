// Writes the synthetic UEFI images under tests/data/uefi around committed pictures (BMP and
// JPEG of tests/data, PNG and GIF of tests/data/uefi/pictures), so every picture the scan
// lists can be checked against the plain file's decode.
//
//   synthetic.bin  256 KiB: an Intel flash descriptor whose BIOS region (0x10000..) holds
//                  volume A (FFS2, erased bytes 0xFF) and volume B (FFS3, bad header
//                  checksum). Planted pictures, in file order:
//     A  EDK2 logo file 7BB28B99-... "Logo": BMP 8-bit in an LZMA GUID-defined section;
//     A  vendor file "VendorLogo": JPEG with an EXIF thumbnail in a compression section of
//        type 2 (LZMA);
//     A  a file whose PNG is in a Tiano GUID-defined section;
//     A  a file whose GIF follows a 4-byte size header in a raw section inside a CRC32
//        GUID-defined section;
//     A  a volume-image file: LZMA section > volume-image section > FFS3 volume > large
//        file > unaligned stored compression section > BMP 24-bit;
//     B  BMP 4-bit in an EFI-compressed section (type 1);
//     B  an animated GIF in a freeform subtype-GUID section inside a Brotli section.
//                  Not listed: pad files, a deleted file holding a BMP, a file whose
//                  section claims more than the file holds.
//   capsule.bin    An EFI capsule header in front of a bare volume with one JPEG (LZMA-F86).
//   hostile.bin    Lying sizes: a volume that claims 4 GiB, a file past its volume, a
//                  GUID-defined data offset past its section, sections nested 12 deep,
//                  volumes nested 10 deep, LZMA and Tiano streams claiming 1 GiB,
//                  LZMA sections of 15 MiB of zeros, more than the unpacking budget.
//
//   make_uefi_fixtures OUT_DIR DATA_DIR   (DATA_DIR: the source tree's tests/data)
#include <brotli/encode.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>

#include "codec/lh5_encode.h"
#include "tools/fixture_bytes.h"

namespace {

constexpr const char* FFS2 = "8C8CE578-8A3D-4F1C-9935-896185C32DD3";
constexpr const char* FFS3 = "5473C07A-3DCB-4DCA-BD6F-1E9689E7349A";
constexpr const char* EDK2_LOGO = "7BB28B99-61BB-11D5-9A5D-0090273FC14D";
constexpr const char* LZMA_GUID = "EE4E5898-3914-4259-9D6E-DC7BD79403CF";
constexpr const char* LZMA_F86_GUID = "D42AE6BD-1352-4BFB-909A-CA72A6EAE889";
constexpr const char* BROTLI_GUID = "3D532050-5CDA-4FD0-879E-0F7F630D5AFB";
constexpr const char* TIANO_GUID = "A31280AD-481E-41B6-95E8-127F4C984779";
constexpr const char* CRC32_GUID = "FC1BCDB0-7D31-49AA-936A-A4600D9DD083";
constexpr const char* EFI_CAPSULE = "3B6686BD-0D76-4030-B70E-B5519E2FC5A0";

constexpr std::uint8_t FILE_RAW = 0x01, FILE_FREEFORM = 0x02, FILE_DRIVER = 0x07, FILE_VOLUME_IMAGE = 0x0B,
                       FILE_PAD = 0xF0;
constexpr std::uint8_t SECTION_COMPRESSION = 0x01, SECTION_GUID = 0x02, SECTION_UI = 0x15, SECTION_VOLUME = 0x17,
                       SECTION_FREEFORM = 0x18, SECTION_RAW = 0x19;
constexpr std::uint8_t STATE_VALID = 0x07;    // header construction, header valid, data valid
constexpr std::uint8_t STATE_DELETED = 0x17;  // ... and deleted
constexpr std::uint32_t ERASE_POLARITY = 0x800;

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The 16 bytes of a GUID written as text: the first three fields little-endian.
Bytes guid(const char* text)
{
    unsigned a = 0, b = 0, c = 0, d[8] = {};
    std::sscanf(text, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &a, &b, &c, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5],
                &d[6], &d[7]);
    Bytes out;
    u32(out, a);
    u16(out, b);
    u16(out, c);
    for (unsigned v : d)
        u8(out, v);
    return out;
}

Bytes le64(std::uint64_t v)
{
    Bytes out;
    u32(out, static_cast<std::uint32_t>(v));
    u32(out, static_cast<std::uint32_t>(v >> 32));
    return out;
}

// Section: 3-byte size and type, then the body.
Bytes section(std::uint8_t type, const Bytes& body)
{
    Bytes out;
    u32(out, static_cast<std::uint32_t>(body.size() + 4) | std::uint32_t{type} << 24);
    return cat({out, body});
}

// Sections one after the other, each 4-byte aligned from the first.
Bytes sections(std::initializer_list<Bytes> list)
{
    Bytes out;
    for (const Bytes& s : list) {
        pad_to(out, (out.size() + 3) / 4 * 4);
        out.insert(out.end(), s.begin(), s.end());
    }
    return out;
}

Bytes raw(const Bytes& payload)
{
    return section(SECTION_RAW, payload);
}

Bytes ui(const char* name)
{
    Bytes out;
    while (*name)
        u16(out, static_cast<unsigned char>(*name++));
    u16(out, 0);
    return section(SECTION_UI, out);
}

Bytes compression(std::uint8_t kind, std::size_t unpacked, const Bytes& data)
{
    Bytes out;
    u32(out, static_cast<std::uint32_t>(unpacked));
    u8(out, kind);
    return section(SECTION_COMPRESSION, cat({out, data}));
}

Bytes guid_defined(const char* kind, const Bytes& data, unsigned dataOffset = 24)
{
    Bytes fields;
    u16(fields, dataOffset);
    u16(fields, 0x01);  // processing required
    return section(SECTION_GUID, cat({guid(kind), fields, Bytes(dataOffset - 24, 0), data}));
}

// A CRC32 GUID-defined section: its attributes say the check is valid, and the CRC-32 of
// the data follows them.
Bytes crc32_defined(const Bytes& data)
{
    Bytes fields;
    u16(fields, 28);    // data offset
    u16(fields, 0x02);  // authentication status valid
    u32(fields, static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))));
    return section(SECTION_GUID, cat({guid(CRC32_GUID), fields, data}));
}

Bytes lzma(const Bytes& data, bool x86 = false)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1u << 22;
    lzma_filter chain[3] = {{LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes props(5);
    lzma_properties_encode(&chain[1], props.data());
    Bytes packed(data.size() + data.size() / 2 + 4096);
    std::size_t pos = 0;
    if (lzma_raw_buffer_encode(x86 ? chain : chain + 1, nullptr, data.data(), data.size(), packed.data(), &pos,
                               packed.size()) != LZMA_OK)
        throw std::runtime_error("liblzma refused to pack");
    packed.resize(pos);
    return cat({props, le64(data.size()), packed});
}

// EFI (8 KiB window) or Tiano (512 KiB): compressed size, original size, lh5 blocks.
Bytes efi(const Bytes& data, int windowBits)
{
    Bytes packed = lh5_encode(data, Lh5EncodeOptions{windowBits});
    Bytes head;
    u32(head, static_cast<std::uint32_t>(packed.size()));
    u32(head, static_cast<std::uint32_t>(data.size()));
    return cat({head, packed});
}

// Brotli behind its unpacked size and a scratch size.
Bytes brotli(const Bytes& data)
{
    std::size_t size = BrotliEncoderMaxCompressedSize(data.size());
    Bytes packed(size);
    if (!BrotliEncoderCompress(9, 22, BROTLI_MODE_GENERIC, data.size(), data.data(), &size, packed.data()))
        throw std::runtime_error("libbrotlienc refused to pack");
    packed.resize(size);
    return cat({le64(data.size()), le64(0), packed});
}

struct FileSpec {
    const char* guid;
    std::uint8_t type;
    Bytes body;
    std::uint8_t state = STATE_VALID;
    bool large = false;  // FFS3 large-file header
};

// A file: header (checks made as the layout asks: header sum 0, data check 0xAA without
// the checksum attribute), then the body. State bits are inverted where erased bytes are 0xFF.
Bytes file(const FileSpec& f, bool erasedFF)
{
    const std::size_t header = f.large ? 32 : 24;
    const std::size_t size = header + f.body.size();
    Bytes out = guid(f.guid);
    u8(out, 0);  // header check, set below
    u8(out, 0xAA);
    u8(out, f.type);
    u8(out, f.large ? 0x01 : 0x00);
    u8(out, f.large ? 0 : size & 0xFF);
    u8(out, f.large ? 0 : (size >> 8) & 0xFF);
    u8(out, f.large ? 0 : (size >> 16) & 0xFF);
    u8(out, 0);  // state, after the check
    if (f.large)
        out = cat({out, le64(size)});
    unsigned sum = 0;
    for (std::size_t i = 0; i < header; ++i)
        sum += i == 0x11 ? 0 : out[i];
    out[0x10] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    out[0x17] = erasedFF ? static_cast<std::uint8_t>(~f.state) : f.state;
    return cat({out, f.body});
}

struct VolumeSpec {
    bool ffs3 = false;
    bool erasedFF = true;
    std::uint64_t length = 0x10000;
    std::uint64_t claimedLength = 0;  // 0: the real length
    bool badChecksum = false;
};

Bytes volume(const VolumeSpec& v, std::initializer_list<FileSpec> files)
{
    const std::uint8_t erased = v.erasedFF ? 0xFF : 0x00;
    Bytes out(16, 0);
    out = cat({out, guid(v.ffs3 ? FFS3 : FFS2), le64(v.claimedLength ? v.claimedLength : v.length)});
    text(out, "_FVH");
    u32(out, 0x0004F6FF | (v.erasedFF ? ERASE_POLARITY : 0));
    u16(out, 0x48);  // header length
    u16(out, 0);     // checksum, set below
    u16(out, 0);     // no extended header
    u8(out, 0);
    u8(out, 2);      // revision
    u32(out, static_cast<std::uint32_t>(v.length / 0x1000));
    u32(out, 0x1000);
    u32(out, 0);
    u32(out, 0);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 0x48; i += 2)
        sum += out[i] | out[i + 1] << 8;
    put_u16(out, 0x32, (0x10000 - (sum & 0xFFFF) + (v.badChecksum ? 1 : 0)) & 0xFFFF);
    for (const FileSpec& f : files) {
        pad_to(out, (out.size() + 7) / 8 * 8, erased);
        Bytes bytes = file(f, v.erasedFF);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (out.size() > v.length)
        throw std::runtime_error("volume overflows");
    pad_to(out, v.length, erased);
    return out;
}

// The JPEG with a second JPEG as its EXIF thumbnail: APP1 "Exif", a little-endian TIFF
// header, an empty IFD0 and an IFD1 that points at the thumbnail.
Bytes jpeg_with_thumbnail(const Bytes& jpeg, const Bytes& thumbnail)
{
    Bytes tiff;
    text(tiff, "II");
    u16(tiff, 42);
    u32(tiff, 8);   // IFD0
    u16(tiff, 0);   // no entries
    u32(tiff, 14);  // IFD1
    u16(tiff, 2);
    u16(tiff, 0x0201);  // JPEGInterchangeFormat, LONG
    u16(tiff, 4);
    u32(tiff, 1);
    u32(tiff, 44);
    u16(tiff, 0x0202);  // JPEGInterchangeFormatLength
    u16(tiff, 4);
    u32(tiff, 1);
    u32(tiff, static_cast<std::uint32_t>(thumbnail.size()));
    u32(tiff, 0);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    Bytes app1 = {0xFF, 0xE1};
    std::size_t length = 2 + 6 + tiff.size();
    u8(app1, length >> 8);
    u8(app1, length & 0xFF);
    text(app1, "Exif");
    u16(app1, 0);
    return cat({Bytes(jpeg.begin(), jpeg.begin() + 2), app1, tiff, Bytes(jpeg.begin() + 2, jpeg.end())});
}

// A GIF behind the 4-byte header some vendors give it: width and height, 16 bits each.
Bytes sized_gif(const Bytes& gif)
{
    Bytes head;
    u16(head, gif[6] | gif[7] << 8);
    u16(head, gif[8] | gif[9] << 8);
    return cat({head, gif});
}

Bytes synthetic(const std::string& data)
{
    const Bytes bmp8 = read_file(data + "/bmp/magick-8bit.bmp");
    const Bytes bmp24 = read_file(data + "/bmp/magick-24bit.bmp");
    const Bytes bmp4 = read_file(data + "/bmp/magick-4bit.bmp");
    const Bytes jpeg = jpeg_with_thumbnail(read_file(data + "/jpeg/magick.jpg"), read_file(data + "/jpeg/cjpeg-grey.jpg"));
    const Bytes png = read_file(data + "/uefi/pictures/logo.png");
    const Bytes gif = read_file(data + "/uefi/pictures/logo.gif");
    const Bytes anim = read_file(data + "/uefi/pictures/anim.gif");

    // The volume nested in the volume-image file: a large file whose stored compression
    // section's inner sections start right after its 9-byte header.
    const Bytes storedInner = sections({raw(bmp24), ui("Inner")});
    const Bytes inner = volume({.ffs3 = true, .erasedFF = false, .length = 0x2000},
                               {{"C0C0C0C0-1111-2222-3333-444455556666", FILE_FREEFORM,
                                 compression(0, storedInner.size(), storedInner), STATE_VALID, true}});
    const Bytes pastFile = [] {
        Bytes s = raw(Bytes(40, 0x42));
        put_u16(s, 0, 0x400);  // claims 1 KiB, the file holds 44 bytes
        return s;
    }();

    Bytes image(0x10000, 0xFF);
    put_u32(image, 0x10, 0x0FF0A55A);
    put_u32(image, 0x14, 0x00040003);  // region table at 0x40
    put_u32(image, 0x40, 0x00000000);  // descriptor region 0..0xFFF
    put_u32(image, 0x44, 0x003F0010);  // BIOS region 0x10000..0x3FFFF

    const Bytes a = volume(
        {},
        {{"11111111-2222-3333-4444-555555555555", FILE_PAD, Bytes(100, 0xFF)},
         {EDK2_LOGO, FILE_FREEFORM, sections({guid_defined(LZMA_GUID, lzma(sections({raw(bmp8)}))), ui("Logo")})},
         {"5A5A5A5A-0001-4000-8000-00000000CAFE", FILE_FREEFORM,
          sections({compression(2, raw(jpeg).size(), lzma(raw(jpeg))), ui("VendorLogo")})},
         {"5A5A5A5A-0002-4000-8000-00000000CAFE", FILE_FREEFORM,
          sections({guid_defined(TIANO_GUID, efi(raw(png), 19))})},
         {"5A5A5A5A-0003-4000-8000-00000000CAFE", FILE_FREEFORM,
          sections({crc32_defined(raw(sized_gif(gif))), ui("Gif")})},
         {"5A5A5A5A-0004-4000-8000-00000000CAFE", FILE_VOLUME_IMAGE,
          sections({guid_defined(LZMA_GUID, lzma(section(SECTION_VOLUME, inner)))})},
         {"5A5A5A5A-0005-4000-8000-00000000CAFE", FILE_FREEFORM, raw(bmp8), STATE_DELETED},
         {"22222222-2222-3333-4444-555555555555", FILE_PAD, Bytes(64, 0xFF)},
         {"5A5A5A5A-0006-4000-8000-00000000CAFE", FILE_DRIVER, pastFile}});
    const Bytes b = volume(
        {.ffs3 = true, .badChecksum = true},
        {{"5A5A5A5A-0007-4000-8000-00000000CAFE", FILE_FREEFORM,
          sections({compression(1, raw(bmp4).size(), efi(raw(bmp4), 13)), ui("Four-bit")})},
         {"5A5A5A5A-0008-4000-8000-00000000CAFE", FILE_FREEFORM,
          sections({guid_defined(BROTLI_GUID,
                                 brotli(section(SECTION_FREEFORM, cat({guid("0D0D0D0D-1111-2222-3333-444455556666"), anim}))))})}});
    image = cat({image, a, b});
    pad_to(image, 0x40000, 0xFF);
    return image;
}

Bytes capsule(const std::string& data)
{
    const Bytes jpeg = read_file(data + "/jpeg/cjpeg-progressive.jpg");
    Bytes head = guid(EFI_CAPSULE);
    u32(head, 0x1000);  // header size
    u32(head, 0);       // flags
    u32(head, 0x1000 + 0x4000);
    pad_to(head, 0x1000, 0);
    return cat({head, volume({.length = 0x4000}, {{"5A5A5A5A-0009-4000-8000-00000000CAFE", FILE_FREEFORM,
                                                    sections({guid_defined(LZMA_F86_GUID, lzma(raw(jpeg), true))})}})});
}

Bytes hostile()
{
    // Sections nested 12 deep in stored compression sections, volumes 10 deep.
    Bytes deep = raw(Bytes(16, 0x11));
    for (int i = 0; i < 12; ++i)
        deep = compression(0, deep.size(), deep);
    Bytes nested = volume({.erasedFF = false, .length = 0x200}, {});
    for (int i = 0; i < 10; ++i)
        nested = volume({.erasedFF = false, .length = (nested.size() + 0x100 + 0xFFF) / 0x1000 * 0x1000},
                        {{"DEE9DEE9-0000-4000-8000-000000000000", FILE_VOLUME_IMAGE, section(SECTION_VOLUME, nested)}});
    Bytes claims1G = lzma(Bytes(64, 0));
    Bytes sizeField = le64(1ull << 30);
    std::copy(sizeField.begin(), sizeField.end(), claims1G.begin() + 5);
    Bytes tiano1G = efi(Bytes(64, 0), 19);
    put_u32(tiano1G, 4, 1u << 30);
    const Bytes zeros = lzma(sections({raw(Bytes(15u << 20, 0))}));
    const Bytes badOffset = [] {
        Bytes s = guid_defined(LZMA_GUID, Bytes(32, 0));
        put_u16(s, 4 + 16, 0x200);  // data offset past the section
        return s;
    }();

    Bytes image = volume({.erasedFF = false, .length = 0x20000},
                         {{"B0B0B0B0-0001-4000-8000-000000000000", FILE_FREEFORM, deep},
                          {"B0B0B0B0-0002-4000-8000-000000000000", FILE_FREEFORM, badOffset},
                          {"B0B0B0B0-0003-4000-8000-000000000000", FILE_FREEFORM,
                           sections({guid_defined(LZMA_GUID, claims1G), guid_defined(TIANO_GUID, tiano1G)})},
                          {"B0B0B0B0-0004-4000-8000-000000000000", FILE_FREEFORM,
                           sections({guid_defined(LZMA_GUID, zeros), guid_defined(LZMA_GUID, zeros),
                                     guid_defined(LZMA_GUID, zeros), guid_defined(LZMA_GUID, zeros),
                                     guid_defined(LZMA_GUID, zeros)})},
                          {"B0B0B0B0-0005-4000-8000-000000000000", FILE_VOLUME_IMAGE, section(SECTION_VOLUME, nested)}});
    // A file that runs past its volume, then a volume that claims 4 GiB.
    Bytes past = volume({.erasedFF = false, .length = 0x1000},
                        {{"B0B0B0B0-0006-4000-8000-000000000000", FILE_RAW, Bytes(64, 0x33)}});
    past[0x48 + 0x15] = 0x20;  // the file's size becomes 8 KiB in a 4 KiB volume
    Bytes huge = volume({.erasedFF = false, .length = 0x1000, .claimedLength = 1ull << 32},
                        {{"B0B0B0B0-0007-4000-8000-000000000000", FILE_RAW, Bytes(64, 0x44)}});
    return cat({image, past, huge});
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_uefi_fixtures OUT_DIR DATA_DIR\n");
        return 2;
    }
    const std::string out = argv[1], data = argv[2];
    try {
        std::filesystem::create_directories(out);
        bool ok = write_file(out + "/synthetic.bin", synthetic(data)) && write_file(out + "/capsule.bin", capsule(data)) &&
                  write_file(out + "/hostile.bin", hostile());
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_uefi_fixtures: %s\n", e.what());
        return 1;
    }
}
