// The status line of the picture windows: what is loaded (file, format, size, colours,
// frames, zoom) or what just happened (a save and where it went, or why it failed). Its
// text is also set on the window as the property _ZARPO2_STATUS (UTF-8), for scripts and
// tests, which cannot read text off the screen.
#pragma once

#include <string>

class Fl_Box;
class Fl_Window;

// A status line: a strip of the given height with text of the given size, drawn over the
// top of a picture view.
Fl_Box* make_status_line(int x, int y, int w, int h, int textSize);

// Shows the loaded logo's properties with the current zoom.
void update_status();

// Shows text in place of the properties until the next update.
void show_status_message(const std::string& text);

// Shows the pixel under the pointer again, before the properties or the message.
void refresh_status();

// Sets the _ZARPO2_STATUS property of a shown window (the palette window's line too).
void set_status_property(Fl_Window* window, const std::string& text);
// Sets a UTF-8 text property of a shown window.
void set_text_property(Fl_Window* window, const char* property, const std::string& text);

// The file's own name, without its folder.
std::string leaf_name(const std::string& path);
// The folder that holds path, made absolute where it exists ("." for a bare name).
std::string folder_of(const std::string& path);

// True when the loaded logo holds no pixels at all (an empty picture, no frame decoded).
bool loaded_picture_is_empty();
