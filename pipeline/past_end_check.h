// Whether a decoded picture is cut short by the end of its file. The readers fill what a
// file lacks with zeros, so a cut picture looks whole, only darker; decoding the file a
// second time with filler bytes after its end tells: a picture that changes needed bytes
// the file does not have. The viewer uses this to say "the file ends before the picture is
// complete"; it costs a second decode.
#pragma once

#include <string>

#include "core/logo.h"
#include "pipeline/decode_logo.h"

// True when decoding path again, with filler bytes after its end, gives other pixels than
// shown and buffers (the first decode of path). False when they agree, when detection
// itself changes, for logos with an external palette, or when the file cannot be opened.
// When given, cut gets the first and last rows of a single picture that changed: the rows
// the file's data does not reach (at the top for pictures stored bottom-up).
struct CutRows {
    int first = -1;  // -1: none
    int last = -1;
};
bool picture_needs_bytes_past_end(const std::string& path, const LogoDescriptor& shown, const LogoBuffers& buffers,
                                  CutRows* cut = nullptr);
