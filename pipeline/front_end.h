// How the load pipeline reaches the user. The viewer implements it with FLTK dialogs and
// windows; the headless command with messages on standard error and no windows.
#pragma once

#include <string>

#include "core/load_context.h"

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Where a load's trace lines, notices and kernel lines go.
    virtual MessageSink& messages() = 0;
    // Exclamation box: open failure, allocation failure.
    virtual void alert(const std::string& text) = 0;
    // A logo file that cannot be read: problem is NOT_A_REGULAR_FILE or the system's
    // reason. By default the alert "%s \"%s\"" with cantOpen and the path, followed by
    // ": not a regular file" for a folder, FIFO or device.
    virtual void cannot_open(const std::string& path, const std::string& problem);
    // Information box: unknown format.
    virtual void message(const std::string& text) = 0;
    // Asks for the external palette of a Phoenix FirstBIOS ICON; empty when cancelled.
    virtual std::string choose_palette_file() = 0;
    // Opens the views of the freshly decoded logo in viewer_state().
    virtual void show_frame_window(int winW, int winH) = 0;
    virtual void show_logo_window(int winW, int winH) = 0;
    // Undo of the views when a logo is flushed.
    virtual void hide_window(void* window) = 0;
    virtual void stop_frame_timer() = 0;
    virtual void release_display_image(void* image) = 0;
};

FrontEnd& front_end();
void set_front_end(FrontEnd* frontEnd);

// No windows: alerts and messages go to standard error, the palette file is preset.
class HeadlessFrontEnd : public FrontEnd {
public:
    MessageSink& messages() override { return *sink; }
    void alert(const std::string& text) override;
    void message(const std::string& text) override;
    std::string choose_palette_file() override { return paletteFile; }
    void show_frame_window(int, int) override {}
    void show_logo_window(int, int) override {}
    void hide_window(void*) override {}
    void stop_frame_timer() override {}
    void release_display_image(void*) override {}

    std::string paletteFile;  // what choose_palette_file answers
    bool quiet = false;       // drop alerts and messages (fuzzers, tests)
    StdioSink stdio;
    MessageSink* sink = &stdio;  // where the loads' messages go
};
