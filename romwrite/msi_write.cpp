// MSI raw PCX slots: a 2-byte length L, then L bytes of PCX, at a 32 KiB boundary below the
// AMI module area. The new PCX must be of the kind already there (bits per pixel, planes,
// size), and its length word and data must end inside the slot and before the first byte
// after the old picture that is not 0xFF fill. No known checksum covers the slots.
#include "formats/ami_layout.h"
#include "formats/pcx_layout.h"
#include "romwrite/rom_write_parts.h"

namespace {

constexpr std::uint64_t PCX_PLANES_AT = 65;
constexpr std::uint8_t FILL = 0xFF;

}  // namespace

RomWriteResult write_msi_slot(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo)
{
    RomWriteResult r;
    const std::uint64_t slot = target.offset;
    r.report.slot = "MSI PCX " + target.name + " at " + offset_text(slot);
    std::uint64_t oldLength = rom_u16(image, slot);
    std::uint64_t oldEnd = slot + MSI_LENGTH_WORD + oldLength;
    if (slot % MSI_SLOT != 0 || oldEnd > image.size() || oldLength + MSI_LENGTH_WORD > MSI_SLOT)
        return refuse(r, "the slot at " + offset_text(slot) + " no longer holds a length word and its picture");
    RomBytes old = rom_range(image, slot + MSI_LENGTH_WORD, oldLength);
    if (newLogo.size() < PCX_HEADER_SIZE || newLogo[0] != PCX_MAKER || old.size() < PCX_HEADER_SIZE)
        return refuse(r, "an MSI slot holds a PCX picture; the new logo is none");
    PcxGeometry was = pcx_geometry(old.data()), now = pcx_geometry(newLogo.data());
    if (old[PCX_BITS_PER_PIXEL_AT] != newLogo[PCX_BITS_PER_PIXEL_AT] || old[PCX_PLANES_AT] != newLogo[PCX_PLANES_AT] ||
        was.width != now.width || was.height != now.height)
        return refuse(r, "the new PCX is not of the kind the slot holds (bits per pixel, planes and size must match)");
    std::uint64_t limit = oldEnd;
    while (limit < image.size() && limit < slot + MSI_SLOT && image[limit] == FILL)
        ++limit;
    r.report.oldPacked = oldLength;
    r.report.newPacked = newLogo.size();
    r.report.room = limit - slot - MSI_LENGTH_WORD;
    if (newLogo.size() > r.report.room)
        return refuse(r, too_large(newLogo.size(), r.report.room, limit));

    RomImageBytes out(image.begin(), image.end());
    put_le16(out, slot, static_cast<std::uint16_t>(newLogo.size()));
    std::copy(newLogo.begin(), newLogo.end(), out.begin() + slot + MSI_LENGTH_WORD);
    std::uint64_t newEnd = slot + MSI_LENGTH_WORD + newLogo.size();
    if (newEnd < oldEnd)
        std::fill(out.begin() + newEnd, out.begin() + oldEnd, FILL);
    r.report.newOffset = slot;
    r.report.containerOffset = slot;
    r.report.touched.push_back({slot, std::max(newEnd, oldEnd)});
    r.report.fixed.push_back("the slot's length word");
    r.report.notices.push_back("no checksum covers the MSI picture slots; other checks of these boards are unknown");
    r.ok = true;
    r.image = std::move(out);
    return r;
}
