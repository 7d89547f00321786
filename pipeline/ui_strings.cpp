#include "pipeline/ui_strings.h"

const UiStrings ENGLISH_STRINGS = {
    "Type", "FileLen", "Colors", "Composite", "Width", "Height", "Frames", "Frame",
    "Sorry, I can't open", "No memory allocated for Image", "LOGO type is unknown",
    "Info", "Close", "LOGO", "Load BIOS-LOGO file", "*.{epa,bin,bmp,pli}",
};

const UiStrings RUSSIAN_STRINGS = {
    "Type", "FileLen", "Colors", "Composite", "Width", "Height", "Frames", "Frame",
    "Sorry, I can't open", "No memory allocated for Image", "LOGO type is unknown",
    "Info", "Close", "LOGO", "Load BIOS-LOGO file", "*.{epa,bin,bmp}",
};

// The German texts were Latin-1; here they are UTF-8 with the same wording.
const UiStrings GERMAN_STRINGS = {
    "Typ", "Deteil\u00e4nge", "Farben", "Zusammengesetzt", "Breite", "H\u00f6he", "Bildlagen", "Bildlage",
    "Kann Datei nicht \u00f6ffnen.", "Kein Speicher mehr f\u00fcr Bild vorhanden.", "Logo-Typ ist unbekannt",
    "Info", "Schlie\u00dfen", "LOGO", "BIOS-Logo Datei laden", "*.{epa,bin,bmp,pli}",
};
