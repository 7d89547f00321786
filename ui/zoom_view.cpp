#include "ui/zoom_view.h"

#include <algorithm>
#include <cmath>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

namespace {

constexpr int RGB_DEPTH = 3;
constexpr double MIN_FIT_SCALE = 0.01;
constexpr int SMALL_PICTURE = 160;  // pictures below this on both sides open enlarged
constexpr int WHEEL_STEP = 16;      // pixels scrolled per wheel notch
constexpr Fl_Color VIEW_BACKGROUND = FL_BLACK;
constexpr Fl_Fontsize MESSAGE_SIZE = 14;

}  // namespace

ScaledImage::ScaledImage(const std::uint8_t* pixels, int width, int height)
    : Fl_Image(width, height, RGB_DEPTH), pixels_(pixels), sourceW_(width), sourceH_(height)
{
}

void ScaledImage::set_scale(double scale)
{
    w(std::max(1, static_cast<int>(sourceW_ * scale)));
    h(std::max(1, static_cast<int>(sourceH_ * scale)));
}

Fl_Image* ScaledImage::copy(int W, int H)
{
    auto* image = new ScaledImage(pixels_, sourceW_, sourceH_);
    image->w(W);
    image->h(H);
    return image;
}

void ScaledImage::draw(int X, int Y, int W, int H, int cx, int cy)
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

// One row of the drawn area: every screen pixel takes the source pixel it falls in.
void ScaledImage::scaled_row(void* data, int x, int y, int w, uchar* out)
{
    const auto* image = static_cast<const ScaledImage*>(data);
    const long long sy = static_cast<long long>(image->drawY_ + y) * image->sourceH_ / image->h();
    const std::uint8_t* row = image->pixels_ + std::min<long long>(sy, image->sourceH_ - 1) * image->sourceW_ * 3;
    for (int i = 0; i < w; ++i) {
        const long long sx = static_cast<long long>(image->drawX_ + x + i) * image->sourceW_ / image->w();
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
    if (fitting_ && pictureW_ > 0 && pictureH_ > 0) {
        const double across = static_cast<double>(rule_.across) * pictureW_;
        const double fit = std::min((w() - rule_.marginW) / across, (h() - rule_.marginH) / double(pictureH_));
        scale_ = std::clamp(fit, MIN_FIT_SCALE, double(MAX_ZOOM));
    }
    for (ScaledImage* image : images_)
        image->set_scale(scale_);
    const int W = pictureW_ > 0 ? std::max(1, static_cast<int>(pictureW_ * scale_)) : 0;
    const int H = pictureH_ > 0 ? std::max(1, static_cast<int>(pictureH_ * scale_)) : 0;
    const ContentLayout content = rule_.layout(W, H);
    contentW_ = content.w;
    contentH_ = content.h;

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
    default: return Fl_Group::handle(event);
    }
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
