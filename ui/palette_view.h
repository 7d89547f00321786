// The palette window: the colours of the loaded logo as a grid of swatches, sixteen a row,
// numbered in the order the picture first uses them; pointing at a swatch shows its number
// and RGB. Formats that store pictures as palette indices have at most 256 colours; a
// picture with more gets a message instead of the grid.
#pragma once

#include <cstdint>
#include <vector>

class Fl_Widget;

// View > Palette: opens the window for the loaded logo (or raises it).
void on_palette(Fl_Widget* widget, void* data);
void hide_palette_window();

// The distinct colours (0xRRGGBB) of the loaded picture, or of all frames, in order of
// first use; at most limit + 1, so a caller sees when there are more than limit.
std::vector<std::uint32_t> picture_colours(std::size_t limit);
