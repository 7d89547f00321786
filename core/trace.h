// Verbose trace lines and the fatal exits the formats' rules name.
#pragma once

bool verbose_on();

// printf to standard output, only in verbose mode.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Prints the message on standard output and ends the process with status 1.
[[noreturn]] void fatal_exit(const char* message);
