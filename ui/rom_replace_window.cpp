#include "ui/rom_replace_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>

#include "core/format_string.h"
#include "output/convert_logo.h"
#include "output/png_file.h"
#include "output/run_outputs.h"
#include "pipeline/decode_logo.h"
#include "pipeline/input_file.h"
#include "pipeline/viewer_state.h"
#include "ui/drag_drop.h"
#include "ui/main_window.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"

namespace {

constexpr int WINDOW_W = 700;
constexpr int WINDOW_H = 400;
constexpr int MARGIN = 5;
constexpr int PICTURE_W = (WINDOW_W - 3 * MARGIN) / 2;
constexpr int PICTURE_H = 250;
constexpr int BUTTON_W = 120;
constexpr int BUTTON_H = 25;
constexpr Fl_Fontsize TEXT_SIZE = 12;
constexpr const char* TEXT_PROPERTY = "_ZARPO2_REPLACE";

bool is_drag(int event)
{
    return event == FL_DND_ENTER || event == FL_DND_DRAG || event == FL_DND_RELEASE || event == FL_DND_LEAVE;
}

// A box that passes a drop over it on to its window: the toolkit gives a drop's data to
// the widget under the pointer that took the drag.
class DropBox : public Fl_Box {
public:
    using Fl_Box::Fl_Box;
    int handle(int event) override
    {
        if (is_drag(event))
            return 1;
        if (event == FL_PASTE)
            return window()->handle(event);
        return Fl_Box::handle(event);
    }
};

// The picture, shrunk to fit a box of the preview's size when larger.
std::unique_ptr<Fl_RGB_Image> picture_image(const std::vector<std::uint8_t>& rgb, int w, int h)
{
    if (rgb.empty() || w <= 0 || h <= 0)
        return nullptr;
    Fl_RGB_Image full(rgb.data(), w, h, 3);
    double scale = std::min(1.0, std::min(double(PICTURE_W) / w, double(PICTURE_H) / h));
    int sw = std::max(1, int(w * scale)), sh = std::max(1, int(h * scale));
    return std::unique_ptr<Fl_RGB_Image>(static_cast<Fl_RGB_Image*>(full.copy(sw, sh)));
}

// The file chosen in a chooser opened in folder that proposes the name suggested there
// (the name alone selected, so that a name typed replaces it: the chooser completes what
// is typed against the folder); empty when none was chosen.
std::string chosen_file(const char* title, int type, const char* filter, const std::string& folder,
                        const std::string& suggested)
{
    Fl_File_Chooser chooser(folder.c_str(), filter, type, title);
    chooser.preview(0);
    chooser.value((folder + "/" + suggested).c_str());  // the folder alone ends in "/"
    chooser.show();
    if (auto* field = dynamic_cast<Fl_Input*>(Fl::focus()))
        field->position(field->size(), static_cast<int>(folder.size()) + 1);
    while (chooser.shown())
        Fl::wait();
    return chooser.count() == 1 && chooser.value() ? chooser.value() : "";
}

// Tells, in a message box as the viewer tells a file it cannot open, once the event that
// brought the file (a drop, whose sender waits for its end) is over.
void alert_later(void* text)
{
    std::unique_ptr<std::string> owned(static_cast<std::string*>(text));
    fl_alert("%s", owned->c_str());
}

void on_choose(Fl_Widget*, void* window)
{
    static_cast<RomReplaceWindow*>(window)->ask_picture();
}

void on_save(Fl_Widget*, void* window)
{
    static_cast<RomReplaceWindow*>(window)->save_as();
}

}  // namespace

RomReplaceWindow::RomReplaceWindow() : PictureWindow(WINDOW_W, WINDOW_H)
{
    current_ = new DropBox(FL_DOWN_BOX, MARGIN, MARGIN, PICTURE_W, PICTURE_H, nullptr);
    preview_ = new DropBox(FL_DOWN_BOX, 2 * MARGIN + PICTURE_W, MARGIN, PICTURE_W, PICTURE_H, nullptr);
    const int infoY = 2 * MARGIN + PICTURE_H;
    info_ = new DropBox(MARGIN, infoY, WINDOW_W - 2 * MARGIN, WINDOW_H - infoY - 2 * MARGIN - BUTTON_H);
    info_->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP | FL_ALIGN_CLIP);
    info_->labelsize(TEXT_SIZE);
    const int rowY = WINDOW_H - MARGIN - BUTTON_H;
    choose_ = new Fl_Button(MARGIN, rowY, BUTTON_W, BUTTON_H);
    choose_->callback(on_choose, this);
    save_ = new Fl_Button(WINDOW_W - MARGIN - BUTTON_W, rowY, BUTTON_W, BUTTON_H);
    save_->shortcut(FL_CTRL + 's');
    save_->callback(on_save, this);
    end();
}

RomReplaceWindow::~RomReplaceWindow() = default;

void RomReplaceWindow::show_text(const std::string& text)
{
    info_->copy_label(text.c_str());
    set_text_property(this, TEXT_PROPERTY, text);
    redraw();
}

void RomReplaceWindow::start(const std::string& romPath, const FoundLogo& slot)
{
    romPath_ = romPath;
    slot_ = slot;
    picturePath_.clear();
    written_.clear();
    RomScanReport report;
    if (!read_rom_file(romPath, image_, report))
        image_.clear();
    DrawnLogo drawn = draw_logo_bytes(slot.bytes);
    currentImage_ = picture_image(drawn.rgb, drawn.width, drawn.height);
    current_->image(currentImage_.get());
    preview_->image(nullptr);
    previewImage_.reset();
    save_->deactivate();
    // The texts of the language chosen last.
    const ViewerTexts& t = texts();
    copy_label((std::string(t.replaceTitle) + " \u2014 " + found_logo_place(slot)).c_str());
    choose_->label(t.replacePicture);
    save_->label(t.replaceSaveAs);
    show();  // the text's property needs the window on the server
    show_text(format_string(t.replaceSlot, found_logo_place(slot).c_str(), slot.formatName.c_str(), slot.width,
                            slot.height));
}

