#include "ui/zoom_view.h"

#include <algorithm>
#include <cmath>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

namespace {

constexpr int RGB_DEPTH = 3;
constexpr int MAX_FIT_DIVISOR = 100;  // fit shrinks a picture to 1/2, 1/3, ... down to 1/100
constexpr int SMALL_PICTURE = 160;  // pictures below this on both sides open enlarged
constexpr int WHEEL_STEP = 16;      // pixels scrolled per wheel notch
constexpr Fl_Color VIEW_BACKGROUND = FL_BLACK;
constexpr Fl_Fontsize MESSAGE_SIZE = 14;
// The picture's edge, one pixel outside it: grey shows on a black picture and a white one.
constexpr Fl_Color EDGE_COLOR = 0x80808000;  // 128, 128, 128 as FLTK writes RGB colours
// The rows a cut file does not hold: outlined, and dashed where the data stops.
constexpr Fl_Color CUT_COLOR = 0xFF400000;  // 255, 64, 0
constexpr int CUT_TICK = 5;  // pixels a tick reaches out from the picture

// The source pixel of screen pixel i of a picture of source pixels drawn length wide at
// scale: the same whole steps as scaled_length.
long long source_index(long long i, int source, int drawn, double scale)
{
    if (scale < 1)
        return i * std::lround(1 / scale);
    if (scale == std::floor(scale))
        return i / static_cast<long long>(scale);
    return drawn > 0 ? i * source / drawn : 0;
}

}  // namespace

int scaled_length(int length, double scale)
{
    if (length <= 0)
        return 0;
    if (scale < 1)
        return std::max(1, length / static_cast<int>(std::lround(1 / scale)));
    if (scale == std::floor(scale))
        return length * static_cast<int>(scale);
    return std::max(1, static_cast<int>(length * scale));
}

double fitting_scale(const LayoutRule& rule, int pictureW, int pictureH, int areaW, int areaH, int largest)
{
    // A layout at its smallest (a window's minimum size) may be larger than the area; the
    // pictures fit all the same when they and their margins do.
    const ContentLayout smallest = rule.layout(1, 1);
    const auto fits = [&](double scale) {
        const int W = scaled_length(pictureW, scale), H = scaled_length(pictureH, scale);
        const ContentLayout content = rule.layout(W, H);
        return (content.w <= areaW || (content.w == smallest.w && rule.across * W + rule.marginW <= areaW)) &&
               (content.h <= areaH || (content.h == smallest.h && H + rule.marginH <= areaH));
    };
    for (int zoom = largest; zoom >= 1; --zoom)
        if (fits(zoom))
            return zoom;
    for (int divisor = 2; divisor < MAX_FIT_DIVISOR; ++divisor)
        if (fits(1.0 / divisor))
            return 1.0 / divisor;
    return 1.0 / MAX_FIT_DIVISOR;
}

ScaledImage::ScaledImage(const std::uint8_t* pixels, int width, int height)
    : Fl_Image(width, height, RGB_DEPTH), pixels_(pixels), sourceW_(width), sourceH_(height)
{
}

void ScaledImage::set_scale(double scale)
{
    scale_ = scale;
    w(scaled_length(sourceW_, scale));
    h(scaled_length(sourceH_, scale));
}

bool ScaledImage::source_pixel(int x, int y, int& sourceX, int& sourceY) const
{
    if (x < 0 || y < 0 || x >= w() || y >= h())
        return false;
    sourceX = static_cast<int>(std::min<long long>(source_index(x, sourceW_, w(), scale_), sourceW_ - 1));
    sourceY = static_cast<int>(std::min<long long>(source_index(y, sourceH_, h(), scale_), sourceH_ - 1));
    return true;
}

Fl_Image* ScaledImage::copy(int W, int H)
{
    auto* image = new ScaledImage(pixels_, sourceW_, sourceH_);
    image->scale_ = scale_;
    image->w(W);
    image->h(H);
    return image;
}

