#include "output/convert_logo.h"

#include <png.h>
#include <sys/stat.h>

#include <cstring>

#include "core/format_string.h"
#include "core/limits.h"
#include "core/stream_io.h"
#include "formats/epa_layout.h"
#include "formats/standard_colors.h"
#include "formats/textlogo_layout.h"
#include "output/png_file.h"
#include "pipeline/decode_logo.h"
#include "pipeline/input_file.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr unsigned KEPT_PALETTE_COLORS = 16;

// The formats whose decoders keep their 16-entry palette in the palette buffer, 6-bit
// values blue first: AWBM16, PG and GRFX, plain and compressed.
bool keeps_palette16(LogoFormatId id)
{
    return id == FORMAT_AWBM16 || id == FORMAT_AWBM16_COMPRESSED || id == FORMAT_PHOENIX_PG ||
           id == FORMAT_INTEL_COMPRESSED_PG || id == FORMAT_INTEL_GRFX || id == FORMAT_INTEL_COMPRESSED_GRFX;
}

bool is_epa(LogoFormatId id)
{
    return id == FORMAT_STANDARD_EPA || id == FORMAT_NONSTANDARD_EPA;
}

// Each pixel's index: the first palette entry of its colour. false when a pixel has a
// colour the palette lacks.
bool index_pixels(SourcePicture& picture)
{
    picture.indices.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
    for (std::size_t i = 0; i < picture.indices.size(); ++i) {
        const Rgb8 c{picture.rgb[i * 3], picture.rgb[i * 3 + 1], picture.rgb[i * 3 + 2]};
        std::size_t k = 0;
        while (k < picture.palette.size() && !(picture.palette[k] == c))
            ++k;
        if (k == picture.palette.size())
            return false;
        picture.indices[i] = static_cast<std::uint8_t>(k);
    }
    return true;
}

// The colour of each cell as the ColorMap panel shows it (its top-left pixel, off the
// grid), as an index of the standard table.
std::vector<std::uint8_t> cell_colors(const std::uint8_t* colorMap, std::uint32_t width, std::uint32_t height,
                                      unsigned cellHeight)
{
    std::vector<std::uint8_t> colors;
    for (std::uint32_t y = 0; y + cellHeight <= height; y += cellHeight)
        for (std::uint32_t x = 0; x + EPA_CELL_WIDTH <= width; x += EPA_CELL_WIDTH) {
            const std::uint8_t* p = colorMap + (static_cast<std::size_t>(y) * width + x) * 3;
            std::uint8_t index = 0;
            for (unsigned n = 0; n < 16; ++n) {
                std::uint8_t rgb[3];
                standard_color_rgb(n, rgb);
                if (std::memcmp(rgb, p, 3) == 0) {
                    index = static_cast<std::uint8_t>(n);
                    break;
                }
            }
            colors.push_back(index);
        }
    return colors;
}

bool same_file(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Why the decoded file differs from what was encoded, or empty.
std::string read_back_problem(const EncodedLogo& encoded, const TargetInfo& info)
{
    QuietLoad quiet;
    if (!quiet.load.replace_input(encoded.bytes))
        return "out of memory while checking the file";
    DecodedLogo logo = decode_logo(quiet.load, "converted", quiet.frontEnd, ENGLISH_STRINGS);
    const LogoDescriptor& d = logo.descriptor;
    const bool sameFormat = d.formatId == info.readsAs || (is_epa(info.readsAs) && is_epa(d.formatId));
    if (!logo.decoded || !sameFormat)
        return format_string("the file would not open as %s but as %s; choose another size", info.title,
                             d.formatName ? d.formatName : "an unknown format");
    const std::size_t size = static_cast<std::size_t>(d.width) * d.height * 3;
    if (d.width != encoded.width || d.height != encoded.height || !d.image || encoded.rgb.size() != size ||
        std::memcmp(d.image, encoded.rgb.data(), size) != 0)
        return format_string("the %s file would not show the picture it was made from", info.title);
    return {};
}

}  // namespace

