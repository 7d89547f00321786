#include "core/format_string.h"

#include <cstdio>

std::string vformat_string(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string format_string(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat_string(format, args);
    va_end(args);
    return text;
}
