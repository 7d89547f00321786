#include "ui/fltk_front_end.h"

#include <algorithm>

#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>

#include "core/limits.h"
#include "ui/views.h"

namespace {

constexpr const char* PALETTE_CHOOSER_TITLE = "Open External Palette - 'SCRN' File";
// A header that claims a picture far beyond the decodable limits gets no buffer; its
// window is kept to a size the X server can still create.
constexpr int MAX_WINDOW_W = 3 * static_cast<int>(MAX_PICTURE_SIDE) + 90;
constexpr int MAX_WINDOW_H = static_cast<int>(MAX_PICTURE_SIDE) + 12;

}  // namespace

void FltkFrontEnd::alert(const std::string& text)
{
    fl_alert("%s", text.c_str());
}

void FltkFrontEnd::message(const std::string& text)
{
    fl_message("%s", text.c_str());
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
    delete static_cast<Fl_RGB_Image*>(image);
}
