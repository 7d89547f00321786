#include "ui/picture_window.h"

#include "ui/drag_drop.h"

namespace {
constexpr int MIN_SIDE = 100;  // the smallest a picture window can be made
}

PictureWindow::PictureWindow(int w, int h, const char* title) : Fl_Double_Window(w, h, title)
{
    resizable(this);
    size_range(MIN_SIDE, MIN_SIDE);
}

int PictureWindow::handle(int event)
{
    if (Fl_Double_Window::handle(event))
        return 1;
    return handle_drop(event);
}

void PictureWindow::resize(int x, int y, int w, int h)
{
    Fl_Double_Window::resize(x, y, w, h);
    if (onResize)
        onResize(w, h);
}
