// Sections of firmware-volume files, and the pictures in them.
//
// A section: 3-byte size and a type, 4-byte aligned from the start of its list; size
// 0xFFFFFF means a 32-bit size follows in an 8-byte header. Kinds walked:
//   0x01 compression: 32-bit unpacked length, a type byte (0 stored, 1 EFI or Tiano,
//        2 LZMA), then the data; the sections of a stored one start right after its
//        9-byte header, so they align from there;
//   0x02 GUID-defined: GUID, data offset, attributes; LZMA, LZMA-F86, Brotli (behind an
//        8-byte unpacked size and an 8-byte scratch size), Tiano (EFI when Tiano fails)
//        and CRC32 (its data are plain sections) are opened; another GUID is walked as
//        plain sections unless its attributes say it needs processing;
//   0x15 user-interface name (UTF-16), the name the file's pictures are listed under;
//   0x17 volume image: a volume, not always 8-byte aligned in its buffer;
//   0x18 freeform subtype GUID and 0x19 raw: their payload may be a picture.
// Unpacking and nested volumes go UEFI_MAX_DEPTH levels deep; each unpack charges its
// declared size to the scan's budget first and is capped at the scan's module size.
#include <algorithm>
#include <cstdio>

#include "codec/efi_decompress.h"
#include "codec/library_decoders.h"
#include "formats/picture_extent.h"
#include "rom/uefi_parts.h"

namespace {

constexpr std::uint64_t SECTION_ALIGNMENT = 4;
constexpr std::uint64_t SECTION_HEADER = 4;
constexpr std::uint64_t EXTENDED_SECTION_HEADER = 8;
constexpr std::uint32_t EXTENDED_SIZE = 0xFFFFFF;

constexpr std::uint8_t SECTION_COMPRESSION = 0x01;
constexpr std::uint8_t SECTION_GUID_DEFINED = 0x02;
constexpr std::uint8_t SECTION_USER_INTERFACE = 0x15;
constexpr std::uint8_t SECTION_VOLUME_IMAGE = 0x17;
constexpr std::uint8_t SECTION_FREEFORM_SUBTYPE = 0x18;
constexpr std::uint8_t SECTION_RAW = 0x19;

constexpr std::uint64_t COMPRESSION_FIELDS = 5;  // unpacked length, type
constexpr std::uint8_t COMPRESSION_STORED = 0;
constexpr std::uint8_t COMPRESSION_EFI = 1;
constexpr std::uint8_t COMPRESSION_LZMA = 2;

constexpr std::uint64_t GUID_FIELDS = 20;  // GUID, data offset, attributes
constexpr std::uint64_t GUID_DATA_OFFSET_AT = 16;
constexpr std::uint64_t GUID_ATTRIBUTES_AT = 18;
constexpr std::uint16_t PROCESSING_REQUIRED = 0x01;
constexpr std::uint64_t GUID_SIZE = 16;
constexpr std::uint64_t BROTLI_HEADER = 16;  // unpacked size, scratch size

constexpr const char* LZMA_GUID = "EE4E5898-3914-4259-9D6E-DC7BD79403CF";
constexpr const char* LZMA_F86_GUID = "D42AE6BD-1352-4BFB-909A-CA72A6EAE889";
constexpr const char* BROTLI_GUID = "3D532050-5CDA-4FD0-879E-0F7F630D5AFB";
constexpr const char* TIANO_GUID = "A31280AD-481E-41B6-95E8-127F4C984779";
constexpr const char* CRC32_GUID = "FC1BCDB0-7D31-49AA-936A-A4600D9DD083";

// The unpackers, by what a section names.
enum Method { METHOD_EFI, METHOD_TIANO, METHOD_LZMA, METHOD_LZMA_F86, METHOD_BROTLI };
constexpr const char* METHOD_NAMES[] = {"EFI", "Tiano", "LZMA", "LZMA-F86", "Brotli"};

constexpr std::uint8_t PNG_MAGIC[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Some vendors put a few bytes with the picture's sizes in front of a GIF in a raw section.
constexpr std::uint64_t GIF_HEADER_SEARCH = 16;

std::string hex(std::uint64_t value)
{
    return "0x" + hex_text(value, 1);
}

// Where a list of sections lies, for a note.
std::string where(const SectionScope& scope)
{
    return path_join(scope.file.volumePath + " > file " + scope.file.guid, scope.path);
}

// The UTF-16 text of a UI section, up to its NUL: printable ASCII kept but for quotes and
// backslashes, everything else as \uXXXX.
std::string ui_text(RomBytes text)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        unsigned unit = rom_u16(text, i);
        if (unit == 0)
            break;
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
            out += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unit);
            out += escaped;
        }
    }
    return out;
}

