#include "io/results.hpp"
#include "io/decimal17.hpp"
#include "io/files.hpp"
#include "io/result_files.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace kavrin::io {

namespace {

constexpr int kDigits = 17;  // significant digits

// Copies s right-justified into a field of `width` characters at out; returns the end of the field.
char* put_right(char* out, std::string_view s, std::size_t width) noexcept {
    const std::size_t pad = s.size() < width ? width - s.size() : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, s.data(), s.size());
    return out + pad + s.size();
}

}  // namespace

// The digits are those of one correctly rounded conversion to 17 significant digits (scientific form); the
// fixed form is the same digits with the point moved, since rounding to `after` decimals there rounds at the
// same decimal position (and where the rounding carried into a new leading digit, rounding one place
// coarser gives that same power of ten).
char* put_real(char* out, double x) noexcept {
    if (std::isnan(x)) return put_right(out, "NaN", real_width);
    if (std::isinf(x)) return put_right(out, x > 0 ? "Infinity" : "-Infinity", real_width);
    char digits[kDigits];  // the 17 significant digits
    int exp10 = 0;
    const bool negative = decimal17(x, digits, exp10);
    std::memset(out, ' ', real_width);
    if (x == 0.0 || (exp10 >= -1 && exp10 < kDigits)) {
        // fixed form, right-justified in real_width - 5 characters and followed by 5 blanks
        char* end = out + (real_width - 5);
        if (x == 0.0) {
            char* p = end - (kDigits + 1);
            p[0] = '0';
            p[1] = '.';
            std::memset(p + 2, '0', kDigits - 1);
            if (negative) p[-1] = '-';
        } else if (exp10 == -1) {
            char* p = end - (kDigits + 2);
            p[0] = '0';
            p[1] = '.';
            std::memcpy(p + 2, digits, kDigits);
            if (negative) p[-1] = '-';
        } else {
            const std::size_t before = static_cast<std::size_t>(exp10) + 1;
            char* p = end - kDigits - (before < static_cast<std::size_t>(kDigits) ? 1 : 0);
            if (negative) p[-1] = '-';
            std::memcpy(p, digits, kDigits);  // then the digits after the point move one place on
            if (before < static_cast<std::size_t>(kDigits)) {
                std::memmove(p + before + 1, p + before, kDigits - before);
                p[before] = '.';
            }
        }
        return out + real_width;
    }
    // d.dddddddddddddddd followed by E+xxx with (at least) a three-digit exponent: 23 characters
    char* p = out + real_width - (kDigits + 6);
    if (negative) p[-1] = '-';
    p[0] = digits[0];
    p[1] = '.';
    std::memcpy(p + 2, digits + 1, kDigits - 1);
    p[kDigits + 1] = 'E';
    p[kDigits + 2] = exp10 < 0 ? '-' : '+';
    const int a = exp10 < 0 ? -exp10 : exp10;  // at most 324
    p[kDigits + 3] = static_cast<char>('0' + a / 100);
    p[kDigits + 4] = static_cast<char>('0' + a / 10 % 10);
    p[kDigits + 5] = static_cast<char>('0' + a % 10);
    return out + real_width;
}

char* put_int(char* out, long long i) noexcept {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, i);
    return put_right(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), int_width);
}

char* put_result_line(char* out, double x, double y) noexcept {
    *out++ = ' ';
    out = put_real(out, x);
    *out++ = ' ';
    out = put_real(out, y);
    *out++ = '\n';
    return out;
}

char* put_result_line(char* out, long long i, double y) noexcept {
    *out++ = ' ';
    out = put_int(out, i);
    *out++ = ' ';
    out = put_real(out, y);
    *out++ = '\n';
    return out;
}

std::string format_real(double x) {
    char buf[real_width];
    return std::string(buf, put_real(buf, x));
}

std::string format_int(long long i) {
    char buf[32];
    return std::string(buf, put_int(buf, i));
}

std::string result_line(double x, double y) {
    char buf[max_line];
    return std::string(buf, put_result_line(buf, x, y) - 1);
}

