// PNG (libpng's simplified reader) and GIF (giflib, record by record, so every frame is
// checked against the limits before its rows are read) for UEFI firmware logos.
#include "decode/uefi_pictures.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/limits.h"

namespace {

constexpr std::uint8_t PNG_SIGNATURE[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr unsigned RGB = 3;
// GIF rows of an interlaced frame come in four passes: start row and step of each.
constexpr unsigned INTERLACE_START[] = {0, 4, 2, 1};
constexpr unsigned INTERLACE_STEP[] = {8, 8, 4, 2};
constexpr int DISPOSE_TO_BACKGROUND = 2;
constexpr int DISPOSE_TO_PREVIOUS = 3;

bool side_ok(std::uint32_t side)
{
    return side != 0 && side <= MAX_PICTURE_SIDE;
}

bool decode_png(std::span<const std::uint8_t> bytes, LoadContext& load, UefiPictureOut& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    if (!side_ok(image.width) || !side_ok(image.height)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    OwnedBytes pixels = load.alloc_rgb(image.width, image.height);
    if (!pixels) {
        png_image_free(&image);
        return false;
    }
    const png_color black{0, 0, 0};
    // A damaged stream leaves the rows it did not reach black; libpng has freed its state.
    png_image_finish_read(&image, &black, pixels.get(), 0, nullptr);
    out.width = static_cast<std::uint16_t>(image.width);
    out.height = static_cast<std::uint16_t>(image.height);
    out.image = std::move(pixels);
    return true;
}

struct MemoryInput {
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;
};

int read_memory(GifFileType* gif, GifByteType* to, int wanted)
{
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(wanted, 0)), input->bytes.size() - input->pos);
    std::memcpy(to, input->bytes.data() + input->pos, n);
    input->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// The logical screen the frames are drawn on: an RGB buffer charged to the load.
struct Screen {
    unsigned width, height;
    std::uint8_t* rgb;
    std::uint8_t background[RGB] = {0, 0, 0};

    std::size_t bytes() const { return std::size_t{width} * height * RGB; }
    void fill(unsigned left, unsigned top, unsigned w, unsigned h, const std::uint8_t* colour)
    {
        for (unsigned y = top; y < top + h && y < height; ++y)
            for (unsigned x = left; x < left + w && x < width; ++x)
                std::memcpy(&rgb[(std::size_t{y} * width + x) * RGB], colour, RGB);
    }
};

// Frames in the GIF, by a walk over its blocks (at most MAX_FRAMES counted): whether it is
// animated is known before anything is allocated.
unsigned count_gif_frames(std::span<const std::uint8_t> b)
{
    constexpr std::size_t SCREEN_FLAGS_AT = 10, BLOCKS_AT = 13, IMAGE_FLAGS_AT = 9, IMAGE_DESCRIPTOR = 10;
    auto table = [&](std::size_t flagsAt) -> std::size_t {
        std::uint8_t flags = flagsAt < b.size() ? b[flagsAt] : 0;
        return (flags & 0x80) ? RGB * (2u << (flags & 7)) : 0;
    };
    auto skip_sub_blocks = [&](std::size_t pos) {
        while (pos < b.size()) {
            std::size_t n = b[pos];
            pos += 1 + n;
            if (n == 0)
                break;
        }
        return pos;
    };
    std::size_t pos = BLOCKS_AT + table(SCREEN_FLAGS_AT);
    unsigned frames = 0;
    while (pos < b.size() && frames < MAX_FRAMES) {
        if (b[pos] == 0x21) {  // extension: label, then sub-blocks
            pos = skip_sub_blocks(pos + 2);
        } else if (b[pos] == 0x2C) {  // image: descriptor, local colours, LZW code size, sub-blocks
            ++frames;
            pos = skip_sub_blocks(pos + IMAGE_DESCRIPTOR + table(pos + IMAGE_FLAGS_AT) + 1);
        } else {
            break;  // the trailer, or damage
        }
    }
    return frames;
}

// Reads one frame's rows onto the screen; false when the data ends or is damaged (the rows
// read so far stay).
bool draw_frame(GifFileType* gif, Screen& screen, int transparent)
{
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    // A frame must lie on the screen: its rows are decoded in full, so one larger than the
    // screen would cost work no picture shows.
    if (!map || desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0 ||
        static_cast<unsigned>(desc.Left) + static_cast<unsigned>(desc.Width) > screen.width ||
        static_cast<unsigned>(desc.Top) + static_cast<unsigned>(desc.Height) > screen.height)
        return false;
    const auto w = static_cast<unsigned>(desc.Width), h = static_cast<unsigned>(desc.Height);
    std::vector<GifPixelType> row(w);
    auto put_row = [&](unsigned y) {
        unsigned sy = static_cast<unsigned>(desc.Top) + y;
        for (unsigned x = 0; x < w && sy < screen.height; ++x) {
            unsigned sx = static_cast<unsigned>(desc.Left) + x;
            int index = row[x];
            if (sx >= screen.width || index == transparent || index >= map->ColorCount)
                continue;
            const GifColorType& c = map->Colors[index];
            std::uint8_t* p = &screen.rgb[(std::size_t{sy} * screen.width + sx) * RGB];
            p[0] = c.Red, p[1] = c.Green, p[2] = c.Blue;
        }
    };
    if (desc.Interlace) {
        for (unsigned pass = 0; pass < 4; ++pass)
            for (unsigned y = INTERLACE_START[pass]; y < h; y += INTERLACE_STEP[pass]) {
                if (DGifGetLine(gif, row.data(), desc.Width) != GIF_OK)
                    return false;
                put_row(y);
            }
        return true;
    }
    for (unsigned y = 0; y < h; ++y) {
        if (DGifGetLine(gif, row.data(), desc.Width) != GIF_OK)
            return false;
        put_row(y);
    }
    return true;
}

bool decode_gif(std::span<const std::uint8_t> bytes, LoadContext& load, UefiPictureOut& out)
{
    MemoryInput input{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, read_memory, &error));
    if (!gif || !side_ok(static_cast<std::uint32_t>(gif->SWidth)) || !side_ok(static_cast<std::uint32_t>(gif->SHeight)))
        return false;
    const unsigned frameCount = count_gif_frames(bytes);
    if (frameCount == 0)
        return false;
    out.width = static_cast<std::uint16_t>(gif->SWidth);
    out.height = static_cast<std::uint16_t>(gif->SHeight);
    // A single picture is drawn in place; an animation on a working screen copied out after
    // each frame. Every buffer is charged to the load.
    OwnedBytes screenBuffer = load.alloc_rgb(out.width, out.height);
    if (!screenBuffer)
        return false;
    Screen screen{out.width, out.height, screenBuffer.get()};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
        const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
        screen.background[0] = c.Red, screen.background[1] = c.Green, screen.background[2] = c.Blue;
    }
    screen.fill(0, 0, screen.width, screen.height, screen.background);
    OwnedBytes previous;  // the screen before a frame whose disposal restores it

    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    unsigned drawn = 0;
    bool damaged = false;
    while (!damaged && drawn < frameCount && DGifGetRecordType(gif.get(), &record) == GIF_OK &&
           record != TERMINATE_RECORD_TYPE) {
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
                break;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                DGifExtensionToGCB(block[0], block + 1, &control);
            while (block && DGifGetExtensionNext(gif.get(), &block) == GIF_OK) {
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) != GIF_OK)
            break;
        if (control.DisposalMode == DISPOSE_TO_PREVIOUS && frameCount > 1) {
            if (!previous && !(previous = load.alloc_rgb(out.width, out.height)))
                return false;
            std::memcpy(previous.get(), screen.rgb, screen.bytes());
        }
        damaged = !draw_frame(gif.get(), screen, control.TransparentColor);
        if (frameCount > 1) {
            if (drawn == 0)
                out.frames.resize(frameCount);
            if (!load.alloc_frame_pixels(out.frames[drawn], out.width, out.height))
                return false;
            std::memcpy(out.frames[drawn].pixels, screen.rgb, screen.bytes());
        }
        ++drawn;
        const GifImageDesc& desc = gif->Image;
        if (control.DisposalMode == DISPOSE_TO_BACKGROUND)
            screen.fill(static_cast<unsigned>(std::max(desc.Left, 0)), static_cast<unsigned>(std::max(desc.Top, 0)),
                        static_cast<unsigned>(std::max(desc.Width, 0)), static_cast<unsigned>(std::max(desc.Height, 0)),
                        screen.background);
        else if (control.DisposalMode == DISPOSE_TO_PREVIOUS && previous)
            std::memcpy(screen.rgb, previous.get(), screen.bytes());
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (drawn == 0)
        return false;
    if (frameCount == 1) {
        out.image = std::move(screenBuffer);
        return true;
    }
    // Frames the walk counted but the data did not reach are left out.
    out.frames.resize(drawn);
    return true;
}

}  // namespace

