// File > Save As: the loaded logo written under a name the user chose. A single picture
// goes to the chosen file. A multi-frame logo goes to an animated PNG of all its frames at
// the chosen name, and every frame to its own PNG beside it, named as Save as PNG names
// frames: "NAME-(Frame00).png", "NAME-(Frame01).png", ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/save_png.h"

// The chosen name as written: ".png" is added unless the name already ends in it.
std::string save_as_target(const std::string& chosen);

// Every file a Save As to chosen writes for the loaded logo, the animated PNG first.
std::vector<std::string> save_as_paths(const std::string& chosen);

// Writes those files; frameDelayMs is how long the animated PNG shows each frame.
SaveResult save_as_files(const std::string& chosen, std::uint16_t frameDelayMs);
