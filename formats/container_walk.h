// Walks over the composite containers, shared by their probes and their decoders so that
// frame k of a decoder is always picture k of the walk detection counted:
//   - the "$OSB" chain of PCX or BMP pictures,
//   - the SCN envelope's directory at the end of the file,
//   - the Phoenix SCRN directory,
//   - the Phoenix picture head that SCN and SCRN directories point to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// "$OSB" chain: a 16-byte record (tag, end mark at 4, picture length at 5), then the picture.
constexpr std::size_t OSB_RECORD_SIZE = 16;
constexpr std::size_t OSB_END_MARK_AT = 4;
constexpr std::uint8_t OSB_END_MARK = 0xFF;
constexpr std::size_t OSB_LENGTH_AT = 5;
// How much of each picture the walk reads: the BMP header fields, or the whole PCX header.
constexpr std::size_t OSB_BMP_HEAD_SIZE = 32;
constexpr std::size_t OSB_PCX_HEAD_SIZE = 128;

struct OsbLink {
    std::uint64_t offset = 0;  // of the record; the picture starts OSB_RECORD_SIZE bytes later
    std::uint32_t length = 0;  // bytes of the picture
    std::uint8_t head[OSB_PCX_HEAD_SIZE] = {};  // the picture's first bytes, zero past the end of the file
};

// The pictures of the chain that starts at offset 0, at most MAX_FRAMES of them. Each step
// reads a record and the first headSize bytes of its picture. The walk ends at a record
// marked FF, at an offset at or past the end of the file, or after a step whose reads ran
// past the end. The next record is at offset + 16 + length, summed in 64 bits, so every
// step moves forward: a zero length moves 16 bytes and a length that would wrap a 32-bit
// offset lands past the end of the file instead of on an earlier record.
std::vector<OsbLink> walk_osb_chain(std::FILE* stream, std::uint32_t fileSize, std::size_t headSize);

// SCN directory: 5-byte entries that end at the directory's end; bytes 1-4 of an entry
// are the offset of a picture head.
constexpr std::size_t SCN_ENTRY_SIZE = 5;
constexpr std::size_t SCN_ENTRY_OFFSET_AT = 1;

// Head offset of picture k (from 0) of an SCN directory of count entries ending at dirEnd.
// An entry that would start before the file reads as 0.
std::uint32_t scn_picture_offset(std::FILE* stream, std::uint32_t dirEnd, unsigned count, unsigned k);

// The SCN envelope around one JPEG: the file's last 4 bytes are the offset of its
// start-of-image marker. 0 for a file shorter than that.
std::uint32_t scn_jpeg_start(std::FILE* stream, std::uint64_t fileSize);

// SCRN directory: a count byte, then 3-byte entries whose bytes 1-2 are a picture head offset.
constexpr std::size_t SCRN_COUNT_SIZE = 1;
constexpr std::size_t SCRN_ENTRY_SIZE = 3;
constexpr std::size_t SCRN_ENTRY_OFFSET_AT = 1;

// Picture count of the SCRN directory at dirOffset.
unsigned scrn_picture_count(std::FILE* stream, std::uint16_t dirOffset);
// Head offset of picture k (from 0) of the SCRN directory at dirOffset.
std::uint16_t scrn_picture_offset(std::FILE* stream, std::uint16_t dirOffset, unsigned k);

// Phoenix picture head (ICON pictures, and the pictures of SCN and SCRN directories).
constexpr std::size_t PHOENIX_HEAD_SIZE = 19;
constexpr std::size_t PHOENIX_SUBSTITUTION_SIZE = 16;  // follows the head of a 4-bit picture

struct PhoenixPictureHead {
    std::uint8_t bitsPerPixel = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

PhoenixPictureHead read_phoenix_head(std::FILE* stream, std::uint64_t offset);
