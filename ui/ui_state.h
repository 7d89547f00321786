// The toolkit objects of the viewer and the state only the viewer has. The core library
// links no FLTK, so the windows, boxes and images that the viewer builds over the loaded
// logo live here, beside viewer_state().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Fl_Box;
class Fl_Button;
class Fl_Choice;
class Fl_Double_Window;
class Fl_File_Chooser;
class Fl_Menu_Bar;
class RomListWindow;
class RomReplaceWindow;
class ScaledImage;
class ZARPO_Main_Window;
class ZoomView;

// Where the loaded logo was found, when it came out of a ROM image.
struct RomOrigin {
    std::string romPath;  // empty: the logo was loaded from its own file
    std::uint64_t offset = 0;
    std::string place;  // the container, the member's name and detail
    std::string compression;
};

struct UiState {
    ZARPO_Main_Window* mainWindow = nullptr;
    Fl_Menu_Bar* menuBar = nullptr;
    Fl_File_Chooser* fileChooser = nullptr;
    Fl_File_Chooser* saveChooser = nullptr;   // Save As, made when first used
    Fl_File_Chooser* romChooser = nullptr;    // Open ROM, made when first used
    RomListWindow* romList = nullptr;         // the logos of the last ROM image, made when first used
    RomReplaceWindow* romReplace = nullptr;   // Replace... of a logo in the ROM list, made when first used
    Fl_Double_Window* frameWindow = nullptr;  // multi-frame logos
    Fl_Double_Window* logoWindow = nullptr;   // single pictures
    Fl_Double_Window* paletteWindow = nullptr;
    Fl_Box* frameBox = nullptr;
    Fl_Box* originalBox = nullptr;
    Fl_Box* fontMapBox = nullptr;
    Fl_Box* colorMapBox = nullptr;
    ScaledImage* mainImage = nullptr;
    ScaledImage* fontMapImage = nullptr;
    ScaledImage* colorMapImage = nullptr;

    // The view of the loaded logo, its status line, and the frame window's own controls.
    ZoomView* view = nullptr;
    Fl_Box* statusLine = nullptr;
    Fl_Box* frameCounter = nullptr;
    Fl_Button* playButton = nullptr;
    Fl_Choice* delayChoice = nullptr;

    int presetZoom = 0;         // ZARPO2_ZOOM: every logo opens at this zoom; 0: by size
    double frameSeconds = 0.5;  // the frame window's delay, and the animated PNG's
    bool endsEarly = false;     // the loaded picture needs bytes past the file's end
    std::string currentPath;    // the file loaded last, or tried
    std::string openingPath;    // the file being opened, which messages name
    RomOrigin romOrigin;        // of the loaded logo
    unsigned loadSerial = 0;    // counts the viewer's loads
    // Files named together (on the command line, in one drop): Page Down and Page Up walk
    // them. Empty: they walk the loaded file's folder.
    std::vector<std::string> fileList;
    std::size_t fileIndex = 0;
};

UiState& ui_state();
