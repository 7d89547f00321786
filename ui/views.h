// The two views of a loaded logo: the logo window (single pictures, with an Info tab) and
// the frame window (multi-frame logos, played at two frames a second).
#pragma once

class Fl_Widget;
class Fl_RGB_Image;

void build_logo_window(int winW, int winH);
void build_frame_window(int winW, int winH);

// Timer of the frame window: shows the current frame, then steps it while playing.
void frame_tick(void* data);

// I/O > Info: the properties of a loaded multi-frame logo in a message box.
void on_info(Fl_Widget* widget, void* data);

// A depth-3 toolkit image over an RGB buffer; none for a missing or empty buffer.
Fl_RGB_Image* make_rgb_image(const unsigned char* pixels, int width, int height);

// Hides a view of a flushed logo and deletes it with the images it showed.
void discard_view(void* window);
void stop_frame_timer();
