// Drops files on an X window as a file manager does, through the XDND protocol: enter,
// position, drop, then the dropped data (text/uri-list) when the target asks for it.
//   xdnd_drop WINDOW X Y PATH...
// WINDOW is the target's id, X Y a point inside it. Exits 0 when the target took the drop
// and said it was finished, 1 when it refused or did not answer within 20 seconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/select.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr long XDND_VERSION = 5;
constexpr int TIMEOUT_MS = 20000;
constexpr int POLL_MS = 50;
constexpr char HEX[] = "0123456789ABCDEF";

// file:// URI of a path, every byte outside the unreserved set %-escaped.
std::string file_uri(const std::string& path)
{
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += HEX[c >> 4];
            uri += HEX[c & 0x0F];
        }
    }
    return uri;
}

struct Xdnd {
    Display* display;
    Window source, target;
    Atom enter, position, status, drop, finished, selection, actionCopy, uriList;
};

void send(const Xdnd& x, Atom type, long l1, long l2, long l3, long l4)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = x.display;
    event.xclient.window = x.target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(x.source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(x.display, x.target, False, NoEventMask, &event);
    XFlush(x.display);
}

// Gives the dropped data to the target that asks for it.
void answer(const Xdnd& x, const XSelectionRequestEvent& request, const std::string& data)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = x.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.target == x.uriList) {
        XChangeProperty(x.display, request.requestor, request.property, x.uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
        reply.xselection.property = request.property;
    }
    XSendEvent(x.display, request.requestor, False, NoEventMask, &reply);
    XFlush(x.display);
}

bool wait_event(Display* display, XEvent& event, int& msLeft)
{
    while (msLeft > 0) {
        if (XPending(display)) {
            XNextEvent(display, &event);
            return true;
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        timeval tv{0, POLL_MS * 1000};
        select(ConnectionNumber(display) + 1, &fds, nullptr, nullptr, &tv);
        msLeft -= POLL_MS;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: xdnd_drop WINDOW X Y PATH...\n");
        return 2;
    }
    Xdnd x{};
    x.display = XOpenDisplay(nullptr);
    if (!x.display) {
        std::fprintf(stderr, "xdnd_drop: no X display\n");
        return 1;
    }
    Window root = DefaultRootWindow(x.display);
    x.target = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    x.source = XCreateSimpleWindow(x.display, root, 0, 0, 1, 1, 0, 0, 0);
    x.enter = XInternAtom(x.display, "XdndEnter", False);
    x.position = XInternAtom(x.display, "XdndPosition", False);
    x.status = XInternAtom(x.display, "XdndStatus", False);
    x.drop = XInternAtom(x.display, "XdndDrop", False);
    x.finished = XInternAtom(x.display, "XdndFinished", False);
    x.selection = XInternAtom(x.display, "XdndSelection", False);
    x.actionCopy = XInternAtom(x.display, "XdndActionCopy", False);
    x.uriList = XInternAtom(x.display, "text/uri-list", False);
    std::string data;
    for (int i = 4; i < argc; ++i)
        data += file_uri(argv[i]) + "\r\n";

    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(x.display, x.target, root, std::atoi(argv[2]), std::atoi(argv[3]), &rootX, &rootY, &child);
    XSetSelectionOwner(x.display, x.selection, x.source, CurrentTime);
    send(x, x.enter, XDND_VERSION << 24, static_cast<long>(x.uriList), None, None);
    send(x, x.position, 0, (static_cast<long>(rootX) << 16) | rootY, CurrentTime, static_cast<long>(x.actionCopy));

    const char* failure = "no answer from the window";
    int msLeft = TIMEOUT_MS;
    XEvent event;
    while (failure && wait_event(x.display, event, msLeft)) {
        if (event.type == SelectionRequest) {
            answer(x, event.xselectionrequest, data);
        } else if (event.type == ClientMessage && event.xclient.message_type == x.status) {
            if (!(event.xclient.data.l[1] & 1))
                break;  // refused
            send(x, x.drop, 0, CurrentTime, 0, 0);
        } else if (event.type == ClientMessage && event.xclient.message_type == x.finished) {
            failure = nullptr;
        }
    }
    if (failure && msLeft > 0)
        failure = "the window refused the drop";
    if (failure)
        std::fprintf(stderr, "xdnd_drop: %s\n", failure);
    XDestroyWindow(x.display, x.source);
    XCloseDisplay(x.display);
    return failure ? 1 : 0;
}
