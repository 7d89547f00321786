#include "ui/logo_preview.h"

#include <algorithm>
#include <cstring>

#include <FL/Fl_Image.H>
#include <FL/Fl_Shared_Image.H>

#include "output/thumbnail.h"
#include "pipeline/decode_logo.h"
#include "pipeline/input_file.h"

namespace {

// The preview box is smaller; the chooser scales the image down into it.
constexpr std::uint32_t PREVIEW_SIDE = 256;
constexpr int RGBA_DEPTH = 4;

Fl_Image* logo_preview(const char* name, uchar*, int)
{
    std::string problem;
    OwnedFile file = open_input_file(name, problem);
    if (!file)
        return nullptr;
    QuietLoad quiet;
    quiet.load.set_input(std::move(file));
    DecodedLogo logo = decode_logo(quiet.load, name, quiet.frontEnd, ENGLISH_STRINGS);
    if (!logo.decoded)
        return nullptr;
    const ThumbnailSource source = thumbnail_source(logo.descriptor, logo.frames(), logo.buffers.image.get());
    const RgbaPicture thumbnail = scale_to_thumbnail(source.rgb, source.width, source.height, PREVIEW_SIDE);
    if (thumbnail.pixels.empty())
        return nullptr;
    auto* pixels = new uchar[thumbnail.pixels.size()];
    std::copy(thumbnail.pixels.begin(), thumbnail.pixels.end(), pixels);
    auto* image = new Fl_RGB_Image(pixels, static_cast<int>(thumbnail.width), static_cast<int>(thumbnail.height),
                                   RGBA_DEPTH);
    image->alloc_array = 1;  // the image frees the pixels
    return image;
}

}  // namespace

void register_logo_preview()
{
    Fl_Shared_Image::add_handler(logo_preview);
}