void ScaledImage::draw(int X, int Y, int W, int H, int cx, int cy)
{
    originX_ = X - cx;
    originY_ = Y - cy;
    draw_pixels(X, Y, W, H, cx, cy);
    draw_edge();
}

void ScaledImage::draw_pixels(int X, int Y, int W, int H, int cx, int cy)
{
    // The part of the image that is asked for, within the image and the clip region.
    if (cx < 0) {
        X -= cx;
        W += cx;
        cx = 0;
    }
    if (cy < 0) {
        Y -= cy;
        H += cy;
        cy = 0;
    }
    W = std::min(W, w() - cx);
    H = std::min(H, h() - cy);
    int x, y, cw, ch;
    fl_clip_box(X, Y, W, H, x, y, cw, ch);
    if (cw <= 0 || ch <= 0 || !pixels_)
        return;
    drawX_ = cx + (x - X);
    drawY_ = cy + (y - Y);
    fl_draw_image(scaled_row, this, x, y, cw, ch, RGB_DEPTH);
}

void ScaledImage::draw_edge() const
{
    // The toolkit draws a label's text after its image in the colour it set before.
    struct KeepColour {
        Fl_Color colour = fl_color();
        ~KeepColour() { fl_color(colour); }
    } keep;
    fl_color(EDGE_COLOR);
    fl_rect(originX_ - 1, originY_ - 1, w() + 2, h() + 2);
    if (cutFirst_ < 0 || cutLast_ < cutFirst_ || cutLast_ >= sourceH_)
        return;
    const int top = originY_ + scaled_length(cutFirst_, scale_);
    const int bottom = originY_ + scaled_length(cutLast_ + 1, scale_);
    // Beside the picture, never over it: the edge along the cut rows, and a tick where
    // the data stops (below the cut rows when they are the top ones).
    fl_color(CUT_COLOR);
    fl_yxline(originX_ - 1, top, bottom - 1);
    fl_yxline(originX_ + w(), top, bottom - 1);
    const int stop = cutFirst_ == 0 ? bottom : top - 1;
    fl_xyline(originX_ - CUT_TICK, stop, originX_ - 1);
    fl_xyline(originX_ + w(), stop, originX_ + w() + CUT_TICK - 1);
}

bool ScaledImage::under_pointer(int x, int y, int& sourceX, int& sourceY) const
{
    return source_pixel(x - originX_, y - originY_, sourceX, sourceY);
}

// One row of the drawn area: every screen pixel takes the source pixel it falls in.
void ScaledImage::scaled_row(void* data, int x, int y, int w, uchar* out)
{
    const auto* image = static_cast<const ScaledImage*>(data);
    const long long sy = source_index(image->drawY_ + y, image->sourceH_, image->h(), image->scale_);
    const std::uint8_t* row = image->pixels_ + std::min<long long>(sy, image->sourceH_ - 1) * image->sourceW_ * 3;
    for (int i = 0; i < w; ++i) {
        const long long sx = source_index(image->drawX_ + x + i, image->sourceW_, image->w(), image->scale_);
        const std::uint8_t* pixel = row + std::min<long long>(sx, image->sourceW_ - 1) * 3;
        out[i * 3] = pixel[0];
        out[i * 3 + 1] = pixel[1];
        out[i * 3 + 2] = pixel[2];
    }
}

ZoomView::ZoomView(int x, int y, int w, int h, LayoutRule rule, int pictureW, int pictureH)
    : Fl_Group(x, y, w, h), rule_(rule), pictureW_(pictureW), pictureH_(pictureH)
{
    box(FL_FLAT_BOX);
    color(VIEW_BACKGROUND);
    hbar_ = new Fl_Scrollbar(x, y, w, Fl::scrollbar_size());
    hbar_->type(FL_HORIZONTAL);
    vbar_ = new Fl_Scrollbar(x, y, Fl::scrollbar_size(), h);
    for (Fl_Scrollbar* bar : {hbar_, vbar_}) {
        bar->callback(on_scroll, this);
        bar->linesize(WHEEL_STEP);
        bar->visible_focus(0);
        bar->hide();
    }
}

