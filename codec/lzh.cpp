// The lh5 decoder ("kernel2"): LZSS matches against a window that starts full of spaces,
// coded with static Huffman codes sent at the head of each block. Covers the LZH archive
// methods -lh5- (8 KiB window, the one every caller uses), -lh6- and -lh7- (wider
// windows with more position classes, lzh_format.h; the kernel's method 7 counts lengths
// from 254). The encoder is lh5_encode.h.
#include "codec/lzh.h"

#include <cstring>
#include <new>

#include "codec/lzh_bits.h"
#include "codec/lzh_format.h"
#include "codec/lzh_tables.h"

namespace {

constexpr std::uint8_t WINDOW_FILL = 0x20;  // the window starts full of spaces
constexpr int METHOD_LH7 = 7;
constexpr unsigned LH7_LENGTH_OFFSET = LZH_LENGTH_OFFSET + 1;  // symbol 256 is a match of 2 bytes
constexpr std::size_t LAST_MATCH_OVERRUN = 256;

// The sliding window; every byte put in it is also appended to the output.
class Window {
public:
    Window(std::size_t size, std::vector<std::uint8_t>& output) : data_(size, WINDOW_FILL), output_(output) {}

    void literal(std::uint8_t byte) { put(byte); }
    bool match(std::size_t distance, std::size_t length)
    {
        copy(distance, length);
        return true;
    }

    void put(std::uint8_t byte)
    {
        data_[pos_] = byte;
        pos_ = (pos_ + 1) & (data_.size() - 1);
        output_.push_back(byte);
    }

    // Appends length bytes copied from distance (1..) bytes back, as if byte by byte: a
    // copy that runs into the bytes it writes repeats them.
    void copy(std::size_t distance, std::size_t length)
    {
        std::size_t size = data_.size();
        std::size_t mask = size - 1;
        std::size_t src = (pos_ - distance) & mask;
        bool noWrap = src + length <= size && pos_ + length <= size;
        if (noWrap && (src >= pos_ || pos_ - src >= length)) {
            // The source lies ahead or does not reach the bytes written: a block move
            // gives the same bytes.
            std::memmove(data_.data() + pos_, data_.data() + src, length);
            output_.insert(output_.end(), data_.begin() + static_cast<std::ptrdiff_t>(pos_),
                           data_.begin() + static_cast<std::ptrdiff_t>(pos_ + length));
            pos_ = (pos_ + length) & mask;
            return;
        }
        for (std::size_t k = 0; k < length; ++k)
            put(data_[(src + k) & mask]);
    }

private:
    std::vector<std::uint8_t> data_;
    std::vector<std::uint8_t>& output_;
    std::size_t pos_ = 0;
};

}  // namespace

LzhResult lzh_decode(const LzhRequest& request, KernelSink& messages)
{
    LzhResult result;
    LzhWindowShape shape = lzh_window_shape(request.dictionaryBits);
    try {
        result.bytes.reserve(std::size_t{request.unpackedSize} + LAST_MATCH_OVERRUN);
    } catch (const std::bad_alloc&) {
        result.allocationFailed = true;
        return result;
    }
    Window window(std::size_t{1} << shape.windowBits, result.bytes);

    LzhCodes codes{};
    codes.messages = &messages;
    codes.positionClasses = shape.positionClasses;
    codes.positionBits = shape.positionCountBits;
    unsigned lengthOffset = request.method == METHOD_LH7 ? LH7_LENGTH_OFFSET : LZH_LENGTH_OFFSET;

    LzhBitReader in(request.input, request.packedSize);
    decode_lzh_symbols(in, codes, request.unpackedSize, lengthOffset, window);
    result.consumed = in.consumed();
    result.positionsPastWindow = codes.positionsPastClasses;
    return result;
}
