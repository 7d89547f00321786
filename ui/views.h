// The two views of a loaded logo: the logo window (single pictures, with an Info tab) and
// the frame window (multi-frame logos, played at two frames a second or the chosen delay).
#pragma once

#include <cstdint>

class Fl_Widget;
class ScaledImage;

void build_logo_window(int winW, int winH);
void build_frame_window(int winW, int winH);

// Timer of the frame window: shows the current frame, then steps it while playing.
void frame_tick(void* data);

// The frame window's picture, title and counter for the current frame.
void show_current_frame();
// Left and Right (and the back and forward buttons): one frame back or on, within the logo.
void step_frame(int step);
// Home and End: the first or last frame.
void show_frame(int frame);
// Space and the play button: play or stop.
void toggle_play();

// I/O > Info: the properties of a loaded multi-frame logo in a message box.
void on_info(Fl_Widget* widget, void* data);

// An image over an RGB buffer that follows the view's zoom; none for a missing or empty
// buffer.
ScaledImage* make_scaled_image(const std::uint8_t* pixels, int width, int height);

// Hides a view of a flushed logo and deletes it with the images it showed.
void discard_view(void* window);
void stop_frame_timer();
