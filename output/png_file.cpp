#include "output/png_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "output/png_deflate.h"

namespace {

// Each text field holds at most 255 bytes with its terminator.
constexpr std::size_t MAX_TEXT_BYTES = 254;
// Pattern of the temporary file a PNG is written to before it is renamed into place.
constexpr const char* TEMP_NAME = ".zarpo2-png-XXXXXX";

constexpr std::uint8_t BIT_DEPTH = 16;
constexpr std::uint8_t COLOR_TYPE_RGB = 2;
constexpr std::uint8_t COMPRESSION_DEFLATE = 0, FILTER_METHOD_0 = 0, NOT_INTERLACED = 0;
// The compressed rows are split into IDAT chunks of this size; readers join them.
constexpr std::size_t IDAT_CHUNK_BYTES = 256 * 1024;
constexpr int TM_BASE_YEAR = 1900;

void put_text_chunk(std::vector<std::uint8_t>& out, const char* keyword, const std::string& text)
{
    std::string cut = text.size() > MAX_TEXT_BYTES ? text.substr(0, MAX_TEXT_BYTES) : text;
    std::vector<std::uint8_t> data(keyword, keyword + std::strlen(keyword) + 1);  // keyword and its NUL
    data.insert(data.end(), cut.begin(), cut.end());
    put_png_chunk(out, "tEXt", data.data(), data.size());
}

// The time of writing, in UTC, as the tIME chunk holds it.
void put_time_chunk(std::vector<std::uint8_t>& out)
{
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    int year = utc.tm_year + TM_BASE_YEAR;
    const std::uint8_t data[7] = {static_cast<std::uint8_t>(year >> 8),      static_cast<std::uint8_t>(year),
                                  static_cast<std::uint8_t>(utc.tm_mon + 1), static_cast<std::uint8_t>(utc.tm_mday),
                                  static_cast<std::uint8_t>(utc.tm_hour),    static_cast<std::uint8_t>(utc.tm_min),
                                  static_cast<std::uint8_t>(utc.tm_sec)};
    put_png_chunk(out, "tIME", data, sizeof data);
}

}  // namespace

void put_png_u32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put_png_chunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size)
{
    put_png_u32(out, static_cast<std::uint32_t>(size));
    std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + size));
    put_png_u32(out, static_cast<std::uint32_t>(crc));
}

bool encode_png_rgb16(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, const PngTexts& texts,
                      std::vector<std::uint8_t>& out)
{
    out.clear();
    std::vector<std::uint8_t> rows;
    if (width > INT32_MAX || height > INT32_MAX || !deflate_rgb16_rows(rgb, width, height, rows))
        return false;
    out.assign(PNG_SIGNATURE, PNG_SIGNATURE + sizeof PNG_SIGNATURE);
    std::vector<std::uint8_t> header;
    put_png_u32(header, width);
    put_png_u32(header, height);
    header.insert(header.end(), {BIT_DEPTH, COLOR_TYPE_RGB, COMPRESSION_DEFLATE, FILTER_METHOD_0, NOT_INTERLACED});
    put_png_chunk(out, "IHDR", header.data(), header.size());
    put_time_chunk(out);
    put_text_chunk(out, "Title", texts.title);
    put_text_chunk(out, "Author", texts.author);
    put_text_chunk(out, "Description", texts.description);
    put_text_chunk(out, "Software", texts.software);
    for (std::size_t at = 0; at < rows.size(); at += IDAT_CHUNK_BYTES)
        put_png_chunk(out, "IDAT", rows.data() + at, std::min(IDAT_CHUNK_BYTES, rows.size() - at));
    put_png_chunk(out, "IEND", nullptr, 0);
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
