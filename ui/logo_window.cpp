// The logo window of a single picture: an "info" tab with the logo's properties and an
// "image" tab with the picture, and for character-cell logos its FontMap and ColorMap panels.
#include <algorithm>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Tabs.H>

#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "ui/ui_state.h"
#include "ui/views.h"

namespace {

constexpr Fl_Color TAB_COLOR = 216;        // blue
constexpr Fl_Color PICTURE_BACKGROUND = 56;  // black
constexpr Fl_Color PANEL_LABEL_COLOR = 255;  // white
constexpr int WINDOW_EXTRA_H = 50;  // room for the tab row and the panel labels
constexpr int TAB_BODY_Y = 20;
constexpr int PICTURE_X = 5;
constexpr int PICTURE_Y = 25;
constexpr int PICTURE_EXTRA_H = 50;  // room for a label under the picture
constexpr int FONT_MAP_GAP = 35;     // fontMapBox starts at width + 35
constexpr int COLOR_MAP_GAP = 65;    // colorMapBox starts at 2 * width + 65

Fl_Box* picture_box(int x, int width, int height, Fl_RGB_Image* image, const char* label)
{
    auto* box = new Fl_Box(FL_FLAT_BOX, x, PICTURE_Y, width, height + PICTURE_EXTRA_H, label);
    box->color(PICTURE_BACKGROUND);
    box->labelcolor(PANEL_LABEL_COLOR);
    box->image(image);
    return box;
}

// The window's own close: the logo is done with, so it is flushed like the frame window's.
void on_logo_window_close(Fl_Widget*, void* window)
{
    flush_single(nullptr, window);
}

}  // namespace

void build_logo_window(int winW, int winH)
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    const LogoDescriptor& d = state.descriptor;
    const int windowH = winH + WINDOW_EXTRA_H;
    const int windowW = winW;
    // A single picture as wide as the window would lose its right edge behind the left
    // margin: such a picture starts at the window's left edge instead.
    const int pictureX = std::clamp(winW - d.width, 0, PICTURE_X);

    auto* window = new Fl_Double_Window(windowW, windowH, state.strings->logoTitle);
    auto* tabs = new Fl_Tabs(0, 0, windowW, windowH);
    tabs->color(TAB_COLOR);

    auto* info = new Fl_Group(0, TAB_BODY_Y, windowW, windowH, "info");
    auto* infoBox = new Fl_Box(FL_PLASTIC_UP_BOX, 0, TAB_BODY_Y, windowW, windowH, nullptr);
    infoBox->color(TAB_COLOR);
    infoBox->copy_label(state.infoText.c_str());
    // Read from the left: a long file name is cut at the right edge, not on both sides.
    infoBox->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
    info->end();

    auto* pictures = new Fl_Group(0, TAB_BODY_Y, windowW, windowH, "image");
    pictures->color(PICTURE_BACKGROUND);
    ui.mainImage = make_rgb_image(state.currentImage, d.width, d.height);
    if (shows_side_panels(d.formatId)) {
        ui.fontMapImage = make_rgb_image(state.fontMapPanel, d.width, d.height);
        ui.colorMapImage = make_rgb_image(state.colorMapPanel, d.width, d.height);
        ui.originalBox = picture_box(PICTURE_X, d.width, d.height, ui.mainImage, "Original");
        ui.fontMapBox = picture_box(d.width + FONT_MAP_GAP, d.width, d.height, ui.fontMapImage, "FontMap");
        ui.colorMapBox = picture_box(2 * d.width + COLOR_MAP_GAP, d.width, d.height, ui.colorMapImage, "ColorMap");
    } else {
        ui.originalBox = picture_box(pictureX, d.width, d.height, ui.mainImage, nullptr);
    }
    pictures->end();
    tabs->value(pictures);
    tabs->end();

    window->end();
    window->callback(on_logo_window_close, window);
    window->show();
    ui.logoWindow = window;
}
