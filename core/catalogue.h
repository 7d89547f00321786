// The format catalogue: every logo format the viewer knows, by identifier.
#pragma once

#include <cstdint>

using LogoFormatId = std::uint8_t;

constexpr LogoFormatId FORMAT_UNKNOWN = 0;
constexpr LogoFormatId FORMAT_LAST = 38;

// How the load pipeline treats a format's pictures.
enum class FrameKind { none, single, characterCell, multi };

// Display name of a format; "Unknown!" for identifiers above 38.
const char* format_name(LogoFormatId id);

// Single picture, character-cell picture, multi-frame logo, or no decoder.
FrameKind format_frame_kind(LogoFormatId id);

// Prints the "-list" catalogue lines, identifiers 1 to 38.
void print_format_list();
