#include "ui/full_screen.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

#include "ui/ui_state.h"

namespace {

// The picture window the key or menu was used for: the one that had the last event, or
// the loaded logo's.
Fl_Window* picture_window()
{
    const UiState& ui = ui_state();
    Fl_Window* last = Fl::first_window();
    for (Fl_Window* window : {static_cast<Fl_Window*>(ui.logoWindow), static_cast<Fl_Window*>(ui.frameWindow)})
        if (window && window == last)
            return window;
    return ui.logoWindow ? static_cast<Fl_Window*>(ui.logoWindow) : static_cast<Fl_Window*>(ui.frameWindow);
}

}  // namespace

void on_full_screen(Fl_Widget*, void*)
{
    Fl_Window* window = picture_window();
    if (!window || !window->shown())
        return;
    if (window->fullscreen_active())
        window->fullscreen_off();
    else
        window->fullscreen();
}

bool leave_full_screen()
{
    const UiState& ui = ui_state();
    bool left = false;
    for (Fl_Window* window : {static_cast<Fl_Window*>(ui.logoWindow), static_cast<Fl_Window*>(ui.frameWindow)}) {
        if (window && window->fullscreen_active()) {
            window->fullscreen_off();
            left = true;
        }
    }
    return left;
}

void leave_full_screen(Fl_Window* window)
{
    if (window && window->fullscreen_active())
        window->fullscreen_off();
}
