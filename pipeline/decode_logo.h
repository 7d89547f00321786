// Detection and decoding of one logo, apart from the viewer's state: what load_logo runs
// for the viewer and the command, and what the ROM scanner runs on every candidate.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/load_context.h"
#include "core/logo.h"
#include "core/owned.h"
#include "pipeline/front_end.h"
#include "pipeline/ui_strings.h"

// The buffers of a decoded logo; its descriptor and frame table point into them.
struct LogoBuffers {
    OwnedBytes image;
    OwnedBytes palette;
    OwnedBytes fontMap;  // the two side panels of character-cell logos
    OwnedBytes colorMap;
    std::vector<LogoFrame> frames;        // the frame table
    std::vector<OwnedBytes> framePixels;  // every frame's pixels
};

struct DecodedLogo {
    LogoDescriptor descriptor;  // image and palette point into buffers; the stream is closed
    LogoBuffers buffers;
    bool decoded = false;  // a decoder ran; false for an unknown format

    LogoFrame* frames() { return buffers.frames.empty() ? nullptr : buffers.frames.data(); }
};

// A load that says nothing and asks nothing, for decoding bytes on the side (read-backs,
// the past-end check, previews): its messages are dropped, its front end is quiet.
struct QuietLoad {
    SilentSink silent;
    HeadlessFrontEnd frontEnd;
    LoadContext load{silent, false};
    QuietLoad()
    {
        frontEnd.quiet = true;
        frontEnd.sink = &silent;
    }
};

// Detects the logo that the load's input holds and decodes it. name is the file name the
// trace lines give. A picture or panel that cannot be allocated is told through frontEnd's
// alert (with strings' text); an ICON's palette file is asked of frontEnd. The input is
// closed on return.
DecodedLogo decode_logo(LoadContext& load, const std::string& name, FrontEnd& frontEnd, const UiStrings& strings);

// Runs detection alone on the load's input.
LogoDescriptor detect_logo(LoadContext& load);

// A logo found inside a ROM image comes through these two, the scan's confirmation and
// load_logo_bytes alike. Bytes that start as a PNG or GIF picture (UEFI firmware's
// payloads, not formats of the catalogue: formatId stays FORMAT_UNKNOWN and formatName is
// "PNG picture" or "GIF picture") go to decode/uefi_pictures.h; anything else is loaded
// from the bytes through detection and decode_logo. The load's input is replaced by the
// bytes.
//
// detect_found_logo gives the descriptor alone (a picture's sizes from its header).
LogoDescriptor detect_found_logo(LoadContext& load, std::span<const std::uint8_t> bytes);
DecodedLogo decode_found_logo(LoadContext& load, std::span<const std::uint8_t> bytes, const std::string& name,
                              FrontEnd& frontEnd, const UiStrings& strings);
