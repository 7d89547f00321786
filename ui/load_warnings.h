// What is wrong with the loaded logo, told where the user looks: a line in the status line
// and a mark in the window's title, besides the notice on the terminal. A file that holds
// no picture, one that ends before its picture does, a JPEG that libjpeg rejected (shown as
// the test pattern) and a picture all of one colour.
#pragma once

#include <string>
#include <vector>

#include "core/load_context.h"

// The viewer's message sink: the lines go to standard output and error as StdioSink sends
// them, and the notices of the current load are kept for the warnings.
class RecordingSink : public StdioSink {
public:
    void notice_line(const std::string& text) override;
    // Forgets the notices of the last load.
    void clear() { notices_.clear(); }
    const std::vector<std::string>& notices() const { return notices_; }

private:
    std::vector<std::string> notices_;
};

RecordingSink& recording_sink();

// Works out the loaded logo's warning once it is loaded (endsEarly set), and marks the
// title of its window.
void update_load_warning();

// The warning for the status line; empty when there is none.
const std::string& load_warning();

// A picture window's title: text, a dash, the loaded file's name and, when the logo has a
// warning, the mark.
std::string view_title(const std::string& text);