std::string result_line(long long i, double y) {
    char buf[max_line];
    return std::string(buf, put_result_line(buf, i, y) - 1);
}

namespace {

// The temporaries of the running run, as a fixed table of paths that a signal handler may read: it removes
// them with unlink(), which is safe in a handler.
constexpr std::size_t kMaxTemporaries = 64;
constexpr std::size_t kMaxPath = 4096;
char g_temporaries[kMaxTemporaries][kMaxPath];
std::atomic<bool> g_registered[kMaxTemporaries];

// Registers a temporary path; returns its slot (kMaxTemporaries when the table is full or the path too long,
// in which case only the destructor and the next run remove it).
std::size_t register_temporary(const std::string& path) {
    if (path.size() >= kMaxPath) return kMaxTemporaries;
    for (std::size_t i = 0; i < kMaxTemporaries; ++i) {
        if (g_registered[i].load()) continue;
        std::memcpy(g_temporaries[i], path.c_str(), path.size() + 1);
        g_registered[i].store(true);
        return i;
    }
    return kMaxTemporaries;
}

void unregister_temporary(const std::string& path) {
    for (std::size_t i = 0; i < kMaxTemporaries; ++i)
        if (g_registered[i].load() && path == g_temporaries[i]) g_registered[i].store(false);
}

// Set while the renames of a run's files are under way: the temporaries are then complete and named in the
// commit record, and a signal must not remove some of them (the next run puts the rest in place).
std::atomic<bool> g_committing{false};

extern "C" void remove_temporaries_and_end(int sig) {
    if (!g_committing.load())
        for (std::size_t i = 0; i < kMaxTemporaries; ++i)
            if (g_registered[i].load()) ::unlink(g_temporaries[i]);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Appends an item to a comma-separated list.
void append_item(std::string& list, const std::string& item) {
    if (!list.empty()) list += ", ";
    list += item;
}

// The record of a set of files being put in place: written (complete, on disk) after every temporary of the
// set and before the first rename, removed after the last. Found at the start of a run, it means the run
// that wrote it ended among its renames: the temporaries it names are complete and are put in place then.
constexpr const char* kCommitRecord = ".kavrin.commit";
constexpr const char* kCommitHead = "kavrin: files being put in place";
constexpr std::size_t kMaxCommitRecord = 65536;

// Whether `name` is one a commit record may name: a result file of either program or the run record.
bool committable(const std::string& name) {
    if (name == file::run_record) return true;
    for (const char* f : file::regge_files)
        if (name == f) return true;
    for (const char* f : file::models_files)
        if (name == f) return true;
    return false;
}

// Writes `text` to a new file at `path`, flushed to disk; errno is kept on failure (false).
bool write_to_disk(const std::string& path, const std::string& text) {
    // O_NONBLOCK: a FIFO put there is refused (ENXIO) instead of waited on
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int e = n == 0 ? EIO : errno;
            ::close(fd);
            errno = e;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return false;
    }
    return ::close(fd) == 0;
}

void sync_directory(const std::string& dir) {
    const int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0) return;
    ::fsync(d);
    ::close(d);
}

// Holds SIGINT, SIGTERM, SIGHUP and SIGQUIT back while it lives: they arrive once the renames are done.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, sig);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
        g_committing.store(true);
    }
    ~HeldSignals() {
        g_committing.store(false);
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t old_;
};

}  // namespace

