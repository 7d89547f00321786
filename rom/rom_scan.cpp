// The scan driver: the state with its budget and caps, offering candidates for
// confirmation, scanning unpacked bytes again, and the helpers the passes share.
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

std::string joined(const std::vector<std::string>& notes)
{
    std::string text;
    for (const std::string& note : notes)
        text += (text.empty() ? "" : "; ") + note;
    return text;
}

}  // namespace

std::uint16_t crc16_arc(std::span<const std::uint8_t> bytes, std::uint16_t crc)
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
    unsigned c = crc;
    for (std::uint8_t b : bytes)
        c = (c >> 8) ^ TABLE[(c ^ b) & 0xFF];
    return static_cast<std::uint16_t>(c);
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
        ++at;  // one byte on, never the match length: "--lh5-" holds a hit one byte in
    }
    return hits;
}

std::string hex_text(std::uint64_t value, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

bool RomWork::charge(std::uint64_t units)
{
    if (spent_ || units > left_) {
        spent_ = true;
        return false;
    }
    left_ -= units;
    return true;
}

RomScanState::RomScanState(std::uint64_t imageSize, const RomScanLimits& limits, RomLogoCheck* check)
    : limits_(limits),
      work_(std::max<std::uint64_t>(limits.minWorkBudget, std::uint64_t{limits.workBudgetPerFileByte} * imageSize)),
      check_(check)
{
}

bool RomScanState::charge(std::uint64_t units, const RomBuffer& buffer, std::uint64_t where)
{
    if (work_.spent())
        return false;
    if (work_.charge(units))
        return true;
    result.budgetSpent = true;
    skip(buffer, nullptr, where, "work budget spent: this place and the rest of the scan not looked at");
    return false;
}

void RomScanState::skip(const RomBuffer& buffer, const RomContainer* container, std::uint64_t where,
                        const std::string& reason)
{
    if (result.skipped.size() >= limits_.maxSkipped) {
        ++result.skippedNotKept;
        return;
    }
    RomSkipped s;
    s.path = buffer.path;
    if (container)
        s.path.push_back(*container);
    s.offset = buffer.path.empty() ? (container ? container->offset : where) : buffer.path.front().offset;
    s.reason = reason;
    result.skipped.push_back(std::move(s));
}

void RomScanState::claim(RomBuffer& buffer, std::uint64_t start, std::uint64_t length)
{
    buffer.claims.push_back({start, start + length});
}

bool RomScanState::offer(RomBuffer& buffer, RomContainer container, RomCandidate c)
{
    if (stopped())
        return false;
    if (offered_ >= limits_.maxCandidates) {
        capReached_ = result.capReached = true;
        skip(buffer, &container, container.offset,
             "candidate cap of " + std::to_string(limits_.maxCandidates) + " reached: this and the rest not looked at");
        return false;
    }
    ++offered_;
    c.container = container.kind;
    c.name = container.name;
    c.detail = container.detail;
    c.compression = container.compression;
    c.path = buffer.path;
    c.path.push_back(std::move(container));
    c.offset = c.path.front().offset;
    c.length = c.path.front().length;
    const RomContainer& own = c.path.back();
    if (c.bytes.empty()) {
        if (!c.notes.empty())
            skip(buffer, &own, own.offset, joined(c.notes));
        return false;
    }
    if (check_ && check_->is_logo(c, work_)) {
        claim(buffer, own.offset, own.length);
        return true;
    }
    if (work_.spent()) {
        result.budgetSpent = true;
        skip(buffer, &own, own.offset, "work budget spent: this place and the rest of the scan not looked at");
        return false;
    }
    if (check_ && !c.notes.empty() && c.container != "raw")
        skip(buffer, &own, own.offset, joined(c.notes));
    // Raw hits and UEFI pictures are leaves; members and modules are ROMs of their own.
    if (c.container != "raw" && c.picture.empty() && buffer.depth + 1 < MAX_ROM_NESTING) {
        RomBuffer inner{c.bytes, c.path, buffer.depth + 1, {}};
        if (charge(inner.bytes.size(), buffer, own.offset))
            scan(inner);
    }
    if (!check_)
        result.candidates.push_back(std::move(c));
    return false;
}

RomUnpacked RomScanState::unpack_lh(const RomBuffer& buffer, std::uint64_t where, RomBytes packed,
                                    std::uint32_t expanded, int method)
{
    RomUnpacked out;
    if (method < 4 || method > 7 || expanded > limits_.maxModuleSize)
        return out;
    if (expanded > LH_RATIO_FLOOR && expanded / MAX_LH_RATIO > packed.size())
        return out;
    // Charged before the kernel allocates its output.
    if (!charge(std::uint64_t{expanded} + packed.size(), buffer, where))
        return out;
    CountingSink sink;
    // The kernel's own method 7 counts match lengths from 2; LHA's -lh7- is -lh6- with a
    // 64 KiB window, so it is asked for as method 6.
    int kernelMethod = method == 7 ? 6 : method;
    LzhRequest request{packed, expanded, static_cast<std::uint32_t>(packed.size()), LH_DICTIONARY_BITS[method], kernelMethod};
    LzhResult decoded = lzh_decode(request, sink);
    if (decoded.allocationFailed)
        return out;
    out.complete = sink.lines == 0 && decoded.bytes.size() >= expanded && !decoded.positionsPastWindow;
    if (decoded.positionsPastWindow)
        out.problem = "could not decompress: it copies from further back than the " +
                      std::to_string((1u << LH_DICTIONARY_BITS[method]) / 1024) + " KiB window of -lh" +
                      std::to_string(method) + "-";
    if (decoded.bytes.size() > expanded)
        decoded.bytes.resize(expanded);
    out.bytes = std::move(decoded.bytes);
    return out;
}

void RomScanState::scan(RomBuffer& buffer)
{
    for (RomContainerPass pass : CONTAINER_PASSES) {
        if (stopped())
            return;
        pass(*this, buffer);
    }
    if (!stopped())
        sweep_raw_signatures(*this, buffer);
}

RomScanResult scan_rom_tree(std::span<const std::uint8_t> image, const RomScanLimits& limits, RomLogoCheck* check)
{
    RomScanState state(image.size(), limits, check);
    RomBuffer file{image, {}, 0, {}};
    if (image.size() > limits.maxFileSize) {
        state.skip(file, nullptr, 0, rom_too_large_reason(limits));
        state.result.notScanned = true;
        return std::move(state.result);
    }
    state.scan(file);
    return std::move(state.result);
}

std::string rom_too_large_reason(const RomScanLimits& limits)
{
    return "larger than " + std::to_string(limits.maxFileSize >> 20) + " MiB: not scanned";
}

std::vector<RomCandidate> scan_rom_image(std::span<const std::uint8_t> image, const RomScanLimits& limits)
{
    return scan_rom_tree(image, limits, nullptr).candidates;
}
