#include "ui/status_line.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "core/format_string.h"
#include "pipeline/viewer_state.h"
#include "ui/load_warnings.h"
#include "ui/pixel_probe.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"
#include "ui/zoom_view.h"

namespace {

constexpr Fl_Color STATUS_BACKGROUND = FL_BLACK;
constexpr Fl_Color STATUS_TEXT = FL_GRAY;
constexpr const char* SEPARATOR = "  |  ";
constexpr const char* STATUS_PROPERTY = "_ZARPO2_STATUS";

void publish(const std::string& text)
{
    UiState& ui = ui_state();
    if (!ui.statusLine)
        return;
    ui.statusLine->copy_label(text.c_str());
    ui.statusLine->copy_tooltip(text.c_str());
    ui.statusLine->redraw();
    if (ui.view)
        ui.view->redraw();  // the line is drawn over the view
    set_status_property(ui.statusLine->window(), text);
}

std::string zoom_text()
{
    const ZoomView* view = ui_state().view;
    if (!view)
        return "";
    if (view->fitting())
        return format_string(texts().fit, static_cast<unsigned>(std::lround(view->scale() * 100)));
    return format_string(texts().zoom, static_cast<unsigned>(std::lround(view->scale())));
}

// "16-colour palette, 5 distinct": the palette size the format declares and the colours
// the picture holds, as the palette window counts them.
std::string colours_text()
{
    const ViewerTexts& t = texts();
    const unsigned palette = viewer_state().descriptor.colorCount;
    const std::string distinct = format_string(t.distinctColours, distinct_colour_count());
    return palette ? format_string(t.paletteColours, palette) + ", " + distinct : distinct;
}

}  // namespace

void set_status_property(Fl_Window* window, const std::string& text)
{
    set_text_property(window, STATUS_PROPERTY, text);
}

void set_text_property(Fl_Window* window, const char* name, const std::string& text)
{
    if (!window || !window->shown())
        return;
    Atom property = XInternAtom(fl_display, name, False);
    Atom utf8 = XInternAtom(fl_display, "UTF8_STRING", False);
    XChangeProperty(fl_display, fl_xid(window), property, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    XFlush(fl_display);
}

Fl_Box* make_status_line(int x, int y, int w, int h, int textSize)
{
    auto* line = new Fl_Box(FL_FLAT_BOX, x, y, w, h, nullptr);
    line->color(STATUS_BACKGROUND);
    line->labelcolor(STATUS_TEXT);
    line->labelsize(textSize);
    line->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_CLIP);
    return line;
}

std::string leaf_name(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folder_of(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    char absolute[PATH_MAX];
    return realpath(folder.c_str(), absolute) ? absolute : folder;
}

bool loaded_picture_is_empty()
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    if (d.frameCount == 0)
        return !state.currentImage || d.width == 0 || d.height == 0;
    for (unsigned f = 0; state.frames && f < d.frameCount; ++f) {
        const LogoFrame& frame = state.frames[f];
        if (frame.pixels && frame.width && frame.height)
            return false;
    }
    return true;
}

namespace {

// What the line says in place of the properties until the next update.
std::string& message()
{
    static std::string text;
    return text;
}

std::string properties_text()
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    const ViewerTexts& t = texts();
    const RomOrigin& origin = ui_state().romOrigin;
    // A logo out of a ROM image goes by the ROM's name, the offset and where it was found.
    std::string text = origin.romPath.empty()
                           ? leaf_name(state.fileName)
                           : format_string("%s, 0x%08llx: %s", leaf_name(origin.romPath).c_str(),
                                           static_cast<unsigned long long>(origin.offset), origin.place.c_str());
    if (!load_warning().empty())
        text += ": " + load_warning();
    text += SEPARATOR + std::string(d.formatName ? d.formatName : "");
    text += SEPARATOR + format_string("%u \u00d7 %u", d.width, d.height);
    text += SEPARATOR + colours_text();
    if (d.frameCount != 0)
        text += SEPARATOR + format_string(t.frames, d.frameCount);
    text += SEPARATOR + zoom_text();
    return text;
}

// The pixel under the pointer goes first, where a narrow window does not cut it off.
void publish_with_pixel()
{
    const std::string body = message().empty() ? properties_text() : message();
    const std::string pixel = pointer_text();
    publish(pixel.empty() ? body : pixel + SEPARATOR + body);
}

}  // namespace

void update_status()
{
    message().clear();
    publish_with_pixel();
}

void refresh_status()
{
    publish_with_pixel();
}

void show_status_message(const std::string& text)
{
    message() = text;
    publish_with_pixel();
}