UefiPicture uefi_picture_kind(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= sizeof PNG_SIGNATURE && std::equal(std::begin(PNG_SIGNATURE), std::end(PNG_SIGNATURE), bytes.begin()))
        return UefiPicture::png;
    if (bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0))
        return UefiPicture::gif;
    return UefiPicture::none;
}

UefiPictureSize uefi_picture_size(std::span<const std::uint8_t> bytes, UefiPicture kind)
{
    constexpr std::size_t IHDR_WIDTH_AT = 16, GIF_WIDTH_AT = 6;  // PNG: big-endian; GIF: little-endian 16-bit
    auto at = [&](std::size_t i) -> std::uint32_t { return i < bytes.size() ? bytes[i] : 0; };
    UefiPictureSize size;
    if (kind == UefiPicture::png) {
        size.width = at(IHDR_WIDTH_AT) << 24 | at(IHDR_WIDTH_AT + 1) << 16 | at(IHDR_WIDTH_AT + 2) << 8 | at(IHDR_WIDTH_AT + 3);
        size.height = at(IHDR_WIDTH_AT + 4) << 24 | at(IHDR_WIDTH_AT + 5) << 16 | at(IHDR_WIDTH_AT + 6) << 8 |
                      at(IHDR_WIDTH_AT + 7);
    } else if (kind == UefiPicture::gif) {
        size.width = at(GIF_WIDTH_AT) | at(GIF_WIDTH_AT + 1) << 8;
        size.height = at(GIF_WIDTH_AT + 2) | at(GIF_WIDTH_AT + 3) << 8;
        unsigned frames = count_gif_frames(bytes);
        size.frames = frames > 1 ? frames : 0;
    }
    return size;
}

const char* uefi_picture_name(UefiPicture kind)
{
    return kind == UefiPicture::png ? "PNG picture" : kind == UefiPicture::gif ? "GIF picture" : "";
}

bool decode_uefi_picture(std::span<const std::uint8_t> bytes, UefiPicture kind, LoadContext& load,
                         UefiPictureOut& out)
{
    if (kind == UefiPicture::png)
        return decode_png(bytes, load, out);
    if (kind == UefiPicture::gif)
        return decode_gif(bytes, load, out);
    return false;
}
