// The picture options and the picture reading of convert and replace (picture_options.h).
#include "cli/picture_options.h"

#include <cstdlib>

#include "cli/cli_run.h"
#include "core/format_string.h"
#include "output/convert_logo.h"
#include "pipeline/viewer_state.h"

namespace {

constexpr std::uint32_t MAX_SIZE_DIGITS = 5;  // sides up to 65,535 parse; the targets refuse what they cannot hold

}  // namespace

// A whole number of 1 to MAX_SIZE_DIGITS digits; -1 for anything else.
long parse_number(const std::string& text)
{
    if (text.empty() || text.size() > MAX_SIZE_DIGITS)
        return -1;
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// "WxH" with both sides from 1.
bool parse_size(const std::string& text, std::uint32_t& width, std::uint32_t& height)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const long w = parse_number(text.substr(0, x));
    const long h = parse_number(text.substr(x + 1));
    if (w < 1 || h < 1)
        return false;
    width = static_cast<std::uint32_t>(w);
    height = static_cast<std::uint32_t>(h);
    return true;
}

// A decimal number from 0 to 1.
bool parse_dither(const std::string& text, float& level)
{
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (!end || *end != '\0' || value < 0 || value > 1)
        return false;
    level = static_cast<float>(value);
    return true;
}

// Reads IN as a PNG picture or loads it as a logo; false after the reason was reported.
bool read_source(const std::string& input, unsigned frame, SourcePicture& source, std::vector<std::uint8_t>& epaMark)
{
    const ViewerState& state = viewer_state();
    LoadContext load(front_end().messages(), state.verbose != 0);
    std::string why;
    if (read_picture_file(input, frame, load, front_end(), *state.strings, source, epaMark, why))
        return true;
    report(input, why);
    return false;
}
