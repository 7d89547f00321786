#include "ui/pixel_probe.h"

#include <unordered_map>
#include <vector>

#include "core/format_string.h"
#include "pipeline/viewer_state.h"
#include "ui/palette_view.h"
#include "ui/status_line.h"
#include "ui/ui_state.h"
#include "ui/viewer_texts.h"
#include "ui/zoom_view.h"

namespace {

constexpr std::size_t PALETTE_LIMIT = 256;  // the palette window's grid holds this many
constexpr std::uint32_t RGB_COLOURS = 1u << 24;

// What is worked out once per load: the palette window's numbers and the distinct count.
struct ColourFacts {
    unsigned load = 0;
    bool known = false;
    std::unordered_map<std::uint32_t, unsigned> paletteNumber;
    unsigned distinct = 0;
};

void add_distinct(const std::uint8_t* rgb, std::size_t pixels, std::vector<bool>& seen, unsigned& count)
{
    for (std::size_t i = 0; rgb && i < pixels; ++i) {
        const std::uint32_t colour = std::uint32_t{rgb[i * 3]} << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
        if (!seen[colour]) {
            seen[colour] = true;
            ++count;
        }
    }
}

const ColourFacts& colour_facts()
{
    static ColourFacts facts;
    const unsigned load = ui_state().loadSerial;
    if (facts.known && facts.load == load)
        return facts;
    facts = {};
    facts.load = load;
    facts.known = true;
    const std::vector<std::uint32_t> colours = picture_colours(PALETTE_LIMIT);
    for (std::size_t i = 0; colours.size() <= PALETTE_LIMIT && i < colours.size(); ++i)
        facts.paletteNumber[colours[i]] = static_cast<unsigned>(i);
    if (colours.size() <= PALETTE_LIMIT) {
        facts.distinct = static_cast<unsigned>(colours.size());
        return facts;
    }
    // More than the grid holds: counted with a bit for each of the 2^24 colours.
    std::vector<bool> seen(RGB_COLOURS);
    const ViewerState& state = viewer_state();
    const LogoDescriptor& d = state.descriptor;
    if (d.frameCount == 0)
        add_distinct(state.currentImage, std::size_t{d.width} * d.height, seen, facts.distinct);
    for (unsigned f = 0; d.frameCount != 0 && state.frames && f < d.frameCount; ++f)
        add_distinct(state.frames[f].pixels, std::size_t{state.frames[f].width} * state.frames[f].height, seen,
                     facts.distinct);
    return facts;
}

// The pointer's text and the load it belongs to.
struct PointerText {
    std::string text;
    unsigned load = 0;
};

PointerText& pointer()
{
    static PointerText text;
    return text;
}

}  // namespace

void show_pixel_under_pointer(const ScaledImage* image, int x, int y)
{
    std::string text;
    if (image && image->pixels()) {
        const std::uint8_t* rgb =
            image->pixels() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image->source_w()) + x) * 3;
        const std::uint32_t colour = std::uint32_t{rgb[0]} << 16 | rgb[1] << 8 | rgb[2];
        text = format_string("x %d, y %d", x, y);
        const ColourFacts& facts = colour_facts();
        const auto number = facts.paletteNumber.find(colour);
        if (number != facts.paletteNumber.end())
            text += "  " + format_string(texts().pixelColour, number->second);
        text += format_string("  #%06X", colour);
    }
    PointerText& shown = pointer();
    if (text == shown.text && shown.load == ui_state().loadSerial)
        return;
    shown = {text, ui_state().loadSerial};
    refresh_status();
}

std::string pointer_text()
{
    const PointerText& shown = pointer();
    return shown.load == ui_state().loadSerial ? shown.text : "";
}

unsigned distinct_colour_count()
{
    return colour_facts().distinct;
}
