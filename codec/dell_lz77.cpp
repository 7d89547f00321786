// The byte-oriented LZ77 coder of Dell's "NVRAM" logo container: a 14-byte header, then
// tokens that are single literals, literal runs or back references. Whole-buffer work,
// payload in, a fixed-size output buffer out.
#include "codec/dell_lz77.h"

#include <new>

namespace {

constexpr std::size_t OUTPUT_SIZE = 0x30000;         // 196,608 bytes: the output never grows
constexpr unsigned DISTANCE_HIGH_UNIT = 256;         // high nibble counts 256-byte steps
constexpr std::size_t MAX_REFERENCE_LENGTH = 16;     // low nibble + 1

// The payload as the tokens see it: bytes past its end read as zero, like the zero fill
// behind a short read.
class Payload {
public:
    Payload(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }
    std::uint8_t next()
    {
        std::uint8_t byte = pos_ < size_ ? data_[pos_] : 0;
        ++pos_;
        return byte;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The output buffer; bytes that do not fit are dropped.
class Output {
public:
    explicit Output(std::uint8_t* data) : data_(data) {}
    bool full() const { return pos_ == OUTPUT_SIZE; }
    std::size_t size() const { return pos_; }
    void put(std::uint8_t byte)
    {
        if (pos_ < OUTPUT_SIZE)
            data_[pos_++] = byte;
    }
    // Byte k of a copy from distance places back, as the buffer stands: anything before
    // its start or at and after the output position reads as zero.
    std::uint8_t back(std::size_t distance, std::size_t k) const
    {
        if (distance > pos_ + k || k >= distance)
            return 0;
        return data_[pos_ - distance + k];
    }

private:
    std::uint8_t* data_;
    std::size_t pos_ = 0;
};

}  // namespace

DellResult dell_decompress(std::span<const std::uint8_t> payloadBytes)
{
    DellResult result;
    try {
        result.bytes.resize(OUTPUT_SIZE);
    } catch (const std::bad_alloc&) {
        result.allocationFailed = true;
        return result;
    }

    // Tokens are decoded up to the end of the payload; a token cut by that end takes
    // zeros for its missing bytes.
    Payload payload(payloadBytes.data(), payloadBytes.size());
    Output out(result.bytes.data());
    while (payload.more() && !out.full()) {
        std::uint8_t token = payload.next();
        unsigned high = token >> 4;
        unsigned low = token & 0x0F;
        if (token == 0) {
            out.put(payload.next());
        } else if (low == 0) {
            for (unsigned k = 0; k <= high; ++k)
                out.put(payload.next());
        } else {
            std::size_t distance = high * DISTANCE_HIGH_UNIT + payload.next() + 1;
            std::size_t length = low + 1;
            // Taken as the buffer stands before the copy: the bytes at and after the
            // output position read as zero, so a short distance does not repeat them.
            std::uint8_t copied[MAX_REFERENCE_LENGTH];
            for (std::size_t k = 0; k < length; ++k)
                copied[k] = out.back(distance, k);
            for (std::size_t k = 0; k < length; ++k)
                out.put(copied[k]);
        }
    }
    result.bytes.resize(out.size());
    return result;
}
