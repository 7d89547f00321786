// The frame window of a multi-frame logo: the current frame, zoomed, over a row with the
// frame counter, three buttons (back, play/stop, forward) and the frame delay, stepped by a
// timer; the keys that step and play the frames; and the I/O > Info message.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include "core/format_string.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "ui/palette_view.h"
#include "ui/picture_window.h"
#include "ui/rom_list_window.h"
#include "ui/status_line.h"
#include "ui/full_screen.h"
#include "ui/load_warnings.h"
#include "ui/pixel_probe.h"
#include "ui/ui_state.h"
#include "ui/view_geometry.h"
#include "ui/viewer_texts.h"
#include "ui/views.h"
#include "ui/zoom_view.h"

namespace {

constexpr Fl_Color FRAME_BACKGROUND = 56;  // black
constexpr int WINDOW_EXTRA_H = 50;         // the button row
constexpr int BOX_EXTRA_H = 25;
constexpr int BUTTON_SIZE = 25;
constexpr int ROW_H = 25;              // the buttons sit at winH + 25, the window's last 25 rows
constexpr int PLAY_OFFSET = -12;       // from the window's middle
constexpr int BACK_OFFSET = -50;
constexpr int FORWARD_OFFSET = 25;
constexpr int MIN_WINDOW_W = 200;  // the window is at least 200 x 125 over the row
constexpr int MIN_WINDOW_H = 125;
constexpr int STATUS_H = 12;  // the status line fills the 12 rows above the picture
constexpr Fl_Fontsize STATUS_SIZE = 10;
constexpr Fl_Fontsize COUNTER_SIZE = 12;
constexpr Fl_Fontsize DELAY_SIZE = 10;
constexpr int CONTROL_GAP = 4;
constexpr int DELAY_W = 70;
constexpr int DELAY_MARGIN = 2;
constexpr int MIN_VIEW_H = 75;  // rows of picture the smallest window keeps
constexpr const char* PLAY_SYMBOL = "@|>";
constexpr const char* COUNTER_PROPERTY = "_ZARPO2_COUNTER";  // the counter's text, for scripts and tests
constexpr const char* STOP_SYMBOL = "@square";

// The frame delays offered; 0.5 s is the timer's own.
struct Delay {
    const char* label;
    double seconds;
};
constexpr Delay DELAYS[] = {{"0.1s", 0.1}, {"0.25s", 0.25}, {"0.5s", 0.5}, {"1s", 1.0}, {"2s", 2.0}};
constexpr int DEFAULT_DELAY = 2;

// The frame box: (winW - width) / 4 from the left, winW wide, the picture centred in it.
ContentLayout frame_layout(int W, int H)
{
    const int winW = W >= MIN_WINDOW_W ? W : MIN_WINDOW_W;
    const int winH = H >= MIN_WINDOW_H ? H : MIN_WINDOW_H;
    return {winW, winH + BOX_EXTRA_H, {{(winW - W) / 4, 0, winW, H + BOX_EXTRA_H}}};
}
constexpr LayoutRule FRAME_RULE = {frame_layout, 1, 0, BOX_EXTRA_H};

void show_play_state()
{
    UiState& ui = ui_state();
    if (!ui.playButton)
        return;
    ui.playButton->label(viewer_state().playing ? STOP_SYMBOL : PLAY_SYMBOL);
    ui.playButton->redraw();
}

void on_play(Fl_Widget*, void*)
{
    toggle_play();
}

void on_back(Fl_Widget*, void*)
{
    step_frame(-1);
}

void on_forward(Fl_Widget*, void*)
{
    step_frame(1);
}

void on_delay(Fl_Widget* choice, void*)
{
    const int picked = static_cast<Fl_Choice*>(choice)->value();
    if (picked < 0 || picked >= static_cast<int>(std::size(DELAYS)))
        return;
    ui_state().frameSeconds = DELAYS[picked].seconds;
    Fl::remove_timeout(frame_tick);
    Fl::add_timeout(ui_state().frameSeconds, frame_tick);
}

void on_frame_window_close(Fl_Widget*, void* window)
{
    flush_frames(nullptr, window);
}

Fl_Button* player_button(int x, int y, const char* symbol, Fl_Callback* callback)
{
    auto* button = new Fl_Button(x, y, BUTTON_SIZE, BUTTON_SIZE, symbol);
    button->box(FL_PLASTIC_UP_BOX);
    button->callback(callback);
    button->visible_focus(0);  // the window's keys step and play, whatever was clicked
    return button;
}

// The counter, the buttons and the delay in the last row of a w x h window.
void lay_out_row(Fl_Widget* back, Fl_Widget* play, Fl_Widget* forward, int w, int h)
{
    UiState& ui = ui_state();
    const int y = h - ROW_H;
    back->resize(w / 2 + BACK_OFFSET, y, BUTTON_SIZE, BUTTON_SIZE);
    play->resize(w / 2 + PLAY_OFFSET, y, BUTTON_SIZE, BUTTON_SIZE);
    forward->resize(w / 2 + FORWARD_OFFSET, y, BUTTON_SIZE, BUTTON_SIZE);
    ui.frameCounter->resize(0, y, std::max(0, back->x() - CONTROL_GAP), ROW_H);
    const int delayX = forward->x() + BUTTON_SIZE + CONTROL_GAP;
    ui.delayChoice->resize(delayX, y + DELAY_MARGIN, std::max(0, std::min(DELAY_W, w - delayX - DELAY_MARGIN)),
                           ROW_H - 2 * DELAY_MARGIN);
}

// The counter: "Frame 02 (3 of 12)": the frame as the title numbers it (from 0), then its
// place counted from 1; "02 (3 of 12)" where the row has no room for the word.
std::string counter_text(const char* word, int frame, int frameCount)
{
    char number[16];
    std::snprintf(number, sizeof number, "%2.2i", frame);
    const std::string title = *word ? std::string(word) + " " + number : std::string(number);
    return format_string(texts().frameCounter, title.c_str(), static_cast<unsigned>(frame + 1),
                         static_cast<unsigned>(frameCount));
}

void show_counter()
{
    const ViewerState& state = viewer_state();
    Fl_Box* counter = ui_state().frameCounter;
    if (!counter)
        return;
    const int count = state.descriptor.frameCount;
    std::string text = counter_text(state.strings->frame, state.currentFrame, count);
    fl_font(counter->labelfont(), counter->labelsize());
    if (fl_width(text.c_str()) > counter->w() - CONTROL_GAP)
        text = counter_text("", state.currentFrame, count);
    counter->copy_label(text.c_str());
    counter->redraw();
    set_text_property(counter->window(), COUNTER_PROPERTY, text);
}

// The narrowest window whose row still shows the longest counter with its word beside the
// buttons, and the whole delay choice: the row is laid out from the window's middle.
int minimum_window_w(const Fl_Box* counter)
{
    const ViewerState& state = viewer_state();
    const int count = state.descriptor.frameCount;
    fl_font(counter->labelfont(), counter->labelsize());
    const int counterW = static_cast<int>(fl_width(counter_text(state.strings->frame, count - 1, count).c_str()));
    const int left = counterW + 2 * CONTROL_GAP - BACK_OFFSET;
    const int right = FORWARD_OFFSET + BUTTON_SIZE + CONTROL_GAP + DELAY_W + DELAY_MARGIN;
    return 2 * std::max(left, right);
}

}  // namespace

