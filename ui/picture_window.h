// The window class of the logo, frame and ROM list windows: double-buffered, resizable,
// taking dropped files; a hook lays its widgets out again when its size changes.
#pragma once

#include <functional>

#include <FL/Fl_Double_Window.H>

class PictureWindow : public Fl_Double_Window {
public:
    PictureWindow(int w, int h, const char* title = nullptr);
    std::function<void(int w, int h)> onResize;
    int handle(int event) override;
    void resize(int x, int y, int w, int h) override;
};
