#include "output/run_outputs.h"

#include <sys/stat.h>

std::optional<RunOutputs::FileId> RunOutputs::file_id(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

void RunOutputs::add_input(const std::string& path)
{
    if (auto id = file_id(path))
        inputs_.emplace(*id, path);
}

void RunOutputs::add_written(const std::string& path, const std::string& input, unsigned part)
{
    if (auto id = file_id(path))
        written_.insert_or_assign(*id, Writer{path, input, file_id(input), part});
}

std::string RunOutputs::taken(const std::string& name, const std::string& input, unsigned part) const
{
    auto id = file_id(name);
    if (!id)
        return {};  // nothing there: free
    if (auto in = inputs_.find(*id); in != inputs_.end())
        return name + " would replace the input " + in->second;
    auto out = written_.find(*id);
    // A file from before the run is replaced, as a save always does. An inode the run
    // wrote may have been freed by a later save and given to another file: the entry
    // counts only while its path still leads to it.
    if (out == written_.end() || file_id(out->second.path) != id)
        return {};
    const Writer& writer = out->second;
    auto inputId = file_id(input);
    bool sameInput = inputId && writer.inputId ? *inputId == *writer.inputId : input == writer.input;
    return sameInput && part == writer.part ? std::string() : name + " was written for " + writer.input;
}

std::string RunOutputs::first_taken(const std::vector<std::string>& names, const std::string& input,
                                    unsigned part) const
{
    for (const std::string& name : names) {
        std::string why = taken(name, input, part);
        if (!why.empty())
            return why;
    }
    return {};
}

RunOutputs::Choice RunOutputs::choose(const std::string& input, const std::vector<std::string>& usual,
                                      const std::vector<std::string>& fallback, unsigned part) const
{
    std::string usualTaken = first_taken(usual, input, part);
    if (usualTaken.empty())
        return {usual, {}};
    if (fallback == usual)
        return {{}, usualTaken};
    std::string fallbackTaken = first_taken(fallback, input, part);
    if (fallbackTaken.empty())
        return {fallback, {}};
    return {{}, usualTaken + "; " + fallbackTaken};
}
