// Owning handles for the buffers and streams of a load: whatever is allocated or opened
// here is released by its handle, on every path.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};

// A zero-filled byte buffer from calloc; null when the allocation failed.
using OwnedBytes = std::unique_ptr<std::uint8_t[], FreeDeleter>;
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// Zero-filled buffer of count * size bytes with the product checked for overflow; null
// when it is empty, overflows or memory is short.
OwnedBytes alloc_zeroed(std::size_t count, std::size_t size);
