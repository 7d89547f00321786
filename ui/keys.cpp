#include "ui/keys.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>

#include "pipeline/viewer_state.h"
#include "ui/dialogs.h"
#include "ui/file_navigation.h"
#include "ui/full_screen.h"
#include "ui/ui_state.h"
#include "ui/views.h"
#include "ui/zoom_view.h"

namespace {

bool frame_key(int key)
{
    const ViewerState& state = viewer_state();
    if (!ui_state().frameWindow || !state.loaded || state.descriptor.frameCount == 0)
        return false;
    switch (key) {
    case FL_Left: step_frame(-1); return true;
    case FL_Right: step_frame(1); return true;
    case FL_Home: show_frame(0); return true;
    case FL_End: show_frame(state.descriptor.frameCount - 1); return true;
    case ' ': toggle_play(); return true;
    default: return false;
    }
}

// Ctrl with plus (or equals, plus without Shift on most keyboards) and minus.
bool ctrl_zoom_key(int key)
{
    ZoomView* view = ui_state().view;
    if (!view)
        return false;
    if (key == '+' || key == '=' || key == FL_KP + '+') {
        view->zoom_step(1);
        return true;
    }
    if (key == '-' || key == FL_KP + '-') {
        view->zoom_step(-1);
        return true;
    }
    return false;
}

int on_shortcut(int event)
{
    // Keys for a message box or the Open LOGO chooser are theirs alone.
    if (event != FL_SHORTCUT || Fl::modal())
        return 0;
    const int key = Fl::event_key();
    const int modifiers = Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META);
    if (key == FL_F + 1 && modifiers == 0) {
        show_documentation(nullptr, nullptr);
        return 1;
    }
    // Page Down and Page Up have menu entries but no shortcuts there (ui/menu_key_labels.h).
    if ((key == FL_Page_Down || key == FL_Page_Up) && modifiers == 0) {
        open_neighbour(key == FL_Page_Down ? 1 : -1);
        return 1;
    }
    // Escape leaves the full screen; otherwise it closes the window, as the toolkit does.
    if (key == FL_Escape && modifiers == 0 && leave_full_screen())
        return 1;
    if ((modifiers & ~FL_SHIFT) == 0 && frame_key(key))
        return 1;
    if ((modifiers & ~FL_SHIFT) == FL_CTRL && ctrl_zoom_key(key))
        return 1;
    Fl_Menu_Bar* bar = ui_state().menuBar;
    return bar && bar->test_shortcut() ? 1 : 0;
}

}  // namespace

void install_key_handler()
{
    Fl::add_handler(on_shortcut);
}
