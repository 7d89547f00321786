#include "encode/quantise.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>

namespace {

// The 6-bit DAC ignores the two low bits of each channel.
constexpr int DAC_IGNORED_BITS = 2;

struct AttrFree {
    void operator()(liq_attr* a) const { liq_attr_destroy(a); }
};
struct ImageFree {
    void operator()(liq_image* i) const { liq_image_destroy(i); }
};
struct ResultFree {
    void operator()(liq_result* r) const { liq_result_destroy(r); }
};

std::string liq_reason(liq_error e)
{
    switch (e) {
    case LIQ_QUALITY_TOO_LOW: return "the colours cannot reach the quality asked for";
    case LIQ_VALUE_OUT_OF_RANGE: return "a quantiser setting is out of range";
    case LIQ_OUT_OF_MEMORY: return "out of memory while quantising";
    case LIQ_BUFFER_TOO_SMALL:
    case LIQ_INVALID_POINTER:
    case LIQ_UNSUPPORTED: return "the quantiser refused the picture";
    default: return "the quantiser failed";
    }
}

unsigned squared_distance(const liq_color& a, const Rgb8& b)
{
    int dr = int(a.r) - b.r, dg = int(a.g) - b.g, db = int(a.b) - b.b;
    return static_cast<unsigned>(dr * dr + dg * dg + db * db);
}

}  // namespace

Quantiser::Quantiser(unsigned colors, float dither) : colors_(std::clamp(colors, 2u, 256u)), dither_(std::clamp(dither, 0.0f, 1.0f))
{
}

bool Quantiser::quantise(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, IndexedPicture& out,
                         std::string& error) const
{
    return run(rgb, width, height, colors_, forced_, true, out, error);
}

bool Quantiser::remap(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                      const std::vector<Rgb8>& fixed, IndexedPicture& out, std::string& error) const
{
    if (!run(rgb, width, height, static_cast<unsigned>(fixed.size()), fixed, false, out, error))
        return false;
    // The library orders its palette as it likes: take each entry back to its fixed colour.
    std::vector<std::uint8_t> toFixed(out.palette.size(), 0);
    for (std::size_t i = 0; i < out.palette.size(); ++i) {
        liq_color c{out.palette[i].r, out.palette[i].g, out.palette[i].b, 255};
        unsigned best = 0;
        for (std::size_t k = 1; k < fixed.size(); ++k)
            if (squared_distance(c, fixed[k]) < squared_distance(c, fixed[best]))
                best = static_cast<unsigned>(k);
        toFixed[i] = static_cast<std::uint8_t>(best);
    }
    for (std::uint8_t& index : out.indices)
        index = toFixed[index];
    out.palette = fixed;
    return true;
}

bool Quantiser::run(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, unsigned colors,
                    const std::vector<Rgb8>& forced, bool posterise, IndexedPicture& out, std::string& error) const
{
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    std::vector<std::uint8_t> rgba(pixels * 4);
    for (std::size_t i = 0; i < pixels; ++i) {
        rgba[i * 4] = rgb[i * 3];
        rgba[i * 4 + 1] = rgb[i * 3 + 1];
        rgba[i * 4 + 2] = rgb[i * 3 + 2];
        rgba[i * 4 + 3] = 255;
    }
    std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
    if (!attr) {
        error = "out of memory while quantising";
        return false;
    }
    liq_error e = liq_set_max_colors(attr.get(), static_cast<int>(colors));
    if (e == LIQ_OK && posterise)
        e = liq_set_min_posterization(attr.get(), DAC_IGNORED_BITS);
    std::unique_ptr<liq_image, ImageFree> image(
        e == LIQ_OK ? liq_image_create_rgba(attr.get(), rgba.data(), static_cast<int>(width), static_cast<int>(height), 0)
                    : nullptr);
    if (e != LIQ_OK || !image) {
        error = e != LIQ_OK ? liq_reason(e) : "the quantiser refused the picture";
        return false;
    }
    for (const Rgb8& c : forced) {
        e = liq_image_add_fixed_color(image.get(), liq_color{c.r, c.g, c.b, 255});
        if (e != LIQ_OK) {
            error = liq_reason(e);
            return false;
        }
    }
    liq_result* raw = nullptr;
    e = liq_image_quantize(image.get(), attr.get(), &raw);
    std::unique_ptr<liq_result, ResultFree> result(raw);
    if (e == LIQ_OK)
        e = liq_set_dithering_level(result.get(), dither_);
    out.width = width;
    out.height = height;
    out.indices.assign(pixels, 0);
    if (e == LIQ_OK)
        e = liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size());
    if (e != LIQ_OK) {
        error = liq_reason(e);
        return false;
    }
    const liq_palette* palette = liq_get_palette(result.get());
    out.palette.clear();
    for (unsigned i = 0; i < palette->count; ++i)
        out.palette.push_back(Rgb8{palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    return true;
}
