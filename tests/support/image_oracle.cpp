#include "support/image_oracle.h"

#include <gtest/gtest.h>

#include "formats/standard_colors.h"

Bytes decode_bytes_with(SingleDecoder decoder, const Bytes& file, std::uint16_t width, std::uint16_t height,
                        std::string* messages, bool verbose)
{
    Bytes image(static_cast<std::size_t>(width) * height * 3, 0), palette(256 * 3, 0);
    CaptureSink capture;
    LoadContext load(capture, verbose);
    LogoDescriptor d;
    d.width = width;
    d.height = height;
    d.image = image.data();
    d.palette = palette.data();
    d.stream = load.replace_input(file);
    decoder(image.data(), d, load);
    if (messages)
        *messages = capture.out;
    return image;
}

std::uint32_t pixel_at(const Bytes& image, unsigned width, unsigned x, unsigned y)
{
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return i + 2 < image.size() ? (image[i] << 16) | (image[i + 1] << 8) | image[i + 2] : 0xFFFFFFFF;
}

std::uint32_t standard_rgb(unsigned n)
{
    std::uint8_t rgb[3];
    standard_color_rgb(n, rgb);
    return (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
}

void expect_pixels(const Bytes& image, unsigned width, std::initializer_list<std::array<std::uint32_t, 3>> pixels)
{
    for (auto [x, y, rgb] : pixels)
        EXPECT_EQ(pixel_at(image, width, x, y), rgb) << "at " << x << "," << y;
}

bool convert_to_rgb(const std::string& path, Bytes& rgb)
{
    // Sixteen bits per sample, most significant byte first: the high bytes are exact for
    // 8-bit pictures (v x 257) and for the viewer's 16-bit PNG files (v x 256) alike.
    std::string out;
    if (run_command("convert '" + path + "' -depth 16 -endian MSB rgb:- 2>/dev/null", &out) != 0 || out.empty())
        return false;
    rgb.clear();
    for (std::size_t i = 0; i + 1 < out.size(); i += 2)
        rgb.push_back(static_cast<std::uint8_t>(out[i]));
    return true;
}

std::string tool_file(const std::string& command)
{
    const std::string out = write_temp_file({}, "tool.out");
    bool ok = run_command("OUT='" + out + "'; " + command + " 2>/dev/null") == 0 && !read_file(out).empty();
    return ok ? out : "";
}

bool cli_png_rgb(const std::string& path, Bytes& rgb)
{
    static int runs = 0;
    const std::string dir = test_temp_dir() + "/png" + std::to_string(++runs), to = " --out-dir '" + dir + "' '";
    std::string listing;
    if (run_command("mkdir -p '" + dir + "' && " + cli_path() + " png" + to + path + "'", &listing))
        return false;
    const std::string png = listing.substr(0, listing.find('\n'));
    return !png.empty() && convert_to_rgb(png, rgb);
}

Bytes clear_low_bits(Bytes rgb)
{
    for (std::uint8_t& v : rgb)
        v &= 0xFC;
    return rgb;
}
