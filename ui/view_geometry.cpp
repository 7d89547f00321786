#include "ui/view_geometry.h"

#include <algorithm>
#include <map>

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

#include "ui/preferences.h"
#include "ui/ui_state.h"
#include "ui/zoom_view.h"

namespace {

struct KeptView {
    std::string kind;
    ViewGeometry geometry;
};

std::optional<KeptView>& kept_view()
{
    static std::optional<KeptView> kept;
    return kept;
}

// The size and zoom each kind of window was built with: only what the user changed is
// remembered, so that a window left alone does not hand its logo's size to the next.
// Never destroyed: the exit handler that saves the windows' sizes reads it after the
// function-local statics of this file would be gone.
std::map<std::string, ViewGeometry>& built_views()
{
    static auto* built = new std::map<std::string, ViewGeometry>;
    return *built;
}

ViewGeometry geometry_of(Fl_Window* window, const ZoomView* view)
{
    ViewGeometry g;
    g.x = window->x();
    g.y = window->y();
    g.w = window->w();
    g.h = window->h();
    g.placed = true;
    g.zoom = view && !view->fitting() ? view->scale() : 0;
    return g;
}

// A kept zoom stays when the picture fits the kept window at it; else the window fits it.
double zoom_for(double zoom, const LayoutRule& rule, int pictureW, int pictureH, int viewW, int viewH)
{
    if (zoom <= 0 || pictureW <= 0 || pictureH <= 0)
        return 0;
    return fitting_scale(rule, pictureW, pictureH, viewW, viewH, MAX_ZOOM) >= zoom ? zoom : 0;
}

}  // namespace

ViewGeometry choose_view_geometry(const char* kind, const LayoutRule& rule, int pictureW, int pictureH, int zoom,
                                  int naturalW, int naturalH, int chromeH)
{
    int areaX, areaY, areaW, areaH;
    Fl::screen_work_area(areaX, areaY, areaW, areaH);
    ViewGeometry g;
    g.w = naturalW;
    g.h = naturalH;
    g.zoom = zoom;
    RememberedView remembered;
    auto& kept = kept_view();
    if (kept && kept->kind == kind) {
        g = kept->geometry;
        g.zoom = zoom_for(g.zoom, rule, pictureW, pictureH, g.w, g.h - chromeH);
    } else if (ui_state().presetZoom == 0 && remembered_view(kind, remembered)) {
        g.w = remembered.w;
        g.h = remembered.h;
        g.zoom = zoom_for(remembered.zoom, rule, pictureW, pictureH, g.w, g.h - chromeH);
    } else if (naturalW > areaW || naturalH > areaH) {
        // Its own size is larger than the screen: the largest zoom whose layout fits.
        const double scale = fitting_scale(rule, pictureW, pictureH, areaW, areaH - chromeH, zoom);
        const ContentLayout content = rule.layout(scaled_length(pictureW, scale), scaled_length(pictureH, scale));
        g.w = content.w;
        g.h = content.h + chromeH;
        g.zoom = 0;
    }
    kept.reset();
    // Never larger than the work area, never reaching past it.
    g.w = std::min(g.w, areaW);
    g.h = std::min(g.h, areaH);
    if (g.placed && (g.x < areaX || g.y < areaY || g.x + g.w > areaX + areaW || g.y + g.h > areaY + areaH))
        g.placed = false;
    if (!g.placed && (naturalW > areaW || naturalH > areaH)) {
        g.x = areaX;
        g.y = areaY;
        g.placed = true;
    }
    return g;
}

void keep_view(const char* kind, Fl_Window* window, const ZoomView* view)
{
    if (window && window->shown())
        kept_view() = KeptView{kind, geometry_of(window, view)};
}

void drop_kept_view()
{
    kept_view().reset();
}

void note_built_view(const char* kind, Fl_Window* window, const ZoomView* view)
{
    built_views()[kind] = geometry_of(window, view);
}

void remember_window_view(const char* kind, Fl_Window* window, const ZoomView* view)
{
    if (!window || !window->shown())
        return;
    const ViewGeometry g = geometry_of(window, view);
    const auto built = built_views().find(kind);
    if (built != built_views().end() && built->second.w == g.w && built->second.h == g.h &&
        built->second.zoom == g.zoom)
        return;
    remember_view(kind, {g.w, g.h, g.zoom});
}
