#include "codec/lzh_bits.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

namespace {

// What a byte the input no longer has reads as: getc's end-of-file value cut to 8 bits.
constexpr std::uint8_t MISSING_BYTE = 0xFF;
// Bits a byte-at-a-time reader holds ahead of the ones taken.
constexpr std::uint64_t LOOK_AHEAD_BITS = 16;

}  // namespace

LzhBitReader::LzhBitReader(std::FILE* input, std::uint32_t packedSize)
    : input_(input), inputStart_(input ? ftello(input) : -1), packedLeft_(packedSize)
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
        if (input_)
            got = std::fread(block_ + end_, 1, want, input_);
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

void LzhBitReader::finish()
{
    refill();
    std::uint64_t consumedBits = (blockBase_ + pos_) * 8 - count_;
    std::uint64_t taken = (consumedBits + LOOK_AHEAD_BITS + 7) / 8;
    // fileBytes_ never exceeds the packed size, and it stops short only where the file ended.
    taken = std::min(taken, fileBytes_);
    if (input_ && inputStart_ >= 0)
        fseeko(input_, static_cast<off_t>(inputStart_ + static_cast<std::int64_t>(taken)), SEEK_SET);
}
