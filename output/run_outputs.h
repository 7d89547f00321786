// The files one run of a command reads and writes (zarpo2-cli png over many logos, scan's
// extracted logos and their PNG files, a thumbnail): no output of the run replaces one of the run's inputs, nor a
// file the run wrote earlier for another input. Files are told apart by device and inode,
// so two spellings of one path, or two hard links, are the same file.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class RunOutputs {
public:
    // Records an input of the run; every input is recorded before anything is written. A
    // path that cannot be examined is left out (reading it fails and is reported anyway).
    void add_input(const std::string& path);

    struct Choice {
        std::vector<std::string> names;  // the names to write; empty when refused
        std::string refusal;             // why: which name is taken, and by which input
    };

    // The names for input's outputs: `usual` when every one is free, else `fallback` when
    // every one of those is, else none. A name is taken when it is one of the run's inputs
    // or a file the run wrote for another input; one written for the same input is free
    // (saving an input twice writes its files again). `part` tells apart the outputs of
    // one input that must not share a name (the logos found in one ROM image): a file
    // written for the same input but another part is taken too.
    Choice choose(const std::string& input, const std::vector<std::string>& usual,
                  const std::vector<std::string>& fallback, unsigned part = 0) const;

    // Records a file the run wrote for input (and part, as choose was given it).
    void add_written(const std::string& path, const std::string& input, unsigned part = 0);

private:
    struct FileId {
        dev_t device;
        ino_t inode;
        auto operator<=>(const FileId&) const = default;
    };
    struct Writer {
        std::string path;               // the file as written
        std::string input;              // as given on the command line
        std::optional<FileId> inputId;  // none when the input could not be examined
        unsigned part;
    };

    static std::optional<FileId> file_id(const std::string& path);

    // Why name is taken for input's part, or empty when it is free.
    std::string taken(const std::string& name, const std::string& input, unsigned part) const;
    // Why one of names is taken, or empty when all are free.
    std::string first_taken(const std::vector<std::string>& names, const std::string& input, unsigned part) const;

    std::map<FileId, std::string> inputs_;  // each input, as given
    std::map<FileId, Writer> written_;      // each file written, with the input it came from
};
