// Encoders for the Phoenix BIOS "LZSS" and "LZARI" streams, the counterparts of
// codec/phoenix_lzss.h and codec/phoenix_lzari.h, for tests and fixture generators.
// Greedy matching over hash chains: valid streams, not the smallest ones. Header-only and
// standalone (standard library only).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace phoenix_pack_detail {

constexpr std::size_t RING_SIZE = 4096;
constexpr std::size_t MIN_MATCH = 3;
constexpr std::size_t HASH_SIZE = 1u << 12;
constexpr unsigned CHAIN_DEPTH = 64;  // candidates tried per position
constexpr std::int64_t NONE = -1;

struct Match {
    std::size_t length = 0;    // 0 when no match of MIN_MATCH bytes or more exists
    std::size_t distance = 0;  // 1..4096 bytes back
};

// Finds matches as the decoders see them: the data follows RING_SIZE fill bytes (the
// ring's initial contents), and a match copies byte by byte from 1..RING_SIZE back.
class MatchFinder {
public:
    MatchFinder(std::span<const std::uint8_t> data, std::uint8_t fill, std::size_t maxLength)
        : maxLength_(maxLength), head_(HASH_SIZE, NONE)
    {
        buf_.assign(RING_SIZE, fill);
        buf_.insert(buf_.end(), data.begin(), data.end());
        prev_.assign(buf_.size(), NONE);
        for (std::size_t p = 0; p < RING_SIZE; ++p)
            insert(p);
    }

    // The longest match for data byte i, whose predecessors are all inserted.
    Match find(std::size_t i) const
    {
        std::size_t at = RING_SIZE + i;
        std::size_t limit = std::min(maxLength_, buf_.size() - at);
        Match best;
        if (limit < MIN_MATCH)
            return best;
        std::int64_t cand = head_[hash(at)];
        for (unsigned depth = 0; cand != NONE && depth < CHAIN_DEPTH; ++depth) {
            auto p = static_cast<std::size_t>(cand);
            if (at - p > RING_SIZE)
                break;
            std::size_t n = 0;
            while (n < limit && buf_[p + n] == buf_[at + n])
                ++n;
            if (n > best.length)
                best = {n, at - p};
            if (n == limit)
                break;
            cand = prev_[p];
        }
        if (best.length < MIN_MATCH)
            best = {};
        return best;
    }

    // Makes data byte i a match candidate for the bytes after it.
    void insert_data(std::size_t i) { insert(RING_SIZE + i); }

private:
    std::size_t hash(std::size_t p) const
    {
        if (p + MIN_MATCH > buf_.size())
            return 0;
        return (buf_[p] * 2654435761u ^ buf_[p + 1] * 40503u ^ buf_[p + 2]) & (HASH_SIZE - 1);
    }
    void insert(std::size_t p)
    {
        std::size_t h = hash(p);
        prev_[p] = head_[h];
        head_[h] = static_cast<std::int64_t>(p);
    }

    std::size_t maxLength_;
    std::vector<std::uint8_t> buf_;
    std::vector<std::int64_t> head_;
    std::vector<std::int64_t> prev_;
};

