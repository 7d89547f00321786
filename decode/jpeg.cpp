// JPEG logos (identifier 24, and through decode_jpeg_picture the JPEG of the SCN (2)
// envelope), decoded by libjpeg from the logo stream, a chunk at a time:
//   - the frame is checked against the picture limits before anything is decoded, and
//     libjpeg's own memory use is capped;
//   - libjpeg's errors return here (its default handler would end the process); its
//     warnings about corrupt data are dropped and decoding goes on, as djpeg does;
//   - a stream that ends early is closed with an end-of-image marker, as libjpeg's own
//     file reader does, so the rows after the data are drawn from empty blocks;
//   - a JPEG that libjpeg rejects before giving a row shows the test pattern instead.
#include <csetjmp>
#include <cstdio>
#include <memory>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "core/limits.h"
#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/jpeg_picture.h"
#include "formats/standard_colors.h"
#include "decode/test_pattern.h"

namespace {

constexpr std::size_t SOURCE_CHUNK = 4096;
// A progressive JPEG has a handful of scans; a stream of hundreds is made to burn time
// (libjpeg-turbo's own fuzzers stop at 500).
constexpr int MAX_SCANS = 500;
// End-of-image markers handed to libjpeg after the data ran out; it asks again only in
// damaged streams.
constexpr unsigned MAX_FAKE_ENDS = 64;
constexpr unsigned STANDARD_COLOR_COUNT = 16;
constexpr unsigned CMYK_COMPONENTS = 4;
constexpr unsigned RGB_COMPONENTS = 3;

// The stream as libjpeg reads it: chunks from start up to the end of the stream.
struct JpegSource {
    jpeg_source_mgr pub;  // first: libjpeg holds a pointer to it
    std::FILE* stream;
    std::uint64_t next;  // offset of the next chunk
    std::uint64_t end;   // stream size
    bool delivered;      // a chunk of real data went out
    unsigned fakeEnds;
    JOCTET chunk[SOURCE_CHUNK];
};

struct JpegErrors {
    jpeg_error_mgr pub;  // first: libjpeg holds a pointer to it
    std::jmp_buf jump;
    volatile std::uint32_t rows;  // rows drawn; read after a jump
};

struct JpegProgress {
    jpeg_progress_mgr pub;
};

// Everything one decode needs, none of it with a destructor: libjpeg's errors jump back
// over the frames in between.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    JpegSource source;
    JpegProgress progress;
    const RgbCanvas* canvas;
};

void init_source(j_decompress_ptr) {}
void term_source(j_decompress_ptr) {}

boolean fill_input_buffer(j_decompress_ptr cinfo)
{
    JpegSource& src = *reinterpret_cast<JpegSource*>(cinfo->src);
    std::size_t got = 0;
    if (src.next < src.end) {
        std::uint64_t left = src.end - src.next;
        got = read_at(src.stream, src.next, src.chunk,
                      left < SOURCE_CHUNK ? static_cast<std::size_t>(left) : SOURCE_CHUNK);
        src.next += got;
    }
    if (got == 0) {
        if (!src.delivered)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        if (++src.fakeEnds > MAX_FAKE_ENDS)
            ERREXIT(cinfo, JERR_INPUT_EOF);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src.chunk[0] = 0xFF;
        src.chunk[1] = JPEG_EOI;
        got = 2;
    } else {
        src.delivered = true;
    }
    src.pub.next_input_byte = src.chunk;
    src.pub.bytes_in_buffer = got;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long count)
{
    JpegSource& src = *reinterpret_cast<JpegSource*>(cinfo->src);
    if (count <= 0)
        return;
    auto n = static_cast<std::uint64_t>(count);
    if (n <= src.pub.bytes_in_buffer) {
        src.pub.next_input_byte += n;
        src.pub.bytes_in_buffer -= static_cast<std::size_t>(n);
        return;
    }
    // Past this chunk: move the stream offset on; the next fill reads from there.
    n -= src.pub.bytes_in_buffer;
    src.pub.bytes_in_buffer = 0;
    src.next = n < src.end - src.next ? src.next + n : src.end;
}

[[noreturn]] void return_from_libjpeg(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

void drop_message(j_common_ptr) {}

void limit_scans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MAX_SCANS)
        return_from_libjpeg(cinfo);
}

