#include "pipeline/load_pipeline.h"

#include <cstdio>

#include "core/format_string.h"
#include "core/load_context.h"
#include "core/stream_io.h"
#include "pipeline/decode_logo.h"
#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/input_file.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr unsigned ICON_PALETTE_ENTRIES = 64;
constexpr unsigned ICON_PALETTE_HEADER = 16;
constexpr std::size_t ICON_PALETTE_BYTES = ICON_PALETTE_HEADER + ICON_PALETTE_ENTRIES * 3;
constexpr std::uint8_t SIX_BIT_MAX = 63;

void write_info_text(ViewerState& state)
{
    const LogoDescriptor& d = state.descriptor;
    state.infoText =
        format_string("Original Filename: %s\nLOGO Type: %s\nTotal Length: %i (bytes)\nColors: %i (total), %i (used)\n"
                      "Complexity: %s\nImage Width (aligned): %i (pixels)\nImage Height: %i (pixels)\n",
                      state.fileName.c_str(), d.formatName, static_cast<int>(d.dataSize), d.colorCount, d.colorCount,
                      "Single Image", d.width, d.height);
}

// Returns the descriptor to its empty state; the buffers must already be freed.
void clear_descriptor(LogoDescriptor& d)
{
    d.formatName = nullptr;
    d.reservedWord = 0;
    d.stream = nullptr;
    d.colorCount = 0;
    d.frameCount = 0;
    d.dataSize = 0;
    d.width = 0;
    d.height = 0;
    d.formatId = 0;
}

void free_buffers(ViewerState& state)
{
    for (LogoFrame& frame : state.buffers.frames)
        front_end().release_display_image(frame.displayImage);
    state.buffers = LogoBuffers{};
    state.frames = nullptr;
    state.fontMapPanel = state.colorMapPanel = nullptr;
    state.descriptor.image = state.descriptor.palette = nullptr;
    state.currentImage = nullptr;
}

// Puts a decoded logo into the viewer state and opens its views; 1 when a decoder ran.
int show_decoded(DecodedLogo logo)
{
    ViewerState& state = viewer_state();
    LogoDescriptor& d = state.descriptor;
    d = logo.descriptor;
    state.buffers = std::move(logo.buffers);
    state.frames = state.buffers.frames.empty() ? nullptr : state.buffers.frames.data();
    state.fontMapPanel = state.buffers.fontMap.get();
    state.colorMapPanel = state.buffers.colorMap.get();
    state.currentImage = d.image;
    if (!logo.decoded) {
        front_end().message(state.strings->unknownType);
        free_buffers(state);
        clear_descriptor(d);
        std::fflush(stdout);
        return 0;
    }
    std::uint16_t winW = 0, winH = 0;
    logo_window_size(d, winW, winH);
    if (d.frameCount != 0) {
        front_end().show_frame_window(winW, winH);
    } else {
        write_info_text(state);
        front_end().show_logo_window(winW, winH);
    }
    std::fflush(stdout);
    return 1;
}

}  // namespace

bool shows_side_panels(LogoFormatId id)
{
    return (format_entry(id).traits & SIDE_PANELS) != 0;
}

void logo_window_size(const LogoDescriptor& d, std::uint16_t& winW, std::uint16_t& winH)
{
    winW = d.width >= 200 ? d.width : 200;
    winH = d.height >= 125 ? d.height : 125;
    if (shows_side_panels(d.formatId)) {
        // Three pictures side by side; a size past the 16-bit range (a damaged header)
        // is held at its largest value rather than wrapped.
        float wide = static_cast<float>(winW) * 3.0f + 90.0f;
        winW = wide >= static_cast<float>(UINT16_MAX) ? UINT16_MAX : static_cast<std::uint16_t>(wide);
        winH = winH > UINT16_MAX - 12 ? UINT16_MAX : static_cast<std::uint16_t>(winH + 12);
    }
}

OwnedFile open_logo(const std::string& path)
{
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file) {
        front_end().cannot_open(path, problem);
        std::fflush(stdout);
    }
    return file;
}

int load_opened_logo(OwnedFile file, const std::string& path)
{
    ViewerState& state = viewer_state();
    state.fileName = path;
    LoadContext load(front_end().messages(), state.verbose != 0);
    load.set_input(std::move(file));
    clear_descriptor(state.descriptor);
    return show_decoded(decode_logo(load, state.fileName, front_end(), *state.strings));
}

