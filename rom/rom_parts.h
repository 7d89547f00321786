// What the container passes of the ROM scanner share: bounded reads over a buffer, the
// unpackers, and the scan's state: the one work budget, the candidate cap, the skipped
// records and the ranges of each buffer that structures and listed logos claim.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "rom/rom_scan.h"

using RomBytes = std::span<const std::uint8_t>;

// Little-endian reads that give 0 for every byte past the end of the buffer.
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

// The bytes [at, at + length) when they lie inside the buffer, else an empty span.
inline RomBytes rom_range(RomBytes b, std::uint64_t at, std::uint64_t length)
{
    if (at > b.size() || length > b.size() - at)
        return {};
    return b.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
}

// Every offset at which pattern starts (overlapping hits too: the search steps one byte
// past each hit), found with memchr on one of its bytes and memcmp.
std::vector<std::uint64_t> rom_find_all(RomBytes b, const char* pattern, std::size_t length);

// Lower-case hex of value with at least digits digits.
std::string hex_text(std::uint64_t value, int digits);

// The result of an unpacker: the bytes out, and whether the stream gave all it promised.
struct RomUnpacked {
    std::vector<std::uint8_t> bytes;
    bool complete = false;
    std::string problem;  // why it is not complete, when that is known
};

// One buffer the passes run over: the file, or the unpacked bytes of a container.
struct RomBuffer {
    RomBytes bytes;
    std::vector<RomContainer> path;  // the containers it is the inside of; empty for the file
    unsigned depth = 0;              // 0 for the file
    std::vector<std::pair<std::uint64_t, std::uint64_t>> claims;  // [start, end) of structures and listed logos
};

class RomScanState {
public:
    RomScanState(std::uint64_t imageSize, const RomScanLimits& limits, RomLogoCheck* check);

    const RomScanLimits& limits() const { return limits_; }
    RomWork& work() { return work_; }

    // Takes units of the work budget; false when they are no longer there, after which
    // every pass stops (stopped()). where names what was not looked at.
    bool charge(std::uint64_t units, const RomBuffer& buffer, std::uint64_t where);
    bool stopped() const { return work_.spent() || capReached_; }

    // The candidate found in buffer at container (whose offset and length are in buffer):
    // confirmed or kept, and its bytes scanned as a ROM again when it is no logo. True
    // when it was listed as a logo; its range in buffer is claimed then.
    bool offer(RomBuffer& buffer, RomContainer container, RomCandidate candidate);
    // A drop with its reason.
    void skip(const RomBuffer& buffer, const RomContainer* container, std::uint64_t where, const std::string& reason);
    // A structure the walks found in the buffer: raw hits inside it are not offered.
    static void claim(RomBuffer& buffer, std::uint64_t start, std::uint64_t length);

    // lh5 family through the codec kernel: method 4 .. 7, expanded bytes out of packed.
    RomUnpacked unpack_lh(const RomBuffer& buffer, std::uint64_t where, RomBytes packed, std::uint32_t expanded,
                          int method);

    // Scans buffer: the container passes, then the raw signatures.
    void scan(RomBuffer& buffer);

    RomScanResult result;

private:
    RomScanLimits limits_;
    RomWork work_;
    RomLogoCheck* check_;
    std::size_t offered_ = 0;
    bool capReached_ = false;
};

// The container passes, run in this order over every buffer (see the files of the same
// names); a new container kind is one more entry.
using RomContainerPass = void (*)(RomScanState& state, RomBuffer& buffer);
// Offset of the AMIBIOSC header to use: the first whose version is four digits other than
// "0000"; else the first "0000" one.
std::optional<std::uint64_t> find_ami_header(RomBytes image);
// Maps an AMI segment:offset pointer to a file offset; empty when it falls outside the
// image. Images up to 1 MiB end at linear 1 MiB; a larger image first tries segment:offset
// as a 32-bit linear address, then takes its top 1 MiB as the real-mode view.
std::optional<std::uint64_t> map_ami_pointer(RomBytes image, std::uint16_t segment, std::uint16_t offset);

// The byte the Phoenix LZSS and LZARI rings start filled with: BCPCMP's, else 0x20.
std::uint8_t phoenix_ring_fill(RomBytes image);

void find_lha_members(RomScanState& state, RomBuffer& buffer);
void find_ami_modules(RomScanState& state, RomBuffer& buffer);
void find_msi_pcx_slots(RomScanState& state, RomBuffer& buffer);
void find_phoenix_modules(RomScanState& state, RomBuffer& buffer);
void find_intel_textlogos(RomScanState& state, RomBuffer& buffer);
// Pictures in the sections of UEFI firmware volumes (uefi_entry.cpp and the uefi_ files).
void find_uefi_pictures(RomScanState& state, RomBuffer& buffer);
inline constexpr RomContainerPass CONTAINER_PASSES[] = {
    find_lha_members, find_ami_modules, find_msi_pcx_slots, find_phoenix_modules, find_intel_textlogos, find_uefi_pictures,
};

// Raw signatures in the buffer, in offset order, each cut to the extent its measuring rule
// (formats/picture_extent.h) gives; hits inside a claimed range are not offered.
void sweep_raw_signatures(RomScanState& state, RomBuffer& buffer);

// The picture file of a TEXTLOGO block: the block at 0x80, where a part file has it.
std::vector<std::uint8_t> textlogo_picture_file(RomBytes block);
