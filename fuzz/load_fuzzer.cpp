// Whole-load target: detection (with unpacking), decoding and PNG encoding of every
// picture or frame, for any bytes. The input goes through a file, as the viewer opens
// logos by name; the PNG files are encoded into memory only.
#include <cstdio>
#include <string>
#include <vector>

#include "pipeline/front_end.h"
#include "core/limits.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/input_file.h"
#include "output/png_file.h"

namespace {

// PNG encoding costs time in proportion to the pictures, not to the input, and runs the
// same code at any size: beyond this many pixels per input, all frames together, pictures
// are only checked, so the fuzzer's time goes to the parsers. Real logos are well below it.
constexpr std::uint64_t MAX_ENCODED_PIXELS = 1024 * 1024;

// Encodes one picture while the input's pixel budget lasts; checks that a picture the
// load kept stays within the limits.
unsigned encode_picture(const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height, std::uint64_t& budget)
{
    if (!rgb)
        return 0;
    FUZZ_CHECK(rgb_buffer_size(width, height) != 0);
    std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    if (pixels > budget)
        return 0;
    budget -= pixels;
    std::vector<std::uint8_t> png;
    FUZZ_CHECK(encode_png_rgb16(rgb, width, height, PngTexts{}, png));
    return 1;
}

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    use_quiet_front_end();
    ViewerState& state = viewer_state();
    state.verbose = 0;
    if (!write_fuzz_input(data, size))
        std::abort();

    state.loaded = load_logo(fuzz_input_path());
    const LogoDescriptor& d = state.descriptor;
    if (!state.loaded) {
        FUZZ_CHECK(d.image == nullptr && state.frames == nullptr);
        return "refused";
    }
    FUZZ_CHECK(d.formatId != 0);
    FUZZ_CHECK(d.frameCount <= MAX_FRAMES);
    unsigned encoded = 0;
    std::uint64_t budget = MAX_ENCODED_PIXELS;
    if (d.frameCount != 0) {
        for (unsigned f = 0; f < d.frameCount && state.frames; ++f)
            encoded += encode_picture(state.frames[f].pixels, state.frames[f].width, state.frames[f].height, budget);
    } else {
        encoded += encode_picture(d.image, d.width, d.height, budget);
    }
    std::string summary = "id=" + std::to_string(d.formatId) + " " + std::to_string(d.width) + "x" +
                          std::to_string(d.height) + " frames=" + std::to_string(d.frameCount) +
                          " png=" + std::to_string(encoded);
    unload_logo();
    return summary;
}
