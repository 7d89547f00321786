// Keys that work in every window of the viewer. The menus live in the main window, so the
// picture, frame and palette windows pass the keys nobody took on to the menu bar's
// shortcuts; F1 opens the guide; Left, Right, Home, End and Space step and play the
// frames of a multi-frame logo; Ctrl with plus or minus zooms; Page Down and Page Up go to
// the next and previous logo file; Escape leaves the full screen.
#pragma once

void install_key_handler();
