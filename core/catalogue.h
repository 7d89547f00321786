// The format identifiers: every logo format the viewer knows, by number. Their names and
// everything else known of them by number are in the format registry (pipeline/).
#pragma once

#include <cstdint>

using LogoFormatId = std::uint8_t;

constexpr LogoFormatId FORMAT_UNKNOWN = 0;
constexpr LogoFormatId FORMAT_LAST = 38;

// The identifiers by name, in catalogue order.
constexpr LogoFormatId FORMAT_STANDARD_EPA = 1;
constexpr LogoFormatId FORMAT_NONSTANDARD_EPA = 2;
constexpr LogoFormatId FORMAT_AWBM16 = 3;
constexpr LogoFormatId FORMAT_QDI_BMP = 4;
constexpr LogoFormatId FORMAT_BIOSTAR_PCX = 5;
constexpr LogoFormatId FORMAT_PHOENIX_PG = 6;
constexpr LogoFormatId FORMAT_SYSTEMSOFT_EPA = 7;
constexpr LogoFormatId FORMAT_INTEL_GRFX = 8;
constexpr LogoFormatId FORMAT_AWBM256 = 9;
constexpr LogoFormatId FORMAT_AMI_GLE = 10;
constexpr LogoFormatId FORMAT_INTEL_TEXTLOGO = 11;
constexpr LogoFormatId FORMAT_PHOENIX_ICON = 12;
constexpr LogoFormatId FORMAT_PHOENIX_SCRN = 13;
constexpr LogoFormatId FORMAT_ASUS_4OSB = 14;
constexpr LogoFormatId FORMAT_ASUS_DYNAMIC = 15;
constexpr LogoFormatId FORMAT_AMI_GFX_PCX = 16;
constexpr LogoFormatId FORMAT_ASUS_OSB640 = 17;
constexpr LogoFormatId FORMAT_ASUS_DYNAMIC_2 = 18;
constexpr LogoFormatId FORMAT_ASUS_DYNAMIC_3 = 19;
constexpr LogoFormatId FORMAT_SYSTEMSOFT_PCX = 20;
constexpr LogoFormatId FORMAT_TRIGEM = 21;
constexpr LogoFormatId FORMAT_AWBM16_COMPRESSED = 22;
constexpr LogoFormatId FORMAT_OSB = 23;
constexpr LogoFormatId FORMAT_JPEG = 24;
constexpr LogoFormatId FORMAT_PCX4 = 25;
constexpr LogoFormatId FORMAT_SCN_1 = 26;
constexpr LogoFormatId FORMAT_PCX8 = 27;
constexpr LogoFormatId FORMAT_AWBM256_COMPRESSED = 28;
constexpr LogoFormatId FORMAT_SCN_2 = 29;
constexpr LogoFormatId FORMAT_INTEL_GRFXLOGO = 30;
constexpr LogoFormatId FORMAT_INTEL_COMPRESSED_PG = 31;
constexpr LogoFormatId FORMAT_PLAIN_BMP = 32;
constexpr LogoFormatId FORMAT_ASUS_4OSB_V2 = 33;
constexpr LogoFormatId FORMAT_INTEL_COMPRESSED_GRFX = 34;
constexpr LogoFormatId FORMAT_DELL_NVRAM = 35;
constexpr LogoFormatId FORMAT_OSB_2 = 36;
constexpr LogoFormatId FORMAT_DELL_2 = 37;
constexpr LogoFormatId FORMAT_SYSTEMSOFT_EPA_2 = 38;

// How the load pipeline holds a format's pictures: none (no decoder), one picture, one
// character-cell picture with its FontMap and ColorMap panels, or a frame table.
enum class FrameKind { none, single, characterCell, multi };
