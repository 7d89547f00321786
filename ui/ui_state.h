// The toolkit objects of the viewer. The core library links no FLTK, so the windows, boxes
// and images that the viewer builds over the loaded logo live here, beside viewer_state().
#pragma once

class Fl_Box;
class Fl_Double_Window;
class Fl_File_Chooser;
class Fl_Menu_Bar;
class Fl_RGB_Image;
class ZARPO_Main_Window;

struct UiState {
    ZARPO_Main_Window* mainWindow = nullptr;
    Fl_Menu_Bar* menuBar = nullptr;
    Fl_File_Chooser* fileChooser = nullptr;
    Fl_Double_Window* frameWindow = nullptr;  // multi-frame logos
    Fl_Double_Window* logoWindow = nullptr;   // single pictures
    Fl_Box* frameBox = nullptr;
    Fl_Box* originalBox = nullptr;
    Fl_Box* fontMapBox = nullptr;
    Fl_Box* colorMapBox = nullptr;
    Fl_RGB_Image* mainImage = nullptr;
    Fl_RGB_Image* fontMapImage = nullptr;
    Fl_RGB_Image* colorMapImage = nullptr;
};

UiState& ui_state();