void install_interrupt_cleanup() {
    struct sigaction sa {};
    sa.sa_handler = remove_temporaries_and_end;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

ResultFiles::ResultFiles(std::string dir, std::vector<std::string> names)
    : dir_(std::move(dir)), names_(std::move(names)), files_(names_.size(), nullptr), counts_(names_.size(), 0) {
    const std::string where = dir_.empty() ? std::string(".") : dir_;
    const std::string lock = where + "/.kavrin.lock";
    lock_fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (lock_fd_ < 0)
        throw std::runtime_error("cannot create result files in \"" + where + "\" (its lock file \"" + lock +
                                 "\"): " + std::strerror(errno));
    if (::flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(lock_fd_);
        lock_fd_ = -1;
        if (e == EWOULDBLOCK) {
            std::error_code ec;
            const std::string named = std::filesystem::absolute(where, ec).lexically_normal().string();
            throw std::runtime_error("another run is writing in \"" + (ec ? where : named) +
                                     "\"; wait until it has finished, or run in another directory");
        }
        throw std::runtime_error("cannot lock \"" + lock + "\": " + std::strerror(e));
    }
    try {
        complete_interrupted_commit();
        for (const std::string& name : names_) check_place(name, true);
        check_place(file::run_record, false);
    } catch (...) {
        discard();
        throw;
    }
}

// Removes an interrupted run's temporary of the file `name`, and refuses anything but a regular file or a
// symbolic link in its place; creates it empty when it is absent and `create` is set.
void ResultFiles::check_place(const std::string& name, bool create) const {
    const std::string file = in_dir(name);
    ::unlink(in_dir("." + name + ".partial").c_str());  // left by an interrupted run
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) return;
        throw std::runtime_error("result file \"" + file + "\" is " + kind_of(st.st_mode) +
                                 ", not a regular file; remove or rename it");
    }
    if (!create) return;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create result file \"" + file + "\": " + std::strerror(errno));
    if (::close(fd) != 0) throw std::runtime_error("cannot close result file \"" + file + "\"");
}

ResultFiles::~ResultFiles() { discard(); }

void ResultFiles::discard() noexcept {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]) continue;
        std::fclose(files_[i]);
        files_[i] = nullptr;
        ::unlink(temporary(i).c_str());
        unregister_temporary(temporary(i));
    }
    if (lock_fd_ >= 0) ::close(lock_fd_);  // releases the lock
    lock_fd_ = -1;
}

std::string ResultFiles::in_dir(const std::string& name) const { return dir_.empty() ? name : dir_ + "/" + name; }

std::string ResultFiles::path(std::size_t index) const { return in_dir(names_[index]); }

std::string ResultFiles::temporary(std::size_t index) const { return in_dir("." + names_[index] + ".partial"); }

// A run that ended among the renames of its files left its commit record: the temporaries it names are
// complete, and are put in place now, so that the directory holds that run's whole set of files.
void ResultFiles::complete_interrupted_commit() {
    ::unlink(in_dir(std::string(kCommitRecord) + ".partial").c_str());  // a record never put in place
    const std::string record = in_dir(kCommitRecord);
    const int fd = ::open(record.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0 || text.size() + static_cast<std::size_t>(n) > kMaxCommitRecord) break;
            text.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    std::vector<std::string> lines;
    for (std::size_t b = 0; b < text.size();) {
        const std::size_t e = text.find('\n', b);
        if (e == std::string::npos) break;
        lines.push_back(text.substr(b, e - b));
        b = e + 1;
    }
    // only a whole record counts (it is renamed into place complete; anything else is no record of ours)
    if (lines.size() >= 2 && lines.front() == kCommitHead && lines.back() == "end") {
        for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
            if (!committable(lines[i])) continue;
            const std::string tmp = in_dir("." + lines[i] + ".partial");
            struct stat t {};
            if (::lstat(tmp.c_str(), &t) == 0 && S_ISREG(t.st_mode)) std::rename(tmp.c_str(), in_dir(lines[i]).c_str());
        }
        sync_directory(dir_.empty() ? "." : dir_);
    }
    ::unlink(record.c_str());
}

std::FILE* ResultFiles::open_temporary(std::size_t index) {
    std::FILE*& f = files_[index];
    if (f) return f;
    const std::string tmp = temporary(index);
    register_temporary(tmp);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) f = ::fdopen(fd, "w");
    if (!f) {
        const int e = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(tmp.c_str());
        unregister_temporary(tmp);
        throw std::runtime_error("cannot write result file \"" + path(index) + "\": " + std::strerror(e));
    }
    return f;
}

