// Keys that work in every window of the viewer. The menus live in the main window, so the
// picture, frame and palette windows pass the keys nobody took on to the menu bar's
// shortcuts; F1 opens the guide; Left, Right, Home, End and Space step and play the
// frames of a multi-frame logo; Ctrl with plus or minus zooms.
#pragma once

void install_key_handler();
