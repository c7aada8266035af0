#include "figures/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kavrin::figures {

namespace {

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void write_file(const std::filesystem::path& file, std::string_view text) {
    std::string temporary = ".";
    temporary += file.filename().string();
    temporary += ".partial";
    const std::filesystem::path tmp = file.parent_path() / temporary;
    auto fail = [&](const char* what) {
        const std::string reason = std::strerror(errno);
        ::unlink(tmp.c_str());
        throw std::runtime_error("cannot " + std::string(what) + " " + file.string() + ": " + reason);
    };
    ::unlink(tmp.c_str());  // left by an interrupted run; a link there is removed, not followed
    Fd out{::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)};
    if (out.fd < 0) fail("write");
    while (!text.empty()) {
        const ssize_t n = ::write(out.fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("write");
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0) fail("write");
    if (std::rename(tmp.c_str(), file.c_str()) != 0) fail("put in place");
}

void read_lines(const std::filesystem::path& file, const ReadLimits& limits,
                const std::function<void(std::string_view, std::size_t, bool)>& line) {
    const std::string name = file.string();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below
    Fd in{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (in.fd < 0) throw std::runtime_error("cannot read " + name + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) throw std::runtime_error("cannot read " + name + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        throw std::runtime_error(name + " is not a regular file (a directory, FIFO or device): not read");
    if (static_cast<unsigned long long>(st.st_size) > limits.max_bytes)
        throw std::runtime_error(name + " holds " + std::to_string(st.st_size) + " bytes, more than the " +
                                 std::to_string(limits.max_bytes) + " a result file of a run can hold: not read");
    std::string pending;
    bool cut = false;
    std::size_t number = 0, total = 0;
    auto emit = [&]() {
        if (++number > limits.max_lines)
            throw std::runtime_error(name + " holds more than " + std::to_string(limits.max_lines) +
                                     " lines, more than a run writes: not read");
        line(pending, number, cut);
        pending.clear();
        cut = false;
    };
    char buf[65536];
    while (true) {
        const ssize_t got = ::read(in.fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw std::runtime_error("error while reading " + name + ": " + std::strerror(errno));
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
        if (total > limits.max_bytes)
            throw std::runtime_error(name + " grew beyond " + std::to_string(limits.max_bytes) + " bytes while read: not read");
        for (ssize_t i = 0; i < got; ++i) {
            if (buf[i] == '\n') {
                emit();
            } else if (pending.size() < limits.max_line_length) {
                pending += buf[i];
            } else {
                cut = true;
            }
        }
    }
    if (!pending.empty() || cut) emit();
}

}  // namespace kavrin::figures