ScaledImage* make_scaled_image(const std::uint8_t* pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0)
        return nullptr;
    return new ScaledImage(pixels, width, height);
}

void build_frame_window(int winW, int winH)
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    const LogoDescriptor& d = state.descriptor;
    const int zoom = initial_zoom(FRAME_RULE.across, d.width, d.height, ui.presetZoom);
    if (zoom > 1) {
        const ContentLayout zoomed = frame_layout(d.width * zoom, d.height * zoom);
        winW = zoomed.w;
        winH = zoomed.h - BOX_EXTRA_H;
    }
    const ViewGeometry geometry =
        choose_view_geometry(FRAME_VIEW, FRAME_RULE, d.width, d.height, zoom, winW, winH + WINDOW_EXTRA_H, ROW_H);
    winW = geometry.w;
    winH = geometry.h - WINDOW_EXTRA_H;
    const int windowH = geometry.h;

    auto* window = new PictureWindow(winW, windowH);
    if (geometry.placed)
        window->position(geometry.x, geometry.y);
    auto* view = new ZoomView(0, 0, winW, windowH - ROW_H, FRAME_RULE, d.width, d.height);
    ui.frameBox = new Fl_Box(0, 0, winW, d.height + BOX_EXTRA_H);
    view->add_box(ui.frameBox);
    ui.statusLine = make_status_line(0, 0, winW, STATUS_H, STATUS_SIZE);
    view->set_overlay(ui.statusLine);
    view->end();
    ui.view = view;
    const int buttonY = winH + ROW_H;
    ui.playButton = player_button(winW / 2 + PLAY_OFFSET, buttonY, state.playing ? STOP_SYMBOL : PLAY_SYMBOL, on_play);
    Fl_Button* back = player_button(winW / 2 + BACK_OFFSET, buttonY, "@<<", on_back);
    Fl_Button* forward = player_button(winW / 2 + FORWARD_OFFSET, buttonY, "@>>", on_forward);
    ui.playButton->tooltip(texts().playFrames);
    back->tooltip(texts().previousFrame);
    forward->tooltip(texts().nextFrame);
    ui.frameCounter = new Fl_Box(0, buttonY, 0, ROW_H);
    ui.frameCounter->labelcolor(FL_WHITE);
    ui.frameCounter->labelsize(COUNTER_SIZE);
    ui.frameCounter->align(FL_ALIGN_INSIDE | FL_ALIGN_RIGHT | FL_ALIGN_CLIP);
    ui.delayChoice = new Fl_Choice(0, buttonY, 0, ROW_H);
    for (const Delay& delay : DELAYS)
        ui.delayChoice->add(delay.label);
    ui.delayChoice->value(DEFAULT_DELAY);
    for (int i = 0; i < static_cast<int>(std::size(DELAYS)); ++i)
        if (DELAYS[i].seconds == ui.frameSeconds)
            ui.delayChoice->value(i);
    ui.delayChoice->textsize(DELAY_SIZE);
    ui.delayChoice->callback(on_delay);
    ui.delayChoice->visible_focus(0);
    ui.delayChoice->tooltip(texts().frameDelay);
    lay_out_row(back, ui.playButton, forward, winW, windowH);
    window->end();
    // Never above the window's own size: a window manager would enlarge the classic 1x window.
    window->size_range(std::min(winW, minimum_window_w(ui.frameCounter)), ROW_H + MIN_VIEW_H);
    window->onResize = [view, back, forward](int w, int h) {
        view->resize(0, 0, w, h - ROW_H);
        lay_out_row(back, ui_state().playButton, forward, w, h);
    };
    window->callback(on_frame_window_close, window);
    window->color(FRAME_BACKGROUND);

    for (unsigned f = 0; f < d.frameCount && state.frames; ++f) {
        LogoFrame& frame = state.frames[f];
        auto* image = make_scaled_image(frame.pixels, frame.width, frame.height);
        frame.displayImage = image;
        view->add_image(image);
    }
    if (geometry.zoom > 0)
        view->zoom_to(geometry.zoom);
    else
        view->zoom_fit();
    if (loaded_picture_is_empty())
        view->set_message(std::string(texts().noPicture) + "\n" + leaf_name(state.fileName));
    note_built_view(FRAME_VIEW, window, view);
    window->show();
    ui.frameWindow = window;
    view->onZoom = update_status;
    view->onPointer = show_pixel_under_pointer;
    update_status();
    Fl::add_timeout(0.0, frame_tick);
}