// The pictures the raw sweep measures too: signature, measuring rule, picture format.
struct MeasuredPicture {
    const char* magic;
    std::size_t length;
    PictureLayout layout;
    const char* kind;
};
constexpr MeasuredPicture MEASURED_PICTURES[] = {
    {"BM", 2, PictureLayout::bmp, "BMP"},
    {"\xFF\xD8\xFF", 3, PictureLayout::jpeg, "JPEG"},
};

// The picture format payload holds and where its file starts in payload; nullptr for none.
// BMP and JPEG are measured by the raw sweep's rules and cut to their length.
const char* picture_kind(RomBytes payload, std::uint64_t& start, std::uint64_t& length)
{
    start = 0;
    length = payload.size();
    for (auto [magic, magicLength, layout, kind] : MEASURED_PICTURES) {
        if (!rom_has(payload, 0, magic, magicLength))
            continue;
        PictureExtent extent = measure_picture(layout, LayoutBytes(payload));
        if (extent.length != 0 && extent.complete) {
            length = extent.length;
            return kind;
        }
    }
    if (payload.size() >= sizeof PNG_MAGIC && std::equal(std::begin(PNG_MAGIC), std::end(PNG_MAGIC), payload.begin()))
        return "PNG";
    for (std::uint64_t at = 0; at <= GIF_HEADER_SEARCH; ++at) {
        if (rom_has(payload, at, "GIF87a", 6) || rom_has(payload, at, "GIF89a", 6)) {
            start = at;
            length = payload.size() - at;
            return "GIF";
        }
    }
    return nullptr;
}

// The size an unpacker's stream declares, or cap where it declares none.
std::uint64_t declared_size(RomBytes data, Method method, std::uint64_t cap)
{
    switch (method) {
    case METHOD_EFI:
    case METHOD_TIANO:
        return efi_original_size(data);
    case METHOD_BROTLI:
        return rom_u64(data, 0);
    default: {
        std::uint64_t size = rom_u64(data, 5);  // after the 5 property bytes
        return size == UINT64_MAX ? cap : size;
    }
    }
}

Unpacked unpack(RomBytes data, Method method, std::uint64_t cap)
{
    switch (method) {
    case METHOD_EFI:
    case METHOD_TIANO: {
        // Type 1 sections and the Tiano GUID are used for both coders: the named one first.
        EfiCompression first = method == METHOD_EFI ? EfiCompression::efi : EfiCompression::tiano;
        EfiCompression second = method == METHOD_EFI ? EfiCompression::tiano : EfiCompression::efi;
        Unpacked out = efi_decompress(data, first, cap);
        if (out.complete())
            return out;
        Unpacked other = efi_decompress(data, second, cap);
        return other.complete() ? other : out;
    }
    case METHOD_LZMA:
    case METHOD_LZMA_F86:
        return lzma_alone_decode(data, cap, method == METHOD_LZMA_F86);
    case METHOD_BROTLI:
        return brotli_decode(data.size() >= BROTLI_HEADER ? data.subspan(BROTLI_HEADER) : RomBytes{}, cap);
    }
    return {};
}

}  // namespace