void ZoomView::add_image(ScaledImage* image)
{
    if (!image)
        return;
    image->set_scale(scale_);
    images_.push_back(image);
}

void ZoomView::set_message(const std::string& text)
{
    message_ = text;
    redraw();
}

void ZoomView::zoom_to(double scale)
{
    fitting_ = false;
    // The point in the middle of the view stays there.
    const double middleX = contentW_ ? (scrollX_ + viewW_ / 2.0) / contentW_ : 0.5;
    const double middleY = contentH_ ? (scrollY_ + viewH_ / 2.0) / contentH_ : 0.5;
    scale_ = scale;
    lay_out();
    scrollX_ = static_cast<int>(middleX * contentW_ - viewW_ / 2.0);
    scrollY_ = static_cast<int>(middleY * contentH_ - viewH_ / 2.0);
    lay_out();
    redraw();
    if (onZoom)
        onZoom();
}

void ZoomView::zoom_fit()
{
    fitting_ = true;
    scrollX_ = scrollY_ = 0;
    lay_out();
    redraw();
    if (onZoom)
        onZoom();
}

void ZoomView::zoom_step(int direction)
{
    double next = direction > 0 ? std::floor(scale_) + 1 : std::ceil(scale_) - 1;
    if (next < 1 || next > MAX_ZOOM)
        return;
    zoom_to(next);
}

void ZoomView::resize(int x, int y, int w, int h)
{
    Fl_Widget::resize(x, y, w, h);
    lay_out();
}

void ZoomView::lay_out()
{
    const double before = scale_;
    if (fitting_ && pictureW_ > 0 && pictureH_ > 0)
        scale_ = fitting_scale(rule_, pictureW_, pictureH_, w(), h(), MAX_ZOOM);
    for (ScaledImage* image : images_)
        image->set_scale(scale_);
    const int W = scaled_length(pictureW_, scale_);
    const int H = scaled_length(pictureH_, scale_);
    const ContentLayout content = rule_.layout(W, H);
    contentW_ = content.w;
    contentH_ = content.h;
    if (fitting_) {
        // The pictures fit: a layout larger than the view (its minimum) is cut to it.
        contentW_ = std::min(contentW_, w());
        contentH_ = std::min(contentH_, h());
    }

    const int bar = Fl::scrollbar_size();
    bool needH = contentW_ > w(), needV = contentH_ > h();
    if (needH && !needV)
        needV = contentH_ > h() - bar;
    if (needV && !needH)
        needH = contentW_ > w() - bar;
    viewW_ = w() - (needV ? bar : 0);
    viewH_ = h() - (needH ? bar : 0);
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, contentW_ - viewW_));
    scrollY_ = std::clamp(scrollY_, 0, std::max(0, contentH_ - viewH_));
    const int originX = x() + (contentW_ <= viewW_ ? (viewW_ - contentW_) / 2 : -scrollX_);
    const int originY = y() + (contentH_ <= viewH_ ? (viewH_ - contentH_) / 2 : -scrollY_);
    for (std::size_t i = 0; i < boxes_.size() && i < content.boxes.size(); ++i) {
        const Rect& r = content.boxes[i];
        boxes_[i]->resize(originX + r.x, originY + r.y, r.w, r.h);
    }
    if (needH) {
        hbar_->resize(x(), y() + viewH_, viewW_, bar);
        hbar_->value(scrollX_, viewW_, 0, contentW_);
        hbar_->show();
    } else {
        hbar_->hide();
    }
    if (needV) {
        vbar_->resize(x() + viewW_, y(), bar, viewH_);
        vbar_->value(scrollY_, viewH_, 0, contentH_);
        vbar_->show();
    } else {
        vbar_->hide();
    }
    if (overlay_)
        overlay_->resize(x(), y(), viewW_, overlay_->h());
    // A window resized while fitting changes the zoom: the status line follows.
    if (scale_ != before && fitting_ && onZoom)
        onZoom();
}

