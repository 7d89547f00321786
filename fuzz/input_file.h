// What the whole-load fuzz targets share: the file each input is written to, as the viewer
// and the command open logos by name (in a folder of this process's own, removed at
// exit), and a front end that shows nothing.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "pipeline/front_end.h"

inline const std::string& fuzz_input_path()
{
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string dir = std::string(base && *base ? base : "/tmp") + "/zarpo2-fuzz-XXXXXX";
        if (!mkdtemp(dir.data()))
            std::abort();
        std::string file = dir + "/logo.bin";
        static std::string cleanup[2] = {file, dir};
        std::atexit([] {
            ::unlink(cleanup[0].c_str());
            ::rmdir(cleanup[1].c_str());
        });
        return file;
    }();
    return path;
}

// Writes the input to fuzz_input_path(); false when that fails.
inline bool write_fuzz_input(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(fuzz_input_path().c_str(), "wb");
    if (!file)
        return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

// Loads from now on report to nobody and ask nothing.
inline void use_quiet_front_end()
{
    static HeadlessFrontEnd frontEnd;
    static SilentSink silent;
    frontEnd.quiet = true;
    frontEnd.sink = &silent;
    set_front_end(&frontEnd);
}
