// encode_logo: checks the target's limits, brings the picture to the target's size,
// reduces its colours (keeping a logo's own palette when it fits), hands the indexed
// picture to the family's encoder and draws what the file's decoder will draw from it.
#include "encode/encode_logo.h"

#include <algorithm>
#include <cmath>

#include "core/format_string.h"
#include "core/limits.h"
#include "encode/encoders.h"
#include "encode/quantise.h"
#include "encode/resize.h"
#include "formats/bmp_layout.h"
#include "formats/epa_layout.h"
#include "formats/geometry.h"
#include "formats/standard_colors.h"
#include "formats/textlogo_layout.h"

namespace {

constexpr Rgb8 BLACK{0, 0, 0};
constexpr unsigned TEXT_COLORS = 16;

// 4211 as "4,211".
std::string grouped(std::uint64_t n)
{
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

bool is_cell_target(EncodeTarget t)
{
    return t == EncodeTarget::epa || t == EncodeTarget::textlogo;
}

// How wide the target's decoder draws a picture of `width` pixels, and what the extra
// pixels show: AWBM rows are rounded up to 8 pixels and BMP rows to 4, the extras index 0
// (palette entry 0), except in an 8-bit BMP, whose decoder draws them black.
struct DrawnWidth {
    std::uint32_t width;
    bool padsBlack;
};

DrawnWidth drawn_width(EncodeTarget t, std::uint32_t width)
{
    switch (t) {
    case EncodeTarget::awbm16:
    case EncodeTarget::awbm256:
    case EncodeTarget::awbm16Compressed:
    case EncodeTarget::awbm256Compressed: return {round_up_8(static_cast<std::uint16_t>(width)), false};
    case EncodeTarget::bmp4: return {static_cast<std::uint32_t>(round_up_4(width)), false};
    case EncodeTarget::bmp8: return {static_cast<std::uint32_t>(round_up_4(width)), true};
    default: return {width, false};
    }
}

// Why the target cannot take a width x height picture, or empty.
std::string size_refusal(const TargetInfo& info, std::uint32_t width, std::uint32_t height)
{
    if (width > info.maxWidth || height > info.maxHeight)
        return format_string("%s takes at most %u x %u pixels; %u x %u is larger", info.title, info.maxWidth,
                             info.maxHeight, width, height);
    if (width % info.widthStep != 0)
        return info.widthStep == 2 ? format_string("%s needs an even width; %u is not", info.title, width)
                                   : format_string("%s needs a width of %u \u00d7 N pixels; %u is not", info.title,
                                                   info.widthStep, width);
    if (height % info.heightStep != 0)
        return format_string("%s needs a height of %u \u00d7 N pixels; %u is not", info.title, info.heightStep, height);
    if (static_cast<std::uint64_t>(width) * height > info.maxPixels)
        return format_string("%s holds at most %s pixels; %u x %u is %s", info.title, grouped(info.maxPixels).c_str(),
                             width, height, grouped(static_cast<std::uint64_t>(width) * height).c_str());
    return {};
}

// The size asked for: the source's when neither side is given, the other side by the
// source's aspect ratio when one is.
void target_size(const SourcePicture& source, const EncodeOptions& options, std::uint32_t& width,
                 std::uint32_t& height)
{
    width = options.width;
    height = options.height;
    if (width == 0 && height == 0) {
        width = source.width;
        height = source.height;
    } else if (width == 0) {
        width = static_cast<std::uint32_t>(
            std::max<std::uint64_t>(1, (static_cast<std::uint64_t>(source.width) * height + source.height / 2) / source.height));
    } else if (height == 0) {
        height = static_cast<std::uint32_t>(
            std::max<std::uint64_t>(1, (static_cast<std::uint64_t>(source.height) * width + source.width / 2) / source.width));
    }
}

std::uint32_t rgb_key(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

// Distinct colours of the picture.
std::uint32_t count_colors(const std::vector<std::uint8_t>& rgb)
{
    std::vector<bool> seen(1u << 24);
    std::uint32_t count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const std::uint32_t key = rgb_key(&rgb[i]);
        if (!seen[key]) {
            seen[key] = true;
            ++count;
        }
    }
    return count;
}

// A colour on the 6-bit DAC. Values that are all multiples of 4 are 6-bit values as our
// decoders draw them (times 4; 252 is full intensity) and go back exactly; any other
// picture is full-scale 8-bit and is rounded.
Rgb8 color_6bit(Rgb8 c, bool drawn6bit)
{
    if (drawn6bit)
        return Rgb8{static_cast<std::uint8_t>(c.r / 4), static_cast<std::uint8_t>(c.g / 4),
                    static_cast<std::uint8_t>(c.b / 4)};
    return Rgb8{to_6bit(c.r), to_6bit(c.g), to_6bit(c.b)};
}

bool all_multiples_of_4(const std::uint8_t* values, std::size_t count)
{
    std::uint8_t any = 0;
    for (std::size_t i = 0; i < count; ++i)
        any |= values[i];
    return (any & 3) == 0;
}

// Puts black at index 0 (the pixels no picture reaches take index 0), adding it when the
// palette lacks it and has room.
void black_first(IndexedPicture& picture)
{
    auto found = std::find(picture.palette.begin(), picture.palette.end(), BLACK);
    if (found == picture.palette.end()) {
        picture.palette.push_back(BLACK);
        found = picture.palette.end() - 1;
    }
    const std::uint8_t k = static_cast<std::uint8_t>(found - picture.palette.begin());
    if (k == 0)
        return;
    std::swap(picture.palette[0], picture.palette[k]);
    for (std::uint8_t& index : picture.indices)
        index = index == k ? 0 : index == 0 ? k : index;
}

// The picture's own colours, in order of first appearance, when there are at most
// `colors` of them once rounded to 6 bits; false otherwise.
bool exact_palette(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height, unsigned colors,
                   IndexedPicture& out)
{
    out.width = width;
    out.height = height;
    out.indices.assign(static_cast<std::size_t>(width) * height, 0);
    out.palette.clear();
    const bool drawn6bit = all_multiples_of_4(rgb.data(), rgb.size());
    std::vector<std::int16_t> indexOf(1u << 18, -1);  // by 6-bit colour
    for (std::size_t i = 0; i < out.indices.size(); ++i) {
        const Rgb8 c = color_6bit(Rgb8{rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]}, drawn6bit);
        const std::uint32_t key = static_cast<std::uint32_t>(c.r) << 12 | static_cast<std::uint32_t>(c.g) << 6 | c.b;
        if (indexOf[key] < 0) {
            if (out.palette.size() == colors)
                return false;
            indexOf[key] = static_cast<std::int16_t>(out.palette.size());
            out.palette.push_back(c);
        }
        out.indices[i] = static_cast<std::uint8_t>(indexOf[key]);
    }
    return true;
}

// The source's own palette and indices, when it has them, they are consistent and the
// palette fits the target.
bool own_palette(const SourcePicture& source, unsigned colors, IndexedPicture& out)
{
    const std::size_t pixels = static_cast<std::size_t>(source.width) * source.height;
    if (source.palette.empty() || source.palette.size() > colors || source.indices.size() != pixels)
        return false;
    for (std::uint8_t index : source.indices)
        if (index >= source.palette.size())
            return false;
    out.width = source.width;
    out.height = source.height;
    out.indices = source.indices;
    out.palette.clear();
    bool drawn6bit = true;
    for (const Rgb8& c : source.palette)
        drawn6bit = drawn6bit && ((c.r | c.g | c.b) & 3) == 0;
    for (const Rgb8& c : source.palette)
        out.palette.push_back(color_6bit(c, drawn6bit));
    return true;
}

// The picture a decoder draws from the indexed picture: the palette's 6-bit values times 4,
// drawnWidth pixels a row.
std::vector<std::uint8_t> draw_indexed(const IndexedPicture& picture, DrawnWidth drawn)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(drawn.width) * picture.height * 3, 0);
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < drawn.width; ++x) {
            if (x >= picture.width && drawn.padsBlack)
                continue;
            const Rgb8 c = picture.entry(x < picture.width ? picture.at(x, y) : 0);
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * drawn.width + x) * 3;
            p[0] = from_6bit(c.r);
            p[1] = from_6bit(c.g);
            p[2] = from_6bit(c.b);
        }
    return rgb;
}

