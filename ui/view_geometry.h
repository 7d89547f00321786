// Where a new logo or frame window goes and how large it is. At its own size (the classic
// sizes at 1x) unless: Page Down and Page Up keep the size, place and zoom of the window
// they replace; a window of a kind the user sized before opens at the remembered size and
// zoom (not with ZARPO2_ZOOM set); a kept zoom at which the new picture does not fit the
// window becomes a fit. No window is larger than the screen's work area: one whose own size
// is gets the largest zoom at which its layout fits the work area.
#pragma once

#include <optional>
#include <string>

struct LayoutRule;
class Fl_Window;
class ZoomView;

// The kinds of picture window whose size and zoom are remembered apart.
constexpr const char* LOGO_VIEW = "logo";
constexpr const char* FRAME_VIEW = "frames";

struct ViewGeometry {
    int x = 0, y = 0, w = 0, h = 0;
    bool placed = false;  // x and y are to be kept
    double zoom = 1;      // the zoom to open at; 0: fit the window
};

// A window of pictures pictureW x pictureH laid out by rule, naturally naturalW x naturalH
// at zoom; chromeH rows of the window are not the view (the tab row, the button row).
ViewGeometry choose_view_geometry(const char* kind, const LayoutRule& rule, int pictureW, int pictureH, int zoom,
                                  int naturalW, int naturalH, int chromeH);

// Page Down and Page Up: the next window of the same kind takes this one's size, place and
// zoom (kept until that window is built, or dropped with drop_kept_view).
void keep_view(const char* kind, Fl_Window* window, const ZoomView* view);
void drop_kept_view();

// Notes the size and zoom a window was built with.
void note_built_view(const char* kind, Fl_Window* window, const ZoomView* view);
// Remembers the window's size and zoom for the next window of its kind, when the user
// changed them.
void remember_window_view(const char* kind, Fl_Window* window, const ZoomView* view);
