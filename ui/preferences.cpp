#include "ui/preferences.h"

#include <map>
#include <memory>

#include <FL/Fl_Preferences.H>

#include "core/format_string.h"
#include "core/owned.h"

namespace {

constexpr const char* VENDOR = "zarpo2";
constexpr const char* APPLICATION = "zarpo2";
constexpr std::size_t MAX_LIST = 64;  // entries read back of one list

struct Preferences {
    std::map<std::string, std::string> values;  // what is remembered, whether written or not
    std::unique_ptr<Fl_Preferences> file;       // null when started clean
};

Preferences& preferences()
{
    static Preferences prefs;
    return prefs;
}

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty without a home.
std::string config_folder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return home && home[0] == '/' ? std::string(home) + "/.config" : "";
}

std::string value(const std::string& key)
{
    const auto& values = preferences().values;
    const auto it = values.find(key);
    return it == values.end() ? "" : it->second;
}

void set_value(const std::string& key, const std::string& text)
{
    Preferences& prefs = preferences();
    prefs.values[key] = text;
    if (prefs.file) {
        prefs.file->set(key.c_str(), text.c_str());
        prefs.file->flush();
    }
}

void delete_value(const std::string& key)
{
    Preferences& prefs = preferences();
    prefs.values.erase(key);
    if (prefs.file) {
        prefs.file->deleteEntry(key.c_str());
        prefs.file->flush();
    }
}

int number(const std::string& text)
{
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && n > 0 && n < (1 << 16) ? static_cast<int>(n) : 0;
}

}  // namespace

void load_preferences(bool clean)
{
    Preferences& prefs = preferences();
    const std::string folder = config_folder();
    if (clean || folder.empty())
        return;
    // The toolkit names the file APPLICATION.prefs inside the folder it is given.
    prefs.file = std::make_unique<Fl_Preferences>((folder + "/" + APPLICATION).c_str(), VENDOR, APPLICATION);
    for (int i = 0; i < prefs.file->entries(); ++i) {
        const char* key = prefs.file->entry(i);
        char* text = nullptr;
        const bool found = key && prefs.file->get(key, text, "");
        const std::unique_ptr<char, FreeDeleter> owned(text);  // the toolkit allocates the copy
        if (found && text)
            prefs.values[key] = text;
    }
}

bool remembered_view(const std::string& kind, RememberedView& view)
{
    view.w = number(value(kind + ".width"));
    view.h = number(value(kind + ".height"));
    const std::string zoom = value(kind + ".zoom");
    view.zoom = zoom == "fit" ? 0 : std::strtod(zoom.c_str(), nullptr);
    return view.w > 0 && view.h > 0 && (zoom == "fit" || (view.zoom > 0 && view.zoom <= 16));
}

void remember_view(const std::string& kind, const RememberedView& view)
{
    set_value(kind + ".width", format_string("%d", view.w));
    set_value(kind + ".height", format_string("%d", view.h));
    set_value(kind + ".zoom", view.zoom > 0 ? format_string("%g", view.zoom) : "fit");
}

std::string remembered_folder(const std::string& dialog)
{
    return value("folder." + dialog);
}

void remember_folder(const std::string& dialog, const std::string& folder)
{
    if (!folder.empty())
        set_value("folder." + dialog, folder);
}

std::vector<std::string> remembered_list(const std::string& name)
{
    std::vector<std::string> items;
    for (std::size_t i = 0; i < MAX_LIST; ++i) {
        const std::string item = value(format_string("%s.%zu", name.c_str(), i));
        if (item.empty())
            break;
        items.push_back(item);
    }
    return items;
}

void remember_list(const std::string& name, const std::vector<std::string>& items)
{
    std::size_t i = 0;
    for (; i < items.size() && i < MAX_LIST; ++i)
        set_value(format_string("%s.%zu", name.c_str(), i), items[i]);
    for (; !value(format_string("%s.%zu", name.c_str(), i)).empty(); ++i)
        delete_value(format_string("%s.%zu", name.c_str(), i));
}
