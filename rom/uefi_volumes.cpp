// Firmware volumes and their files.
//
// A volume header: file-system GUID at 0x10, 64-bit length at 0x20, "_FVH" at 0x28,
// attributes at 0x2C (0x800: erased bytes read 0xFF), header length at 0x30, a checksum
// that makes the header's 16-bit words sum to 0 at 0x32, the extended header's offset at
// 0x34 (its size at +0x10 of it), then the block map. A bad checksum is noted and the
// volume walked all the same; a volume that claims more bytes than there are is walked
// as far as they go. Only FFS2 and FFS3 volumes hold files.
//
// A file: GUID, integrity checks (0x10), type (0x12), attributes (0x13), 3-byte size
// (0x14), state (0x17); FFS3 large files (attribute 0x01) carry a 64-bit size at 0x18
// after it, in a 32-byte header. Files start 8-byte aligned from the volume's start; a
// header of erased bytes begins the free space. The state bits, inverted in volumes whose
// erased bytes are 0xFF, are honoured: a deleted file, one whose header is marked invalid
// and one whose data was never marked valid are counted and not opened.
#include <algorithm>
#include <cstdio>

#include "rom/uefi_parts.h"

namespace {

constexpr const char* FFS2_GUID = "8C8CE578-8A3D-4F1C-9935-896185C32DD3";
constexpr const char* FFS3_GUID = "5473C07A-3DCB-4DCA-BD6F-1E9689E7349A";
constexpr std::uint64_t FV_FILE_SYSTEM_AT = 0x10;
constexpr std::uint64_t FV_LENGTH_AT = 0x20;
constexpr std::uint64_t FV_ATTRIBUTES_AT = 0x2C;
constexpr std::uint64_t FV_HEADER_LENGTH_AT = 0x30;
constexpr std::uint64_t FV_EXT_HEADER_AT = 0x34;
constexpr std::uint64_t FV_EXT_SIZE_AT = 0x10;  // within the extended header, after the volume's name GUID
constexpr std::uint64_t FV_EXT_MIN = 0x14;
constexpr std::uint32_t ERASE_POLARITY = 0x800;
constexpr std::uint64_t FILE_ALIGNMENT = 8;

constexpr std::uint64_t FILE_HEADER = 24;
constexpr std::uint64_t LARGE_FILE_HEADER = 32;
constexpr std::uint64_t FILE_TYPE_AT = 0x12;
constexpr std::uint64_t FILE_ATTRIBUTES_AT = 0x13;
constexpr std::uint64_t FILE_SIZE_AT = 0x14;
constexpr std::uint64_t FILE_STATE_AT = 0x17;
constexpr std::uint64_t FILE_LARGE_SIZE_AT = 0x18;
constexpr std::uint8_t LARGE_FILE = 0x01;
constexpr std::uint8_t STATE_DATA_VALID = 0x04;
constexpr std::uint8_t STATE_DELETED = 0x10;
constexpr std::uint8_t STATE_HEADER_INVALID = 0x20;

constexpr std::uint8_t FILE_RAW = 0x01;
constexpr std::uint8_t FILE_LAST_SECTIONED = 0x0F;  // freeform 0x02 .. 0x0F hold sections
constexpr std::uint8_t FILE_PAD = 0xF0;

std::string hex(std::uint64_t value)
{
    return "0x" + hex_text(value, 1);
}

}  // namespace

