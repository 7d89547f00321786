// Plain replay program of a fuzz target: runs every file named on the command line, or
// found under a named folder, through the target once. With --expect LIST, each file must
// also give the result LIST pins for it; LIST has one "<file name> <result>" line per
// file, '#' lines are comments; each file's own line is printed in that form. Exit status 0 when every file ran (and matched).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace {

namespace fs = std::filesystem;

// Files of the corpora that are notes, not inputs.
bool is_note(const fs::path& path)
{
    return path.filename() == "expected.txt" || path.extension() == ".md";
}

void collect(const fs::path& path, std::vector<fs::path>& files)
{
    if (fs::is_directory(path)) {
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            if (entry.is_regular_file() && !is_note(entry.path()))
                files.push_back(entry.path());
        }
    } else {
        files.push_back(path);
    }
}

std::map<std::string, std::string> read_expectations(const std::string& list)
{
    std::map<std::string, std::string> expected;
    std::ifstream in(list);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::size_t space = line.find(' ');
        if (space != std::string::npos)
            expected[line.substr(0, space)] = line.substr(space + 1);
    }
    return expected;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    std::map<std::string, std::string> expected;
    bool checking = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--expect" && i + 1 < argc) {
            expected = read_expectations(argv[++i]);
            checking = true;
        } else {
            collect(arg, files);
        }
    }
    std::sort(files.begin(), files.end());
    int failures = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string result = fuzz_summary(bytes.data(), bytes.size());
        std::cout << file.filename().string() << ' ' << result << std::endl;
        if (!checking)
            continue;
        auto it = expected.find(file.filename().string());
        if (it == expected.end()) {
            std::cerr << file.string() << ": no expected result (gave \"" << result << "\")\n";
            ++failures;
        } else if (it->second != result) {
            std::cerr << file.string() << ": expected \"" << it->second << "\", gave \"" << result << "\"\n";
            ++failures;
        }
    }
    std::cout << files.size() << " inputs replayed, " << failures << " mismatches\n";
    return failures == 0 ? 0 : 1;
}
