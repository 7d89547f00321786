#include "pipeline/past_end_check.h"

#include <cstring>

#include "core/limits.h"
#include "core/owned.h"
#include "pipeline/format_registry.h"
#include "pipeline/front_end.h"
#include "pipeline/input_file.h"

namespace {

constexpr std::uint64_t FILLER_BYTES = 1 << 20;  // how far past the end the filler reaches
constexpr int FILLER = 0xA5;                     // a byte no reader makes up for a short read

// A read-only stream over a file that goes on past the file's end with FILLER_BYTES of
// filler; seeking to the end finds the file's own size, as detection expects.
struct PaddedFile {
    OwnedFile file;
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
};

ssize_t padded_read(void* cookie, char* out, size_t n)
{
    auto* padded = static_cast<PaddedFile*>(cookie);
    size_t done = 0;
    if (padded->pos < padded->size) {
        size_t want = static_cast<size_t>(std::min<std::uint64_t>(n, padded->size - padded->pos));
        if (fseeko(padded->file.get(), static_cast<off_t>(padded->pos), SEEK_SET) != 0)
            return -1;
        done = std::fread(out, 1, want, padded->file.get());
        padded->pos += done;
        if (done < want)
            padded->size = padded->pos;  // the file shrank: the filler starts here
    }
    const std::uint64_t fillerEnd = padded->size + FILLER_BYTES;
    if (done < n && padded->pos >= padded->size && padded->pos < fillerEnd) {
        size_t fill = static_cast<size_t>(std::min<std::uint64_t>(n - done, fillerEnd - padded->pos));
        std::memset(out + done, FILLER, fill);
        done += fill;
        padded->pos += fill;
    }
    return static_cast<ssize_t>(done);
}

int padded_seek(void* cookie, off64_t* offset, int whence)
{
    auto* padded = static_cast<PaddedFile*>(cookie);
    const std::int64_t base = whence == SEEK_SET   ? 0
                              : whence == SEEK_CUR ? static_cast<std::int64_t>(padded->pos)
                                                   : static_cast<std::int64_t>(padded->size);
    if (*offset < -base)
        return -1;
    padded->pos = static_cast<std::uint64_t>(base + *offset);
    *offset = static_cast<off64_t>(padded->pos);
    return 0;
}

int padded_close(void* cookie)
{
    delete static_cast<PaddedFile*>(cookie);
    return 0;
}

OwnedFile open_padded(const std::string& path)
{
    auto* padded = new PaddedFile;
    std::string problem;
    padded->file = open_input_file(path, problem);  // a path made a FIFO since the load is not waited on
    if (!padded->file || fseeko(padded->file.get(), 0, SEEK_END) != 0) {
        delete padded;
        return OwnedFile();
    }
    off_t size = ftello(padded->file.get());
    padded->size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    OwnedFile stream(fopencookie(padded, "rb", {padded_read, nullptr, padded_seek, padded_close}));
    if (!stream)
        delete padded;
    return stream;
}

bool same_pixels(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t width, std::uint32_t height)
{
    if (!a || !b)
        return a == b;
    return std::memcmp(a, b, rgb_buffer_size(width, height)) == 0;
}

// The first and last rows at which two pictures of width x height differ.
CutRows changed_rows(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t width, std::uint32_t height)
{
    CutRows rows;
    const std::size_t row = rgb_buffer_size(width, 1);
    for (std::uint32_t y = 0; a && b && y < height; ++y) {
        if (std::memcmp(a + y * row, b + y * row, row) != 0) {
            if (rows.first < 0)
                rows.first = static_cast<int>(y);
            rows.last = static_cast<int>(y);
        }
    }
    return rows;
}

}  // namespace

bool picture_needs_bytes_past_end(const std::string& path, const LogoDescriptor& shown, const LogoBuffers& buffers,
                                  CutRows* cut)
{
    if (cut)
        *cut = {};
    if (format_entry(shown.formatId).traits & EXTERNAL_PALETTE)
        return false;  // its decoder would ask for the palette file again
    OwnedFile padded = open_padded(path);
    if (!padded)
        return false;
    QuietLoad quiet;
    quiet.load.set_input(std::move(padded));
    DecodedLogo again = decode_logo(quiet.load, path, quiet.frontEnd, ENGLISH_STRINGS);
    const LogoDescriptor& d = again.descriptor;
    if (!again.decoded || d.formatId != shown.formatId)
        return false;
    // The same format read with other sizes: its header or packed data runs past the end.
    if (d.width != shown.width || d.height != shown.height || d.frameCount != shown.frameCount ||
        again.buffers.frames.size() != buffers.frames.size())
        return true;
    if (cut)
        *cut = changed_rows(again.buffers.image.get(), buffers.image.get(), d.width, d.height);
    if (!same_pixels(again.buffers.image.get(), buffers.image.get(), d.width, d.height) ||
        !same_pixels(again.buffers.fontMap.get(), buffers.fontMap.get(), d.width, d.height) ||
        !same_pixels(again.buffers.colorMap.get(), buffers.colorMap.get(), d.width, d.height))
        return true;
    for (std::size_t f = 0; f < buffers.frames.size(); ++f) {
        const LogoFrame& a = again.buffers.frames[f];
        const LogoFrame& b = buffers.frames[f];
        if (a.width != b.width || a.height != b.height || !same_pixels(a.pixels, b.pixels, a.width, a.height))
            return true;
    }
    return false;
}
