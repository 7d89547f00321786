// What the family writers of romwrite/ share: the refusal and report texts, little-endian
// stores into a new image, and the writers themselves (one file per family).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/rom_parts.h"
#include "romwrite/rom_write.h"

inline void put_le16(std::vector<std::uint8_t>& b, std::uint64_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put_le32(std::vector<std::uint8_t>& b, std::uint64_t at, std::uint32_t v)
{
    put_le16(b, at, static_cast<std::uint16_t>(v));
    put_le16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// "0x0001a000"
std::string offset_text(std::uint64_t at);
// A stored name up to its first NUL, other control and non-ASCII bytes as \xNN.
std::string printable_name(const std::string& name);
// Sets the refusal and returns the result.
RomWriteResult& refuse(RomWriteResult& r, const std::string& why);
// The refusal of a logo that does not fit: how many bytes short, and what shrinks it.
std::string too_large(std::uint64_t packed, std::uint64_t room, std::uint64_t limit);
// 1,234,567
std::string grouped(std::uint64_t value);

RomWriteResult write_award_member(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                  const RomPackers& packers);
RomWriteResult write_ami_module(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                const RomPackers& packers);
RomWriteResult write_msi_slot(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo);
RomWriteResult write_phoenix_module(RomBytes image, const RomCandidate& target, std::span<const std::uint8_t> newLogo,
                                    const RomPackers& packers);