int load_logo(const std::string& path)
{
    OwnedFile file = open_logo(path);
    return file ? load_opened_logo(std::move(file), path) : 0;
}

int load_logo_bytes(std::vector<std::uint8_t> bytes, const std::string& name)
{
    ViewerState& state = viewer_state();
    state.fileName = name;
    LoadContext load(front_end().messages(), state.verbose != 0);
    clear_descriptor(state.descriptor);
    return show_decoded(decode_found_logo(load, bytes, state.fileName, front_end(), *state.strings));
}

bool identify_logo(const std::string& path, LogoDescriptor& d, MessageSink& messages, bool verbose,
                   std::string* problem)
{
    std::string reason;
    OwnedFile file = open_input_file(path, reason);
    if (!file) {
        if (problem)
            *problem = reason;
        return false;
    }
    LoadContext load(messages, verbose);
    load.set_input(std::move(file));
    d = detect_logo(load);
    return true;
}

void flush_frames(void*, void* window)
{
    ViewerState& state = viewer_state();
    front_end().hide_window(window);
    front_end().stop_frame_timer();
    free_buffers(state);
    state.loaded = 0;
    state.playing = 0;
    state.currentFrame = 0;
    clear_descriptor(state.descriptor);
    if (state.verbose)
        front_end().messages().trace_line("===>>> MEMORY: Dynamic Buffers Flushed\n");
    std::fflush(stdout);
}

void flush_single(void*, void* window)
{
    ViewerState& state = viewer_state();
    front_end().hide_window(window);
    state.loaded = 0;
    free_buffers(state);
    clear_descriptor(state.descriptor);
    if (state.verbose)
        front_end().messages().trace_line("===>>> MEMORY: Static Buffers Flushed\n");
    std::fflush(stdout);
}

void unload_logo()
{
    ViewerState& state = viewer_state();
    if (state.descriptor.frameCount != 0)
        flush_frames(nullptr, nullptr);
    else
        flush_single(nullptr, nullptr);
}

int read_Palette(LogoDescriptor d, LoadContext& load, FrontEnd& frontEnd)
{
    ViewerState& state = viewer_state();
    state.paletteFile = frontEnd.choose_palette_file();
    if (state.paletteFile.empty()) {
        load.notice("===>>> PALETTE: External Palette not valid!\n");
        return 0;
    }
    std::string problem;
    OwnedFile file = open_input_file(state.paletteFile, problem);
    if (!file) {
        load.notice("===>>> PALETTE: FATAL Error in read_Palette();\n");
        state.paletteFile.clear();
        return 1;
    }
    std::uint8_t entries[ICON_PALETTE_ENTRIES * 3];
    read_at(file.get(), ICON_PALETTE_HEADER, entries, sizeof entries);
    for (unsigned i = 0; i < ICON_PALETTE_ENTRIES; ++i) {
        if (d.palette) {
            d.palette[i * 3] = entries[i * 3];
            d.palette[i * 3 + 1] = entries[i * 3 + 1];
            d.palette[i * 3 + 2] = entries[i * 3 + 2];
        }
        load.trace("====>>>[%2.2X].R{%2.2X}.G{%2.2X}.B{%2.2X}\n", i, entries[i * 3], entries[i * 3 + 1],
                   entries[i * 3 + 2]);
    }
    state.paletteFile.clear();
    return 0;
}

std::string palette_file_problem(const std::string& path)
{
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file)
        return problem == NOT_A_REGULAR_FILE ? problem : "cannot open: " + problem;
    std::uint8_t bytes[ICON_PALETTE_BYTES];
    std::size_t got = read_at(file.get(), 0, bytes, sizeof bytes);
    if (got == 0)
        return "empty";
    if (got < sizeof bytes)
        return format_string("%zu bytes, shorter than a 16-byte header and 64 entries of 3 bytes (208 bytes)", got);
    for (std::size_t i = ICON_PALETTE_HEADER; i < sizeof bytes; ++i) {
        if (bytes[i] > SIX_BIT_MAX)
            return format_string("entry %zu holds %u, above the 6-bit palette values (0 to 63)",
                                 (i - ICON_PALETTE_HEADER) / 3, bytes[i]);
    }
    return {};
}
