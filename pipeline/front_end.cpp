#include "pipeline/front_end.h"

#include <cstdio>

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
        std::fprintf(stderr, "%s\n", text.c_str());
}

void HeadlessFrontEnd::message(const std::string& text)
{
    if (!quiet)
        std::fprintf(stderr, "%s\n", text.c_str());
}
