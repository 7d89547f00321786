// Where the kernels' "Kernel: " lines go. The kernels know nothing of the programs that
// call them: each call is handed the sink its lines go to (standard error in the viewer
// and the command, a capture in tests).
#pragma once

#include <string>

class KernelSink {
public:
    virtual ~KernelSink() = default;
    // One report, as it is to appear on standard error.
    virtual void kernel_line(const std::string& text) = 0;
};

// The text of a report: "Kernel: <prefix><message> ", then the detail followed by the
// system's text for errno when errno is set ("detail: text\n"), else the detail and a
// newline.
std::string kernel_report_text(const char* prefix, const char* message, const char* detail);

// kernel_report_text with the prefix "Error: ", sent to sink; the work goes on.
void kernel_error(KernelSink& sink, const char* message, const char* detail);
