// View > Copy Picture (Ctrl+C): the picture on screen (the current frame of a multi-frame
// logo) at its own size goes to the clipboard as an image/png, which the viewer hands to
// whoever asks until another program takes the clipboard.
#pragma once

class Fl_Widget;

void on_copy_picture(Fl_Widget* widget, void* data);
