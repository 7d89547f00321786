// The whole-ROM scanner: finds the places inside a firmware image where a logo may sit
// (LHA members, AMI and Phoenix modules, Intel parts, MSI slots, raw signatures) and
// unpacks each into memory. Every unpacked member or module is scanned again as a ROM of
// its own, to a depth of MAX_ROM_NESTING, so an Award ROM inside an update archive is
// searched like one on its own. It knows containers and compressions, not pictures: every
// candidate still has to be confirmed by detection and decoding (pipeline/rom_scan.h),
// which the scan asks through RomLogoCheck as it goes. A confirmed logo claims its byte
// range: nothing inside it is offered again.
//
// All work (copies, CRCs, walks, unpacking, the confirmations' decoding, failed attempts
// too) is charged to one budget proportional to the image size; memory is allocated after
// the charge. When the budget or the candidate cap is used up the scan stops and says so
// in a skipped record; every other drop (past the end, over a cap, checksum) has one too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

constexpr unsigned MAX_ROM_NESTING = 3;  // the file, and members of members of members

// One container on the way from the file to a candidate: a node of the scan's tree.
struct RomContainer {
    std::string kind;          // "Award LHA", "LHA archive", "AMI module", "MSI PCX slot", "Phoenix module",
                               // "Phoenix BCD6F1", "Intel part", "UEFI", "raw"
    std::string name;          // member name as stored, AMI module ID, Phoenix type letter and instance, ...
    std::string detail;        // Award load address, Phoenix load address, AMI flags, ...
    std::string compression;   // "none", "lh0", "lh5", "LZSS", "LZARI", "LZINT", "LH5 container" ...
    std::uint64_t offset = 0;  // where its record (member or module header) starts in its parent's bytes
    std::uint64_t length = 0;  // bytes of the parent it covers
    // Header fields a rebuild needs, by name ("headerSize", "level", "packedSize", "crc16",
    // "dataAt", "expandedSize", "fragmentLength", ...), as read.
    std::vector<std::pair<std::string, std::uint64_t>> fields;
};

struct RomCandidate {
    // The innermost container, as the record shows it.
    std::string container;
    std::string name;
    std::string detail;
    std::string compression;
    std::uint64_t offset = 0;  // where the outermost container starts in the file
    std::uint64_t length = 0;  // bytes of the file it covers
    std::vector<std::uint8_t> bytes;  // unpacked; empty when it could not be unpacked
    std::vector<std::string> notes;   // "header checksum mismatch", "CRC-16 mismatch", "blank picture" ...
    std::vector<RomContainer> path;   // from the file down; the last one is this candidate's own
    bool namedSlot = false;  // the container declares a logo (Award 0x4000/0x4002/0x4011, Phoenix 'L'/'U', AMI logo IDs)
    bool endKnown = false;   // the container says where its data ends (an LHA member with a valid CRC, a module)
    std::string signature;   // raw hits: the signature found ("PCX", "PG", ...)
    std::string picture;     // a UEFI payload's picture format: "BMP", "JPEG", "PNG", "GIF"
};

// Something the scan did not look at, or dropped, and why.
struct RomSkipped {
    std::uint64_t offset = 0;  // in the file (of the outermost container)
    std::vector<RomContainer> path;  // as far as it is known; may be empty
    std::string reason;
};

// Bounds of one scan. The defaults suit real ROM images, which are at most a few MiB and
// unpack to a few MiB more.
struct RomScanLimits {
    std::uint64_t maxFileSize = 64ull << 20;      // a larger file is not scanned
    std::uint32_t maxModuleSize = 16u << 20;      // larger unpacked sizes are refused
    std::uint64_t minWorkBudget = 16ull << 20;    // work units (bytes copied, summed, walked, unpacked,
    std::uint32_t workBudgetPerFileByte = 5;      //   pixels decoded): this many per byte of the file, at least the minimum
    std::size_t maxCandidates = 4096;             // candidates offered for confirmation
    std::size_t maxSkipped = 256;                 // skipped records kept; the rest are counted
};

// The scan's one work budget.
class RomWork {
public:
    explicit RomWork(std::uint64_t units) : left_(units) {}
    // Takes units; false (and spent from then on) when they are no longer there.
    bool charge(std::uint64_t units);
    bool spent() const { return spent_; }

private:
    std::uint64_t left_;
    bool spent_ = false;
};

// The confirmation the scan asks for each candidate that has bytes: true when they are a
// logo, which the checker keeps. It charges its decoding to work.
class RomLogoCheck {
public:
    virtual ~RomLogoCheck() = default;
    virtual bool is_logo(const RomCandidate& candidate, RomWork& work) = 0;
};

struct RomScanResult {
    std::vector<RomCandidate> candidates;  // without a checker: every candidate; with one: none
    std::vector<RomSkipped> skipped;
    std::size_t skippedNotKept = 0;  // skipped records past maxSkipped
    bool budgetSpent = false;        // the work budget ran out: some of the image was not looked at
    bool capReached = false;         // the candidate cap was reached: the same
    bool notScanned = false;         // the file is over maxFileSize: nothing was looked at
};

// Scans an image held in memory, asking check (when given) about each candidate.
RomScanResult scan_rom_tree(std::span<const std::uint8_t> image, const RomScanLimits& limits, RomLogoCheck* check);

// Why a file over limits.maxFileSize is not scanned.
std::string rom_too_large_reason(const RomScanLimits& limits);

// Every candidate of an image, unconfirmed, in the order the passes find them.
std::vector<RomCandidate> scan_rom_image(std::span<const std::uint8_t> image, const RomScanLimits& limits = {});

// CRC-16/ARC (reflected polynomial 0xA001, initial 0), the LHA data check; crc carries on
// from an earlier part.
std::uint16_t crc16_arc(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0);
