// The lh5 decoder ("kernel2"): LZSS matches against a window that starts full of spaces,
// coded with static Huffman codes sent at the head of each block. Covers the LZH archive
// methods -lh5- (8 KiB window, the one every caller uses), -lh6- and -lh7- (wider
// windows, 16 position classes; -lh7- counts lengths from 254). Decodes only.
#include "codec/lzh.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "codec/lzh_bits.h"
#include "codec/lzh_tables.h"

namespace {

constexpr const char* WRITE_ERROR_DETAIL = "Write error in kernel2.cpp [0]\n";
constexpr const char* ERROR_PREFIX = "Error: ";
constexpr const char* FATAL_PREFIX = "Fatal error:";

constexpr std::uint8_t WINDOW_FILL = 0x20;  // the window starts full of spaces
constexpr unsigned NARROW_WINDOW_BITS = 13; // up to 8 KiB: 14 position classes
constexpr unsigned NARROW_POSITION_CLASSES = 14;
constexpr unsigned NARROW_POSITION_COUNT_BITS = 4;
constexpr unsigned WIDE_POSITION_CLASSES = 16;
constexpr unsigned WIDE_POSITION_COUNT_BITS = 5;
// 16 position classes reach back at most 32 KiB, so a window above 64 KiB decodes the
// same bytes; wider requests are held to 64 KiB.
constexpr unsigned MAX_WINDOW_BITS = 16;
constexpr int METHOD_LH7 = 7;
constexpr unsigned LENGTH_OFFSET = 253;      // symbol 256 is a match of 3 bytes
constexpr unsigned LH7_LENGTH_OFFSET = 254;  // ... or of 2 bytes

// Process-wide like the rest of the kernel: the tables keep their contents between
// calls and are rebuilt by every block head before use.
LzhCodes codes;

// The sliding window, written out whole every time it fills.
class Window {
public:
    Window(std::uint8_t* data, std::size_t size, std::FILE* output) : data_(data), size_(size), output_(output)
    {
        std::memset(data_, WINDOW_FILL, size_);
    }

    void put(std::uint8_t byte)
    {
        data_[pos_] = byte;
        if (++pos_ == size_)
            flush();
    }

    // Appends length bytes copied from distance (1..) bytes back, as if byte by byte: a
    // copy that runs into the bytes it writes repeats them.
    void copy(std::size_t distance, std::size_t length)
    {
        std::size_t mask = size_ - 1;
        std::size_t src = (pos_ - distance) & mask;
        bool noWrap = src + length <= size_ && pos_ + length <= size_;
        if (noWrap && (src >= pos_ || pos_ - src >= length)) {
            // The source lies ahead or does not reach the bytes written: a block move
            // gives the same bytes.
            std::memmove(data_ + pos_, data_ + src, length);
            pos_ += length;
            if (pos_ == size_)
                flush();
            return;
        }
        for (std::size_t k = 0; k < length; ++k)
            put(data_[(src + k) & mask]);
    }

    // Writes what the window holds since the last flush.
    void finish()
    {
        if (pos_ != 0)
            write(pos_);
    }

private:
    void flush()
    {
        write(size_);
        pos_ = 0;
    }

    void write(std::size_t n)
    {
        if (output_ && std::fwrite(data_, 1, n, output_) != n)
            kernel_fatal(WRITE_ERROR_DETAIL);
    }

    std::uint8_t* data_;
    std::size_t size_;
    std::FILE* output_;
    std::size_t pos_ = 0;
};

}  // namespace

void lzh_decode(LzhRequest request)
{
    unsigned windowBits = static_cast<std::uint16_t>(request.dictionaryBits);
    if (windowBits > MAX_WINDOW_BITS)
        windowBits = MAX_WINDOW_BITS;
    std::size_t windowSize = std::size_t{1} << windowBits;
    auto* windowData = static_cast<std::uint8_t*>(std::malloc(windowSize));
    if (!windowData)
        std::exit(errno != 0 ? errno : EXIT_FAILURE);
    Window window(windowData, windowSize, request.output);

    bool narrow = windowBits <= NARROW_WINDOW_BITS;
    codes.positionClasses = narrow ? NARROW_POSITION_CLASSES : WIDE_POSITION_CLASSES;
    codes.positionBits = narrow ? NARROW_POSITION_COUNT_BITS : WIDE_POSITION_COUNT_BITS;
    unsigned lengthOffset = request.method == METHOD_LH7 ? LH7_LENGTH_OFFSET : LENGTH_OFFSET;

    LzhBitReader in(request.input, request.packedSize);
    std::uint16_t blockLeft = 0;  // a stored count of 0 serves 65536 symbols
    // 64 bits: the last match may run up to 255 bytes past the unpacked size.
    std::uint64_t produced = 0;
    while (produced < request.unpackedSize) {
        in.refill();
        if (blockLeft == 0) {
            if (!read_block_head(in, codes, blockLeft))
                break;
            in.refill();
        }
        --blockLeft;
        unsigned c = decode_literal_length(in, codes);
        if (c < LZH_LITERALS) {
            window.put(static_cast<std::uint8_t>(c));
            ++produced;
            continue;
        }
        std::int32_t position = c < LZH_NC ? decode_position(in, codes) : -1;
        if (position < 0) {
            report_bad_table();
            break;
        }
        unsigned length = c - lengthOffset;
        produced += length;
        window.copy(static_cast<std::size_t>(position) + 1, length);
    }
    window.finish();
    in.finish();
    std::free(windowData);
}

void kernel_report(const char* prefix, const char* message, const char* detail)
{
    std::fprintf(stderr, "Kernel: %s%s ", prefix, message);
    std::fflush(stderr);
    if (errno != 0)
        std::perror(detail);
    else
        std::fprintf(stderr, "%s\n", detail);
}

void kernel_error(const char* message, const char* detail)
{
    kernel_report(ERROR_PREFIX, message, detail);
}

void kernel_fatal(const char* detail)
{
    kernel_report(FATAL_PREFIX, "", detail);
    std::exit(EXIT_FAILURE);
}
