// Chooses the family writer by the container the logo was found in; the texts they share.
#include "romwrite/rom_write.h"

#include <cstdio>
#include <vector>

#include "romwrite/rom_write_parts.h"

std::string offset_text(std::uint64_t at)
{
    return "0x" + hex_text(at, 8);
}

std::string printable_name(const std::string& name)
{
    std::string out;
    for (char ch : name.substr(0, name.find('\0'))) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\')
            out += "\\x" + hex_text(c, 2);
        else
            out += ch;
    }
    return out;
}

RomWriteResult& refuse(RomWriteResult& r, const std::string& why)
{
    r.ok = false;
    r.refusal = why;
    r.image.clear();
    return r;
}

std::string grouped(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string too_large(std::uint64_t packed, std::uint64_t room, std::uint64_t limit)
{
    return "the new logo packs to " + grouped(packed) + " bytes; the slot has room for " + grouped(room) +
           " (up to " + offset_text(limit) + "): " + grouped(packed - room) +
           " bytes short. Fewer colours, a smaller picture on a flat background or no dithering packs smaller";
}

RomWriteResult write_logo_into_rom(std::span<const std::uint8_t> image, const RomCandidate& target,
                                   std::span<const std::uint8_t> newLogo, const RomPackers& packers)
{
    RomWriteResult r;
    if (newLogo.empty())
        return refuse(r, "the new logo is empty");
    if (target.path.size() > 1) {
        // Only the AMI 0x0E "55 AA" modules are known to carry their logo inside.
        if (target.path.size() == 2 && target.path.front().kind == "AMI module")
            return write_ami_module(image, target, newLogo, packers);
        return refuse(r, "the logo at " + offset_text(target.offset) +
                             " sits inside an unpacked module whose own fields about it are unknown; it is not written");
    }
    if (target.offset >= image.size() || target.length > image.size() - target.offset)
        return refuse(r, "the logo at " + offset_text(target.offset) + " lies outside the image");
    if (target.container == "Award LHA")
        return write_award_member(image, target, newLogo, packers);
    if (target.container == "AMI module")
        return write_ami_module(image, target, newLogo, packers);
    if (target.container == "MSI PCX slot")
        return write_msi_slot(image, target, newLogo);
    if (target.container == "Phoenix module")
        return write_phoenix_module(image, target, newLogo, packers);
    return refuse(r, "logos in a " + target.container + " (" + target.compression + ") are not written");
}
