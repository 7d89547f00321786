#include "ui/fltk_front_end.h"

#include <algorithm>

#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>

#include "core/format_string.h"
#include "core/limits.h"
#include "pipeline/input_file.h"
#include "pipeline/viewer_state.h"
#include "ui/load_warnings.h"
#include "ui/rom_list_window.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"
#include "ui/views.h"
#include "ui/zoom_view.h"

namespace {

constexpr const char* PALETTE_CHOOSER_TITLE = "Open External Palette - 'SCRN' File";
// A header that claims a picture far beyond the decodable limits gets no buffer; its
// window is kept to a size the X server can still create.
constexpr int MAX_WINDOW_W = 3 * static_cast<int>(MAX_PICTURE_SIDE) + 90;
constexpr int MAX_WINDOW_H = static_cast<int>(MAX_PICTURE_SIDE) + 12;

// The text with the file being opened on a line of its own, unless it names it already.
std::string naming_the_file(const std::string& text)
{
    const std::string& opening = ui_state().openingPath;
    const std::string& name = opening.empty() ? viewer_state().fileName : opening;
    if (name.empty() || text.find(name) != std::string::npos)
        return text;
    return text + "\n" + name;
}

}  // namespace

MessageSink& FltkFrontEnd::messages()
{
    return recording_sink();
}

void FltkFrontEnd::alert(const std::string& text)
{
    const unsigned load = ui_state().loadSerial;
    if (load == lastAlertLoad_ && text == lastAlert_)
        return;
    lastAlert_ = text;
    lastAlertLoad_ = load;
    fl_alert("%s", naming_the_file(text).c_str());
}

void FltkFrontEnd::cannot_open(const std::string& path, const std::string& problem)
{
    std::string text = format_string("%s \"%s\"", viewer_state().strings->cantOpen, path.c_str());
    const std::string reason = problem == NOT_A_REGULAR_FILE ? texts().notRegular : problem;
    if (problem == NOT_A_REGULAR_FILE)
        text += std::string(": ") + reason;
    alert(text);
    if (!reason.empty())
        show_status_message(format_string(texts().cannotOpen, leaf_name(path).c_str(), reason.c_str()));
}

void FltkFrontEnd::message(const std::string& text)
{
    // The pipeline's one message: the file is no logo it knows. A file being opened that
    // holds logos all the same (a ROM image) shows the list of them instead.
    const std::string& opening = ui_state().openingPath;
    if (!opening.empty() && show_rom_list(opening, scan_rom(opening)))
        return;
    fl_message("%s", naming_the_file(text).c_str());
}

std::string FltkFrontEnd::choose_palette_file()
{
    const char* chosen = fl_file_chooser(PALETTE_CHOOSER_TITLE, "*", nullptr);
    return chosen ? chosen : "";
}

void FltkFrontEnd::show_frame_window(int winW, int winH)
{
    build_frame_window(std::min(winW, MAX_WINDOW_W), std::min(winH, MAX_WINDOW_H));
}

void FltkFrontEnd::show_logo_window(int winW, int winH)
{
    build_logo_window(std::min(winW, MAX_WINDOW_W), std::min(winH, MAX_WINDOW_H));
}

void FltkFrontEnd::hide_window(void* window)
{
    discard_view(window);
}

void FltkFrontEnd::stop_frame_timer()
{
    ::stop_frame_timer();
}

void FltkFrontEnd::release_display_image(void* image)
{
    delete static_cast<ScaledImage*>(image);
}
