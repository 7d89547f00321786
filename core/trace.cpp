#include "core/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "core/viewer_state.h"

bool verbose_on()
{
    return viewer_state().verbose != 0;
}

void trace(const char* format, ...)
{
    if (!verbose_on())
        return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

void fatal_exit(const char* message)
{
    std::fputs(message, stdout);
    std::fflush(stdout);
    std::exit(1);
}
