// What the status line tells of the loaded picture's colours: the pixel under the pointer
// (its position, its number in the palette window where the picture has at most 256
// colours, its colour as #RRGGBB) at any zoom, and how many distinct colours it holds.
#pragma once

#include <string>

class ScaledImage;

// ZoomView::onPointer of the picture windows: shows the pixel at column x, row y of image
// in the status line, or, with no image, the logo's properties again.
void show_pixel_under_pointer(const ScaledImage* image, int x, int y);

// The status line's text for the pixel under the pointer; empty when it is off the picture.
std::string pointer_text();

// The distinct colours of the loaded picture (of all frames together).
unsigned distinct_colour_count();