void UefiWalker::walk_sections(RomBytes buffer, std::uint64_t start, std::uint64_t end, SectionScope& scope)
{
    std::uint64_t pos = start;
    for (;;) {
        pos = start + align_up(pos - start, SECTION_ALIGNMENT);
        if (pos >= end || end - pos < SECTION_HEADER || state_.stopped())
            return;
        std::uint64_t header = SECTION_HEADER;
        std::uint64_t size = rom_u32(buffer, pos) & 0xFFFFFF;
        std::uint8_t type = rom_u8(buffer, pos + 3);
        if (size == EXTENDED_SIZE && end - pos >= EXTENDED_SECTION_HEADER) {
            header = EXTENDED_SECTION_HEADER;
            size = rom_u32(buffer, pos + 4);
        }
        if (size < header || size > end - pos) {
            char text[160];
            std::snprintf(text, sizeof text, "section at +%s of %llu bytes %s (%llu bytes left)",
                          hex(pos - start).c_str(), static_cast<unsigned long long>(size),
                          size < header ? "is shorter than its header" : "runs past its file",
                          static_cast<unsigned long long>(end - pos));
            note(scope.file.offset, scope.file.outerLabel, where(scope), text);
            return;
        }
        ++sections;
        RomBytes body = rom_range(buffer, pos + header, size - header);
        switch (type) {
        case SECTION_COMPRESSION:
            walk_compression(buffer, pos, header, size, scope);
            break;
        case SECTION_GUID_DEFINED:
            walk_guid_defined(buffer, pos, header, size, scope);
            break;
        case SECTION_USER_INTERFACE:
            if (scope.file.uiName.empty())
                scope.file.uiName = ui_text(body);
            break;
        case SECTION_VOLUME_IMAGE:
            walk_nested_volume(body, scope);
            break;
        case SECTION_FREEFORM_SUBTYPE:
            if (body.size() >= GUID_SIZE)
                sniff_picture(body.subspan(GUID_SIZE), scope, "freeform");
            break;
        case SECTION_RAW:
            sniff_picture(body, scope, "raw");
            break;
        default:
            break;
        }
        pos += size;
    }
}

void UefiWalker::walk_compression(RomBytes buffer, std::uint64_t at, std::uint64_t header, std::uint64_t size,
                                  SectionScope& scope)
{
    if (size < header + COMPRESSION_FIELDS) {
        note(scope.file.offset, scope.file.outerLabel, where(scope), "compression section shorter than its header");
        return;
    }
    std::uint8_t type = rom_u8(buffer, at + header + 4);
    RomBytes data = rom_range(buffer, at + header + COMPRESSION_FIELDS, size - header - COMPRESSION_FIELDS);
    if (type == COMPRESSION_STORED)
        walk_unpacked(data, "stored", false, scope);
    else if (type == COMPRESSION_EFI)
        unpack_and_walk(data, METHOD_EFI, scope);
    else if (type == COMPRESSION_LZMA)
        unpack_and_walk(data, METHOD_LZMA, scope);
    else
        note(scope.file.offset, scope.file.outerLabel, where(scope),
             "compression type " + std::to_string(type) + " is unknown: not opened");
}

