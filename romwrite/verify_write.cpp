// The check after every write: the new image is compared byte for byte with the old one
// outside the ranges the writer named, scanned again and compared container by container,
// and the family's own rules (Award header sums, CRC-16, runs, bytes A and B; the AMI chain
// by its core's size rules and the dword sum) are tested on it.
#include <map>
#include <tuple>

#include "romwrite/award_image.h"
#include "romwrite/ami_image.h"
#include "romwrite/rom_write_parts.h"

namespace {

// What identifies a container's contents apart from where it lies: a container that moved
// keeps all of it.
using ContentKey = std::tuple<std::string, std::string, std::string, std::string, std::uint64_t, std::size_t>;

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 0x100000001b3ull;
    return h;
}

ContentKey content_key(const RomCandidate& c)
{
    return {c.container, c.name, c.detail, c.compression, fnv1a(c.bytes), c.bytes.size()};
}

bool inside(const std::vector<RomRange>& ranges, std::uint64_t at)
{
    for (const RomRange& r : ranges)
        if (at >= r.start && at < r.end)
            return true;
    return false;
}

// The index of target in a scan, by where it lies and what holds it; -1 when absent.
int find_target(const std::vector<RomCandidate>& scan, const RomCandidate& target, std::uint64_t offset)
{
    for (std::size_t i = 0; i < scan.size(); ++i) {
        const RomCandidate& c = scan[i];
        if (c.offset == offset && c.container == target.container && c.path.size() == target.path.size() &&
            c.name == target.name)
            return static_cast<int>(i);
    }
    return -1;
}

// True for the container written (the target's outermost one) and everything found in it.
bool rewritten(const std::vector<RomCandidate>& scan, int target, int i)
{
    if (target < 0)
        return false;
    const RomCandidate& t = scan[static_cast<std::size_t>(target)];
    const RomCandidate& c = scan[static_cast<std::size_t>(i)];
    return c.offset == t.offset && !c.path.empty() && !t.path.empty() && c.path.front().kind == t.path.front().kind;
}

class Checks {
public:
    void check(bool held, const std::string& what)
    {
        (held ? result.passed : result.failures).push_back(what);
    }
    RomVerification result;
};

void check_untouched(Checks& checks, RomBytes oldImage, RomBytes newImage, const RomWriteReport& report)
{
    std::uint64_t changed = 0, first = 0;
    for (std::uint64_t i = 0; i < oldImage.size(); ++i) {
        if (oldImage[i] != newImage[i] && !inside(report.touched, i)) {
            if (changed++ == 0)
                first = i;
        }
    }
    checks.check(changed == 0, changed == 0 ? "no byte outside the rewritten ranges changed"
                                            : grouped(changed) + " byte(s) outside the rewritten ranges changed, the "
                                                                 "first at " + offset_text(first));
}

void check_containers(Checks& checks, RomBytes oldImage, RomBytes newImage, const RomCandidate& target,
                      std::span<const std::uint8_t> newLogo, const RomWriteReport& report)
{
    std::vector<RomCandidate> before = scan_rom_image(oldImage);
    std::vector<RomCandidate> after = scan_rom_image(newImage);
    int oldTarget = find_target(before, target, target.offset);
    int newTarget = find_target(after, target, report.newOffset);
    checks.check(oldTarget >= 0, "the logo's container is found in the old image");
    if (newTarget < 0) {
        checks.check(false, "the logo's container is found again at " + offset_text(report.newOffset));
    } else {
        const RomCandidate& c = after[static_cast<std::size_t>(newTarget)];
        bool same = c.bytes.size() == newLogo.size() && std::equal(newLogo.begin(), newLogo.end(), c.bytes.begin());
        checks.check(same, same ? "the logo's container unpacks to the new logo"
                                : "the logo's container at " + offset_text(report.newOffset) +
                                      " does not unpack to the new logo");
        checks.check(c.notes.empty(), c.notes.empty() ? "the logo's container passes its checks"
                                                       : "the logo's container: " + c.notes.front());
    }
    // Every other container of the old image, with what it unpacked to, is in the new one;
    // the target, what was found inside it, and the module that holds it are rewritten.
    std::map<ContentKey, int> present;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!rewritten(after, newTarget, static_cast<int>(i)))
            ++present[content_key(after[i])];
    }
    unsigned missing = 0, compared = 0;
    std::string firstMissing;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (rewritten(before, oldTarget, static_cast<int>(i)))
            continue;
        ++compared;
        int& count = present[content_key(before[i])];
        if (count > 0) {
            --count;
        } else if (missing++ == 0) {
            firstMissing = before[i].container + " \"" + printable_name(before[i].name) + "\" at " +
                           offset_text(before[i].offset);
        }
    }
    checks.check(missing == 0, missing == 0
                                   ? "the " + std::to_string(compared) + " other container(s) unpack to the same bytes"
                                   : std::to_string(missing) + " other container(s) changed or were lost, the first " +
                                         firstMissing);
    // Every Award member of the new image passes its header sum and CRC-16.
    unsigned bad = 0;
    for (const RomCandidate& c : after)
        if (c.container == "Award LHA" && !c.notes.empty())
            ++bad;
    if (target.container == "Award LHA")
        checks.check(bad == 0, bad == 0 ? "every Award member passes its header sum and CRC-16"
                                        : std::to_string(bad) + " Award member(s) fail their header sum or CRC-16");
}

void check_award(Checks& checks, RomBytes newImage, const RomWriteReport& report)
{
    AwardRun run = walk_award_run(newImage, report.newOffset);
    checks.check(run.problem.empty(), run.problem.empty() ? "the member run holds together, 0xFF after it"
                                                          : "the member run: " + run.problem);
    std::optional<AwardChecksums> sums = find_award_checksums(newImage);
    if (!sums) {
        checks.check(false, "the decompression block is found again");
        return;
    }
    if (report.awardByteAHeld)
        checks.check(award_byte_a_holds(newImage, *sums), "byte A at " + offset_text(sums->byteA) + " holds");
    checks.check(award_byte_b_holds(newImage, *sums), "byte B at " + offset_text(sums->byteB) + " holds");
}

}  // namespace

RomVerification verify_rom_write(std::span<const std::uint8_t> oldImage, std::span<const std::uint8_t> newImage,
                                 const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                 const RomWriteReport& report)
{
    Checks checks;
    checks.check(oldImage.size() == newImage.size(), "the image size is unchanged");
    if (oldImage.size() != newImage.size()) {
        checks.result.ok = false;
        return checks.result;
    }
    check_untouched(checks, oldImage, newImage, report);
    check_containers(checks, oldImage, newImage, target, newLogo, report);
    if (target.container == "Award LHA")
        check_award(checks, newImage, report);
    if (report.amiSumFixed) {
        AmiChain chain = walk_ami_chain(newImage);
        checks.check(chain.problem.empty(), chain.problem.empty()
                                                ? "the module chain lies where its core's size rules put it"
                                                : "the module chain: " + chain.problem);
        checks.check(ami_dword_sum_holds(newImage, report.amiHeader), "the AMIBIOSC dword sum holds");
    }
    checks.result.ok = checks.result.failures.empty();
    return checks.result;
}
