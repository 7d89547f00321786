// The one process-wide state of the viewer: flags, the loaded logo and its buffers, texts.
// Toolkit objects live with the user interface (ui/), which keeps this layer free of FLTK.
// Only the pipeline and the layers above it reach this state; a load hands what the
// probes, decoders and kernels need down to them in its LoadContext.
#pragma once

#include <string>
#include <vector>

#include "core/logo.h"
#include "pipeline/decode_logo.h"
#include "pipeline/ui_strings.h"

struct ViewerState {
    int loaded = 0;    // 1 while a logo is loaded
    int verbose = 0;   // trace lines on standard output
    int autoInfo = 1;  // AutoType toggle of the Russian menu
    int language = LANGUAGE_ENGLISH;
    const UiStrings* strings = &ENGLISH_STRINGS;
    LogoDescriptor descriptor;
    LogoFrame* frames = nullptr;  // frameCount records for a multi-frame logo
    std::uint8_t* currentImage = nullptr;
    std::uint8_t* fontMapPanel = nullptr;
    std::uint8_t* colorMapPanel = nullptr;
    LogoBuffers buffers;          // owns everything the pointers above reach
    int currentFrame = 0;
    int playing = 0;
    // Paths are kept whole: a cut path would save PNG files to a wrong place.
    std::string fileName;
    std::string homeDir;
    std::string chosenFile;
    std::string paletteFile;
    std::string infoText;
    std::string frameTitle;
};

ViewerState& viewer_state();