void show_current_frame()
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    const int frameCount = state.descriptor.frameCount;
    if (!ui.frameWindow || !state.frames || frameCount == 0)
        return;
    if (state.currentFrame < 0 || state.currentFrame >= frameCount)
        state.currentFrame = 0;
    char title[64];
    std::snprintf(title, sizeof title, "%s %2.2i", state.strings->frame, state.currentFrame);
    state.frameTitle = title;
    ui.frameWindow->copy_label(view_title(state.frameTitle).c_str());
    ui.frameBox->image(static_cast<ScaledImage*>(state.frames[state.currentFrame].displayImage));
    show_counter();
    ui.view->redraw();
}

void frame_tick(void*)
{
    ViewerState& state = viewer_state();
    const int frameCount = state.descriptor.frameCount;
    if (!ui_state().frameWindow || !state.frames || frameCount == 0)
        return;
    show_current_frame();
    if (state.playing)
        state.currentFrame = state.currentFrame + 1 > frameCount - 1 ? 0 : state.currentFrame + 1;
    Fl::repeat_timeout(ui_state().frameSeconds, frame_tick);
}

void step_frame(int step)
{
    ViewerState& state = viewer_state();
    const int last = state.descriptor.frameCount - 1;
    const int next = state.currentFrame + step;
    if (next < 0 || next > last)
        return;
    state.currentFrame = next;
    show_current_frame();
}

