#include "access/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace lensws {

namespace {

bool writeAll(int fd, std::string_view content) {
    const char* at = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, at, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Flushes the directory entry of `path` (its rename) to disk; best effort.
void syncDirectoryOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    std::string directory =
        slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::string_view content) {
    const std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    if (::close(fd) != 0) {
        written = false;
    }
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

}  // namespace lensws