// Writes one decoded row into the canvas: RGB as given, CMYK as libjpeg gives Adobe's
// inverted values (255 = no ink), each colour scaled by K and rounded, as djpeg does.
void put_row(const RgbCanvas& canvas, std::uint32_t y, const JSAMPLE* row, std::uint32_t width, bool cmyk)
{
    if (y >= canvas.height)
        return;
    const std::uint32_t shown = width < canvas.width ? width : canvas.width;
    for (std::uint32_t x = 0; x < shown; ++x) {
        if (cmyk) {
            const JSAMPLE* p = row + static_cast<std::size_t>(x) * CMYK_COMPONENTS;
            const unsigned k = p[3];
            auto scale = [k](unsigned v) { return static_cast<std::uint8_t>((2 * v * k + 255) / 510); };
            canvas.put(x, y, scale(p[0]), scale(p[1]), scale(p[2]));
        } else {
            const JSAMPLE* p = row + static_cast<std::size_t>(x) * RGB_COMPONENTS;
            canvas.put(x, y, p[0], p[1], p[2]);
        }
    }
}

// libjpeg's part of a decode, from the header to the last row; errors jump out of it.
void run_libjpeg(JpegJob& job)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = static_cast<long>(MAX_JPEG_DECODER_BYTES);
    cinfo.src = &job.source.pub;
    cinfo.progress = &job.progress.pub;
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > MAX_PICTURE_SIDE || cinfo.image_height > MAX_PICTURE_SIDE)
        return_from_libjpeg(reinterpret_cast<j_common_ptr>(&cinfo));
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    JSAMPARRAY row =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                   cinfo.output_width * static_cast<JDIMENSION>(cinfo.output_components), 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            break;
        put_row(*job.canvas, y, row[0], cinfo.output_width, cmyk);
        job.errors.rows = y + 1;
    }
}

// Decodes into the canvas; false when libjpeg gave no row at all.
bool decode_with_libjpeg(JpegJob& job)
{
    job.cinfo.err = jpeg_std_error(&job.errors.pub);
    job.errors.pub.error_exit = return_from_libjpeg;
    job.errors.pub.output_message = drop_message;
    job.errors.rows = 0;
    job.progress.pub.progress_monitor = limit_scans;
    jpeg_source_mgr& src = job.source.pub;
    src.init_source = init_source;
    src.fill_input_buffer = fill_input_buffer;
    src.skip_input_data = skip_input_data;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = term_source;
    src.bytes_in_buffer = 0;
    src.next_input_byte = nullptr;
    // Nothing below this point has a destructor; a jump lands here with the rows drawn so
    // far left in the canvas. The rest of the file after the last row is not read.
    if (setjmp(job.errors.jump) == 0)
        run_libjpeg(job);
    jpeg_destroy_decompress(&job.cinfo);
    return job.errors.rows != 0;
}

}  // namespace

void draw_test_pattern(std::uint8_t* image, std::uint16_t width, std::uint16_t height)
{
    if (!image)
        return;
    std::uint8_t colors[STANDARD_COLOR_COUNT][3];
    for (unsigned n = 0; n < STANDARD_COLOR_COUNT; ++n)
        standard_color_rgb(n, colors[n]);
    std::uint8_t* pixel = image;
    for (std::uint32_t y = 0; y < height; ++y) {
        // Colour (x mod (y + 1)) mod 256; values from 16 up (rows below 15) wrap round
        // the 16-entry table, so the colour is the low four bits of x mod (y + 1).
        std::uint32_t k = 0;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* rgb = colors[k % STANDARD_COLOR_COUNT];
            pixel[0] = rgb[0];
            pixel[1] = rgb[1];
            pixel[2] = rgb[2];
            pixel += 3;
            if (++k == y + 1)
                k = 0;
        }
    }
}

void decode_jpeg_picture(const RgbCanvas& canvas, std::FILE* stream, std::uint64_t start, LoadContext& load)
{
    if (!canvas.data)
        return;
    auto job = std::make_unique<JpegJob>();
    job->canvas = &canvas;
    job->source.stream = stream;
    job->source.next = start;
    job->source.end = stream_size(stream);
    job->source.delivered = false;
    job->source.fakeEnds = 0;
    if (decode_with_libjpeg(*job))
        return;
    draw_test_pattern(canvas.data, static_cast<std::uint16_t>(canvas.width), static_cast<std::uint16_t>(canvas.height));
    load.notice("%s", JPEG_REJECTED_NOTICE);
}

void decode_JPEG(std::uint8_t* image, LogoDescriptor d, LoadContext& load)
{
    decode_jpeg_picture(RgbCanvas{image, d.width, d.height}, d.stream, 0, load);
}
