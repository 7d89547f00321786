// The interface texts of one language (UTF-8).
#pragma once

struct UiStrings {
    const char* type;
    const char* fileLen;
    const char* colors;
    const char* composite;
    const char* width;
    const char* height;
    const char* frames;
    const char* frame;
    const char* cantOpen;
    const char* noMemory;
    const char* unknownType;
    const char* infoButton;
    const char* closeButton;
    const char* logoTitle;
    const char* chooserTitle;
    const char* chooserPattern;
};

enum Language { LANGUAGE_ENGLISH = 0, LANGUAGE_RUSSIAN = 1, LANGUAGE_GERMAN = 2 };

extern const UiStrings ENGLISH_STRINGS;
extern const UiStrings RUSSIAN_STRINGS;  // carries the English texts
extern const UiStrings GERMAN_STRINGS;
