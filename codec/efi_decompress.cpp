// EFI (8 KiB window) and Tiano (512 KiB window) decompression over the lh5 kernel's bit
// reader, tables and symbol loop; only the window, the position classes and the framing
// are their own.
#include "codec/efi_decompress.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "codec/lzh_bits.h"
#include "codec/lzh_tables.h"

namespace {

constexpr int EFI_WINDOW_BITS = 13;    // 8 KiB: 14 position classes, a 4-bit count
constexpr int TIANO_WINDOW_BITS = 19;  // 512 KiB: 20 position classes, a 5-bit count
constexpr std::size_t COMPRESSED_SIZE_AT = 0;
constexpr std::size_t ORIGINAL_SIZE_AT = 4;

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Counts the kernel's bad-table reports instead of printing them.
class CountingSink : public KernelSink {
public:
    void kernel_line(const std::string&) override { ++lines; }
    unsigned lines = 0;
};

// The output itself is the window: matches copy from bytes already produced, never before
// the first one, and never past the original size.
class FlatWindow {
public:
    explicit FlatWindow(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    void literal(std::uint8_t byte) { bytes_[pos_++] = byte; }

    bool match(std::size_t distance, std::size_t length)
    {
        if (distance > pos_) {
            beforeStart = true;
            return false;
        }
        std::size_t n = std::min(length, bytes_.size() - pos_);
        for (std::size_t k = 0; k < n; ++k, ++pos_)
            bytes_[pos_] = bytes_[pos_ - distance];
        return true;
    }

    std::size_t produced() const { return pos_; }
    bool beforeStart = false;

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::uint32_t efi_original_size(std::span<const std::uint8_t> input)
{
    return input.size() < EFI_COMPRESSION_HEADER ? 0 : le32(input, ORIGINAL_SIZE_AT);
}

Unpacked efi_decompress(std::span<const std::uint8_t> input, EfiCompression kind, std::uint64_t maxOutput)
{
    Unpacked out;
    const char* name = kind == EfiCompression::efi ? "EFI" : "Tiano";
    char text[160];
    if (input.size() < EFI_COMPRESSION_HEADER) {
        std::snprintf(text, sizeof text, "%s stream shorter than its 8-byte header", name);
        out.problem = text;
        return out;
    }
    std::uint32_t compressed = le32(input, COMPRESSED_SIZE_AT);
    std::uint32_t original = le32(input, ORIGINAL_SIZE_AT);
    if (original > maxOutput) {
        std::snprintf(text, sizeof text, "%s stream unpacks to %u bytes, above the cap of %llu", name, original,
                      static_cast<unsigned long long>(maxOutput));
        out.problem = text;
        return out;
    }
    std::span<const std::uint8_t> packed = input.subspan(EFI_COMPRESSION_HEADER);
    if (compressed > packed.size())
        compressed = static_cast<std::uint32_t>(packed.size());
    out.bytes.assign(original, 0);

    CountingSink sink;
    LzhCodes codes{};
    codes.messages = &sink;
    LzhWindowShape shape = lzh_window_shape(kind == EfiCompression::efi ? EFI_WINDOW_BITS : TIANO_WINDOW_BITS);
    codes.positionClasses = shape.positionClasses;
    codes.positionBits = shape.positionCountBits;
    // The bit reader is large: it goes on the heap, not on a caller's stack.
    auto in = std::make_unique<LzhBitReader>(packed.first(compressed), compressed);
    FlatWindow window(out.bytes);
    decode_lzh_symbols(*in, codes, original, LZH_LENGTH_OFFSET, window);

    std::size_t produced = std::min<std::size_t>(window.produced(), original);
    if (sink.lines != 0)
        std::snprintf(text, sizeof text, "%s stream has a bad Huffman table after %zu of %u bytes", name, produced,
                      original);
    else if (window.beforeStart)
        std::snprintf(text, sizeof text, "%s stream has a match before its first byte after %zu of %u bytes", name,
                      produced, original);
    else
        text[0] = '\0';
    out.problem = text;
    out.bytes.resize(produced);
    return out;
}
