#include "io/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kavrin::io {

namespace {

bool is_closed(int fd) { return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF; }

// Writes a message straight to descriptor 2 (before any stream is used).
void say(const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(2, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::string quoted(std::string_view what, const std::string& path) {
    return std::string(what).append(" \"").append(path).append("\"");
}

}  // namespace

std::optional<int> check_standard_streams(std::string_view program) {
    bool closed[3];
    for (int fd = 0; fd < 3; ++fd) closed[fd] = is_closed(fd);
    for (int fd = 0; fd < 3; ++fd) {
        if (!closed[fd]) continue;
        // the lowest free descriptor is this one, since those below it are open by now
        const int got = ::open("/dev/null", (fd == 0 ? O_RDONLY : O_WRONLY) | O_NOCTTY);
        if (got != fd) {
            if (got >= 0) ::close(got);
            say(std::string(program).append(": cannot open /dev/null in place of a closed standard stream\n"));
            return 1;
        }
    }
    if (closed[0]) {
        say(std::string(program).append(": standard input is closed; give it a file or a terminal (e.g. < /dev/null)\n"));
        return 1;
    }
    if (closed[1]) {
        say(std::string(program).append(": standard output is closed; send it to a file (e.g. > /dev/null)\n"));
        return 1;
    }
    return std::nullopt;
}

int open_regular_file(const std::string& path, std::string_view what) {
    // O_NONBLOCK: opening a FIFO with no writer would wait for ever
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + quoted(what, path) + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        throw std::runtime_error("cannot open " + quoted(what, path) + ": " + std::strerror(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw std::runtime_error(quoted(what, path) + " is " + kind_of(st.st_mode) + ", not a regular file");
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string read_regular_file(const std::string& path, std::string_view what, std::size_t max_bytes) {
    const int fd = open_regular_file(path, what);
    std::string bytes;
    char buf[65536];
    while (bytes.size() < max_bytes) {
        const std::size_t want = std::min(sizeof buf, max_bytes - bytes.size());
        const ssize_t n = ::read(fd, buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            throw std::runtime_error("cannot read " + quoted(what, path) + ": " + std::strerror(e));
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

const char* kind_of(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISDIR(mode)) return "a directory";
    return "not a regular file";
}

}  // namespace kavrin::io
