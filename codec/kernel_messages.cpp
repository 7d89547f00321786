#include "codec/kernel_messages.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr const char* ERROR_PREFIX = "Error: ";
}

std::string kernel_report_text(const char* prefix, const char* message, const char* detail)
{
    std::string text = std::string("Kernel: ") + prefix + message + " ";
    // errno is read as it stands, neither cleared before nor after, as perror would.
    if (errno != 0)
        return text + detail + ": " + std::strerror(errno) + "\n";
    return text + detail + "\n";
}

void kernel_error(KernelSink& sink, const char* message, const char* detail)
{
    sink.kernel_line(kernel_report_text(ERROR_PREFIX, message, detail));
}
