// PNG and GIF pictures: logos that UEFI firmware stores in its sections beside BMP and
// JPEG. They are not formats of the catalogue (detection never claims them); the ROM scan
// finds them and the pipeline decodes them here (pipeline/found_logo.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/load_context.h"
#include "core/logo.h"
#include "core/owned.h"

enum class UefiPicture { none, png, gif };

// The picture format the bytes start with, by its signature.
UefiPicture uefi_picture_kind(std::span<const std::uint8_t> bytes);

// "PNG picture", "GIF picture": the format name a loaded one goes by.
const char* uefi_picture_name(UefiPicture kind);

// The sizes a picture declares, read from its header without decoding (all 0 when it has
// none): frames is 0 for a single picture, the frame count of an animated GIF.
struct UefiPictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned frames = 0;
};
UefiPictureSize uefi_picture_size(std::span<const std::uint8_t> bytes, UefiPicture kind);

// What a decode gives: a single picture in image, or an animated GIF's frames (their
// pixels are kept by the load, as for every multi-frame logo).
struct UefiPictureOut {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    OwnedBytes image;               // single pictures: PNG, and a GIF of one frame
    std::vector<LogoFrame> frames;  // animated GIFs: every frame on the full screen, at most MAX_FRAMES
};

// Decodes the picture (libpng, giflib) within the load's limits: sides up to
// MAX_PICTURE_SIDE, every buffer charged to the load's budget before it is filled. A PNG
// with transparency is drawn over black; a GIF's frames are drawn over its background
// colour, honouring transparency and the disposal methods; a frame that does not lie on the
// screen ends the GIF there. False when nothing could be decoded; a picture whose data ends
// early keeps the rows it got.
bool decode_uefi_picture(std::span<const std::uint8_t> bytes, UefiPicture kind, LoadContext& load,
                         UefiPictureOut& out);
