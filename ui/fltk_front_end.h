// The load pipeline's user-facing side in the viewer: FLTK dialogs and windows.
#pragma once

#include <string>

#include "pipeline/front_end.h"

class FltkFrontEnd : public FrontEnd {
public:
    // The viewer prints its trace lines and notices on standard output, and keeps the
    // notices of the current load for its warnings.
    MessageSink& messages() override;
    // Both boxes name the file being loaded when their text does not already; a load
    // shows the same alert once, however often it is raised.
    void alert(const std::string& text) override;
    // "Sorry, I can't open "PATH"", with ": not a regular file" (in the viewer's language)
    // for a folder, FIFO or device.
    // The status line of the logo shown adds the file's name and the system's reason.
    void cannot_open(const std::string& path, const std::string& problem) override;
    void message(const std::string& text) override;
    std::string choose_palette_file() override;
    void show_frame_window(int winW, int winH) override;
    void show_logo_window(int winW, int winH) override;
    void hide_window(void* window) override;
    void stop_frame_timer() override;
    void release_display_image(void* image) override;

private:
    std::string lastAlert_;
    unsigned lastAlertLoad_ = 0;
};
