// The scan driver, the candidate list with its budgets, and the helpers the passes share.
#include "rom/rom_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "codec/lzh.h"
#include "rom/rom_parts.h"

namespace {

// Counts the kernel's reports: any report means the stream was damaged.
class CountingSink : public KernelSink {
public:
    void kernel_line(const std::string&) override { ++lines; }
    unsigned lines = 0;
};

// The lh5 kernel's window size per LHA method number: -lh4- 4 KiB .. -lh7- 64 KiB.
constexpr int LH_DICTIONARY_BITS[8] = {0, 0, 0, 0, 12, 13, 15, 16};
// An lh5 stream gives at most 256 bytes per literal/length symbol, and symbols take at
// least one bit apart from single-symbol blocks, which real packers never write for long
// runs: more than this many bytes per packed byte is not a real stream.
constexpr std::uint64_t MAX_LH_RATIO = 1024;
constexpr std::uint64_t LH_RATIO_FLOOR = 64 * 1024;

// FNV-1a of the bytes: the duplicate check of the candidate list.
std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 0x100000001b3ull;
    return h ^ bytes.size();
}

}  // namespace

std::uint16_t crc16_arc(std::span<const std::uint8_t> bytes)
{
    // Table of the reflected polynomial 0xA001, one entry per byte value.
    static constexpr auto TABLE = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
            t[i] = static_cast<std::uint16_t>(c);
        }
        return t;
    }();
    unsigned crc = 0;
    for (std::uint8_t b : bytes)
        crc = (crc >> 8) ^ TABLE[(crc ^ b) & 0xFF];
    return static_cast<std::uint16_t>(crc);
}

std::vector<std::uint64_t> rom_find_all(RomBytes b, const char* pattern, std::size_t length)
{
    std::vector<std::uint64_t> hits;
    if (length == 0 || b.size() < length)
        return hits;
    // memchr runs on one byte of the pattern, chosen to be neither 00 nor FF: erased flash
    // and zero fill would stop it at every byte.
    std::size_t anchor = 0;
    while (anchor + 1 < length && (pattern[anchor] == '\x00' || pattern[anchor] == '\xFF'))
        ++anchor;
    const std::uint8_t* base = b.data();
    std::size_t last = b.size() - length;  // last possible start
    std::size_t at = 0;
    while (at <= last) {
        const void* p = std::memchr(base + at + anchor, static_cast<unsigned char>(pattern[anchor]), last - at + 1);
        if (!p)
            break;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(p) - base) - anchor;
        if (std::memcmp(base + at, pattern, length) == 0)
            hits.push_back(at);
        ++at;
    }
    return hits;
}

std::string hex_text(std::uint64_t value, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

RomScanState::RomScanState(RomBytes image, const RomScanLimits& limits)
    : image_(image), limits_(limits),
      budget_(std::max<std::uint64_t>(limits.minUnpackBudget,
                                      std::uint64_t{limits.unpackBudgetPerFileByte} * image.size()))
{
}

bool RomScanState::charge(std::uint64_t size)
{
    if (size > budget_)
        return false;
    budget_ -= size;
    return true;
}

int RomScanState::add(RomCandidate candidate)
{
    if (full())
        return -1;
    if (!seen_.insert({candidate.offset, fnv1a(candidate.bytes)}).second)
        return -1;
    candidates_.push_back(std::move(candidate));
    return static_cast<int>(candidates_.size() - 1);
}

void RomScanState::claim(std::uint64_t start, std::uint64_t length)
{
    claims_.push_back({start, start + length});
}

bool RomScanState::overlaps_claim(std::uint64_t start, std::uint64_t length) const
{
    std::uint64_t end = start + length;
    for (const auto& [s, e] : claims_)
        if (start < e && s < end)
            return true;
    return false;
}

RomUnpacked RomScanState::unpack_lh(RomBytes packed, std::uint32_t expanded, int method)
{
    RomUnpacked out;
    if (method < 4 || method > 7 || expanded > limits_.maxModuleSize)
        return out;
    if (expanded > LH_RATIO_FLOOR && expanded / MAX_LH_RATIO > packed.size())
        return out;
    if (!charge(expanded))
        return out;
    CountingSink sink;
    // The kernel's own method 7 counts match lengths from 2; LHA's -lh7- is -lh6- with a
    // 64 KiB window, so it is asked for as method 6.
    int kernelMethod = method == 7 ? 6 : method;
    LzhRequest request{packed, expanded, static_cast<std::uint32_t>(packed.size()), LH_DICTIONARY_BITS[method], kernelMethod};
    LzhResult result = lzh_decode(request, sink);
    if (result.allocationFailed)
        return out;
    out.complete = sink.lines == 0 && result.bytes.size() >= expanded && !result.positionsPastWindow;
    if (result.positionsPastWindow)
        out.problem = "could not decompress: it copies from further back than the " +
                      std::to_string((1u << LH_DICTIONARY_BITS[method]) / 1024) + " KiB window of -lh" +
                      std::to_string(method) + "-";
    if (result.bytes.size() > expanded)
        result.bytes.resize(expanded);
    out.bytes = std::move(result.bytes);
    return out;
}

std::vector<RomCandidate> scan_rom_image(std::span<const std::uint8_t> image, const RomScanLimits& limits)
{
    if (image.size() > limits.maxFileSize)
        image = image.first(static_cast<std::size_t>(limits.maxFileSize));
    RomScanState state(image, limits);
    find_lha_members(state);
    find_ami_modules(state);
    find_msi_pcx_slots(state);
    find_phoenix_modules(state);
    find_intel_textlogos(state);
    find_uefi_pictures(state);
    sweep_raw_signatures(state, image, -1);
    // Signatures inside unpacked candidates; the list grows while it is walked, and the
    // candidates found this way are not searched again.
    std::size_t structured = state.candidates().size();
    for (std::size_t i = 0; i < structured && !state.full(); ++i) {
        const RomCandidate& c = state.candidates()[i];
        if (c.container == "raw" || c.bytes.empty())
            continue;
        // The bytes are copied out: adding candidates may move the list.
        std::vector<std::uint8_t> bytes = c.bytes;
        sweep_raw_signatures(state, bytes, static_cast<int>(i));
    }
    return std::move(state.candidates());
}
