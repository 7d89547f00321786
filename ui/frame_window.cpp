// The frame window of a multi-frame logo: the current frame over three buttons (back,
// play/stop, forward), stepped by a half-second timer; and the I/O > Info message.
#include <cstdio>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>

#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "ui/ui_state.h"
#include "ui/views.h"

namespace {

constexpr Fl_Color FRAME_BACKGROUND = 56;  // black
constexpr int WINDOW_EXTRA_H = 50;         // the button row
constexpr int BOX_EXTRA_H = 25;
constexpr int BUTTON_SIZE = 25;
constexpr int BUTTON_ROW_OFFSET = 25;  // buttons sit at winH + 25
constexpr int PLAY_OFFSET = -12;       // from the window's middle
constexpr int BACK_OFFSET = -50;
constexpr int FORWARD_OFFSET = 25;
constexpr double TICK_SECONDS = 0.5;
constexpr int RGB_DEPTH = 3;

void on_play(Fl_Widget*, void*)
{
    ViewerState& state = viewer_state();
    state.playing = state.playing ? 0 : 1;
}

void on_back(Fl_Widget*, void*)
{
    ViewerState& state = viewer_state();
    if (state.currentFrame > 0)
        --state.currentFrame;
}

void on_forward(Fl_Widget*, void*)
{
    ViewerState& state = viewer_state();
    if (state.currentFrame < state.descriptor.frameCount - 1)
        ++state.currentFrame;
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
    return button;
}

}  // namespace

Fl_RGB_Image* make_rgb_image(const unsigned char* pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0)
        return nullptr;
    return new Fl_RGB_Image(pixels, width, height, RGB_DEPTH);
}

void build_frame_window(int winW, int winH)
{
    ViewerState& state = viewer_state();
    UiState& ui = ui_state();
    const LogoDescriptor& d = state.descriptor;

    auto* window = new Fl_Double_Window(winW, winH + WINDOW_EXTRA_H);
    ui.frameBox = new Fl_Box((winW - d.width) / 4, 0, winW, d.height + BOX_EXTRA_H);
    const int buttonY = winH + BUTTON_ROW_OFFSET;
    player_button(winW / 2 + PLAY_OFFSET, buttonY, "@|>", on_play);
    player_button(winW / 2 + BACK_OFFSET, buttonY, "@<<", on_back);
    player_button(winW / 2 + FORWARD_OFFSET, buttonY, "@>>", on_forward);
    window->end();
    window->callback(on_frame_window_close, window);
    window->color(FRAME_BACKGROUND);
    window->show();
    ui.frameWindow = window;

    for (unsigned f = 0; f < d.frameCount && state.frames; ++f) {
        LogoFrame& frame = state.frames[f];
        frame.displayImage = make_rgb_image(frame.pixels, frame.width, frame.height);
    }
    Fl::add_timeout(0.0, frame_tick);
}

void frame_tick(void*)
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
    ui.frameWindow->copy_label(title);
    ui.frameBox->image(static_cast<Fl_RGB_Image*>(state.frames[state.currentFrame].displayImage));
    ui.frameWindow->redraw();

    if (state.playing)
        state.currentFrame = state.currentFrame + 1 > frameCount - 1 ? 0 : state.currentFrame + 1;
    Fl::repeat_timeout(TICK_SECONDS, frame_tick);
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
    view->hide();
    if (view == ui.frameWindow) {
        // The frame images are released by the flush; the box must not keep pointing at them.
        ui.frameBox->image(nullptr);
        ui.frameBox = nullptr;
        ui.frameWindow = nullptr;
    } else if (view == ui.logoWindow) {
        delete ui.mainImage;
        delete ui.fontMapImage;
        delete ui.colorMapImage;
        ui.mainImage = ui.fontMapImage = ui.colorMapImage = nullptr;
        ui.originalBox = ui.fontMapBox = ui.colorMapBox = nullptr;
        ui.logoWindow = nullptr;
    }
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
    fl_message("%s: %s\n%s: %i\n%s: %i\n%s: %i %s\n%s: %i\n%s: %i", s.type, d.formatName, s.fileLen,
               static_cast<int>(d.dataSize), s.colors, d.colorCount, s.composite, d.frameCount, s.frames, s.width,
               d.width, s.height, d.height);
}
