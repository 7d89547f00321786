// What the container passes of the ROM scanner share: bounded reads over the image, the
// unpackers, and the list that collects candidates under the scan's budgets.
#pragma once

#include <cstdint>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "rom/rom_scan.h"

using RomBytes = std::span<const std::uint8_t>;

// Little-endian reads that give 0 for every byte past the end of the image.
inline std::uint8_t rom_u8(RomBytes b, std::uint64_t at)
{
    return at < b.size() ? b[at] : 0;
}

inline std::uint16_t rom_u16(RomBytes b, std::uint64_t at)
{
    return static_cast<std::uint16_t>(rom_u8(b, at) | (rom_u8(b, at + 1) << 8));
}

inline std::uint32_t rom_u32(RomBytes b, std::uint64_t at)
{
    return static_cast<std::uint32_t>(rom_u16(b, at)) | (static_cast<std::uint32_t>(rom_u16(b, at + 2)) << 16);
}

// True when text (without its terminator) stands at offset.
inline bool rom_has(RomBytes b, std::uint64_t at, const char* text, std::size_t length)
{
    return at <= b.size() && length <= b.size() - at && std::memcmp(b.data() + at, text, length) == 0;
}

// The bytes [at, at + length) when they lie inside the image, else an empty span.
inline RomBytes rom_range(RomBytes b, std::uint64_t at, std::uint64_t length)
{
    if (at > b.size() || length > b.size() - at)
        return {};
    return b.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
}

// Every offset at which pattern starts (overlapping hits too), found with memchr on one
// of its bytes and memcmp: about one pass over the image.
std::vector<std::uint64_t> rom_find_all(RomBytes b, const char* pattern, std::size_t length);

// Lower-case hex of value with at least digits digits.
std::string hex_text(std::uint64_t value, int digits);

// The result of an unpacker: the bytes out, and whether the stream gave all it promised.
struct RomUnpacked {
    std::vector<std::uint8_t> bytes;
    bool complete = false;
    std::string problem;  // why it is not complete, when that is known
};

// The candidates of one scan, with the budgets that keep it linear in the image size:
// unpacked bytes (charged before each unpack is tried), candidate count, and the file
// ranges the structured passes claimed, which raw signature hits may not overlap.
class RomScanState {
public:
    RomScanState(RomBytes image, const RomScanLimits& limits);

    RomBytes image() const { return image_; }
    const RomScanLimits& limits() const { return limits_; }

    // Takes size bytes of the unpack budget; false when they are no longer there.
    bool charge(std::uint64_t size);
    // Gives back what a charged unpack did not produce.
    void refund(std::uint64_t size) { budget_ += size; }
    bool full() const { return candidates_.size() >= limits_.maxCandidates; }

    // Keeps the candidate unless one with the same offset and bytes is already kept;
    // returns its index, or -1 when it was dropped.
    int add(RomCandidate candidate);
    // A structure the walks found in the file: raw hits inside it are not kept.
    void claim(std::uint64_t start, std::uint64_t length);
    bool overlaps_claim(std::uint64_t start, std::uint64_t length) const;

    std::vector<RomCandidate>& candidates() { return candidates_; }

    // lh5 family through the codec kernel: method 4 .. 7, expanded bytes out of packed.
    RomUnpacked unpack_lh(RomBytes packed, std::uint32_t expanded, int method);

private:
    RomBytes image_;
    RomScanLimits limits_;
    std::uint64_t budget_;
    std::vector<RomCandidate> candidates_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen_;  // (offset, hash of bytes and size)
    std::vector<std::pair<std::uint64_t, std::uint64_t>> claims_;  // [start, end)
};

// The passes, each over the whole image (see the files of the same names).
void find_lha_members(RomScanState& state);
void find_ami_modules(RomScanState& state);
void find_msi_pcx_slots(RomScanState& state);
void find_phoenix_modules(RomScanState& state);
void find_intel_textlogos(RomScanState& state);
// Pictures in the sections of UEFI firmware volumes (uefi_entry.cpp and the uefi_ files).
void find_uefi_pictures(RomScanState& state);
// Raw signatures in buffer, which is the image itself (parent -1) or the unpacked bytes
// of candidate parent.
void sweep_raw_signatures(RomScanState& state, RomBytes buffer, int parent);

// Length of the PCX picture whose 128-byte header starts at the buffer's offset at: its
// run-length rows and, for 8-bit pictures, the 769-byte palette trailer. 0 when the
// header is not a sane PCX header or the rows run past the end.
std::uint64_t pcx_extent(RomBytes buffer, std::uint64_t at);
// Length of the TEXTLOGO block at at when its header holds together (see intel_parts.cpp), else 0.
std::uint64_t textlogo_extent(RomBytes buffer, std::uint64_t at);
// The picture file of a TEXTLOGO block: the block at 0x80, where a part file has it.
std::vector<std::uint8_t> textlogo_picture_file(RomBytes block);
