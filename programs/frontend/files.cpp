#include "frontend/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace kavrin::frontend {

namespace {

std::string reason() { return std::strerror(errno); }

// Closes a descriptor however the scope ends.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::string read_file(const std::string& path, std::size_t max_bytes) {
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (f.fd < 0) throw FileError("cannot open " + printable(path) + ": " + reason());
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) throw FileError("cannot read " + printable(path) + ": " + reason());
    if (S_ISDIR(st.st_mode)) throw FileError(printable(path) + " is a directory, not a file");
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))
        throw FileError(printable(path) + " is not a regular file (a device or socket)");
    if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > max_bytes)
        throw FileError(printable(path) + " is larger than " + std::to_string(max_bytes) + " bytes");
    // a pipe: block on it from here on (it was opened without blocking only to look at it first)
    const int flags = ::fcntl(f.fd, F_GETFL);
    if (flags >= 0) ::fcntl(f.fd, F_SETFL, flags & ~O_NONBLOCK);
    std::string content;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError("cannot read " + printable(path) + ": " + reason());
        if (n == 0) break;
        if (content.size() + static_cast<std::size_t>(n) > max_bytes)
            throw FileError(printable(path) + " is larger than " + std::to_string(max_bytes) + " bytes");
        content.append(buf, static_cast<std::size_t>(n));
    }
    return content;
}

std::string printable(std::string_view text, std::size_t max_chars) {
    std::string out;
    std::size_t kept = 0, i = 0;
    for (; i < text.size() && kept < max_chars; ++kept) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // a whole UTF-8 sequence is kept as it is
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool valid = len > 1 && i + len <= text.size();
        for (std::size_t k = 1; valid && k < len; ++k) valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 0x2;
        if (valid && !(len == 2 && c < 0xC2)) {
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
        ++i;
    }
    if (i < text.size()) out += "...";
    return out;
}

}  // namespace kavrin::frontend
