#include "ui/recent_files.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include <FL/Fl_Menu_Bar.H>

#include "core/format_string.h"
#include "ui/file_navigation.h"
#include "ui/preferences.h"
#include "ui/ui_state.h"

namespace {

constexpr const char* RECENT_LIST = "recent";
constexpr const char* PLACEHOLDER = "-";

int g_marker;  // its address marks the submenu

bool is_regular_file(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The list without the files that are gone; the preferences follow when one was.
std::vector<std::string> present_files()
{
    const std::vector<std::string> all = remembered_list(RECENT_LIST);
    std::vector<std::string> present;
    for (const std::string& path : all)
        if (present.size() < MAX_RECENT_FILES && is_regular_file(path))
            present.push_back(path);
    if (present != all)
        remember_list(RECENT_LIST, present);
    return present;
}

// "&3 /path/to/file": a digit to pick it by, '&' in the path doubled to show as itself.
std::string entry_label(std::size_t n, const std::string& path)
{
    std::string label = format_string("&%zu ", (n + 1) % MAX_RECENT_FILES);
    for (char c : path)
        label += c == '&' ? std::string("&&") : std::string(1, c);
    return label;
}

void on_recent(Fl_Widget*, void* data)
{
    const std::vector<std::string> files = present_files();
    const auto n = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(data));
    // The menu was filled before some file vanished: fill it again, open nothing gone.
    if (n < files.size())
        open_files({files[n]});
    fill_recent_menu(ui_state().menuBar);
}

}  // namespace

void* recent_menu_marker()
{
    return &g_marker;
}

void add_recent_file(const std::string& path)
{
    char absolute[PATH_MAX];
    const std::string full = realpath(path.c_str(), absolute) ? absolute : path;
    std::vector<std::string> files = remembered_list(RECENT_LIST);
    std::erase(files, full);
    files.insert(files.begin(), full);
    if (files.size() > MAX_RECENT_FILES)
        files.resize(MAX_RECENT_FILES);
    remember_list(RECENT_LIST, files);
    fill_recent_menu(ui_state().menuBar);
}

void fill_recent_menu(Fl_Menu_Bar* bar)
{
    if (!bar || !bar->menu())
        return;
    int submenu = -1;
    for (int i = 0; i < bar->size(); ++i)
        if (bar->menu()[i].submenu() && bar->menu()[i].user_data() == recent_menu_marker())
            submenu = i;
    if (submenu < 0)
        return;
    while (bar->menu()[submenu + 1].label())
        bar->remove(submenu + 1);
    // The labels outlive the entries: a menu bar that does not copy them points at these.
    static std::vector<std::string> labels;
    const std::vector<std::string> files = present_files();
    labels.clear();
    for (std::size_t n = 0; n < files.size(); ++n)
        labels.push_back(entry_label(n, files[n]));
    for (std::size_t n = 0; n < files.size(); ++n) {
        const int index = submenu + 1 + static_cast<int>(n);
        // A placeholder first: insert() would take the slashes of a path for submenus.
        bar->insert(index, PLACEHOLDER, 0, on_recent, reinterpret_cast<void*>(static_cast<std::uintptr_t>(n)));
        bar->replace(index, labels[n].c_str());
    }
    bar->mode(submenu, files.empty() ? FL_SUBMENU | FL_MENU_INACTIVE : FL_SUBMENU);
}
