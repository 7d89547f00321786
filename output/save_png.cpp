#include "output/save_png.h"

#include <sys/stat.h>

#include <cstdio>

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

// Reports a file that was not written on standard error ("Cannot write PATH: REASON", or
// the lead given) and in the result.
void not_written(SaveResult& result, const std::string& path, const std::string& reason,
                 const char* lead = "Cannot write")
{
    std::fprintf(stderr, "%s %s: %s\n", lead, path.c_str(), reason.c_str());
    result.errors.push_back({path, reason});
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
    if (width == 0 || height == 0) {
        std::fprintf(stderr, "Nothing to write for %s: the picture is empty (%ux%u)\n", path.c_str(), width, height);
        result.errors.push_back({path, "the picture is empty"});
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

SaveResult save_png_files(const std::string& outDir)
{
    SaveResult result;
    const ViewerState& state = viewer_state();
    if (!state.loaded)
        return result;
    const LogoDescriptor& d = state.descriptor;
    std::string base = join_out_dir(outDir, png_base_name(state.fileName));

    if (d.frameCount != 0) {
        for (unsigned f = 0; f < d.frameCount && state.frames; ++f) {
            const LogoFrame& frame = state.frames[f];
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, "-(Frame%2.2u).png", f);
            std::string name = base + suffix;
            trace("====>>> FRAME: Output PNG -> " + name + "\n");
            if (!write_picture_png(name, frame.pixels, frame.width, frame.height, result))
                continue;
            result.written.push_back(name);
            trace("====>>> FRAME: PNG Saved!\n");
        }
    } else {
        std::string name = base + ".png";
        trace("====>>> IMAGE: Output PNG -> " + name + "\n");
        if (write_picture_png(name, state.currentImage, d.width, d.height, result)) {
            result.written.push_back(name);
            trace("====>>> IMAGE: PNG Saved!\n");
        }
    }
    std::fflush(stdout);
    return result;
}

int save_png(void*, void*)
{
    save_png_files("");
    return 0;
}
