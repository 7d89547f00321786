#include "ui/rom_list_window.h"

#include <iterator>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include "core/format_string.h"
#include "pipeline/viewer_state.h"
#include "ui/drag_drop.h"
#include "ui/file_navigation.h"
#include "ui/rom_replace_window.h"
#include "ui/preferences.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr int WINDOW_W = 880;
constexpr int WINDOW_H = 300;
constexpr int MARGIN = 5;
constexpr int HEADER_H = 20;
constexpr int BUTTON_W = 90;
constexpr int BUTTON_H = 25;
constexpr int MIN_WINDOW_W = 320;  // the count and the buttons still readable
constexpr int MIN_WINDOW_H = 120;
constexpr Fl_Fontsize TEXT_SIZE = 12;
constexpr int TEXT_INSET = 3;  // the browser draws its text this far right of its edge
// Column widths in pixels; the last column takes the rest.
constexpr int COLUMN_WIDTHS[] = {90, 280, 110, 230, 80, 0};
constexpr int COLUMNS = static_cast<int>(std::size(COLUMN_WIDTHS));
constexpr const char* ROWS_PROPERTY = "_ZARPO2_ROWS";
// The extensions ROM images come with, for the Open ROM chooser's second filter.
constexpr const char* ROM_EXTENSIONS = "*.{bin,rom,fd,cap,bio,bi1,awd,ami,wph,img,lzh,hdr}";

// The column heads, drawn over the columns of the list.
class ColumnHeads : public Fl_Box {
public:
    ColumnHeads(int x, int y, int w, int h) : Fl_Box(FL_FLAT_BOX, x, y, w, h, nullptr) {}
    void draw() override
    {
        draw_box();
        fl_push_clip(x(), y(), w(), h());
        fl_font(FL_HELVETICA_BOLD, TEXT_SIZE);
        fl_color(FL_FOREGROUND_COLOR);
        int left = x() + TEXT_INSET;
        for (int c = 0; c < COLUMNS; ++c) {
            const int width = COLUMN_WIDTHS[c] ? COLUMN_WIDTHS[c] : x() + w() - left;
            fl_draw(texts().romColumns[c], left, y(), width, h(), FL_ALIGN_LEFT | FL_ALIGN_CLIP);
            left += width;
        }
        fl_pop_clip();
    }
};

// One row's columns.
std::vector<std::string> row_columns(const FoundLogo& logo)
{
    return {format_string("0x%08llx", static_cast<unsigned long long>(logo.offset)),
            found_logo_place(logo),
            logo.compression,
            logo.formatName,
            format_string("%u \u00d7 %u", logo.width, logo.height),
            format_string("%u", logo.frameCount ? logo.frameCount : 1u)};
}

std::string joined(const std::vector<std::string>& parts, const std::string& before, char separator)
{
    std::string line;
    for (const std::string& part : parts)
        line += (line.empty() ? "" : std::string(1, separator)) + before + part;
    return line;
}

void on_choice(Fl_Widget*, void* window)
{
    static_cast<RomListWindow*>(window)->open_chosen();
}

void on_replace(Fl_Widget*, void* window)
{
    static_cast<RomListWindow*>(window)->replace_chosen();
}

Fl_File_Chooser* rom_chooser()
{
    UiState& ui = ui_state();
    if (!ui.romChooser) {
        const std::string filters =
            std::string(texts().allFiles) + " (*)\t" + texts().romImages + " (" + ROM_EXTENSIONS + ")";
        ui.romChooser = new Fl_File_Chooser(".", filters.c_str(), Fl_File_Chooser::SINGLE, texts().openRomTitle);
        ui.romChooser->preview(0);
    }
    // It starts where it was left, or where Open LOGO would.
    const std::string folder = remembered_folder(OPEN_ROM_DIALOG);
    if (!folder.empty())
        ui.romChooser->directory(folder.c_str());
    else if (ui.fileChooser && ui.fileChooser->directory())
        ui.romChooser->directory(ui.fileChooser->directory());
    ui.romChooser->label(texts().openRomTitle);
    return ui.romChooser;
}

}  // namespace

int RomList::handle(int event)
{
    // Files dropped on the rows are opened. The list takes the drop itself: when the
    // pointer was over it before, the toolkit gives the drop's events to it, not the window.
    if (handle_drop(event))
        return 1;
    const bool enter = event == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter);
    if (enter && value() > 0) {
        do_callback();
        return 1;
    }
    const int handled = Fl_Hold_Browser::handle(event);
    // The second press of a double click on a row, which the first press selected.
    if (event == FL_PUSH && Fl::event_clicks() > 0 && Fl::event_button() == FL_LEFT_MOUSE && find_item(Fl::event_y()) &&
        value() > 0)
        do_callback();
    return handled;
}

