#include "output/save_as.h"

#include <cstdio>
#include <strings.h>

#include "output/apng_file.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr const char* PNG_EXTENSION = ".png";
constexpr std::size_t PNG_EXTENSION_LENGTH = 4;

std::string frame_path(const std::string& target, unsigned frame)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-(Frame%2.2u).png", frame);
    return target.substr(0, target.size() - PNG_EXTENSION_LENGTH) + suffix;
}

}  // namespace

std::string save_as_target(const std::string& chosen)
{
    const bool hasExtension = chosen.size() > PNG_EXTENSION_LENGTH &&
                              strcasecmp(chosen.c_str() + chosen.size() - PNG_EXTENSION_LENGTH, PNG_EXTENSION) == 0 &&
                              chosen[chosen.size() - PNG_EXTENSION_LENGTH - 1] != '/';
    return hasExtension ? chosen : chosen + PNG_EXTENSION;
}

std::vector<std::string> save_as_paths(const std::string& chosen)
{
    const ViewerState& state = viewer_state();
    const std::string target = save_as_target(chosen);
    std::vector<std::string> paths{target};
    for (unsigned f = 0; f < state.descriptor.frameCount && state.frames; ++f)
        paths.push_back(frame_path(target, f));
    return paths;
}

SaveResult save_as_files(const std::string& chosen, std::uint16_t frameDelayMs)
{
    SaveResult result;
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return result;
    const LogoDescriptor& d = state.descriptor;
    const std::string target = save_as_target(chosen);

    if (d.frameCount == 0 || !state.frames) {
        if (write_picture_png(target, state.currentImage, d.width, d.height, result))
            result.written.push_back(target);
        return result;
    }

    std::vector<ApngFrame> frames;
    for (unsigned f = 0; f < d.frameCount; ++f) {
        const LogoFrame& frame = state.frames[f];
        frames.push_back({frame.pixels, frame.width, frame.height});
    }
    std::vector<std::uint8_t> bytes;
    if (!encode_apng_rgb16(frames, frameDelayMs, png_texts(target), bytes))
        result.errors.push_back(
            {target, "no frame holds a picture", "Nothing to write for " + target + ": no frame holds a picture"});
    else if (write_png_bytes(target, bytes, result))
        result.written.push_back(target);
    for (unsigned f = 0; f < d.frameCount; ++f) {
        const LogoFrame& frame = state.frames[f];
        const std::string path = frame_path(target, f);
        if (write_picture_png(path, frame.pixels, frame.width, frame.height, result))
            result.written.push_back(path);
    }
    return result;
}
