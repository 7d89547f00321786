#include "output/thumbnail.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>

#include "output/png_file.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr std::size_t RGB_BYTES = 3;
constexpr std::size_t RGBA_BYTES = 4;
constexpr std::uint8_t OPAQUE = 255;

// One overlap of a source pixel with a thumbnail pixel along one axis, in units of
// 1/targetCount source pixel.
struct Span {
    std::uint32_t source;
    std::uint32_t target;
    std::uint32_t weight;
};

// Splits sourceCount pixels over targetCount pixels: source i covers [i * targetCount,
// (i + 1) * targetCount) and target j covers [j * sourceCount, (j + 1) * sourceCount), so
// the weights of every target add up to sourceCount. Spans come in source order; there are
// at most sourceCount + targetCount of them.
std::vector<Span> box_spans(std::uint32_t sourceCount, std::uint32_t targetCount)
{
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(sourceCount) + targetCount);
    for (std::uint32_t i = 0; i < sourceCount; ++i) {
        std::uint64_t start = static_cast<std::uint64_t>(i) * targetCount;
        std::uint64_t end = start + targetCount;
        while (start < end) {
            std::uint64_t target = start / sourceCount;  // below targetCount, as start < sourceCount * targetCount
            std::uint64_t piece = std::min(end, (target + 1) * sourceCount) - start;  // at least 1
            spans.push_back({i, static_cast<std::uint32_t>(target), static_cast<std::uint32_t>(piece)});
            start += piece;
        }
    }
    return spans;
}

// Every thumbnail pixel the mean of the source area it covers, edges weighted by the part
// they cover: each source row is summed across, then added into the thumbnail row(s) it
// covers. Thumbnail rows are finished in order, so one row of sums is enough.
void shrink(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, RgbaPicture& out)
{
    const std::vector<Span> across = box_spans(width, out.width);
    const std::vector<Span> down = box_spans(height, out.height);
    const std::uint64_t area = static_cast<std::uint64_t>(width) * height;  // weights of one thumbnail pixel
    // A row sum is at most 255 x width; an area sum at most 255 x width x height.
    std::vector<std::uint32_t> rowSums(static_cast<std::size_t>(out.width) * RGB_BYTES);
    std::vector<std::uint64_t> areaSums(rowSums.size());
    std::uint32_t target = 0;
    auto finish_row = [&]() {
        std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(target) * out.width * RGBA_BYTES;
        for (std::size_t x = 0; x < out.width; ++x, dst += RGBA_BYTES) {
            for (std::size_t c = 0; c < RGB_BYTES; ++c)
                dst[c] = static_cast<std::uint8_t>((areaSums[x * RGB_BYTES + c] + area / 2) / area);
            dst[3] = OPAQUE;
        }
        std::fill(areaSums.begin(), areaSums.end(), 0);
    };
    std::size_t next = 0;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = rgb + static_cast<std::size_t>(y) * width * RGB_BYTES;
        std::fill(rowSums.begin(), rowSums.end(), 0);
        for (const Span& s : across)
            for (std::size_t c = 0; c < RGB_BYTES; ++c)
                rowSums[s.target * RGB_BYTES + c] += s.weight * row[s.source * RGB_BYTES + c];
        // Spans come in source order with their targets rising: a new target means the
        // previous thumbnail row has all its weights.
        for (; next < down.size() && down[next].source == y; ++next) {
            if (down[next].target != target) {
                finish_row();
                target = down[next].target;
            }
            for (std::size_t i = 0; i < rowSums.size(); ++i)
                areaSums[i] += static_cast<std::uint64_t>(down[next].weight) * rowSums[i];
        }
    }
    finish_row();
}

// Every source pixel becomes a factor x factor block.
void enlarge(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, std::uint32_t factor,
             RgbaPicture& out)
{
    const std::size_t outRowBytes = static_cast<std::size_t>(out.width) * RGBA_BYTES;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = rgb + static_cast<std::size_t>(y) * width * RGB_BYTES;
        std::uint8_t* first = out.pixels.data() + static_cast<std::size_t>(y) * factor * outRowBytes;
        std::uint8_t* dst = first;
        for (std::uint32_t x = 0; x < width; ++x, src += RGB_BYTES) {
            for (std::uint32_t k = 0; k < factor; ++k, dst += RGBA_BYTES) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = OPAQUE;
            }
        }
        for (std::uint32_t k = 1; k < factor; ++k)
            std::copy(first, first + outRowBytes, first + k * outRowBytes);
    }
}

void append_bytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void no_flush(png_structp) {}

}  // namespace

void thumbnail_size(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide, std::uint32_t& outWidth,
                    std::uint32_t& outHeight)
{
    outWidth = outHeight = 0;
    if (width == 0 || height == 0 || maxSide == 0)
        return;
    const std::uint64_t longer = std::max(width, height);
    if (longer <= maxSide) {
        const std::uint64_t factor = maxSide / longer;
        outWidth = static_cast<std::uint32_t>(width * factor);
        outHeight = static_cast<std::uint32_t>(height * factor);
        return;
    }
    auto fit = [&](std::uint32_t side) {
        std::uint64_t scaled = (static_cast<std::uint64_t>(side) * maxSide + longer / 2) / longer;
        return static_cast<std::uint32_t>(std::max<std::uint64_t>(scaled, 1));
    };
    outWidth = fit(width);
    outHeight = fit(height);
}

RgbaPicture scale_to_thumbnail(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                               std::uint32_t maxSide)
{
    RgbaPicture out;
    if (!rgb)
        return out;
    thumbnail_size(width, height, maxSide, out.width, out.height);
    if (out.width == 0)
        return out;
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * RGBA_BYTES);
    if (std::max(width, height) <= maxSide)
        enlarge(rgb, width, height, out.width / width, out);
    else
        shrink(rgb, width, height, out);
    return out;
}

bool encode_png_rgba8(const RgbaPicture& picture, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (picture.width == 0 || picture.height == 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * RGBA_BYTES)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, append_bytes, no_flush);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Measured on 256x192 thumbnails: the Sub filter with run-length matching writes smaller
    // files than zlib's default in a tenth of its time (bench/thumbnail_bench.cpp).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * RGBA_BYTES;
    for (std::uint32_t y = 0; y < picture.height; ++y)
        png_write_row(png, picture.pixels.data() + y * rowBytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

ThumbnailSource thumbnail_source(const LogoDescriptor& d, const LogoFrame* frames, const std::uint8_t* image)
{
    if (d.frameCount == 0)
        return {image, image ? d.width : 0u, image ? d.height : 0u};
    // A frame the walk found but could not decode has no pixels; the next one stands in.
    for (unsigned f = 0; frames && f < d.frameCount; ++f) {
        const LogoFrame& frame = frames[f];
        if (frame.pixels && frame.width != 0 && frame.height != 0)
            return {frame.pixels, frame.width, frame.height};
    }
    return {};
}

bool write_thumbnail(const std::string& path, std::uint32_t maxSide, std::string& error)
{
    const ViewerState& state = viewer_state();
    const ThumbnailSource source =
        state.loaded ? thumbnail_source(state.descriptor, state.frames, state.currentImage) : ThumbnailSource{};
    RgbaPicture thumbnail = scale_to_thumbnail(source.rgb, source.width, source.height, maxSide);
    std::vector<std::uint8_t> bytes;
    if (!encode_png_rgba8(thumbnail, bytes)) {
        error = "the file holds no picture";
        return false;
    }
    return write_file_atomically(path, bytes, error);
}