RomListWindow::RomListWindow() : PictureWindow(WINDOW_W, WINDOW_H)
{
    auto* heads = new ColumnHeads(MARGIN, MARGIN, WINDOW_W - 2 * MARGIN, HEADER_H);
    heads->color(FL_BACKGROUND_COLOR);
    const int listY = MARGIN + HEADER_H;
    const int rowY = WINDOW_H - MARGIN - BUTTON_H;
    list_ = new RomList(MARGIN, listY, WINDOW_W - 2 * MARGIN, rowY - MARGIN - listY);
    list_->textsize(TEXT_SIZE);
    list_->column_widths(COLUMN_WIDTHS);
    list_->column_char('\t');
    list_->when(0);  // a choice (Enter, double click) calls back, a new selection does not
    list_->callback(on_choice, this);
    // The bottom row: the count takes what the width gives or takes, the buttons keep theirs.
    auto* row = new Fl_Group(MARGIN, rowY, WINDOW_W - 2 * MARGIN, BUTTON_H);
    footer_ = new Fl_Box(MARGIN, rowY, WINDOW_W - 4 * MARGIN - 2 * BUTTON_W, BUTTON_H);
    replace_ = new Fl_Button(WINDOW_W - 2 * MARGIN - 2 * BUTTON_W, rowY, BUTTON_W, BUTTON_H);
    replace_->callback(on_replace, this);
    footer_->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_CLIP);
    footer_->labelsize(TEXT_SIZE);
    open_ = new Fl_Return_Button(WINDOW_W - MARGIN - BUTTON_W, rowY, BUTTON_W, BUTTON_H);
    open_->callback(on_choice, this);
    row->resizable(footer_);
    row->end();
    end();
    resizable(list_);
    size_range(MIN_WINDOW_W, MIN_WINDOW_H);
}

void RomListWindow::fill(const std::string& romPath, RomScanReport report)
{
    romPath_ = romPath;
    logos_ = std::move(report.logos);
    list_->clear();
    std::string rows;
    for (const FoundLogo& logo : logos_) {
        const std::vector<std::string> columns = row_columns(logo);
        // "@." before each column: the list takes nothing in a name for its formatting codes.
        list_->add(joined(columns, "@.", '\t').c_str());
        rows += joined(columns, "", '\t') + "\n";
    }
    list_->value(logos_.empty() ? 0 : 1);
    copy_label((std::string(texts().romListTitle) + " \u2014 " + leaf_name(romPath)).c_str());
    footer_->copy_label(format_string(texts().romCount, static_cast<unsigned>(logos_.size())).c_str());
    // Records that could not be read, checksums that do not match: on the count's tooltip.
    std::string problems;
    for (const std::string& problem : report.problems)
        problems += (problems.empty() ? "" : "\n") + problem;
    footer_->copy_tooltip(problems.empty() ? nullptr : problems.c_str());
    open_->label(texts().open);
    replace_->label(texts().replaceEntry);
    redraw();
    show();
    list_->take_focus();
    set_text_property(this, ROWS_PROPERTY, rows);
}

void RomListWindow::open_chosen()
{
    const int row = list_->value();
    if (row >= 1 && row <= static_cast<int>(logos_.size()))
        open_found_logo(romPath_, logos_[static_cast<std::size_t>(row - 1)]);
}

void RomListWindow::replace_chosen()
{
    const int row = list_->value();
    if (row >= 1 && row <= static_cast<int>(logos_.size()))
        show_rom_replace(romPath_, logos_[static_cast<std::size_t>(row - 1)]);
}

bool show_rom_list(const std::string& path, RomScanReport report)
{
    if (report.logos.empty())
        return false;
    UiState& ui = ui_state();
    if (!ui.romList)
        ui.romList = new RomListWindow();
    ui.romList->fill(path, std::move(report));
    return true;
}

void on_open_rom(Fl_Widget*, void*)
{
    Fl_File_Chooser* chooser = rom_chooser();
    chooser->show();
    while (chooser->shown())
        Fl::wait();
    if (chooser->count() != 1 || !chooser->value())
        return;
    remember_folder(OPEN_ROM_DIALOG, chooser->directory() ? chooser->directory() : "");
    open_rom_file(chooser->value());
}

std::string rom_origin_info()
{
    const RomOrigin& origin = ui_state().romOrigin;
    if (origin.romPath.empty())
        return "";
    return format_string(texts().romOrigin, origin.romPath.c_str(), static_cast<unsigned long long>(origin.offset),
                         origin.place.c_str(), origin.compression.c_str());
}
