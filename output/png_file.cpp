#include "output/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each text field holds at most 255 bytes with its terminator.
constexpr std::size_t MAX_TEXT_BYTES = 254;
// Pattern of the temporary file a PNG is written to before it is renamed into place.
constexpr const char* TEMP_NAME = ".zarpo2-png-XXXXXX";

void append_bytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void no_flush(png_structp) {}

std::string cut_text(const std::string& text)
{
    return text.size() > MAX_TEXT_BYTES ? text.substr(0, MAX_TEXT_BYTES) : text;
}

}  // namespace

bool encode_png_rgb16(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, const PngTexts& texts,
                      std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!rgb || width == 0 || height == 0)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 6);
    // Declared before setjmp so that a longjmp back here finds them intact.
    std::string title = cut_text(texts.title), author = cut_text(texts.author);
    std::string description = cut_text(texts.description), software = cut_text(texts.software);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, append_bytes, no_flush);
    png_set_IHDR(png, info, width, height, 16, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);

    png_text chunks[4] = {};
    const char* keys[4] = {"Title", "Author", "Description", "Software"};
    std::string* values[4] = {&title, &author, &description, &software};
    for (int i = 0; i < 4; ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(keys[i]);
        chunks[i].text = values[i]->data();
        chunks[i].text_length = values[i]->size();
    }
    png_set_text(png, info, chunks, 4);
    png_time modified;
    png_convert_from_time_t(&modified, std::time(nullptr));
    png_set_tIME(png, info, &modified);

    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = rgb + static_cast<std::size_t>(y) * width * 3;
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * 3; ++i) {
            row[i * 2] = src[i];  // the byte becomes the high half of the sample
            row[i * 2 + 1] = 0;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool write_file_atomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    // The temporary name is short and in the target's folder: a name built on the target's
    // own would pass the 255-byte limit for targets that are themselves near it.
    std::size_t slash = path.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + TEMP_NAME;
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : EIO);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // mkstemp makes 0600; give the file the usual mode
    if (::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