// Root mean square error, 0..1, of the first width pixels of each row of `drawn`
// (drawnWidth wide) against the picture.
double rmse(const std::vector<std::uint8_t>& picture, const std::vector<std::uint8_t>& drawn, std::uint32_t width,
            std::uint32_t height, std::uint32_t drawnWidth)
{
    double sum = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width * 3; ++x) {
            const double d = double(picture[(static_cast<std::size_t>(y) * width) * 3 + x]) -
                             double(drawn[(static_cast<std::size_t>(y) * drawnWidth) * 3 + x]);
            sum += d * d;
        }
    const double samples = double(width) * height * 3;
    return samples > 0 ? std::sqrt(sum / samples) / 255.0 : 0.0;
}

std::vector<Rgb8> text_palette()
{
    std::vector<Rgb8> colors;
    for (unsigned i = 0; i < TEXT_COLORS; ++i) {
        std::uint8_t rgb[3];
        standard_color_rgb(i, rgb);
        colors.push_back(Rgb8{rgb[0], rgb[1], rgb[2]});
    }
    return colors;
}

// The cells as a text screen shows them, backgrounds included: what the error is measured on.
std::vector<std::uint8_t> draw_cells_on_screen(const CellPicture& cells)
{
    std::vector<std::uint8_t> rgb = draw_cells(cells);
    const std::uint32_t width = cells.columns * CELL_WIDTH;
    for (unsigned r = 0; r < cells.rows; ++r)
        for (unsigned c = 0; c < cells.columns; ++c) {
            const std::size_t cell = static_cast<std::size_t>(r) * cells.columns + c;
            std::uint8_t bg[3];
            standard_color_rgb(cells.attributes[cell] >> 4, bg);
            for (unsigned j = 0; j < cells.cellHeight; ++j)
                for (unsigned b = 0; b < CELL_WIDTH; ++b)
                    if (!(cells.glyphs[cell * cells.cellHeight + j] & (0x80 >> b))) {
                        std::uint8_t* p = rgb.data() + ((static_cast<std::size_t>(r) * cells.cellHeight + j) * width + c * CELL_WIDTH + b) * 3;
                        p[0] = bg[0];
                        p[1] = bg[1];
                        p[2] = bg[2];
                    }
        }
    return rgb;
}

