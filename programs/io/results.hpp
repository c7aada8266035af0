// Result files and the free-format lines written to them and to the console.
//
// A result line is a leading blank, then two values separated by blanks: reals with 17 significant
// digits in the classic free format (fixed notation for 0.1 <= |x| < 1e17, otherwise a mantissa with
// one digit before the point and a three-digit exponent), "NaN" and "Infinity" for non-finite values.
#pragma once

#include <array>
#include <cstdio>
#include <string_view>
#include <utility>
#include <string>
#include <vector>

namespace kavrin::io {

/// One real in free format, e.g. "  1.5291349999999999     " or "  3.4567890123456790E-002".
std::string format_real(double x);
/// One integer in free format.
std::string format_int(long long i);
/// A result line " x y" (no newline).
std::string result_line(double x, double y);
/// A result line with an integer first column.
std::string result_line(long long i, double y);

/// The result files of one run. Each file is created at the start when absent; its old content is
/// replaced only when this run writes its first line to it, so a run that stops early (or never
/// writes a file) leaves earlier results in place. Write and close failures throw std::runtime_error.
class ResultFiles {
public:
    /// Creates the named files in `dir` when they are absent (without touching existing content).
    ResultFiles(std::string dir, std::vector<std::string> names);
    /// The same with the names of a fixed list (io::file).
    template <std::size_t N>
    ResultFiles(std::string dir, const std::array<const char*, N>& names)
        : ResultFiles(std::move(dir), std::vector<std::string>(names.begin(), names.end())) {}
    ~ResultFiles();
    ResultFiles(const ResultFiles&) = delete;
    ResultFiles& operator=(const ResultFiles&) = delete;

    /// Appends one line (a newline is added) to file number `index` (0-based, in the order given).
    void write(std::size_t index, const std::string& line);
    /// Closes every file, reporting a failed write or close as std::runtime_error.
    void close();
    /// Number of lines this run wrote to file `index`.
    std::size_t lines_written(std::size_t index) const { return counts_[index]; }

private:
    std::string path(std::size_t index) const;

    std::string dir_;
    std::vector<std::string> names_;
    std::vector<std::FILE*> files_;
    std::vector<std::size_t> counts_;
};

}  // namespace kavrin::io
