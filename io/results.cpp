#include "io/results.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kavrin::io {

namespace {

constexpr int kWidth = 25;  // field width of one real
constexpr int kDigits = 17;  // significant digits

std::string right(const std::string& s, int width) {
    return s.size() >= static_cast<std::size_t>(width) ? s : std::string(width - s.size(), ' ') + s;
}

}  // namespace

std::string format_real(double x) {
    if (std::isnan(x)) return right("NaN", kWidth);
    if (std::isinf(x)) return right(x > 0 ? "Infinity" : "-Infinity", kWidth);
    char buf[64];
    // Decide between fixed and exponent form on the value rounded to 17 significant digits.
    std::snprintf(buf, sizeof buf, "%.*e", kDigits - 1, x);
    const char* e = std::strchr(buf, 'e');
    const int exp10 = std::atoi(e + 1);
    const bool fixed = x == 0.0 || (exp10 >= -1 && exp10 < kDigits);
    if (fixed) {
        const int before = x == 0.0 ? 1 : exp10 + 1;  // digits before the point (0.x counts one: "0.")
        const int after = x == 0.0 ? kDigits - 1 : (exp10 >= 0 ? kDigits - before : kDigits);
        std::snprintf(buf, sizeof buf, "%.*f", after, x);
        return right(buf, kWidth - 5) + "     ";
    }
    // d.dddddddddddddddd followed by E+xxx with a three-digit exponent
    std::string mant(buf, static_cast<std::size_t>(e - buf));
    char ex[16];
    std::snprintf(ex, sizeof ex, "E%c%03d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    return right(mant + ex, kWidth);
}

std::string format_int(long long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%11lld", i);
    return buf;
}

std::string result_line(double x, double y) {
    std::string line(1, ' ');
    line += format_real(x);
    line += ' ';
    line += format_real(y);
    return line;
}

std::string result_line(long long i, double y) {
    std::string line(1, ' ');
    line += format_int(i);
    line += ' ';
    line += format_real(y);
    return line;
}

ResultFiles::ResultFiles(std::string dir, std::vector<std::string> names)
    : dir_(std::move(dir)), names_(std::move(names)), files_(names_.size(), nullptr), counts_(names_.size(), 0) {
    for (std::size_t i = 0; i < names_.size(); ++i) {
        std::FILE* f = std::fopen(path(i).c_str(), "a");
        if (!f) throw std::runtime_error("cannot create result file \"" + path(i) + "\": " + std::strerror(errno));
        if (std::fclose(f) != 0) throw std::runtime_error("cannot close result file \"" + path(i) + "\"");
    }
}

ResultFiles::~ResultFiles() {
    for (std::FILE* f : files_)
        if (f) std::fclose(f);
}

std::string ResultFiles::path(std::size_t index) const {
    return dir_.empty() ? names_[index] : dir_ + "/" + names_[index];
}

void ResultFiles::write(std::size_t index, const std::string& line) {
    std::FILE*& f = files_[index];
    if (!f) {
        f = std::fopen(path(index).c_str(), "w");
        if (!f) throw std::runtime_error("cannot write result file \"" + path(index) + "\": " + std::strerror(errno));
    }
    if (std::fputs(line.c_str(), f) < 0 || std::fputc('\n', f) == EOF)
        throw std::runtime_error("write to result file \"" + path(index) + "\" failed: " + std::strerror(errno));
    ++counts_[index];
}

void ResultFiles::close() {
    std::string failed;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]) continue;
        const bool bad = std::ferror(files_[i]) != 0;
        if (std::fclose(files_[i]) != 0 || bad) failed += (failed.empty() ? "" : ", ") + path(i);
        files_[i] = nullptr;
    }
    if (!failed.empty()) throw std::runtime_error("could not complete the result files: " + failed);
}

}  // namespace kavrin::io
