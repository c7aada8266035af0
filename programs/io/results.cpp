#include "io/results.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace kavrin::io {

namespace {

constexpr int kWidth = 25;   // field width of one real
constexpr int kDigits = 17;  // significant digits

// Appends s right-justified in a field of `width` characters.
void append_right(std::string& out, std::string_view s, int width) {
    if (s.size() < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - s.size(), ' ');
    out.append(s);
}

// Appends one real in free format (see format_real).
void append_real(std::string& out, double x) {
    if (std::isnan(x)) return append_right(out, "NaN", kWidth);
    if (std::isinf(x)) return append_right(out, x > 0 ? "Infinity" : "-Infinity", kWidth);
    char buf[64];
    // The form is decided on the value rounded to 17 significant digits.
    const auto sci = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, kDigits - 1);
    const char* e = std::find(buf, sci.ptr, 'e');
    int exp10 = 0;
    std::from_chars(e + 1 + (e[1] == '+'), sci.ptr, exp10);
    if (x == 0.0 || (exp10 >= -1 && exp10 < kDigits)) {
        const int before = x == 0.0 ? 1 : exp10 + 1;  // digits before the point ("0." counts one)
        const int after = x == 0.0 ? kDigits - 1 : (exp10 >= 0 ? kDigits - before : kDigits);
        const auto fix = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, after);
        append_right(out, std::string_view(buf, static_cast<std::size_t>(fix.ptr - buf)), kWidth - 5);
        out.append(5, ' ');
        return;
    }
    // d.dddddddddddddddd followed by E+xxx with (at least) a three-digit exponent
    char field[40];
    const std::size_t mant = static_cast<std::size_t>(e - buf);
    std::memcpy(field, buf, mant);
    std::size_t n = mant;
    field[n++] = 'E';
    field[n++] = exp10 < 0 ? '-' : '+';
    const int a = exp10 < 0 ? -exp10 : exp10;
    if (a < 100) field[n++] = '0';
    if (a < 10) field[n++] = '0';
    n = static_cast<std::size_t>(std::to_chars(field + n, field + sizeof field, a).ptr - field);
    append_right(out, std::string_view(field, n), kWidth);
}

}  // namespace

std::string format_real(double x) {
    std::string s;
    append_real(s, x);
    return s;
}

std::string format_int(long long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%11lld", i);
    return buf;
}

std::string result_line(double x, double y) {
    std::string line;
    line.reserve(2 * kWidth + 2);
    line += ' ';
    append_real(line, x);
    line += ' ';
    append_real(line, y);
    return line;
}

std::string result_line(long long i, double y) {
    std::string line(1, ' ');
    line += format_int(i);
    line += ' ';
    append_real(line, y);
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
