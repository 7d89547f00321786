#include "ui/clipboard.h"

#include <cstring>
#include <vector>

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include "core/format_string.h"
#include "output/thumbnail.h"
#include "pipeline/viewer_state.h"
#include "ui/main_window.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr const char* PNG_TYPE = "image/png";
constexpr long REQUEST_UNIT = 4;        // X request sizes count 4-byte units
constexpr long REQUEST_HEADROOM = 1024;  // bytes of a ChangeProperty request besides the data
constexpr std::uint8_t OPAQUE = 255;

// The PNG the viewer owns the clipboard with; empty when it does not.
std::vector<std::uint8_t>& clipboard_png()
{
    static std::vector<std::uint8_t> png;
    return png;
}

Atom atom(const char* name)
{
    return XInternAtom(fl_display, name, False);
}

// The largest property one request can set: a larger PNG would need the INCR transfer.
std::size_t largest_property()
{
    const long units = std::max(XExtendedMaxRequestSize(fl_display), XMaxRequestSize(fl_display));
    return static_cast<std::size_t>(std::max(0L, units * REQUEST_UNIT - REQUEST_HEADROOM));
}

// The picture on screen: the current frame, or the single picture.
bool shown_picture(RgbaPicture& picture)
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    const std::uint8_t* rgb = state.currentImage;
    std::uint32_t width = d.width, height = d.height;
    if (d.frameCount != 0) {
        if (!state.frames || state.currentFrame < 0 || state.currentFrame >= d.frameCount)
            return false;
        const LogoFrame& frame = state.frames[state.currentFrame];
        rgb = frame.pixels;
        width = frame.width;
        height = frame.height;
    }
    if (!state.loaded || !rgb || width == 0 || height == 0)
        return false;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(std::size_t{width} * height * 4);
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        std::memcpy(&picture.pixels[i * 4], rgb + i * 3, 3);
        picture.pixels[i * 4 + 3] = OPAQUE;
    }
    return true;
}

void answer(const XSelectionRequestEvent& request)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    // An old client names no property: the target's name stands for it.
    const Atom property = request.property == None ? request.target : request.property;
    const std::vector<std::uint8_t>& png = clipboard_png();
    if (request.target == atom("TARGETS")) {
        Atom targets[] = {atom("TARGETS"), atom(PNG_TYPE)};
        XChangeProperty(fl_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(targets), 2);
        reply.xselection.property = property;
    } else if (request.target == atom(PNG_TYPE)) {
        XChangeProperty(fl_display, request.requestor, property, atom(PNG_TYPE), 8, PropModeReplace, png.data(),
                        static_cast<int>(png.size()));
        reply.xselection.property = property;
    }
    XSendEvent(fl_display, request.requestor, False, NoEventMask, &reply);
    XFlush(fl_display);
}

// Answers the requests for the clipboard while the viewer owns it; lets the toolkit see
// everything else (and a SelectionClear too, after dropping the picture).
int on_x_event(void* event, void*)
{
    const auto* x = static_cast<const XEvent*>(event);
    std::vector<std::uint8_t>& png = clipboard_png();
    if (png.empty() || !ui_state().mainWindow || !ui_state().mainWindow->shown())
        return 0;
    const Window owner = fl_xid(ui_state().mainWindow);
    const Atom clipboard = atom("CLIPBOARD");
    if (x->type == SelectionRequest && x->xselectionrequest.owner == owner &&
        x->xselectionrequest.selection == clipboard) {
        answer(x->xselectionrequest);
        return 1;
    }
    if (x->type == SelectionClear && x->xselectionclear.window == owner && x->xselectionclear.selection == clipboard)
        png.clear();
    return 0;
}

}  // namespace

void on_copy_picture(Fl_Widget*, void*)
{
    static bool handling = false;
    RgbaPicture picture;
    std::vector<std::uint8_t> png;
    ZARPO_Main_Window* main = ui_state().mainWindow;
    if (!main || !main->shown() || !shown_picture(picture) || !encode_png_rgba8(picture, png) ||
        png.size() > largest_property()) {
        show_status_message(texts().notCopied);
        return;
    }
    if (!handling) {
        Fl::add_system_handler(on_x_event, nullptr);
        handling = true;
    }
    clipboard_png() = std::move(png);
    XSetSelectionOwner(fl_display, atom("CLIPBOARD"), fl_xid(main), fl_event_time);
    XFlush(fl_display);
    show_status_message(format_string(texts().copied, picture.width, picture.height));
}
