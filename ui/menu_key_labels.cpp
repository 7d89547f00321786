#include "ui/menu_key_labels.h"

#include <string>

#include <FL/Fl.H>
#include <FL/fl_draw.H>

namespace {

constexpr int KEY_GAP = 24;   // between the entry's text and the key, as wide as the toolkit leaves
constexpr int KEY_INSET = 3;  // from the entry's right edge, where the toolkit's shortcuts end

// The text before the tab and the key's name after it.
void split(const char* value, std::string& text, std::string& key)
{
    const std::string label = value ? value : "";
    const std::size_t tab = label.find('\t');
    text = label.substr(0, tab);
    key = tab == std::string::npos ? "" : label.substr(tab + 1);
}

void draw_key_label(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align)
{
    std::string text, key;
    split(label->value, text, key);
    fl_font(label->font, label->size);
    fl_color(static_cast<Fl_Color>(label->color));
    fl_draw(text.c_str(), x, y, w, h, align);
    fl_draw(key.c_str(), x, y, w - KEY_INSET, h, FL_ALIGN_RIGHT);
}

void measure_key_label(const Fl_Label* label, int& w, int& h)
{
    std::string text, key;
    split(label->value, text, key);
    fl_font(label->font, label->size);
    w = 0;
    fl_measure(text.c_str(), w, h);
    w += KEY_GAP + static_cast<int>(fl_width(key.c_str()));
}

}  // namespace

void register_key_label_type()
{
    Fl::set_labeltype(KEY_LABEL, draw_key_label, measure_key_label);
}
