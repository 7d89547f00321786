// The format registry: one row per format identifier with everything the program knows
// of the format by its identifier (name, how its pictures are held, the probe that
// claims it, its decoder, the Export As targets that take it). Adding a format is a row
// here, a probe in the chain (detect/probe_order.h) and a decoder.
#pragma once

#include <cstdint>

#include "core/catalogue.h"
#include "core/load_context.h"
#include "core/logo.h"
#include "detect/probe_context.h"

using SingleDecoder = void (*)(std::uint8_t* image, LogoDescriptor d, LoadContext& load);
using CellDecoder = void (*)(std::uint8_t* image, std::uint8_t* fontMap, std::uint8_t* colorMap, LogoDescriptor d,
                             LoadContext& load);
using FrameDecoder = void (*)(LogoFrame* frames, LogoDescriptor d, LoadContext& load);

// A decoder in one of its three call shapes: the pointer of its shape is set.
struct FormatDecoder {
    FrameKind shape = FrameKind::none;
    SingleDecoder single = nullptr;
    CellDecoder cell = nullptr;
    FrameDecoder frames = nullptr;
};

// The Export As menu's targets, in menu order.
enum ExportTargetId {
    EXPORT_AWBM16,
    EXPORT_AWBM256,
    EXPORT_AWBM16PLIN,
    EXPORT_AWBM256PLIN,
    EXPORT_GRFX,
    EXPORT_COMPRESSED_GRFX,
    EXPORT_PG,
    EXPORT_COMPRESSED_PG,
    EXPORT_TARGET_COUNT
};
// Set of targets, bit n for target n.
using ExportTargets = std::uint16_t;

// What sets a few formats apart, as flags.
using FormatTraits = unsigned;
constexpr FormatTraits SIDE_PANELS = 1;       // the views show FontMap and ColorMap beside the picture
constexpr FormatTraits EXTERNAL_PALETTE = 2;  // the user picks a palette file before decoding

struct FormatEntry {
    LogoFormatId id;
    const char* name;  // display name: -list, Info, trace lines, PNG text
    FrameKind kind;    // how the pipeline holds its pictures
    Probe probe;       // the probe of the chain that claims it; none for 0 and 7
    FormatDecoder decoder;
    ExportTargets exportTargets;  // Export As targets that take it as their source
    FormatTraits traits = 0;
};

// The row of an identifier; identifiers above the catalogue get a row named "Unknown!".
const FormatEntry& format_entry(LogoFormatId id);

// Display name of a format; "Unknown!" for identifiers above 38.
const char* format_name(LogoFormatId id);

// Prints the "-list" catalogue lines, identifiers 1 to 38.
void print_format_list();
