// Fitting a picture to a target size: area averaging to reduce, nearest neighbour to
// enlarge by whole factors (other enlargements enlarge by the next whole factor, then
// reduce by area), and letterboxing on black to keep the aspect ratio unless stretched.
#pragma once

#include <cstdint>
#include <vector>

struct Placement {
    std::uint32_t width = 0;  // the target
    std::uint32_t height = 0;
    std::uint32_t x = 0;      // where the picture goes in it, and its size there
    std::uint32_t y = 0;
    std::uint32_t innerWidth = 0;
    std::uint32_t innerHeight = 0;

    bool has_margins() const { return innerWidth != width || innerHeight != height; }
};

// Where a sourceWidth x sourceHeight picture goes in a width x height target: the whole
// target when stretched, else the largest centred box of the source's aspect ratio (at
// least one pixel each way).
Placement place_picture(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::uint32_t width,
                        std::uint32_t height, bool stretch);

// The target picture: the source resampled into its box, black around it.
std::vector<std::uint8_t> resize_picture(const std::uint8_t* rgb, std::uint32_t sourceWidth,
                                         std::uint32_t sourceHeight, const Placement& placement);

