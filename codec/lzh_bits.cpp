#include "codec/lzh_bits.h"

#include <algorithm>
#include <cstring>

namespace {

// What a byte the input no longer has reads as: getc's end-of-file value cut to 8 bits.
constexpr std::uint8_t MISSING_BYTE = 0xFF;
// Bits a byte-at-a-time reader holds ahead of the ones taken.
constexpr std::uint64_t LOOK_AHEAD_BITS = 16;

}  // namespace

LzhBitReader::LzhBitReader(std::span<const std::uint8_t> input, std::uint32_t packedSize)
    : input_(input), packedLeft_(packedSize)
{
    refill();
}

void LzhBitReader::next_block()
{
    std::size_t tail = end_ - pos_;
    std::memmove(block_, block_ + pos_, tail);
    blockBase_ += pos_;
    pos_ = 0;
    end_ = tail;

    std::size_t want = std::min<std::size_t>(packedLeft_, BLOCK_SIZE);
    std::size_t got = 0;
    if (want > 0) {
        if (fileBytes_ < input_.size()) {
            got = std::min<std::size_t>(want, input_.size() - fileBytes_);
            std::memcpy(block_ + end_, input_.data() + fileBytes_, got);
        }
        std::memset(block_ + end_ + got, MISSING_BYTE, want - got);
        packedLeft_ -= static_cast<std::uint32_t>(want);
        fileBytes_ += got;
        end_ += want;
    }
    // Past the packed size the stream goes on with zero bits.
    if (end_ - pos_ < TAIL) {
        std::memset(block_ + end_, 0, BLOCK_SIZE + TAIL - end_);
        end_ = BLOCK_SIZE + TAIL;
    }
}

std::size_t LzhBitReader::consumed()
{
    refill();
    std::uint64_t consumedBits = (blockBase_ + pos_) * 8 - count_;
    std::uint64_t taken = (consumedBits + LOOK_AHEAD_BITS + 7) / 8;
    // fileBytes_ never exceeds the packed size, and it stops short only where the input ended.
    return static_cast<std::size_t>(std::min(taken, fileBytes_));
}