bool is_png_file(const std::string& path)
{
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file)
        return false;
    std::uint8_t head[sizeof PNG_SIGNATURE] = {};
    read_at(file.get(), 0, head, sizeof head);
    return std::memcmp(head, PNG_SIGNATURE, sizeof head) == 0;
}

namespace {

// libpng reports errors by longjmp: the reading runs in a function of its own with
// nothing to destroy on the way out, its rows kept by libpng until png_destroy_read_struct.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::string error;
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

void png_error_text(png_structp png, png_const_charp message)
{
    static_cast<PngReader*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void png_warning_ignored(png_structp, png_const_charp) {}

// Reads the whole picture as 8-bit RGB rows (16-bit samples keep their high byte, as the
// PNG files zarpo2 writes hold the drawn byte there; palettes and grey are expanded,
// transparency dropped). false, with reader.error, when libpng gives up.
bool read_png_rows(PngReader& reader, std::FILE* file)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_init_io(reader.png, file);
    // A declared size beyond the limits is an error before any row is allocated.
    png_set_user_limits(reader.png, MAX_PICTURE_SIDE, MAX_PICTURE_SIDE);
    png_read_png(reader.png, reader.info,
                 PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_GRAY_TO_RGB | PNG_TRANSFORM_STRIP_ALPHA |
                     PNG_TRANSFORM_PACKING,
                 nullptr);
    return true;
}

}  // namespace

bool read_png_picture(const std::string& path, SourcePicture& out, std::string& why)
{
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file) {
        why = problem;
        return false;
    }
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, png_error_text, png_warning_ignored);
    reader.info = reader.png ? png_create_info_struct(reader.png) : nullptr;
    if (!reader.info) {
        why = "out of memory while reading the PNG picture";
        return false;
    }
    if (!read_png_rows(reader, file.get())) {
        why = "not a readable PNG picture: " + reader.error;
        return false;
    }
    const std::uint32_t width = png_get_image_width(reader.png, reader.info);
    const std::uint32_t height = png_get_image_height(reader.png, reader.info);
    png_bytepp rows = png_get_rows(reader.png, reader.info);
    if (width == 0 || height == 0 || !rows || png_get_channels(reader.png, reader.info) != 3 ||
        png_get_bit_depth(reader.png, reader.info) != 8) {
        why = "not a readable PNG picture";
        return false;
    }
    out = SourcePicture{};
    out.width = width;
    out.height = height;
    out.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::uint32_t y = 0; y < height; ++y)
        std::memcpy(out.rgb.data() + static_cast<std::size_t>(y) * width * 3, rows[y], static_cast<std::size_t>(width) * 3);
    return true;
}

namespace {

// Frame `frame` of a decoded logo (d with its frame table and colour map panel) as a
// picture to encode: its own palette and indices where its decoder keeps the palette, its
// cells' colours for a character-cell logo.
bool decoded_picture(const LogoDescriptor& d, const LogoFrame* frames, const std::uint8_t* colorMap, unsigned frame,
                     SourcePicture& out, std::string& why)
{
    out = SourcePicture{};
    const std::uint8_t* pixels = nullptr;
    if (d.frameCount > 0) {
        if (frame >= d.frameCount || !frames) {
            why = format_string("the logo has %u frames; frame %u is not one of them", d.frameCount, frame);
            return false;
        }
        const LogoFrame& f = frames[frame];
        out.width = f.width;
        out.height = f.height;
        pixels = f.pixels;
    } else {
        if (frame > 0) {
            why = format_string("the logo is a single picture; it has no frame %u", frame);
            return false;
        }
        out.width = d.width;
        out.height = d.height;
        pixels = d.image;
    }
    if (!pixels || out.width == 0 || out.height == 0) {
        why = "the picture is empty";
        return false;
    }
    out.rgb.assign(pixels, pixels + static_cast<std::size_t>(out.width) * out.height * 3);
    if (d.frameCount == 0 && keeps_palette16(d.formatId) && d.palette) {
        for (unsigned i = 0; i < KEPT_PALETTE_COLORS; ++i) {
            const std::uint8_t* e = d.palette + i * 3;  // blue, green, red (6-bit)
            out.palette.push_back(Rgb8{scale_6bit(e[2]), scale_6bit(e[1]), scale_6bit(e[0])});
        }
        if (!index_pixels(out)) {
            out.palette.clear();
            out.indices.clear();
        }
    }
    if (d.frameCount == 0 && colorMap && (is_epa(d.formatId) || d.formatId == FORMAT_INTEL_TEXTLOGO))
        out.cellColors =
            cell_colors(colorMap, out.width, out.height, is_epa(d.formatId) ? EPA_CELL_HEIGHT : TEXTLOGO_GLYPH_HEIGHT);
    return true;
}

// The 70-byte mark that ends the EPA logo file at path (the mark alone, when the file is
// only the mark); empty when it cannot be read.
std::vector<std::uint8_t> epa_mark_of_file(const std::string& path)
{
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file)
        return {};
    const std::uint64_t size = stream_size(file.get());
    if (size < MINI_LOGO_SIZE)
        return {};
    std::vector<std::uint8_t> mark(MINI_LOGO_SIZE);
    if (read_at(file.get(), size - MINI_LOGO_SIZE, mark.data(), mark.size()) != mark.size())
        return {};
    return mark;
}

}  // namespace