void ZoomView::draw()
{
    fl_push_clip(x(), y(), viewW_, viewH_);
    fl_rectf(x(), y(), w(), h(), color());
    for (Fl_Box* box : boxes_)
        draw_child(*box);
    if (!message_.empty()) {
        fl_font(FL_HELVETICA, MESSAGE_SIZE);
        fl_color(FL_WHITE);
        fl_draw(message_.c_str(), x(), y(), viewW_, viewH_, FL_ALIGN_CENTER | FL_ALIGN_WRAP);
    }
    fl_pop_clip();
    if (hbar_->visible())
        draw_child(*hbar_);
    if (vbar_->visible())
        draw_child(*vbar_);
    if (hbar_->visible() && vbar_->visible())
        fl_rectf(x() + viewW_, y() + viewH_, w() - viewW_, h() - viewH_, FL_BACKGROUND_COLOR);
    if (overlay_ && overlay_->visible())
        draw_child(*overlay_);
}

void ZoomView::scroll_by(int dx, int dy)
{
    scrollX_ += dx;
    scrollY_ += dy;
    lay_out();
    redraw();
}

void ZoomView::on_scroll(Fl_Widget* bar, void* data)
{
    auto* view = static_cast<ZoomView*>(data);
    const int value = static_cast<Fl_Scrollbar*>(bar)->value();
    if (bar == view->hbar_)
        view->scrollX_ = value;
    else
        view->scrollY_ = value;
    view->lay_out();
    view->redraw();
}

int ZoomView::handle(int event)
{
    const bool scrolls = contentW_ > viewW_ || contentH_ > viewH_;
    switch (event) {
    case FL_MOUSEWHEEL:
        if (Fl::event_state(FL_CTRL)) {
            if (Fl::event_dy() != 0)
                zoom_step(Fl::event_dy() < 0 ? 1 : -1);
            return 1;
        }
        if (!scrolls)
            return 0;
        scroll_by(Fl::event_dx() * WHEEL_STEP, Fl::event_dy() * WHEEL_STEP);
        return 1;
    case FL_PUSH:
        if (Fl_Group::handle(event))
            return 1;
        if (!scrolls || Fl::event_button() != FL_LEFT_MOUSE)
            return 0;
        dragX_ = Fl::event_x();
        dragY_ = Fl::event_y();
        return 1;
    case FL_DRAG:
        scroll_by(dragX_ - Fl::event_x(), dragY_ - Fl::event_y());
        dragX_ = Fl::event_x();
        dragY_ = Fl::event_y();
        return 1;
    case FL_RELEASE: return 1;
    case FL_KEYBOARD:
    case FL_SHORTCUT:
        // The scroll bars would take Page Down, Page Up, Home and End: the keys are the
        // viewer's (ui/keys.cpp), whatever the zoom.
        return 0;
    case FL_ENTER:
    case FL_MOVE:
        Fl_Group::handle(event);
        point_at(Fl::event_x(), Fl::event_y());
        return 1;
    case FL_LEAVE:
        Fl_Group::handle(event);
        if (onPointer)
            onPointer(nullptr, 0, 0);
        return 1;
    default: return Fl_Group::handle(event);
    }
}

void ZoomView::point_at(int x, int y)
{
    if (!onPointer)
        return;
    const bool inView = x >= this->x() && y >= this->y() && x < this->x() + viewW_ && y < this->y() + viewH_;
    for (Fl_Box* box : boxes_) {
        const auto* image = dynamic_cast<const ScaledImage*>(box->image());
        int sourceX = 0, sourceY = 0;
        if (inView && image && image->under_pointer(x, y, sourceX, sourceY)) {
            onPointer(image, sourceX, sourceY);
            return;
        }
    }
    onPointer(nullptr, 0, 0);
}

int initial_zoom(int across, int W, int H, int preset)
{
    if (preset > 0)
        return std::min(preset, MAX_ZOOM);
    if (W <= 0 || H <= 0 || W >= SMALL_PICTURE || H >= SMALL_PICTURE)
        return 1;
    const int zoom = std::min(Fl::w() / 2 / (across * W), Fl::h() / 2 / H);
    return std::clamp(zoom, 1, MAX_ZOOM);
}
