#include "pipeline/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

const char* const NOT_A_REGULAR_FILE = "not a regular file";

OwnedFile open_input_file(const std::string& path, std::string& problem)
{
    // O_NONBLOCK: opening a FIFO with no writer, or a device, must not wait. It has no
    // effect on a regular file, and it is cleared before reading all the same.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = std::strerror(errno);
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = NOT_A_REGULAR_FILE;
        ::close(fd);
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    OwnedFile file(fdopen(fd, "rb"));
    if (!file) {
        problem = std::strerror(errno);
        ::close(fd);
    }
    return file;
}
