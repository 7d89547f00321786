// The logo window of a single picture: an "info" tab with the logo's properties and an
// "image" tab with the picture, zoomed, and for character-cell logos its FontMap and
// ColorMap panels, under a status line.
#include <algorithm>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Tabs.H>

#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "ui/picture_window.h"
#include "ui/rom_list_window.h"
#include "ui/status_line.h"
#include "ui/load_warnings.h"
#include "ui/pixel_probe.h"
#include "ui/ui_state.h"
#include "ui/view_geometry.h"
#include "ui/viewer_texts.h"
#include "ui/views.h"
#include "ui/zoom_view.h"

namespace {

constexpr Fl_Color TAB_COLOR = 216;          // blue
constexpr Fl_Color PICTURE_BACKGROUND = 56;  // black
constexpr Fl_Color PANEL_LABEL_COLOR = 255;  // white
constexpr int WINDOW_EXTRA_H = 50;  // room for the tab row and the panel labels
constexpr int TAB_BODY_Y = 20;
constexpr int MIN_WINDOW_W = 200;  // the window area is at least 200 x 125
constexpr int MIN_WINDOW_H = 125;
constexpr int CELL_EXTRA_W = 90;  // three pictures: 3 x width + 90
constexpr int CELL_EXTRA_H = 12;
// Within the image tab, whose body starts at y 20: boxes at y 25, the first at x 5.
constexpr int PICTURE_X = 5;
constexpr int PICTURE_Y = 5;
constexpr int PICTURE_EXTRA_H = 50;  // room for a label under the picture
constexpr int FONT_MAP_GAP = 35;     // fontMapBox starts at width + 35
constexpr int COLOR_MAP_GAP = 65;    // colorMapBox starts at 2 * width + 65
// The status line lies over the black rows above the pictures (a picture starts at y 50,
// a character-cell picture with its label under it at about y 41).
constexpr int STATUS_H = 20;
constexpr Fl_Fontsize STATUS_SIZE = 12;

int window_w(int W)
{
    return W >= MIN_WINDOW_W ? W : MIN_WINDOW_W;
}

int body_h(int H, int extra)
{
    return (H >= MIN_WINDOW_H ? H : MIN_WINDOW_H) + extra + WINDOW_EXTRA_H - TAB_BODY_Y;
}

// One picture; one as wide as the window starts at the window's left edge instead of at
// x 5, so it does not lose its right edge.
ContentLayout single_layout(int W, int H)
{
    const int w = window_w(W);
    return {w, body_h(H, 0), {{std::clamp(w - W, 0, PICTURE_X), PICTURE_Y, W, H + PICTURE_EXTRA_H}}};
}

// The picture and its two panels side by side.
ContentLayout cell_layout(int W, int H)
{
    return {3 * window_w(W) + CELL_EXTRA_W,
            body_h(H, CELL_EXTRA_H),
            {{PICTURE_X, PICTURE_Y, W, H + PICTURE_EXTRA_H},
             {W + FONT_MAP_GAP, PICTURE_Y, W, H + PICTURE_EXTRA_H},
             {2 * W + COLOR_MAP_GAP, PICTURE_Y, W, H + PICTURE_EXTRA_H}}};
}

// Fitting: a picture takes the body but the 30 rows above it; three pictures leave 70
// columns around them and 42 rows for the status line and their labels.
constexpr LayoutRule SINGLE_RULE = {single_layout, 1, 0, 30};
constexpr LayoutRule CELL_RULE = {cell_layout, 3, 70, 42};

Fl_Box* picture_box(ScaledImage* image, const char* label)
{
    auto* box = new Fl_Box(FL_FLAT_BOX, 0, 0, 0, 0, label);
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
    const bool cells = shows_side_panels(d.formatId);
    const LayoutRule& rule = cells ? CELL_RULE : SINGLE_RULE;
    const int zoom = initial_zoom(rule.across, d.width, d.height, ui.presetZoom);
    int windowW = winW, windowH = winH + WINDOW_EXTRA_H;
    if (zoom > 1) {
        const ContentLayout zoomed = rule.layout(d.width * zoom, d.height * zoom);
        windowW = zoomed.w;
        windowH = zoomed.h + TAB_BODY_Y;
    }

    const ViewGeometry geometry =
        choose_view_geometry(LOGO_VIEW, rule, d.width, d.height, zoom, windowW, windowH, TAB_BODY_Y);
    windowW = geometry.w;
    windowH = geometry.h;

    auto* window = new PictureWindow(windowW, windowH);
    if (geometry.placed)
        window->position(geometry.x, geometry.y);
    auto* tabs = new Fl_Tabs(0, 0, windowW, windowH);
    tabs->color(TAB_COLOR);
    tabs->visible_focus(0);  // the arrow keys step frames and zoom, not tabs

    auto* info = new Fl_Group(0, TAB_BODY_Y, windowW, windowH, "info");
    auto* infoBox = new Fl_Box(FL_PLASTIC_UP_BOX, 0, TAB_BODY_Y, windowW, windowH, nullptr);
    infoBox->color(TAB_COLOR);
    infoBox->copy_label((state.infoText + rom_origin_info()).c_str());
    // Read from the left: a long file name is cut at the right edge, not on both sides.
    infoBox->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
    info->end();

    auto* pictures = new Fl_Group(0, TAB_BODY_Y, windowW, windowH, "image");
    pictures->color(PICTURE_BACKGROUND);
    auto* view = new ZoomView(0, TAB_BODY_Y, windowW, windowH - TAB_BODY_Y, rule, d.width, d.height);
    view->color(PICTURE_BACKGROUND);
    ui.mainImage = make_scaled_image(state.currentImage, d.width, d.height);
    if (cells) {
        ui.fontMapImage = make_scaled_image(state.fontMapPanel, d.width, d.height);
        ui.colorMapImage = make_scaled_image(state.colorMapPanel, d.width, d.height);
        ui.originalBox = picture_box(ui.mainImage, "Original");
        ui.fontMapBox = picture_box(ui.fontMapImage, "FontMap");
        ui.colorMapBox = picture_box(ui.colorMapImage, "ColorMap");
        view->add_box(ui.originalBox);
        view->add_box(ui.fontMapBox);
        view->add_box(ui.colorMapBox);
    } else {
        ui.originalBox = picture_box(ui.mainImage, nullptr);
        view->add_box(ui.originalBox);
    }
    ui.statusLine = make_status_line(0, TAB_BODY_Y, windowW, STATUS_H, STATUS_SIZE);
    view->set_overlay(ui.statusLine);
    view->end();
    for (ScaledImage* image : {ui.mainImage, ui.fontMapImage, ui.colorMapImage})
        view->add_image(image);
    if (geometry.zoom > 0)
        view->zoom_to(geometry.zoom);
    else
        view->zoom_fit();
    if (loaded_picture_is_empty())
        view->set_message(std::string(texts().noPicture) + "\n" + leaf_name(state.fileName));
    pictures->end();
    tabs->value(pictures);
    tabs->end();
    window->end();
    window->onResize = [tabs, info, infoBox, pictures, view](int w, int h) {
        tabs->resize(0, 0, w, h);
        for (Fl_Widget* tab :
             {static_cast<Fl_Widget*>(info), static_cast<Fl_Widget*>(infoBox), static_cast<Fl_Widget*>(pictures)})
            tab->resize(0, TAB_BODY_Y, w, h - TAB_BODY_Y);
        view->resize(0, TAB_BODY_Y, w, h - TAB_BODY_Y);
    };
    window->callback(on_logo_window_close, window);
    note_built_view(LOGO_VIEW, window, view);
    ui.logoWindow = window;
    ui.view = view;
    window->copy_label(view_title(state.strings->logoTitle).c_str());
    window->show();
    view->onZoom = update_status;
    view->onPointer = show_pixel_under_pointer;
    update_status();
}
