#include "ui/load_warnings.h"

#include <cstring>

#include <FL/Fl_Double_Window.H>

#include "decode/jpeg_picture.h"
#include "pipeline/viewer_state.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"
#include "ui/views.h"

namespace {

constexpr const char* WARNING_MARK = " \u26a0";  // WARNING SIGN
constexpr std::size_t RGB_BYTES = 3;
// Notices kept of one load: a damaged file may give one a record, and the warnings need
// only the first few.
constexpr std::size_t MAX_NOTICES = 64;

std::string& warning()
{
    static std::string text;
    return text;
}

// True when every pixel has the colour of the first.
bool one_colour(const std::uint8_t* rgb, std::size_t pixels)
{
    for (std::size_t i = 1; rgb && i < pixels; ++i)
        if (std::memcmp(rgb, rgb + i * RGB_BYTES, RGB_BYTES) != 0)
            return false;
    return true;
}

// The picture, or every frame, is one colour throughout (and the same one in all frames).
bool loaded_picture_is_blank()
{
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    if (d.frameCount == 0)
        return one_colour(state.currentImage, std::size_t{d.width} * d.height);
    const std::uint8_t* first = nullptr;
    for (unsigned f = 0; state.frames && f < d.frameCount; ++f) {
        const LogoFrame& frame = state.frames[f];
        if (!frame.pixels || frame.width == 0 || frame.height == 0)
            continue;
        if (!one_colour(frame.pixels, std::size_t{frame.width} * frame.height) ||
            (first && std::memcmp(first, frame.pixels, RGB_BYTES) != 0))
            return false;
        first = frame.pixels;
    }
    return true;
}

bool jpeg_was_rejected()
{
    for (const std::string& notice : recording_sink().notices())
        if (notice == JPEG_REJECTED_NOTICE)
            return true;
    return false;
}

}  // namespace

void RecordingSink::notice_line(const std::string& text)
{
    StdioSink::notice_line(text);
    if (notices_.size() < MAX_NOTICES)
        notices_.push_back(text);
}

RecordingSink& recording_sink()
{
    static RecordingSink sink;
    return sink;
}

void update_load_warning()
{
    const ViewerTexts& t = texts();
    std::string& text = warning();
    if (!viewer_state().loaded)
        text.clear();
    else if (loaded_picture_is_empty())
        text = t.noPicture;
    else if (jpeg_was_rejected())
        text = t.jpegRejected;
    else if (ui_state().endsEarly)
        text = t.endsEarly;
    else if (loaded_picture_is_blank())
        text = t.blankPicture;
    else
        text.clear();
    UiState& ui = ui_state();
    if (ui.logoWindow)
        ui.logoWindow->copy_label(view_title(viewer_state().strings->logoTitle).c_str());
    if (ui.frameWindow)
        show_current_frame();
}

const std::string& load_warning()
{
    return warning();
}

std::string view_title(const std::string& text)
{
    return text + " \u2014 " + leaf_name(viewer_state().fileName) + (warning().empty() ? "" : WARNING_MARK);
}
