// What the UEFI walk's files share: the layouts' constants, GUID text, and the walker that
// carries one scan's counts, notes and pending pictures through volumes, files and
// sections (uefi_entry.cpp, uefi_volumes.cpp, uefi_sections.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rom/rom_parts.h"
#include "rom/uefi_walk.h"

constexpr std::uint64_t FV_SIGNATURE_AT = 0x28;  // "_FVH"
constexpr std::uint64_t FV_MIN_HEADER = 0x48;    // fixed fields, one block-map entry and its terminator

// "8C8CE578-8A3D-4F1C-9935-896185C32DD3": the GUID at b[at], upper-case, as the layouts print it.
std::string uefi_guid_text(RomBytes b, std::uint64_t at);

// "a > b", or the one that is not empty.
inline std::string path_join(const std::string& a, const std::string& b)
{
    return a.empty() ? b : b.empty() ? a : a + " > " + b;
}

inline std::uint64_t rom_u64(RomBytes b, std::uint64_t at)
{
    return rom_u32(b, at) | std::uint64_t{rom_u32(b, at + 4)} << 32;
}

inline std::uint64_t align_up(std::uint64_t value, std::uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// A picture found inside a file, kept until the file's UI name is known.
struct PendingPicture {
    std::string sectionPath;  // below the file: "LZMA > raw"
    std::string compression;  // "LZMA > Tiano", or empty for none
    const char* picture;      // "BMP", "JPEG", "PNG", "GIF"
    std::vector<std::uint8_t> bytes;
};

// One file being walked: where its pictures are listed from.
struct FileScope {
    std::string volumePath;  // "FV 0x80000", or deeper for files of nested volumes
    std::string outerLabel;  // the outermost record's name, for the notes kept against it
    std::string guid;
    std::string uiName;      // the first UI section's text, made printable
    std::uint64_t offset;    // file offset in the image of the outermost record it lies in
    std::uint64_t length;
    std::vector<PendingPicture> pictures;
};

// Where a list of sections lies: its file, the path and unpacking chain that lead to it,
// and its nesting depth (volumes and unpacked or stored sections).
struct SectionScope {
    FileScope& file;
    std::string path;
    std::string compression;
    unsigned depth;
};

// Where a volume lies: the path to it and, when it lies in the image itself, its image offset.
struct VolumeScope {
    std::string path;          // empty at the top; "FV 0x80000 > file ... > LZMA" below
    bool inImage;              // the buffer is the scanned buffer: offsets are its offsets
    std::uint64_t outerOffset; // scanned buffer's offset and length of the outermost record, for nested volumes
    std::uint64_t outerLength;
    std::string outerLabel;
    std::string compression;   // the unpacking chain that leads to the volume
    unsigned depth;
};

class UefiWalker {
public:
    UefiWalker(RomScanState& state, RomBuffer& buffer) : state_(state), buffer_(buffer) {}

    // The volumes of a region of the buffer, found by their signature, walked in order.
    void walk_region(std::uint64_t start, std::uint64_t length);
    // The volume whose header starts at buffer[at]; false when the header does not hold
    // together. Its length in the buffer goes to length.
    bool walk_volume(RomBytes buffer, std::uint64_t at, const VolumeScope& scope, std::uint64_t& length);
    // The sections of [start, end) of buffer, each 4-byte aligned from start.
    void walk_sections(RomBytes buffer, std::uint64_t start, std::uint64_t end, SectionScope& scope);
    // Offers a file's pictures to the scan; called once the file is walked.
    void list_pictures(FileScope& file);
    // A skipped record of damage or of something left unopened, against the record at offset.
    void note(std::uint64_t offset, const std::string& label, const std::string& where, const std::string& text);
    // Adds a picture when payload holds one.
    void sniff_picture(RomBytes payload, SectionScope& scope, const std::string& leaf);

    RomScanState& state() { return state_; }
    RomBuffer& buffer() { return buffer_; }

    unsigned volumes = 0, files = 0, sections = 0;

private:
    void walk_files(RomBytes buffer, std::uint64_t volumeAt, std::uint64_t firstFile, std::uint64_t end, bool ffs3,
                    std::uint8_t erased, const VolumeScope& scope, const std::string& volumePath);
    void walk_compression(RomBytes buffer, std::uint64_t at, std::uint64_t header, std::uint64_t size,
                          SectionScope& scope);
    void walk_guid_defined(RomBytes buffer, std::uint64_t at, std::uint64_t header, std::uint64_t size,
                           SectionScope& scope);
    // Unpacks data by method (declared size charged to the scan's budget first) and walks
    // what comes out.
    void unpack_and_walk(RomBytes data, int methodNumber, SectionScope& scope);
    // Walks unpacked (or stored) bytes as sections one level deeper, under step's name.
    void walk_unpacked(RomBytes inner, const std::string& step, bool unpacked, SectionScope& scope);
    void walk_nested_volume(RomBytes inner, SectionScope& scope);

    RomScanState& state_;
    RomBuffer& buffer_;  // the buffer the volumes are searched in: the file, or unpacked bytes
};