void encode_cells(const TargetInfo& info, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
                  std::uint32_t height, const SourcePicture& source, const EncodeOptions& options, EncodedLogo& result)
{
    const unsigned cellHeight = info.target == EncodeTarget::epa ? EPA_CELL_HEIGHT : TEXTLOGO_GLYPH_HEIGHT;
    std::vector<std::uint8_t> fitted = rgb;
    if (options.dither > 0) {
        // Dithered onto the 16 text colours first: more texture, more error.
        IndexedPicture remapped;
        const std::vector<Rgb8> colors = text_palette();
        std::string error;
        if (!Quantiser(TEXT_COLORS, options.dither).remap(rgb.data(), width, height, colors, remapped, error)) {
            result.refusal = error;
            return;
        }
        for (std::size_t i = 0; i < remapped.indices.size(); ++i) {
            const Rgb8 c = colors[remapped.indices[i]];
            fitted[i * 3] = c.r;
            fitted[i * 3 + 1] = c.g;
            fitted[i * 3 + 2] = c.b;
        }
    }
    const bool sameSize = width == source.width && height == source.height;
    const CellPicture cells =
        fit_cells(fitted.data(), width, height, cellHeight, sameSize ? source.cellColors : std::vector<std::uint8_t>{});
    if (info.target == EncodeTarget::epa) {
        if (!options.epaMarkTail.empty() && options.epaMarkTail.size() != MINI_LOGO_SIZE) {
            result.refusal = format_string("the Award mark after the EPA cells is %u bytes; %zu were given",
                                           MINI_LOGO_SIZE, options.epaMarkTail.size());
            return;
        }
        result.bytes = encode_epa(cells, options.epaMarkTail);
    } else {
        result.bytes = encode_textlogo(cells, result.refusal);
        if (!result.ok())
            return;
    }
    result.width = width;
    result.height = height;
    result.rgb = draw_cells(cells);
    result.rmse = ::rmse(rgb, draw_cells_on_screen(cells), width, height, width);
    result.quantised = result.rmse > 0;
    if (result.quantised)
        result.quantisation = format_string("%s draws two of 16 text colours a cell; fitting %s colours (RMSE %.3f)",
                                            info.title, grouped(result.sourceColors).c_str(), result.rmse);
}

