// Award LHA members (load IDs 0x4000, 0x4002, 0x4011 and any other member a logo was found
// in, the system BIOS apart): the member is rebuilt as -lh5- with its name, load address,
// attribute and OS ID kept; the members after it in its run are laid after it byte for
// byte with their separators; 0xFF fills the run to its old end; then byte A (only where it
// held in the input) and byte B are recomputed, in that order, as B's page holds A.
#include "romwrite/rom_write_parts.h"

#include "codec/lzh.h"
#include "romwrite/award_image.h"

namespace {

constexpr std::uint64_t CRC_AFTER_NAME = 0;       // CRC-16 at 0x16 + N; the OS ID follows it and is kept
constexpr std::uint64_t EXTENSION_AFTER_NAME = 3; // next-extended-header size at 0x19 + N
constexpr std::uint8_t FILL = 0xFF;
constexpr int LH5_WINDOW_BITS = 13;
constexpr int LH5_METHOD = 5;

class SilentKernel : public KernelSink {
public:
    void kernel_line(const std::string&) override { damaged = true; }
    bool damaged = false;
};

// The packed stream unpacks to exactly payload: the encoder is trusted only this far.
bool unpacks_to(std::span<const std::uint8_t> packed, std::span<const std::uint8_t> payload)
{
    SilentKernel sink;
    LzhRequest request{packed, static_cast<std::uint32_t>(payload.size()), static_cast<std::uint32_t>(packed.size()),
                       LH5_WINDOW_BITS, LH5_METHOD};
    LzhResult result = lzh_decode(request, sink);
    return !sink.damaged && !result.allocationFailed && result.bytes.size() >= payload.size() &&
           std::equal(payload.begin(), payload.end(), result.bytes.begin());
}

// The new member: the old header with new sizes, CRC-16 and header sum, then the stream.
std::vector<std::uint8_t> rebuild_member(RomBytes image, const AwardMember& old, std::span<const std::uint8_t> payload,
                                         std::span<const std::uint8_t> packed)
{
    std::vector<std::uint8_t> m(image.begin() + old.at, image.begin() + old.at + old.headerSize + 2);
    std::memcpy(m.data() + AWARD_METHOD_AT, "-lh5-", 5);
    put_le32(m, AWARD_SKIP_SIZE_AT, static_cast<std::uint32_t>(packed.size()));
    put_le32(m, AWARD_ORIGINAL_SIZE_AT, static_cast<std::uint32_t>(payload.size()));
    std::uint64_t afterName = AWARD_NAME_AT + old.nameLength;
    put_le16(m, afterName + CRC_AFTER_NAME, crc16_arc(payload));
    put_le16(m, afterName + EXTENSION_AFTER_NAME, 0);
    m[AWARD_HEADER_SUM_AT] = sum8(RomBytes(m).subspan(2, old.headerSize));
    m.insert(m.end(), packed.begin(), packed.end());
    return m;
}

std::string load_address(std::uint16_t id)
{
    return hex_text(id, 4) + ":0000";
}

}  // namespace

RomWriteResult write_award_member(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                  const RomPackers& packers)
{
    RomWriteResult r;
    std::optional<AwardMember> old = read_award_member(image, target.offset);
    if (!old)
        return refuse(r, "the member at " + offset_text(target.offset) + " no longer reads as an Award member");
    r.report.slot = "Award LHA \"" + printable_name(target.name) + "\" (" + load_address(old->loadId) + ") at " +
                    offset_text(old->at);
    if (old->loadId == AWARD_SYSTEM_BIOS_ID)
        return refuse(r, "the member at " + offset_text(old->at) +
                             " is a system BIOS (load ID 5000); its checksum byte is never rewritten");
    if (old->headerSize != AWARD_BASE_HEADER + old->nameLength ||
        rom_u16(image, old->at + AWARD_NAME_AT + old->nameLength + EXTENSION_AFTER_NAME) != 0)
        return refuse(r, "the member at " + offset_text(old->at) + " has header bytes Award does not write");
    std::optional<AwardChecksums> checks = find_award_checksums(image);
    if (!checks)
        return refuse(r, "no \"= Award Decompression Bios =\" block on a 1 KiB boundary: byte B cannot be fixed");
    AwardRun run = walk_award_run(image, old->at);
    if (!run.problem.empty())
        return refuse(r, run.problem);
    if (run.limit > checks->block)
        return refuse(r, "the fill after the run at " + offset_text(old->at) +
                             " reaches the decompression block; the image is not laid out as Award lays it out");
    if (!packers.lh5)
        return refuse(r, "no lh5 packer is available");

    std::vector<std::uint8_t> packed = packers.lh5(newLogo);
    if (packed.empty())
        return refuse(r, "the lh5 packer could not pack the new logo");
    if (!unpacks_to(packed, newLogo))
        return refuse(r, "the lh5 packer's stream does not unpack to the new logo");
    std::vector<std::uint8_t> member = rebuild_member(image, *old, newLogo, packed);

    // The members after the target keep their bytes and separators: [target.next, run.end).
    std::uint64_t followers = run.end - old->next;
    std::uint64_t memberOverhead = old->headerSize + 2;
    std::uint64_t space = run.limit - old->at;  // what the target, its 0x00 and the followers may take
    std::uint64_t fixed = memberOverhead + 1 + followers;
    r.report.oldPacked = old->packedSize;
    r.report.newPacked = packed.size();
    r.report.room = space > fixed ? space - fixed : 0;
    std::uint64_t newEnd = old->at + member.size() + 1 + followers;
    if (newEnd > run.limit)
        return refuse(r, too_large(packed.size(), r.report.room, run.limit));

    RomImageBytes out(image.begin(), image.end());
    std::uint64_t at = old->at;
    std::copy(member.begin(), member.end(), out.begin() + at);
    at += member.size();
    out[at++] = 0x00;
    std::copy(image.begin() + old->next, image.begin() + run.end, out.begin() + at);
    at += followers;
    std::fill(out.begin() + at, out.begin() + std::max(at, run.end), FILL);
    r.report.moved = run.members.size() - 1;
    r.report.shift = static_cast<std::int64_t>(newEnd) - static_cast<std::int64_t>(run.end);
    r.report.newOffset = old->at;
    r.report.containerOffset = old->at;
    r.report.touched.push_back({old->at, std::max(newEnd, run.end)});
    r.report.fixed.push_back("header sum and CRC-16 of the member");

    // A before B: B's page holds A.
    r.report.awardByteAHeld = award_byte_a_holds(image, *checks);
    if (r.report.awardByteAHeld) {
        out[checks->byteA] = sum8(RomBytes(out).first(checks->byteA));
        r.report.awardByteA = checks->byteA;
        r.report.touched.push_back({checks->byteA, checks->byteA + 1});
        r.report.fixed.push_back("byte A at " + offset_text(checks->byteA) + " (sum of the image below it)");
    } else {
        r.report.notices.push_back("byte A at " + offset_text(checks->byteA) +
                                   " did not hold in the input and is left as it was");
    }
    out[checks->byteB] = sum8(RomBytes(out).subspan(checks->block, checks->byteB - checks->block));
    r.report.awardByteB = checks->byteB;
    r.report.touched.push_back({checks->byteB, checks->byteB + 1});
    r.report.fixed.push_back("byte B at " + offset_text(checks->byteB) + " (sum of the decompression block's page)");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
