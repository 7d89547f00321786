// The measuring rules of the pictures that carry a signature: for each layout variant the
// probes accept, the size its header declares and the extent of its data (from the
// picture's first byte to the end of its data). One rule per format, used by the probes
// where they read the same fields, by the ROM scan's raw sweep to cut a picture out of an
// image and by the scan's confirmation to check that a picture's data is all there.
//   PCX       0A header, run-length scanlines walked row by row as the decoders unpack
//             them (a run is cut at the line's end), the 8-bit palette trailer; BioStar's
//             encoding byte 0 included
//   BMP       "BM" or an overwritten signature: header sizes, run-length ones by bfSize
//   AWBM      palette trailer after 16- or 256-colour pixels, no palette at all, or
//             compressed (leading palette block, then run pairs walked to the last pixel)
//   PG        size at 10, own palette table (size after it), or the size sub-header
//   GRFX      "GRFX"/"XFRG": pixels from the offset at 12 + 8
//   ICON      4-bit (substitution table) or 8-bit pixels after the 19-byte head
//   GLE       8-byte header, 14 bytes per cell
//   TM        TriGem: count/value pairs from the offset at 10 walked to the last pixel
//   TEXTLOGO  the container (tag at 0x80) or the bare "LOGO" block: header, glyphs, map
//   JPEG      markers walked to EOI, the entropy-coded data stepped over
//   $OSB      the chain walked to its end record (which counts) or its last picture
//   SCRN      composite size at 4; SCN envelope size at 4
// A rule never reads outside the bytes it is given; `walked` says how many bytes a walk
// went through, so that a caller can charge it to a budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

// The bytes a rule reads: a span, or a stream (the probes'), zero past the end either way.
class LayoutBytes {
public:
    explicit LayoutBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes), size_(bytes.size()) {}
    LayoutBytes(std::FILE* stream, std::uint64_t size) : stream_(stream), size_(size) {}

    std::uint64_t size() const { return size_; }
    // n bytes at offset at; those past the end are zero.
    void read(std::uint64_t at, std::uint8_t* out, std::size_t n) const;
    std::uint8_t u8(std::uint64_t at) const;
    std::uint16_t u16(std::uint64_t at) const;
    std::uint32_t u32(std::uint64_t at) const;
    // True when text (its length bytes) stands at at.
    bool has(std::uint64_t at, const char* text, std::size_t length) const;
    // The span behind the bytes; empty for a stream.
    std::span<const std::uint8_t> span() const { return bytes_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::FILE* stream_ = nullptr;
    std::uint64_t size_ = 0;
};

struct PictureExtent {
    std::uint32_t width = 0;   // as the layout declares them
    std::uint32_t height = 0;
    std::uint64_t length = 0;  // bytes of the picture; 0 when the layout does not hold together
    bool complete = false;     // its data is all inside the bytes measured
    std::uint64_t walked = 0;  // bytes a walk went through (rows, pairs, markers, records)
};

enum class PictureLayout { pcx, bmp, awbm, pg, grfx, icon, gle, trigem, textlogo, logoBlock, jpeg, osb, scrn, scn };

// The largest side a picture of any layout may declare and still be measured.
constexpr std::uint32_t MAX_MEASURED_SIDE = 8192;

// Where a PG picture keeps its size and planes, by its variant; the PG probe reads its size
// through this too.
struct PgLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t planesAt = 0;
    std::uint64_t planeRowBytes = 0;
};
PgLayout read_pg_layout(const LayoutBytes& b);

PictureExtent measure_pcx(const LayoutBytes& b);
// The signature is not read: a BMP whose "BM" was overwritten measures alike.
PictureExtent measure_bmp(const LayoutBytes& b);
PictureExtent measure_awbm(const LayoutBytes& b);
PictureExtent measure_pg(const LayoutBytes& b);
PictureExtent measure_grfx(const LayoutBytes& b);
PictureExtent measure_icon(const LayoutBytes& b);
PictureExtent measure_gle(const LayoutBytes& b);
PictureExtent measure_trigem(const LayoutBytes& b);
// The container: the block whose "TEXTLOGO" stands at 0x80; length counts the 0x80 bytes.
PictureExtent measure_textlogo(const LayoutBytes& b);
// The bare block, from its "LOGO".
PictureExtent measure_logo_block(const LayoutBytes& b);
PictureExtent measure_jpeg(const LayoutBytes& b);
PictureExtent measure_osb(const LayoutBytes& b);
PictureExtent measure_scrn(const LayoutBytes& b);
PictureExtent measure_scn(const LayoutBytes& b);

PictureExtent measure_picture(PictureLayout layout, const LayoutBytes& b);
