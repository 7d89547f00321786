#include "pipeline/front_end.h"

#include <cstdio>

#include "core/text_escape.h"
#include "pipeline/input_file.h"
#include "pipeline/viewer_state.h"

namespace {
HeadlessFrontEnd g_headless;
FrontEnd* g_frontEnd = &g_headless;
}

FrontEnd& front_end()
{
    return *g_frontEnd;
}

void set_front_end(FrontEnd* frontEnd)
{
    g_frontEnd = frontEnd ? frontEnd : &g_headless;
}

void HeadlessFrontEnd::alert(const std::string& text)
{
    if (!quiet)
        std::fprintf(stderr, "%s\n", escaped_text(text).c_str());
}

void HeadlessFrontEnd::message(const std::string& text)
{
    if (!quiet)
        std::fprintf(stderr, "%s\n", escaped_text(text).c_str());
}

void FrontEnd::cannot_open(const std::string& path, const std::string& problem)
{
    std::string text = std::string(viewer_state().strings->cantOpen) + " \"" + path + "\"";
    if (problem == NOT_A_REGULAR_FILE)
        text += std::string(": ") + NOT_A_REGULAR_FILE;
    alert(text);
}
