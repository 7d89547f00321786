#include "ui/palette_view.h"

#include <unordered_set>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/fl_draw.H>

#include "core/format_string.h"
#include "pipeline/viewer_state.h"
#include "ui/picture_window.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr std::size_t MAX_COLOURS = 256;
constexpr int COLUMNS = 16;
constexpr int SWATCH = 22;  // a swatch and the gap after it
constexpr int GAP = 2;
constexpr int MARGIN = 8;
constexpr int LABEL_H = 24;

void add_colours(const std::uint8_t* rgb, std::size_t pixels, std::size_t limit, std::vector<std::uint32_t>& out,
                 std::unordered_set<std::uint32_t>& seen)
{
    for (std::size_t i = 0; rgb && i < pixels && out.size() <= limit; ++i) {
        const std::uint32_t colour =
            static_cast<std::uint32_t>(rgb[i * 3]) << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
        if (seen.insert(colour).second)
            out.push_back(colour);
    }
}

// The grid; the label box below it (and the window's status property) tells the colour
// under the pointer.
class SwatchGrid : public Fl_Widget {
public:
    SwatchGrid(int x, int y, std::vector<std::uint32_t> colours, Fl_Box* label)
        : Fl_Widget(x, y, COLUMNS * SWATCH, rows(colours.size()) * SWATCH), colours_(std::move(colours)), label_(label)
    {
    }

    static int rows(std::size_t count) { return static_cast<int>((count + COLUMNS - 1) / COLUMNS); }

    void draw() override
    {
        for (std::size_t i = 0; i < colours_.size(); ++i) {
            const std::uint32_t c = colours_[i];
            fl_rectf(x() + static_cast<int>(i % COLUMNS) * SWATCH, y() + static_cast<int>(i / COLUMNS) * SWATCH,
                     SWATCH - GAP, SWATCH - GAP, static_cast<uchar>(c >> 16), static_cast<uchar>(c >> 8),
                     static_cast<uchar>(c));
        }
    }

    int handle(int event) override
    {
        if (event != FL_ENTER && event != FL_MOVE && event != FL_LEAVE)
            return Fl_Widget::handle(event);
        const int column = (Fl::event_x() - x()) / SWATCH, row = (Fl::event_y() - y()) / SWATCH;
        const std::size_t index = static_cast<std::size_t>(row) * COLUMNS + column;
        std::string text = format_string(texts().paletteCount, static_cast<unsigned>(colours_.size()));
        if (event != FL_LEAVE && Fl::event_inside(this) && index < colours_.size()) {
            const std::uint32_t c = colours_[index];
            text =
                format_string(texts().paletteEntry, static_cast<unsigned>(index), c >> 16, (c >> 8) & 0xFF, c & 0xFF);
        }
        label_->copy_label(text.c_str());
        label_->redraw();
        set_status_property(window(), text);
        return 1;
    }

private:
    std::vector<std::uint32_t> colours_;
    Fl_Box* label_;
};

}  // namespace

std::vector<std::uint32_t> picture_colours(std::size_t limit)
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    std::vector<std::uint32_t> colours;
    std::unordered_set<std::uint32_t> seen;
    if (d.frameCount == 0) {
        add_colours(state.currentImage, static_cast<std::size_t>(d.width) * d.height, limit, colours, seen);
    } else {
        for (unsigned f = 0; state.frames && f < d.frameCount; ++f) {
            const LogoFrame& frame = state.frames[f];
            add_colours(frame.pixels, static_cast<std::size_t>(frame.width) * frame.height, limit, colours, seen);
        }
    }
    return colours;
}

void hide_palette_window()
{
    UiState& ui = ui_state();
    if (!ui.paletteWindow)
        return;
    ui.paletteWindow->hide();
    Fl::delete_widget(ui.paletteWindow);
    ui.paletteWindow = nullptr;
}

void on_palette(Fl_Widget*, void*)
{
    UiState& ui = ui_state();
    if (!viewer_state().loaded)
        return;
    if (ui.paletteWindow) {
        ui.paletteWindow->show();
        return;
    }
    std::vector<std::uint32_t> colours = picture_colours(MAX_COLOURS);
    const bool indexed = colours.size() <= MAX_COLOURS;
    if (!indexed)
        colours.clear();
    const int gridH = SwatchGrid::rows(colours.size()) * SWATCH;
    const int w = COLUMNS * SWATCH + 2 * MARGIN, h = gridH + LABEL_H + 2 * MARGIN;
    const std::string title = std::string(texts().paletteTitle) + " \u2014 " + leaf_name(viewer_state().fileName);
    auto* window = new PictureWindow(w, h);
    window->resizable(nullptr);
    window->size_range(w, h, w, h);
    window->copy_label(title.c_str());
    auto* label = new Fl_Box(MARGIN, MARGIN + gridH, w - 2 * MARGIN, LABEL_H);
    label->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    label->copy_label(indexed ? format_string(texts().paletteCount, static_cast<unsigned>(colours.size())).c_str()
                              : texts().paletteNone);
    new SwatchGrid(MARGIN, MARGIN, std::move(colours), label);
    window->end();
    window->show();
    ui.paletteWindow = window;
}
