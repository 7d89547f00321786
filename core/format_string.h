// printf into a std::string: the messages, trace lines and window texts built from a
// format and values.
#pragma once

#include <cstdarg>
#include <string>

std::string format_string(const char* format, ...) __attribute__((format(printf, 1, 2)));

// format_string with the values in a va_list (which it uses up).
std::string vformat_string(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
