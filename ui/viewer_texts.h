// The viewer's own texts beyond the menus and the load messages: the status line, the
// save and file messages, the Save As, palette, ROM list and Replace windows, in English,
// German and Russian.
#pragma once

#include <string>

#include "pipeline/rom_replace.h"

struct ViewerTexts {
    const char* paletteColours;  // "%u-colour palette": the palette the format declares
    const char* distinctColours; // "%u distinct": the colours the picture holds
    const char* frames;          // "%u frames"
    const char* zoom;            // "zoom %u×"
    const char* fit;             // "fit %u %%"
    const char* noPicture;       // the file decoded to nothing
    const char* endsEarly;       // the decoder read past the file's end
    const char* jpegRejected;    // libjpeg refused the data: the test pattern is shown
    const char* blankPicture;    // every pixel has the same colour
    const char* pixelColour;     // "colour %u": the pixel's number in the palette window
    const char* wroteOne;        // "Wrote %s to %s": the one file and its folder
    const char* cannotOpen;      // "Cannot open %s: %s" in the status line
    const char* wrote[3];        // "Wrote %u file(s) to %s": one, few (Russian 2-4), many
    const char* cannotWrite;     // "Cannot write %s: %s"
    const char* notRegular;      // why a folder or FIFO is not opened
    const char* noNextFile;      // Page Down on the last logo of the folder or list
    const char* noPreviousFile;  // Page Up on the first
    const char* saveAsTitle;     // the Save As file chooser
    const char* pngFiles;        // its filter's name
    const char* replaceOne;      // "%s already exists.\nReplace it?"
    const char* replaceMany;     // "%u files already exist, %s among them.\nReplace them?"
    const char* replace;         // button
    const char* cancel;          // button
    const char* allLogoFiles;    // Open LOGO filter names
    const char* allFiles;
    const char* paletteTitle;  // the palette window
    const char* paletteEntry;  // "Colour %u: R %u, G %u, B %u"
    const char* paletteCount;  // "%u colours; point at a swatch"
    const char* paletteNone;   // a picture of more than 256 colours
    const char* frameDelay;    // tooltip of the delay choice
    const char* frameCounter;  // "%s (%u of %u)": the title's frame, its place counted from 1
    const char* previousFrame; // tooltips of the frame window's buttons
    const char* playFrames;
    const char* nextFrame;
    const char* copied;        // "Copied %u × %u pixels to the clipboard"
    const char* notCopied;     // no picture, or too large for the clipboard
    const char* romListTitle;  // the list of the logos inside a ROM image
    // The list's column heads: offset, where found, compression, format, size, frames.
    const char* romColumns[6];
    const char* romCount;      // "Logos found: %u"
    const char* open;          // its button
    const char* noLogoInRom;   // File > Open ROM on a file that holds none
    const char* openRomTitle;  // the Open ROM chooser
    const char* romImages;     // its filter's name
    const char* romOrigin;     // Info lines: the ROM; the offset, where found, the compression
    // Replace... of the ROM list, and its window.
    const char* replaceEntry;       // the list's button
    const char* replaceTitle;       // the window's title, before the slot's place
    const char* replacePicture;     // its buttons
    const char* replaceSaveAs;
    const char* replaceSlot;        // "Slot: %s, %s, %ux%u. ...": place, format, size
    const char* pictureChooserTitle;
    const char* saveRomTitle;       // the chooser of the new ROM file
    const char* romNotReadable;     // "The ROM image %s cannot be read again."
    const char* cannotUsePicture;   // "Cannot use %s as the new logo: %s"
    const char* replaceNote;        // "Note: %s": what the writer noticed
    const char* replaceRefused;     // "Refused: %s": why the writer or the encoder refused
    const char* notOverInput;       // "Not written: %s is the opened ROM or the picture."
    ReplacementReportTexts replaceReport;  // the room, size and check lines
};

extern const ViewerTexts ENGLISH_TEXTS;
extern const ViewerTexts GERMAN_TEXTS;
extern const ViewerTexts RUSSIAN_TEXTS;

// The texts of the current language.
const ViewerTexts& texts();

// "Wrote N files to DIR" in the current language, with its plural form.
std::string wrote_files_text(unsigned count, const std::string& dir);
// "Wrote FILE to DIR": one file, named.
std::string wrote_file_text(const std::string& file, const std::string& dir);
