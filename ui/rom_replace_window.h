// The ROM list's Replace...: a picture (chosen, or dropped on the window: a PNG, or any
// logo file zarpo2 reads, the JPEG and BMP pictures among them, read as zarpo2-cli replace
// reads its PICTURE) is encoded in the format and at the size of the chosen logo's slot
// and written into a copy of the ROM image in memory, verified as zarpo2-cli replace verifies it; the window shows the current
// logo beside the new one as the slot will hold it, with the room it takes and the checks.
// Save As writes the new image to another file, never over the opened ROM or the picture.
// The window's text is also set as the property _ZARPO2_REPLACE, for scripts and tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pipeline/rom_replace.h"
#include "ui/picture_window.h"

class Fl_Box;
class Fl_Button;
class Fl_RGB_Image;

class RomReplaceWindow : public PictureWindow {
public:
    RomReplaceWindow();
    ~RomReplaceWindow() override;
    // Shows slot, a logo found in the ROM image at romPath, with no new picture yet.
    void start(const std::string& romPath, const FoundLogo& slot);
    // Encodes the picture at path for the slot and writes it into the image in memory; a
    // file that cannot be used is told in the window and in a message box.
    void choose_picture(const std::string& path);
    // Asks for a picture (Picture...) and takes it as choose_picture does.
    void ask_picture();
    // Asks for a file name and writes the verified image there.
    void save_as();
    int handle(int event) override;

private:
    void show_text(const std::string& text);
    void refuse_picture(const std::string& path, const std::string& why);

    Fl_Box* current_;
    Fl_Box* preview_;
    Fl_Box* info_;
    Fl_Button* choose_;
    Fl_Button* save_;
    std::unique_ptr<Fl_RGB_Image> currentImage_, previewImage_;
    std::string romPath_, picturePath_;
    std::vector<std::uint8_t> image_;     // the ROM as read
    FoundLogo slot_;
    std::vector<std::uint8_t> written_;   // the verified new image; empty when there is none
};

// Opens the window for slot of the ROM at romPath.
void show_rom_replace(const std::string& romPath, const FoundLogo& slot);
