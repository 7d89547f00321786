// What the commands of zarpo2-cli share: exit statuses, the usage text, option parsing,
// where messages go, and the records written on standard output.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/load_context.h"
#include "output/run_outputs.h"
#include "output/save_png.h"
#include "pipeline/front_end.h"

constexpr int EXIT_OK = 0;
constexpr int EXIT_FILE_FAILED = 1;  // an input failed, or standard output could not be written
constexpr int EXIT_USAGE = 2;

extern const char* const USAGE;

// Prints "zarpo2-cli: what" (escaped) and the usage on standard error; returns EXIT_USAGE.
int usage_error(const std::string& what);

struct OptionSpec {
    const char* name;             // "--json"
    bool takesValue;              // given as "--name VALUE" or "--name=VALUE"
    const char* alias = nullptr;  // another spelling ("-s"), recorded under name
};

struct Arguments {
    std::map<std::string, std::string> options;  // by name; "" for options without a value
    std::vector<std::string> files;
    std::string error;  // a usage error; the rest is then not to be used

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string value(const std::string& name) const { return has(name) ? options.at(name) : std::string(); }
};

// Splits a command's arguments into the options it knows and the files (every other
// argument). "--" ends the options; "-" alone is a file; any other argument starting with
// "-" before "--" must be a known option. An option given twice keeps its last value.
Arguments parse_arguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& known);

// The usage error of an output folder option given with an empty value ("--out-dir ''",
// "--png="): "OPTION needs a folder"; empty when every one of them names a folder.
std::string empty_folder_option(const Arguments& parsed, const std::vector<const char*>& folderOptions);

// Makes the output folder dir (and its parents) when it is not there. false, after a
// message naming dir, when it cannot be made: a symbolic link to nothing, something that
// is not a folder, or the system's reason.
bool make_output_folder(const std::string& dir);

// Prints "zarpo2-cli: input: text" on standard error, both escaped (core/text_escape.h);
// line ends at the end of text are dropped.
void report(const std::string& input, const std::string& text);

// The command's messages, all on standard error and escaped: trace lines as they are (verbose mode),
// notices, fatal lines and kernel lines after "zarpo2-cli: INPUT: ", so that each names
// the file it is about.
class CliSink : public MessageSink {
public:
    void trace_line(const std::string& text) override;
    void notice_line(const std::string& text) override;
    void fatal_line(const std::string& text) override;
    void kernel_line(const std::string& text) override;

    std::string input;  // the file being read
};

// No windows: alerts and messages are reported with the input's name, a file that cannot
// be opened as "zarpo2-cli: FILE: not a regular file" or "... cannot open: REASON"; the
// palette of an ICON is the --palette file, checked before it is used.
class CliFrontEnd : public FrontEnd {
public:
    MessageSink& messages() override { return sink; }
    void alert(const std::string& text) override { report(sink.input, text); }
    void message(const std::string& text) override { report(sink.input, text); }
    void cannot_open(const std::string& path, const std::string& problem) override;
    std::string choose_palette_file() override;
    void show_frame_window(int, int) override {}
    void show_logo_window(int, int) override {}
    void hide_window(void*) override {}
    void stop_frame_timer() override {}
    void release_display_image(void*) override {}

    // Starts the messages of the next input.
    void begin_input(const std::string& path);

    CliSink sink;
    std::string paletteFile;   // --palette; empty when none was given
    bool inputFailed = false;  // the current input's palette could not be used

private:
    bool paletteChecked_ = false;
    std::string paletteProblem_;
};

// Saves the loaded logo's PNG files under names (save_png_files_as) and unloads it. Each
// picture not written is reported with input's name; each file written is recorded in run
// as written for input and part (RunOutputs::add_written).
SaveResult save_loaded_pngs(const std::vector<std::string>& names, const std::string& input, RunOutputs& run,
                            unsigned part = 0);

// Writes line and a line end on standard output and flushes it. false, after a message on
// standard error, when standard output cannot be written (full disk, closed, ...).
bool put_record(const std::string& line);

// Opens /dev/null for reading on any of descriptors 0 to 2 that is closed, so that no file
// the command opens takes the place of a standard stream; writes to such a stream fail
// as they would on the closed one.
void guard_standard_streams();

// The status to exit with once standard output is flushed: EXIT_FILE_FAILED, after a
// message, when that fails.
int finish_output(int status);
