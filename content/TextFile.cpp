// Files are checked for what they are before a byte is read.
#include "content/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool readTextFile(const std::string& path, std::string& bytes, std::string& error, size_t limit) {
    bytes.clear();
    // Non-blocking, so opening a FIFO with no writer returns at once instead of waiting for one.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": cannot read it: " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok) {
        error = path + ": cannot read it: " + std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        error = path + ": is a folder, not a file";
        ok = false;
    } else if (!S_ISREG(st.st_mode)) {
        error = path + ": is not a plain file (a device, a pipe or a socket)";
        ok = false;
    } else if (static_cast<unsigned long long>(st.st_size) > limit) {
        error = path + ": is larger than " + std::to_string(limit >> 20) + " MiB";
        ok = false;
    }
    char chunk[1 << 14];
    while (ok) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path + ": cannot read it: " + std::strerror(errno);
            ok = false;
        } else if (n == 0) {
            break;
        } else if (bytes.size() + static_cast<size_t>(n) > limit) {
            // The file grew after it was looked at.
            error = path + ": is larger than " + std::to_string(limit >> 20) + " MiB";
            ok = false;
        } else {
            bytes.append(chunk, static_cast<size_t>(n));
        }
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}
