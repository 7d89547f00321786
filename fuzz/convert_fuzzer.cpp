// Conversion target: any bytes as the input of `zarpo2-cli convert` (a logo file, or a
// PNG picture), encoded to a target, size and dither level the input's first bytes pick,
// then read back through detection and the decoders. A file whose decoder draws other
// pixels than its encoder reported is a finding; refusals are results.
//
// Input: byte 0 the target (modulo the target count), bytes 1 and 2 the width and height
// asked for (0: the source's), byte 3 flags (bit 0 stretch, bits 1-3 the dither level in
// sevenths); the rest is the file.
#include <cstdio>
#include <string>

#include "fuzz/fuzz_target.h"
#include "fuzz/input_file.h"
#include "output/convert_logo.h"
#include "pipeline/front_end.h"
#include "pipeline/load_pipeline.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr std::size_t CONTROL_SIZE = 4;
// Encoding costs time in proportion to the picture: larger sources are only loaded (the
// load target covers them), so the fuzzer's time goes to the encoders.
constexpr std::uint64_t MAX_SOURCE_PIXELS = 256 * 256;


// Reads the file as convert, replace and the viewer's Replace window do; false when it
// holds no picture.
bool read_source(SourcePicture& source, std::vector<std::uint8_t>& mark)
{
    const ViewerState& state = viewer_state();
    LoadContext load(front_end().messages(), false);
    std::string why;
    return read_picture_file(fuzz_input_path(), 0, load, front_end(), *state.strings, source, mark, why);
}

}  // namespace

std::string fuzz_summary(const std::uint8_t* data, std::size_t size)
{
    use_quiet_front_end();
    viewer_state().verbose = 0;
    if (size < CONTROL_SIZE)
        return "short";
    if (!write_fuzz_input(data + CONTROL_SIZE, size - CONTROL_SIZE))
        std::abort();
    const auto targets = encode_targets();
    EncodeOptions options;
    options.target = targets[data[0] % targets.size()].target;
    options.width = data[1];
    options.height = data[2];
    options.stretch = data[3] & 1;
    options.dither = static_cast<float>((data[3] >> 1) & 7) / 7.0f;

    SourcePicture source;
    if (!read_source(source, options.epaMarkTail))
        return "no picture";
    if (static_cast<std::uint64_t>(source.width) * source.height > MAX_SOURCE_PIXELS)
        return "large";
    const EncodedLogo encoded = encode_checked(source, options);
    // The decoder must draw what the encoder reported; a file taken by another format's
    // probe is refused (and told), never written.
    FUZZ_CHECK(encoded.refusal.find("would not show the picture") == std::string::npos);
    FUZZ_CHECK(encoded.ok() == !encoded.bytes.empty());
    return std::string(targets[data[0] % targets.size()].name) + (encoded.ok() ? " written" : " refused");
}