bool loaded_picture(unsigned frame, SourcePicture& out, std::string& why)
{
    const ViewerState& state = viewer_state();
    if (!state.loaded) {
        out = SourcePicture{};
        why = "no logo is loaded";
        return false;
    }
    return decoded_picture(state.descriptor, state.frames, state.colorMapPanel, frame, out, why);
}

std::vector<std::uint8_t> loaded_epa_mark()
{
    const ViewerState& state = viewer_state();
    if (!state.loaded || !is_epa(state.descriptor.formatId))
        return {};
    return epa_mark_of_file(state.fileName);
}

bool read_picture_file(const std::string& path, unsigned frame, LoadContext& load, FrontEnd& frontEnd,
                       const UiStrings& strings, SourcePicture& out, std::vector<std::uint8_t>& epaMark,
                       std::string& why)
{
    out = SourcePicture{};
    epaMark.clear();
    if (is_png_file(path)) {
        if (frame == 0)
            return read_png_picture(path, out, why);
        why = format_string("a PNG picture has no frame %u", frame);
        return false;
    }
    std::string problem;
    OwnedFile file = open_input_file(path, problem);
    if (!file) {
        why = problem == NOT_A_REGULAR_FILE ? problem : "cannot open: " + problem;
        return false;
    }
    load.set_input(std::move(file));
    DecodedLogo logo = decode_logo(load, path, frontEnd, strings);
    if (!logo.decoded) {
        why = strings.unknownType;
        return false;
    }
    if (!decoded_picture(logo.descriptor, logo.frames(), logo.buffers.colorMap.get(), frame, out, why))
        return false;
    if (is_epa(logo.descriptor.formatId))
        epaMark = epa_mark_of_file(path);
    return true;
}

EncodedLogo encode_checked(const SourcePicture& source, const EncodeOptions& options)
{
    EncodedLogo encoded = encode_logo(source, options);
    if (encoded.ok()) {
        encoded.refusal = read_back_problem(encoded, target_info(options.target));
        if (!encoded.ok())
            encoded.bytes.clear();
    }
    return encoded;
}

bool write_logo_file(const std::string& path, const std::string& input, const std::vector<std::uint8_t>& bytes,
                     std::string& why)
{
    if (same_file(path, input)) {
        why = "it is the input file";
        return false;
    }
    return write_file_atomically(path, bytes, why);
}

std::string export_file_name(const std::string& input, const TargetInfo& target)
{
    const std::size_t slash = input.rfind('/');
    const std::size_t dot = input.rfind('.');
    const std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? input.substr(0, dot)
                                 : input;
    std::string name = base + target.extension;
    if (same_file(name, input) || name == input)
        name = base + "-" + target.name + target.extension;
    return name;
}
