#include "encode/resize.h"

#include <algorithm>

namespace {

struct Tap {
    std::uint32_t source;
    std::uint64_t weight;
};

// For each of the `to` target pixels of one axis, the source pixels it covers and how
// much. The source is first seen enlarged by a whole factor k (each pixel k times), so a
// whole-factor enlargement takes one pixel each (nearest neighbour) and a reduction
// averages the area; weights of a target pixel sum to k x from.
std::vector<std::vector<Tap>> axis_taps(std::uint32_t from, std::uint32_t to)
{
    const std::uint64_t k = to > from ? (to + from - 1) / from : 1;
    const std::uint64_t span = k * from;  // the enlarged axis, in target units of `to`
    std::vector<std::vector<Tap>> taps(to);
    for (std::uint32_t d = 0; d < to; ++d) {
        // Target pixel d covers [d * span, (d + 1) * span) of the enlarged axis measured in
        // 1/to steps; source pixel s covers [s * k * to, (s + 1) * k * to).
        const std::uint64_t lo = d * span, hi = lo + span;
        const std::uint64_t cell = k * to;
        for (std::uint64_t s = lo / cell; s < from && s * cell < hi; ++s) {
            const std::uint64_t overlap = std::min(hi, (s + 1) * cell) - std::max(lo, s * cell);
            if (overlap)
                taps[d].push_back(Tap{static_cast<std::uint32_t>(s), overlap});
        }
    }
    return taps;
}

}  // namespace

Placement place_picture(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::uint32_t width,
                        std::uint32_t height, bool stretch)
{
    Placement p{width, height, 0, 0, width, height};
    if (stretch || sourceWidth == 0 || sourceHeight == 0)
        return p;
    // The box is as wide as the target when the source is relatively wider, else as high.
    const std::uint64_t wideBy = static_cast<std::uint64_t>(sourceWidth) * height;
    const std::uint64_t highBy = static_cast<std::uint64_t>(sourceHeight) * width;
    if (wideBy >= highBy)
        p.innerHeight = static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (highBy * 2 / sourceWidth + 1) / 2));
    else
        p.innerWidth = static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (wideBy * 2 / sourceHeight + 1) / 2));
    p.innerWidth = std::min(p.innerWidth, width);
    p.innerHeight = std::min(p.innerHeight, height);
    p.x = (width - p.innerWidth) / 2;
    p.y = (height - p.innerHeight) / 2;
    return p;
}

std::vector<std::uint8_t> resize_picture(const std::uint8_t* rgb, std::uint32_t sourceWidth,
                                         std::uint32_t sourceHeight, const Placement& placement)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(placement.width) * placement.height * 3, 0);
    const auto columns = axis_taps(sourceWidth, placement.innerWidth);
    const auto rows = axis_taps(sourceHeight, placement.innerHeight);
    // One target row at a time: the covered source rows summed per source column, then
    // the columns per target pixel; only a row of sums is held.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(sourceWidth) * 3);
    for (std::uint32_t y = 0; y < placement.innerHeight; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        std::uint64_t rowWeight = 0;
        for (const Tap& r : rows[y]) {
            rowWeight += r.weight;
            const std::uint8_t* src = rgb + static_cast<std::size_t>(r.source) * sourceWidth * 3;
            for (std::size_t i = 0; i < sums.size(); ++i)
                sums[i] += src[i] * r.weight;
        }
        std::uint8_t* dst = out.data() + ((static_cast<std::size_t>(placement.y) + y) * placement.width + placement.x) * 3;
        for (std::uint32_t x = 0; x < placement.innerWidth; ++x) {
            std::uint64_t acc[3] = {0, 0, 0}, weight = 0;
            for (const Tap& c : columns[x]) {
                weight += c.weight;
                for (unsigned k = 0; k < 3; ++k)
                    acc[k] += sums[static_cast<std::size_t>(c.source) * 3 + k] * c.weight;
            }
            const std::uint64_t total = weight * rowWeight;
            for (unsigned k = 0; k < 3; ++k)
                dst[x * 3 + k] = static_cast<std::uint8_t>((acc[k] + total / 2) / total);
        }
    }
    return out;
}