void RomReplaceWindow::refuse_picture(const std::string& path, const std::string& why)
{
    const std::string reason = why == NOT_A_REGULAR_FILE ? texts().notRegular : why;
    const std::string text = format_string(texts().cannotUsePicture, path.c_str(), reason.c_str());
    show_text(text);
    Fl::add_timeout(0.0, alert_later, new std::string(text));
}

void RomReplaceWindow::choose_picture(const std::string& path)
{
    const ViewerTexts& t = texts();
    picturePath_ = path;
    written_.clear();
    save_->deactivate();
    preview_->image(nullptr);
    previewImage_.reset();
    if (image_.empty()) {
        show_text(format_string(t.romNotReadable, romPath_.c_str()));
        return;
    }
    // Read as zarpo2-cli replace reads its PICTURE; the window tells what went wrong itself.
    QuietLoad quiet;
    SourcePicture source;
    std::vector<std::uint8_t> pictureMark;  // the slot keeps its own mark
    std::string why;
    if (!read_picture_file(path, 0, quiet.load, quiet.frontEnd, *viewer_state().strings, source, pictureMark, why)) {
        refuse_picture(path, why);
        return;
    }
    SlotTarget target = choose_slot_target(image_, slot_, nullptr);
    if (!target.target) {
        show_text(format_string(t.replaceRefused, target.refusal.c_str()));
        return;
    }
    EncodeOptions options;
    options.target = target.target->target;
    options.width = slot_.width;
    options.height = slot_.height;
    options.epaMarkTail = slot_epa_mark(slot_);
    EncodedLogo encoded = encode_checked(source, options);
    if (!encoded.ok()) {
        refuse_picture(path, encoded.refusal);
        return;
    }
    previewImage_ = picture_image(encoded.rgb, static_cast<int>(encoded.width), static_cast<int>(encoded.height));
    preview_->image(previewImage_.get());
    RomReplacement replaced = replace_rom_logo(image_, slot_, encoded.bytes, default_rom_packers());
    std::string text;
    for (const std::string& line : replacement_report(replaced, t.replaceReport))
        text += line + "\n";
    for (const std::string& notice : replaced.write.report.notices)
        text += format_string(t.replaceNote, notice.c_str()) + "\n";
    if (!replaced.write.ok)
        text += format_string(t.replaceRefused, replaced.write.refusal.c_str()) + "\n";
    if (replaced.ok()) {
        written_ = std::move(replaced.write.image);
        save_->activate();
    }
    show_text(text);
}

void RomReplaceWindow::ask_picture()
{
    // Every file first: any logo file is a picture here, whatever its name. The chooser
    // opens where the last picture came from, else beside the ROM.
    const ViewerTexts& t = texts();
    const std::string filters = std::string(t.allFiles) + " (*)\t" + t.pngFiles + " (*.png)\t" + t.allLogoFiles +
                                " (" + LOGO_FILE_PATTERN + ")";
    const std::string folder = folder_of(picturePath_.empty() ? romPath_ : picturePath_);
    const std::string path = chosen_file(t.pictureChooserTitle, Fl_File_Chooser::SINGLE, filters.c_str(), folder, "");
    if (!path.empty())
        choose_picture(path);
}

void RomReplaceWindow::save_as()
{
    if (written_.empty())
        return;
    const ViewerTexts& t = texts();
    // Proposed: the ROM's name with "-new" before its extension, beside it.
    const std::string folder = folder_of(romPath_);
    const std::string leaf = leaf_name(romPath_);
    const std::size_t dot = leaf.rfind('.');
    const std::string suggested = dot == std::string::npos ? leaf + "-new" : leaf.substr(0, dot) + "-new" + leaf.substr(dot);
    const std::string filter = std::string(t.romImages) + " (*)";
    std::string path = chosen_file(t.saveRomTitle, Fl_File_Chooser::CREATE, filter.c_str(), folder, suggested);
    if (path.empty())
        return;
    RunOutputs run;
    run.add_input(romPath_);
    run.add_input(picturePath_);
    std::string why;
    if (run.choose(romPath_, {path}, {path}).names.empty())
        show_text(format_string(t.notOverInput, path.c_str()));
    else if (!write_file_atomically(path, written_, why))
        show_text(format_string(t.cannotWrite, path.c_str(), why.c_str()));
    else
        show_text(wrote_file_text(leaf_name(path), folder_of(path)));
}

int RomReplaceWindow::handle(int event)
{
    // A file dropped here is the new picture, not a file to open. The toolkit gives the drop's
    // data to the widget it last saw under the pointer: the window takes that place.
    if (is_drag(event)) {
        if (event != FL_DND_LEAVE)
            Fl::belowmouse(this);
        return 1;
    }
    if (event == FL_PASTE) {
        std::vector<std::string> paths = dropped_paths(std::string(Fl::event_text(), Fl::event_length()));
        if (!paths.empty())
            choose_picture(paths.front());
        return 1;
    }
    return PictureWindow::handle(event);
}

void show_rom_replace(const std::string& romPath, const FoundLogo& slot)
{
    UiState& ui = ui_state();
    if (!ui.romReplace)
        ui.romReplace = new RomReplaceWindow();
    ui.romReplace->start(romPath, slot);
}