// Bits, most-significant first, the last byte padded with zeros.
class BitSink {
public:
    explicit BitSink(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(unsigned bit)
    {
        if (count_ % 8 == 0)
            out_.push_back(0);
        if (bit)
            out_.back() |= static_cast<std::uint8_t>(0x80 >> (count_ % 8));
        ++count_;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t count_ = 0;
};

// Okumura's LZARI encoder: the adaptive character model and the static position model.
class LzariEncoder {
public:
    static constexpr unsigned N_CHAR = 314;  // 256 literals, lengths 3..60
    static constexpr std::uint32_t Q1 = 0x8000, Q2 = 0x10000, Q3 = 0x18000, Q4 = 0x20000;
    static constexpr std::uint32_t MAX_CUM = Q1 - 1;

    explicit LzariEncoder(std::vector<std::uint8_t>& out) : bits_(out)
    {
        symCum_[N_CHAR] = 0;
        for (unsigned sym = N_CHAR; sym >= 1; --sym) {
            unsigned ch = sym - 1;
            charToSym_[ch] = sym;
            symToChar_[sym] = ch;
            symFreq_[sym] = 1;
            symCum_[sym - 1] = symCum_[sym] + symFreq_[sym];
        }
        symFreq_[0] = 0;
        positionCum_[RING_SIZE] = 0;
        for (unsigned i = RING_SIZE; i >= 1; --i)
            positionCum_[i - 1] = positionCum_[i] + 10000 / (i + 200);
    }

    void encode_char(unsigned ch)
    {
        unsigned sym = charToSym_[ch];
        narrow(symCum_[sym - 1], symCum_[sym], symCum_[0]);
        update_model(sym);
    }

    void encode_position(unsigned position)
    {
        narrow(positionCum_[position], positionCum_[position + 1], positionCum_[0]);
    }

    void finish()
    {
        ++shifts_;
        output(low_ < Q1 ? 0 : 1);
    }

private:
    void narrow(std::uint64_t top, std::uint64_t bottom, std::uint64_t total)
    {
        std::uint64_t range = high_ - low_;
        high_ = low_ + static_cast<std::uint32_t>(range * top / total);
        low_ += static_cast<std::uint32_t>(range * bottom / total);
        for (;;) {
            if (high_ <= Q2) {
                output(0);
            } else if (low_ >= Q2) {
                output(1);
                low_ -= Q2;
                high_ -= Q2;
            } else if (low_ >= Q1 && high_ <= Q3) {
                ++shifts_;
                low_ -= Q1;
                high_ -= Q1;
            } else {
                break;
            }
            low_ += low_;
            high_ += high_;
        }
    }

    void output(unsigned bit)
    {
        bits_.put(bit);
        for (; shifts_ > 0; --shifts_)
            bits_.put(!bit);
    }

    void update_model(unsigned sym)
    {
        if (symCum_[0] >= MAX_CUM) {
            std::uint32_t c = 0;
            for (unsigned i = N_CHAR; i > 0; --i) {
                symCum_[i] = c;
                c += (symFreq_[i] = (symFreq_[i] + 1) >> 1);
            }
            symCum_[0] = c;
        }
        unsigned i = sym;
        while (symFreq_[i] == symFreq_[i - 1])
            --i;
        if (i < sym) {
            unsigned chI = symToChar_[i], chSym = symToChar_[sym];
            symToChar_[i] = chSym;
            symToChar_[sym] = chI;
            charToSym_[chI] = sym;
            charToSym_[chSym] = i;
        }
        ++symFreq_[i];
        while (i > 0)
            ++symCum_[--i];
    }

    BitSink bits_;
    std::uint32_t low_ = 0, high_ = Q4;
    unsigned long shifts_ = 0;
    std::array<unsigned, N_CHAR> charToSym_{};
    std::array<unsigned, N_CHAR + 1> symToChar_{};
    std::array<std::uint32_t, N_CHAR + 1> symFreq_{}, symCum_{};
    std::array<std::uint32_t, RING_SIZE + 1> positionCum_{};
};

}  // namespace phoenix_pack_detail

// Phoenix "LZSS": flag bytes (bit 1 literal, 0 match, least-significant first), matches
// as two bytes holding the absolute ring position (12 bits) and length - 3 (4 bits).
inline std::vector<std::uint8_t> phoenix_lzss_pack(std::span<const std::uint8_t> bytes, std::uint8_t fill)
{
    using namespace phoenix_pack_detail;
    constexpr std::size_t MAX_MATCH = 18;
    constexpr std::size_t RING_START = 0xFEE;
    MatchFinder finder(bytes, fill, MAX_MATCH);
    std::vector<std::uint8_t> out;
    std::size_t flagAt = 0;
    unsigned item = 8;
    for (std::size_t i = 0; i < bytes.size();) {
        if (item == 8) {
            flagAt = out.size();
            out.push_back(0);
            item = 0;
        }
        Match m = finder.find(i);
        if (m.length == 0) {
            out[flagAt] |= static_cast<std::uint8_t>(1u << item);
            out.push_back(bytes[i]);
            m.length = 1;
        } else {
            std::size_t position = (RING_START + i - m.distance) & (RING_SIZE - 1);
            out.push_back(static_cast<std::uint8_t>(position & 0xFF));
            out.push_back(static_cast<std::uint8_t>((position >> 4 & 0xF0) | (m.length - MIN_MATCH)));
        }
        for (std::size_t k = 0; k < m.length; ++k)
            finder.insert_data(i + k);
        i += m.length;
        ++item;
    }
    return out;
}

// Phoenix "LZARI": the 4-byte expanded size, then the arithmetic-coded stream of
// characters (literals 0..255, match lengths 3..60 as 256..313) and positions
// (distance - 1).
inline std::vector<std::uint8_t> phoenix_lzari_pack(std::span<const std::uint8_t> bytes, std::uint8_t fill)
{
    using namespace phoenix_pack_detail;
    constexpr std::size_t MAX_MATCH = 60;
    constexpr unsigned LENGTH_BASE = 253;  // character 256 is a match of 3 bytes
    auto size = static_cast<std::uint32_t>(bytes.size());
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                                     static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)};
    MatchFinder finder(bytes, fill, MAX_MATCH);
    LzariEncoder coder(out);
    for (std::size_t i = 0; i < bytes.size();) {
        Match m = finder.find(i);
        if (m.length == 0) {
            coder.encode_char(bytes[i]);
            m.length = 1;
        } else {
            coder.encode_char(static_cast<unsigned>(m.length) + LENGTH_BASE);
            coder.encode_position(static_cast<unsigned>(m.distance - 1));
        }
        for (std::size_t k = 0; k < m.length; ++k)
            finder.insert_data(i + k);
        i += m.length;
    }
    coder.finish();
    return out;
}
