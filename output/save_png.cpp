#include "output/save_png.h"

#include <sys/stat.h>

#include <cstdio>

#include "core/text_escape.h"
#include "core/version.h"
#include "pipeline/front_end.h"
#include "pipeline/viewer_state.h"
#include "output/png_file.h"

namespace {

constexpr const char* AUTHOR = "Dravenko";

// The export's trace lines, printed in verbose mode.
void trace(const std::string& line)
{
    if (viewer_state().verbose)
        front_end().messages().trace_line(line);
}

bool same_file(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Records a picture that was not written ("Cannot write PATH: REASON", or the lead given).
void not_written(SaveResult& result, const std::string& path, const std::string& reason,
                 const char* lead = "Cannot write")
{
    result.errors.push_back({path, reason, std::string(lead) + " " + path + ": " + reason});
    result.ok = false;
}

std::string join_out_dir(const std::string& outDir, const std::string& base)
{
    if (outDir.empty())
        return base;
    std::size_t slash = base.rfind('/');
    std::string leaf = slash == std::string::npos ? base : base.substr(slash + 1);
    return outDir.back() == '/' ? outDir + leaf : outDir + "/" + leaf;
}

}  // namespace

PngTexts png_texts(const std::string& path)
{
    const ViewerState& state = viewer_state();
    PngTexts texts;
    texts.title = "\n" + path;
    texts.author = std::string("\n") + AUTHOR;
    texts.description = std::string("\nOriginal format: ") +
                        (state.descriptor.formatName ? state.descriptor.formatName : "");
    texts.software = std::string("\n") + PROGRAM_NAME + ", subversion: " + PROGRAM_VERSION;
    return texts;
}

bool write_png_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, SaveResult& result)
{
    if (same_file(path, viewer_state().fileName)) {
        not_written(result, path, "it is the input file", "Not writing");
        return false;
    }
    std::string error;
    if (!write_file_atomically(path, bytes, error)) {
        not_written(result, path, error);
        return false;
    }
    return true;
}

bool write_picture_png(const std::string& path, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                       SaveResult& result)
{
    // PNG has no empty picture: a logo or frame of width or height 0 is reported and
    // skipped, not counted as a failed write.
    if (width == 0 || height == 0 || !rgb) {
        std::string size = std::to_string(width) + "x" + std::to_string(height);
        result.errors.push_back({path, "the picture is empty",
                                 "Nothing to write for " + path + ": the picture is empty (" + size + ")"});
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!encode_png_rgb16(rgb, width, height, png_texts(path), bytes)) {
        not_written(result, path, "no picture to save");
        return false;
    }
    return write_png_bytes(path, bytes, result);
}

std::string png_base_name(const std::string& fileName)
{
    std::size_t slash = fileName.rfind('/');
    std::size_t leafStart = slash == std::string::npos ? 0 : slash + 1;
    // A leaf that begins with dots (".logo.bin") keeps them: its base is ".logo".
    std::size_t nameStart = fileName.find_first_not_of('.', leafStart);
    if (nameStart == std::string::npos)
        return fileName;
    std::size_t dot = fileName.find('.', nameStart);
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string png_output_base(const std::string& fileName, const std::string& outDir, PngNameRule rule)
{
    if (rule == PngNameRule::firstDot)
        return join_out_dir(outDir, png_base_name(fileName));
    // Only the last extension goes; dots that open the leaf are part of the name, as above.
    std::size_t slash = fileName.rfind('/');
    std::size_t leafStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t nameStart = fileName.find_first_not_of('.', leafStart);
    std::size_t dot = fileName.rfind('.');
    bool hasExtension = nameStart != std::string::npos && dot != std::string::npos && dot > nameStart;
    return join_out_dir(outDir, hasExtension ? fileName.substr(0, dot) : fileName);
}

std::vector<std::string> png_output_names(const std::string& base, unsigned frameCount)
{
    if (frameCount == 0)
        return {base + ".png"};
    std::vector<std::string> names;
    for (unsigned f = 0; f < frameCount; ++f) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-(Frame%2.2u).png", f);
        names.push_back(base + suffix);
    }
    return names;
}

SaveResult save_png_files_as(const std::vector<std::string>& names)
{
    SaveResult result;
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return result;
    const LogoDescriptor& d = state.descriptor;
    const bool frames = d.frameCount != 0;
    for (std::size_t i = 0; i < names.size() && i < (frames ? d.frameCount : 1u); ++i) {
        const std::string& name = names[i];
        bool written = false;
        if (frames) {
            trace("====>>> FRAME: Output PNG -> " + name + "\n");
            const LogoFrame* frame = state.frames ? &state.frames[i] : nullptr;
            written = frame ? write_picture_png(name, frame->pixels, frame->width, frame->height, result)
                            : write_picture_png(name, nullptr, 0, 0, result);
        } else {
            trace("====>>> IMAGE: Output PNG -> " + name + "\n");
            written = write_picture_png(name, state.currentImage, d.width, d.height, result);
        }
        if (!written)
            continue;
        result.written.push_back(name);
        trace(frames ? "====>>> FRAME: PNG Saved!\n" : "====>>> IMAGE: PNG Saved!\n");
    }
    std::fflush(stdout);
    return result;
}

SaveResult save_png_files(const std::string& outDir)
{
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return {};
    std::string base = png_output_base(state.fileName, outDir, PngNameRule::firstDot);
    SaveResult result = save_png_files_as(png_output_names(base, state.descriptor.frameCount));
    for (const SaveError& error : result.errors)
        std::fprintf(stderr, "%s\n", escaped_text(error.line).c_str());
    return result;
}

int save_png(void*, void*)
{
    save_png_files("");
    return 0;
}
