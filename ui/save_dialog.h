// File > Save as PNG and File > Save As: both tell in the status line how many files went
// where, or why one was not written. Save As asks for the name and folder, and before it
// replaces a file that is there already.
#pragma once

class Fl_Widget;

void on_save_png(Fl_Widget* widget, void* data);
void on_save_as(Fl_Widget* widget, void* data);