Bytes encode_indexed(EncodeTarget target, const IndexedPicture& picture, std::string& refusal)
{
    switch (target) {
    case EncodeTarget::grfxCompressed: return pack_compressed_grfx(encode_grfx(picture), refusal);
    case EncodeTarget::pgCompressed: return pack_compressed_pg(encode_pg(picture));
    case EncodeTarget::awbm16: return encode_awbm16(picture);
    case EncodeTarget::awbm256: return encode_awbm256(picture);
    case EncodeTarget::awbm16Compressed: return encode_awbm16_compressed(picture);
    case EncodeTarget::awbm256Compressed: return encode_awbm256_compressed(picture);
    case EncodeTarget::grfx: return encode_grfx(picture);
    case EncodeTarget::pg: return encode_pg(picture);
    case EncodeTarget::pcx4: return encode_pcx4(picture);
    case EncodeTarget::pcx8: return encode_pcx8(picture);
    case EncodeTarget::bmp4: return encode_bmp4(picture);
    case EncodeTarget::bmp8: return encode_bmp8(picture);
    default: return {};
    }
}

}  // namespace

EncodedLogo encode_logo(const SourcePicture& source, const EncodeOptions& options)
{
    const TargetInfo& info = target_info(options.target);
    EncodedLogo result;
    const std::uint64_t pixels = static_cast<std::uint64_t>(source.width) * source.height;
    if (pixels == 0) {
        result.refusal = "the picture is empty";
        return result;
    }
    if (source.width > MAX_PICTURE_SIDE || source.height > MAX_PICTURE_SIDE || source.rgb.size() != pixels * 3) {
        result.refusal = format_string("pictures of at most %u x %u pixels can be converted; this one is %u x %u",
                                       MAX_PICTURE_SIDE, MAX_PICTURE_SIDE, source.width, source.height);
        return result;
    }
    std::uint32_t width = 0, height = 0;
    target_size(source, options, width, height);
    result.refusal = size_refusal(info, width, height);
    if (!result.ok())
        return result;

    const bool sameSize = width == source.width && height == source.height;
    const Placement placement = place_picture(source.width, source.height, width, height, options.stretch);
    const std::vector<std::uint8_t> rgb =
        sameSize ? source.rgb : resize_picture(source.rgb.data(), source.width, source.height, placement);
    result.sourceColors = count_colors(rgb);
    if (is_cell_target(info.target)) {
        encode_cells(info, rgb, width, height, source, options, result);
        return result;
    }

    const DrawnWidth drawn = drawn_width(info.target, width);
    // Pixels no picture reaches (letterbox margins, rounded rows) are drawn black.
    const bool needsBlack = (!sameSize && placement.has_margins()) || drawn.width > width;
    IndexedPicture picture;
    if (sameSize && own_palette(source, info.colors, picture)) {
        // A logo's own colours and indices, in their order.
    } else if (exact_palette(rgb, width, height, info.colors, picture) &&
               (!needsBlack || picture.palette.size() < info.colors ||
                std::find(picture.palette.begin(), picture.palette.end(), BLACK) != picture.palette.end())) {
        if (needsBlack)
            black_first(picture);
    } else {
        Quantiser quantiser(info.colors, options.dither);
        if (needsBlack)
            quantiser.force_color(BLACK);
        std::string error;
        if (!quantiser.quantise(rgb.data(), width, height, picture, error)) {
            result.refusal = error;
            return result;
        }
        for (Rgb8& c : picture.palette)
            c = color_6bit(c, false);
        if (needsBlack)
            black_first(picture);
        result.quantised = true;
    }
    result.bytes = encode_indexed(info.target, picture, result.refusal);
    if (!result.ok())
        return result;
    result.width = drawn.width;
    result.height = height;
    result.rgb = draw_indexed(picture, drawn);
    result.rmse = ::rmse(rgb, result.rgb, width, height, drawn.width);
    if (result.quantised)
        result.quantisation = format_string("%s holds %u colours; quantising %s colours to %u (RMSE %.3f)", info.title,
                                            info.colors, grouped(result.sourceColors).c_str(), info.colors, result.rmse);
    return result;
}