void UefiWalker::walk_guid_defined(RomBytes buffer, std::uint64_t at, std::uint64_t header, std::uint64_t size,
                                   SectionScope& scope)
{
    if (size < header + GUID_FIELDS) {
        note(scope.file.offset, scope.file.outerLabel, where(scope), "GUID-defined section shorter than its header");
        return;
    }
    const std::string guid = uefi_guid_text(buffer, at + header);
    std::uint64_t dataOffset = rom_u16(buffer, at + header + GUID_DATA_OFFSET_AT);
    if (dataOffset < header + GUID_FIELDS || dataOffset > size) {
        note(scope.file.offset, scope.file.outerLabel, where(scope),
             "GUID-defined section " + guid + " has its data offset outside it: not opened");
        return;
    }
    RomBytes data = rom_range(buffer, at + dataOffset, size - dataOffset);
    if (guid == LZMA_GUID)
        unpack_and_walk(data, METHOD_LZMA, scope);
    else if (guid == LZMA_F86_GUID)
        unpack_and_walk(data, METHOD_LZMA_F86, scope);
    else if (guid == BROTLI_GUID)
        unpack_and_walk(data, METHOD_BROTLI, scope);
    else if (guid == TIANO_GUID)
        unpack_and_walk(data, METHOD_TIANO, scope);
    else if (guid == CRC32_GUID)
        walk_unpacked(data, "CRC32", false, scope);
    else if (rom_u16(buffer, at + header + GUID_ATTRIBUTES_AT) & PROCESSING_REQUIRED)
        note(scope.file.offset, scope.file.outerLabel, where(scope),
             "GUID-defined section " + guid + " needs processing the walk does not know: not opened");
    else
        walk_unpacked(data, "GUID " + guid, false, scope);
}

void UefiWalker::unpack_and_walk(RomBytes data, int methodNumber, SectionScope& scope)
{
    auto method = static_cast<Method>(methodNumber);
    const char* name = METHOD_NAMES[method];
    const std::string place = path_join(where(scope), name);
    if (scope.depth >= UEFI_MAX_DEPTH) {
        note(scope.file.offset, scope.file.outerLabel, place, "nested deeper than 8 levels: not opened");
        return;
    }
    const std::uint64_t cap = state_.limits().maxModuleSize;
    const std::uint64_t declared = declared_size(data, method, cap);
    if (declared > cap) {
        note(scope.file.offset, scope.file.outerLabel, place,
             "unpacks to " + std::to_string(declared) + " bytes, above the limit of " + std::to_string(cap) +
                 ": not opened");
        return;
    }
    // Charged before the unpacker allocates; a spent budget is the scan's own skipped record.
    if (!state_.charge(declared + data.size(), buffer_, scope.file.offset))
        return;
    Unpacked out = unpack(data, method, declared);
    if (!out.complete())
        note(scope.file.offset, scope.file.outerLabel, place, out.problem);
    walk_unpacked(out.bytes, name, true, scope);
}

void UefiWalker::walk_unpacked(RomBytes inner, const std::string& step, bool unpacked, SectionScope& scope)
{
    if (scope.depth >= UEFI_MAX_DEPTH) {
        note(scope.file.offset, scope.file.outerLabel, path_join(where(scope), step),
             "nested deeper than 8 levels: not opened");
        return;
    }
    SectionScope inside{scope.file, path_join(scope.path, step),
                        unpacked ? path_join(scope.compression, step) : scope.compression, scope.depth + 1};
    walk_sections(inner, 0, inner.size(), inside);
}

void UefiWalker::walk_nested_volume(RomBytes inner, SectionScope& scope)
{
    const std::string place = where(scope);
    if (scope.depth >= UEFI_MAX_DEPTH) {
        note(scope.file.offset, scope.file.outerLabel, place, "volume nested deeper than 8 levels: not opened");
        return;
    }
    VolumeScope volume{place,           false, scope.file.offset, scope.file.length, scope.file.outerLabel,
                       scope.compression, scope.depth + 1};
    std::uint64_t length = 0;
    if (!walk_volume(inner, 0, volume, length))
        note(scope.file.offset, scope.file.outerLabel, place, "volume image section without a volume header");
}

void UefiWalker::sniff_picture(RomBytes payload, SectionScope& scope, const std::string& leaf)
{
    std::uint64_t start = 0, length = 0;
    const char* kind = picture_kind(payload, start, length);
    if (!kind)
        return;
    // The copy is charged before it is made.
    if (!state_.charge(length, buffer_, scope.file.offset))
        return;
    RomBytes picture = payload.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    scope.file.pictures.push_back(
        PendingPicture{path_join(scope.path, leaf), scope.compression, kind, {picture.begin(), picture.end()}});
}