void ResultFiles::write(std::size_t index, const std::string& line) {
    std::FILE* f = open_temporary(index);
    if (std::fputs(line.c_str(), f) < 0 || std::fputc('\n', f) == EOF)
        throw std::runtime_error("write to result file \"" + path(index) + "\" failed: " + std::strerror(errno));
    ++counts_[index];
}

void ResultFiles::write_lines(std::size_t index, std::string_view text, std::size_t lines) {
    if (lines == 0) return;
    std::FILE* f = open_temporary(index);
    if (std::fwrite(text.data(), 1, text.size(), f) != text.size())
        throw std::runtime_error("write to result file \"" + path(index) + "\" failed: " + std::strerror(errno));
    counts_[index] += lines;
}

std::vector<std::string> ResultFiles::close() {
    // every written file complete on disk before any of them replaces its result file
    std::string failed;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]) continue;
        errno = 0;
        const bool ok = std::fflush(files_[i]) == 0 && ::fsync(::fileno(files_[i])) == 0 && std::ferror(files_[i]) == 0;
        if (!ok) append_item(failed, path(i) + " (" + (errno ? std::strerror(errno) : "write error") + ")");
    }
    if (!failed.empty()) throw std::runtime_error("could not complete the result files: " + failed);
    // the set to put in place: (temporary, file, what it holds)
    struct Staged {
        std::string name, tmp, file;
        bool record;
    };
    std::vector<Staged> set;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]) continue;
        errno = 0;
        const bool closed = std::fclose(files_[i]) == 0;
        files_[i] = nullptr;
        set.push_back({names_[i], temporary(i), path(i), false});
        if (!closed) append_item(failed, path(i) + " (" + (errno ? std::strerror(errno) : "write error") + ")");
    }
    const auto drop = [&set] {
        for (const Staged& f : set) {
            ::unlink(f.tmp.c_str());
            unregister_temporary(f.tmp);
        }
    };
    if (!failed.empty()) {
        drop();
        throw std::runtime_error("could not complete the result files: " + failed);
    }
    const std::string where = dir_.empty() ? std::string(".") : dir_;
    if (record_) {
        const std::string file = in_dir(file::run_record);
        const std::string tmp = in_dir(std::string(".") + file::run_record + ".partial");
        register_temporary(tmp);
        set.push_back({file::run_record, tmp, file, true});
        if (!write_to_disk(tmp, *record_)) {
            const int e = errno;
            drop();
            throw std::runtime_error(std::string("could not write the run record \"") + file + "\": " + std::strerror(e));
        }
    }
    // the record of the set, on disk before the first rename
    std::string names = std::string(kCommitHead) + "\n";
    for (const Staged& f : set) names += f.name + "\n";
    names += "end\n";
    const std::string commit = in_dir(kCommitRecord), commit_tmp = in_dir(std::string(kCommitRecord) + ".partial");
    if (!write_to_disk(commit_tmp, names) || std::rename(commit_tmp.c_str(), commit.c_str()) != 0) {
        const int e = errno;
        ::unlink(commit_tmp.c_str());
        drop();
        throw std::runtime_error("could not put the result files in place (\"" + commit + "\"): " + std::strerror(e));
    }
    sync_directory(where);
    std::vector<std::string> notices;
    {
        const HeldSignals held;
        for (const Staged& f : set) {
            struct stat st {};
            const bool link = ::lstat(f.file.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
            if (std::rename(f.tmp.c_str(), f.file.c_str()) != 0)
                append_item(failed, f.file + " (" + std::strerror(errno) + ")");
            else if (link)
                notices.push_back(std::string("\"").append(f.file).append(f.record ? "\" was a symbolic link; this run's record replaced the link"
                                                                                   : "\" was a symbolic link; this run's results replaced the link"));
        }
        sync_directory(where);  // the renames themselves on disk
        ::unlink(commit.c_str());
        drop();  // temporaries whose rename failed
    }
    if (!failed.empty()) throw std::runtime_error("could not complete the result files: " + failed);
    return notices;
}

}  // namespace kavrin::io
