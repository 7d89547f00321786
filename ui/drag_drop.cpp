#include "ui/drag_drop.h"

#include <FL/Fl.H>
#include <FL/filename.H>

#include "ui/file_navigation.h"

namespace {

constexpr const char* FILE_SCHEME = "file://";
constexpr std::size_t FILE_SCHEME_LENGTH = 7;

// A file URI's path: the host part ("localhost" or empty) is dropped, escapes decoded.
std::string path_of_uri(std::string line)
{
    if (line.compare(0, FILE_SCHEME_LENGTH, FILE_SCHEME) == 0) {
        std::size_t slash = line.find('/', FILE_SCHEME_LENGTH);
        if (slash == std::string::npos)
            return "";
        line.erase(0, slash);
    } else if (line.compare(0, 5, "file:") == 0) {
        line.erase(0, 5);
    }
    if (line.empty() || line[0] != '/')
        return "";
    fl_decode_uri(line.data());
    line.resize(std::char_traits<char>::length(line.c_str()));
    return line;
}

// Opens what was dropped once the drop is over: a message box opened within the drop
// would keep the dragging program waiting for its end.
void open_dropped(void* data)
{
    auto* paths = static_cast<std::vector<std::string>*>(data);
    open_files(*paths);
    delete paths;
}

}  // namespace

std::vector<std::string> dropped_paths(const std::string& text)
{
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        std::string path = path_of_uri(line);
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

int handle_drop(int event)
{
    switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
    case FL_DND_RELEASE: return 1;
    case FL_PASTE: {
        auto paths = dropped_paths(std::string(Fl::event_text(), Fl::event_length()));
        if (!paths.empty())
            Fl::add_timeout(0.0, open_dropped, new std::vector<std::string>(std::move(paths)));
        return 1;
    }
    default: return 0;
    }
}
