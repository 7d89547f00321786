// Pictures at a zoom. ScaledImage draws an RGB buffer enlarged or reduced by nearest
// neighbour, only the part on screen. ZoomView holds the picture boxes of a logo or frame
// window and lays them out for the zoom as the window's rule says (at 1x the rule gives the
// windows' own layout); it centres the pictures in a larger view and scrolls them in a
// smaller one, zooms with Ctrl and the wheel, and pans with the wheel or a drag.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <FL/Fl_Group.H>
#include <FL/Fl_Image.H>

class Fl_Box;
class Fl_Scrollbar;

constexpr int MAX_ZOOM = 16;

class ScaledImage : public Fl_Image {
public:
    // An image over width x height RGB pixels (rows top-down) that the caller keeps alive.
    ScaledImage(const std::uint8_t* pixels, int width, int height);
    // Shown at scale times its own size (at least one pixel a side): a whole zoom, or below
    // 1 the whole divisor nearest 1/scale.
    void set_scale(double scale);
    // Marks rows first to last as not in the file: orange beside them, and a tick where the
    // file's data stops.
    void mark_cut_rows(int first, int last)
    {
        cutFirst_ = first;
        cutLast_ = last;
    }
    // The source pixel at screen position x, y, where the image was drawn last; false
    // outside it.
    bool under_pointer(int x, int y, int& sourceX, int& sourceY) const;
    // The source pixel at x, y of the image as drawn (0, 0 its top left corner).
    bool source_pixel(int x, int y, int& sourceX, int& sourceY) const;
    const std::uint8_t* pixels() const { return pixels_; }
    int source_w() const { return sourceW_; }
    int source_h() const { return sourceH_; }
    Fl_Image* copy(int W, int H) override;
    void color_average(Fl_Color, float) override {}
    void desaturate() override {}
    using Fl_Image::draw;
    void draw(int X, int Y, int W, int H, int cx, int cy) override;

private:
    void draw_pixels(int X, int Y, int W, int H, int cx, int cy);
    // A one-pixel grey outline round the picture, so that its edge shows on the black
    // background, and the cut rows.
    void draw_edge() const;
    static void scaled_row(void* image, int x, int y, int w, uchar* out);
    const std::uint8_t* pixels_;
    int sourceW_, sourceH_;
    double scale_ = 1.0;
    int cutFirst_ = -1, cutLast_ = -1;
    int drawX_ = 0, drawY_ = 0;      // image coordinates of the area being drawn
    int originX_ = 0, originY_ = 0;  // where the image's top left corner was drawn last
};

struct Rect {
    int x, y, w, h;
};

// Where a window's boxes go for pictures of W x H on screen, in content coordinates.
struct ContentLayout {
    int w = 0, h = 0;  // the content's size
    std::vector<Rect> boxes;
};

struct LayoutRule {
    ContentLayout (*layout)(int W, int H);
    int across;   // pictures side by side
    int marginW;  // content beside and between the pictures
    int marginH;  // content above and below a picture
};

class ZoomView : public Fl_Group {
public:
    // A view of pictures of pictureW x pictureH pixels at 1x; add boxes and the overlay
    // between this and end().
    ZoomView(int x, int y, int w, int h, LayoutRule rule, int pictureW, int pictureH);
    // A picture box, laid out by the rule (the n-th box added gets the rule's n-th place).
    void add_box(Fl_Box* box) { boxes_.push_back(box); }
    // An image shown in one of the boxes; it follows the zoom.
    void add_image(ScaledImage* image);
    // A widget drawn over the top of the view, as wide as the view, never scrolled.
    void set_overlay(Fl_Widget* overlay) { overlay_ = overlay; }
    // A text drawn in the middle of the view (an empty picture's message).
    void set_message(const std::string& text);

    void zoom_to(double scale);     // an integer 1 to 16 (or any scale for tests of the rule)
    // The largest whole zoom that fits the view (below 1x the largest 1/k); follows the
    // view's size.
    void zoom_fit();
    void zoom_step(int direction);  // to the next integer zoom up (+1) or down (-1)
    double scale() const { return scale_; }
    bool fitting() const { return fitting_; }
    std::function<void()> onZoom;  // after every zoom change, a fit's on resize too
    // The pointer moved over a picture's pixel (image, its column and row), or off the
    // pictures (image null).
    std::function<void(const ScaledImage* image, int x, int y)> onPointer;

    void resize(int x, int y, int w, int h) override;
    void draw() override;
    int handle(int event) override;

private:
    void lay_out();
    void scroll_by(int dx, int dy);
    void point_at(int x, int y);
    static void on_scroll(Fl_Widget* bar, void* view);

    LayoutRule rule_;
    int pictureW_, pictureH_;
    double scale_ = 1.0;
    bool fitting_ = false;
    std::vector<Fl_Box*> boxes_;
    std::vector<ScaledImage*> images_;
    Fl_Widget* overlay_ = nullptr;
    Fl_Scrollbar* hbar_;
    Fl_Scrollbar* vbar_;
    std::string message_;
    int scrollX_ = 0, scrollY_ = 0;
    int viewW_ = 0, viewH_ = 0;        // the part not covered by scroll bars
    int contentW_ = 0, contentH_ = 0;  // at the current zoom
    int dragX_ = 0, dragY_ = 0;
};

// A length of source pixels on screen at scale: a whole zoom multiplies it, a scale below
// 1 divides it by the whole divisor nearest 1/scale, so blocks are all the same size.
int scaled_length(int length, double scale);

// The largest whole zoom up to largest at which the rule's layout of a pictureW x pictureH
// picture fits an areaW x areaH area; below 1x the largest 1/k that fits (at least 1/100).
double fitting_scale(const LayoutRule& rule, int pictureW, int pictureH, int areaW, int areaH, int largest);

// The zoom a logo opens at: pictures under 160 pixels a side at the largest integer zoom
// that keeps across x W by H within half the screen's width and height; others at 1x.
// preset (ZARPO2_ZOOM) overrides it when set.
int initial_zoom(int across, int W, int H, int preset);
