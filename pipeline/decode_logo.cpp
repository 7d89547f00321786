#include "pipeline/decode_logo.h"

#include <algorithm>

#include "decode/uefi_pictures.h"
#include "detect/detect.h"
#include "pipeline/decoder_dispatch.h"
#include "pipeline/format_registry.h"

namespace {

constexpr std::size_t PALETTE_BYTES = 256 * 3;

// The descriptor of a UEFI picture: its format's name, its sizes, its frames.
LogoDescriptor picture_descriptor(UefiPicture kind, std::span<const std::uint8_t> bytes)
{
    LogoDescriptor d;
    UefiPictureSize size = uefi_picture_size(bytes, kind);
    d.formatName = uefi_picture_name(kind);
    d.width = static_cast<std::uint16_t>(std::min<std::uint32_t>(size.width, UINT16_MAX));
    d.height = static_cast<std::uint16_t>(std::min<std::uint32_t>(size.height, UINT16_MAX));
    d.frameCount = static_cast<std::uint8_t>(std::min<unsigned>(size.frames, MAX_FRAMES));
    d.dataSize = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    return d;
}

// Zero-filled buffer for a picture or panel of the descriptor's size; an empty picture
// gets no buffer and no complaint, one beyond the limits takes the allocation-failure path.
OwnedBytes alloc_picture(const LogoDescriptor& d, LoadContext& load, FrontEnd& frontEnd, const UiStrings& strings)
{
    if (d.width == 0 || d.height == 0)
        return nullptr;
    OwnedBytes buffer = load.alloc_rgb(d.width, d.height);
    if (!buffer)
        frontEnd.alert(strings.noMemory);
    return buffer;
}

}  // namespace

LogoDescriptor detect_logo(LoadContext& load)
{
    LogoDescriptor d;
    d.stream = load.input();
    detect_format(d, load);
    d.formatName = format_name(d.formatId);
    d.stream = nullptr;
    return d;
}

DecodedLogo decode_logo(LoadContext& load, const std::string& name, FrontEnd& frontEnd, const UiStrings& strings)
{
    DecodedLogo logo;
    LogoDescriptor& d = logo.descriptor;
    d.stream = load.input();
    detect_format(d, load);
    d.formatName = format_name(d.formatId);
    load.trace("===>>> LOGO: FileIO for \"%s\" Opened\n", name.c_str());
    load.trace("====>>> SYMBOLIC NAME: %s, ID: %i\n", d.formatName, d.formatId);
    load.trace("====>>> PROPERTIES (WxHxF): (%X px) x (%X px), %i frame(s)\n", d.width, d.height, d.frameCount);

    LogoBuffers& buffers = logo.buffers;
    if (d.frameCount != 0)
        buffers.frames.resize(d.frameCount);
    if (format_entry(d.formatId).kind == FrameKind::characterCell) {
        buffers.fontMap = alloc_picture(d, load, frontEnd, strings);
        buffers.colorMap = alloc_picture(d, load, frontEnd, strings);
    }
    // A multi-frame logo's pictures are its frames; its size is the largest frame's, and a
    // buffer of that size would hold nothing but count against the budget.
    if (format_entry(d.formatId).kind != FrameKind::multi)
        buffers.image = alloc_picture(d, load, frontEnd, strings);
    buffers.palette = alloc_zeroed(PALETTE_BYTES, 1);
    d.image = buffers.image.get();
    d.palette = buffers.palette.get();

    logo.decoded = run_decoder(logo, load, frontEnd);
    buffers.framePixels = load.take_frame_buffers();
    load.close_input();
    d.stream = nullptr;
    if (logo.decoded)
        load.trace("===>>> LOGO: FileIO for \"%s\" Closed\n", name.c_str());
    return logo;
}

LogoDescriptor detect_found_logo(LoadContext& load, std::span<const std::uint8_t> bytes)
{
    UefiPicture kind = uefi_picture_kind(bytes);
    if (kind != UefiPicture::none)
        return picture_descriptor(kind, bytes);
    if (!load.replace_input(std::vector<std::uint8_t>(bytes.begin(), bytes.end())))
        return LogoDescriptor{};
    return detect_logo(load);
}

DecodedLogo decode_found_logo(LoadContext& load, std::span<const std::uint8_t> bytes, const std::string& name,
                              FrontEnd& frontEnd, const UiStrings& strings)
{
    UefiPicture kind = uefi_picture_kind(bytes);
    if (kind == UefiPicture::none) {
        if (!load.replace_input(std::vector<std::uint8_t>(bytes.begin(), bytes.end())))
            return DecodedLogo{};
        return decode_logo(load, name, frontEnd, strings);
    }
    DecodedLogo logo;
    LogoDescriptor& d = logo.descriptor;
    d = picture_descriptor(kind, bytes);
    load.trace("===>>> LOGO: %s \"%s\" (%zu bytes)\n", d.formatName, name.c_str(), bytes.size());
    UefiPictureOut out;
    if (!decode_uefi_picture(bytes, kind, load, out)) {
        logo.descriptor = LogoDescriptor{};
        return logo;
    }
    d.width = out.width;
    d.height = out.height;
    d.frameCount = static_cast<std::uint8_t>(out.frames.size());
    logo.buffers.image = std::move(out.image);
    logo.buffers.frames = std::move(out.frames);
    logo.buffers.framePixels = load.take_frame_buffers();
    logo.buffers.palette = alloc_zeroed(PALETTE_BYTES, 1);
    d.image = logo.buffers.image.get();
    d.palette = logo.buffers.palette.get();
    logo.decoded = true;
    return logo;
}