bool UefiWalker::walk_volume(RomBytes buffer, std::uint64_t at, const VolumeScope& scope, std::uint64_t& length)
{
    if (!rom_has(buffer, at + FV_SIGNATURE_AT, "_FVH", 4))
        return false;
    std::uint64_t claimed = rom_u64(buffer, at + FV_LENGTH_AT);
    std::uint64_t headerLength = rom_u16(buffer, at + FV_HEADER_LENGTH_AT);
    if (headerLength < FV_MIN_HEADER || headerLength % 2 != 0 || claimed < headerLength ||
        headerLength > buffer.size() - at)
        return false;
    ++volumes;
    const std::string path = path_join(scope.path, "FV " + hex(at));
    const std::uint64_t noteAt = scope.inImage ? at : scope.outerOffset;
    const std::string label = scope.inImage ? "FV " + uefi_guid_text(buffer, at + FV_FILE_SYSTEM_AT) : scope.outerLabel;

    std::uint16_t sum = 0;
    for (std::uint64_t i = 0; i < headerLength; i += 2)
        sum = static_cast<std::uint16_t>(sum + rom_u16(buffer, at + i));
    if (sum != 0)
        note(noteAt, label, path, "header checksum mismatch: walked all the same");
    length = claimed;
    if (claimed > buffer.size() - at) {
        length = buffer.size() - at;
        char text[120];
        std::snprintf(text, sizeof text, "claims %llu bytes, %llu are there: walked as far as they go",
                      static_cast<unsigned long long>(claimed), static_cast<unsigned long long>(length));
        note(noteAt, label, path, text);
    }
    std::string fileSystem = uefi_guid_text(buffer, at + FV_FILE_SYSTEM_AT);
    bool ffs3 = fileSystem == FFS3_GUID;
    if (!ffs3 && fileSystem != FFS2_GUID)
        return true;  // variable stores and other file systems hold no files

    std::uint64_t firstFile = headerLength;
    if (std::uint64_t ext = rom_u16(buffer, at + FV_EXT_HEADER_AT); ext != 0) {
        std::uint64_t extSize = rom_u32(buffer, at + ext + FV_EXT_SIZE_AT);
        if (ext >= headerLength && extSize >= FV_EXT_MIN && extSize <= length && ext <= length - extSize)
            firstFile = ext + extSize;
        else
            note(noteAt, label, path, "extended header outside the volume: ignored");
    }
    std::uint8_t erased = (rom_u32(buffer, at + FV_ATTRIBUTES_AT) & ERASE_POLARITY) ? 0xFF : 0x00;
    walk_files(buffer, at, align_up(firstFile, FILE_ALIGNMENT), at + length, ffs3, erased, scope, path);
    return true;
}

void UefiWalker::walk_files(RomBytes buffer, std::uint64_t volumeAt, std::uint64_t firstFile, std::uint64_t end,
                            bool ffs3, std::uint8_t erased, const VolumeScope& scope, const std::string& volumePath)
{
    std::uint64_t pos = volumeAt + firstFile;
    // A spent work budget stops the whole scan, this walk too.
    while (pos < end && end - pos >= FILE_HEADER && !state_.stopped()) {
        RomBytes header = rom_range(buffer, pos, FILE_HEADER);
        if (std::all_of(header.begin(), header.end(), [erased](std::uint8_t b) { return b == erased; }))
            break;  // free space
        std::uint8_t type = rom_u8(buffer, pos + FILE_TYPE_AT);
        std::uint8_t attributes = rom_u8(buffer, pos + FILE_ATTRIBUTES_AT);
        std::uint64_t headerSize = FILE_HEADER;
        std::uint64_t size = rom_u32(buffer, pos + FILE_SIZE_AT) & 0xFFFFFF;
        if (ffs3 && (attributes & LARGE_FILE)) {
            headerSize = LARGE_FILE_HEADER;
            size = rom_u64(buffer, pos + FILE_LARGE_SIZE_AT);
        }
        const std::string guid = uefi_guid_text(buffer, pos);
        if (size < headerSize || size > end - pos) {
            char text[160];
            std::snprintf(text, sizeof text, "file %s at +%s of %llu bytes %s", guid.c_str(),
                          hex(pos - volumeAt).c_str(), static_cast<unsigned long long>(size),
                          size < headerSize ? "is shorter than its header" : "runs past its volume");
            note(scope.inImage ? pos : scope.outerOffset, scope.inImage ? guid : scope.outerLabel, volumePath, text);
            break;
        }
        ++files;
        std::uint8_t state = erased ? static_cast<std::uint8_t>(~rom_u8(buffer, pos + FILE_STATE_AT))
                                    : rom_u8(buffer, pos + FILE_STATE_AT);
        bool live = (state & STATE_DATA_VALID) && !(state & (STATE_DELETED | STATE_HEADER_INVALID));
        if (live && type != FILE_PAD) {
            FileScope file{volumePath,
                           scope.inImage ? guid : scope.outerLabel,
                           guid,
                           "",
                           scope.inImage ? pos : scope.outerOffset,
                           scope.inImage ? size : scope.outerLength,
                           {}};
            SectionScope contents{file, "", scope.compression, scope.depth};
            if (type == FILE_RAW)
                sniff_picture(rom_range(buffer, pos + headerSize, size - headerSize), contents, "");
            else if (type <= FILE_LAST_SECTIONED)
                walk_sections(buffer, pos + headerSize, pos + size, contents);
            list_pictures(file);
        }
        pos = volumeAt + align_up(pos + size - volumeAt, FILE_ALIGNMENT);
    }
}