void show_frame(int frame)
{
    ViewerState& state = viewer_state();
    if (frame < 0 || frame >= state.descriptor.frameCount)
        return;
    state.currentFrame = frame;
    show_current_frame();
}

void toggle_play()
{
    ViewerState& state = viewer_state();
    state.playing = state.playing ? 0 : 1;
    show_play_state();
}

void stop_frame_timer()
{
    Fl::remove_timeout(frame_tick);
}

void discard_view(void* window)
{
    UiState& ui = ui_state();
    if (!window)
        return;
    auto* view = static_cast<Fl_Double_Window*>(window);
    leave_full_screen(view);
    remember_window_view(view == ui.frameWindow ? FRAME_VIEW : LOGO_VIEW, view, ui.view);
    view->hide();
    if (view == ui.frameWindow) {
        // The frame images are released by the flush; the box must not keep pointing at them.
        ui.frameBox->image(nullptr);
        ui.frameBox = nullptr;
        ui.frameWindow = nullptr;
        ui.frameCounter = nullptr;
        ui.playButton = nullptr;
        ui.delayChoice = nullptr;
    } else if (view == ui.logoWindow) {
        ui.originalBox->image(nullptr);
        if (ui.fontMapBox)
            ui.fontMapBox->image(nullptr);
        if (ui.colorMapBox)
            ui.colorMapBox->image(nullptr);
        delete ui.mainImage;
        delete ui.fontMapImage;
        delete ui.colorMapImage;
        ui.mainImage = ui.fontMapImage = ui.colorMapImage = nullptr;
        ui.originalBox = ui.fontMapBox = ui.colorMapBox = nullptr;
        ui.logoWindow = nullptr;
    }
    ui.view = nullptr;
    ui.statusLine = nullptr;
    hide_palette_window();  // its colours are those of the logo going away
    // Deferred: the window may be the one whose callback is running.
    Fl::delete_widget(view);
}

void on_info(Fl_Widget*, void*)
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    if (!state.loaded || d.frameCount == 0)
        return;
    const UiStrings& s = *state.strings;
    fl_message("%s: %s\n%s: %i\n%s: %i\n%s: %i %s\n%s: %i\n%s: %i%s%s", s.type, d.formatName, s.fileLen,
               static_cast<int>(d.dataSize), s.colors, d.colorCount, s.composite, d.frameCount, s.frames, s.width,
               d.width, s.height, d.height, ui_state().romOrigin.romPath.empty() ? "" : "\n",
               rom_origin_info().c_str());
}
