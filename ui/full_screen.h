// Full screen: F11 (View > Full Screen) puts the picture window the key was pressed in (from
// the main window: the logo's window) on the whole screen or back; Escape leaves it.
#pragma once

class Fl_Widget;
class Fl_Window;

void on_full_screen(Fl_Widget* widget, void* data);
// Escape: true when it took a window off the full screen.
bool leave_full_screen();
// Before a window is hidden: it leaves the full screen, so its own size is what is left.
void leave_full_screen(Fl_Window* window);
