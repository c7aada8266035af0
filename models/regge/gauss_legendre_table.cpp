// The Gauss-Legendre table of the GPD form factors: 100 lines of abscissa and weight on [-1, 1].
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <string_view>

#include "kavrin/regge.hpp"
#include "kavrin_install_paths.hpp"
#include "kernel/free_format.hpp"

namespace kavrin::regge {

namespace {

// The next blank- or comma-separated token of line at position pos (empty at the end of the line).
std::string_view next_token(std::string_view line, std::size_t& pos) {
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; };
    while (pos < line.size() && separator(line[pos])) ++pos;
    const std::size_t b = pos;
    while (pos < line.size() && !separator(line[pos])) ++pos;
    return line.substr(b, pos - b);
}

}  // namespace

std::string installed_gauss_legendre_path() { return KAVRIN_INSTALLED_TABLE; }

namespace {

// The table is read up to its hundredth pair and no further: a line longer than this, or more bytes than this
// before the hundredth pair, is no table (a device or a stray file read as one would fill the memory).
constexpr std::size_t kMaxLine = 1024;
constexpr std::size_t kMaxBytes = 65536;

enum class LineRead { line, end, too_long };

// Reads one line of at most kMaxLine characters into `line`, counting the bytes read into `bytes`.
LineRead read_line(std::istream& in, std::string& line, std::size_t& bytes) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) return line.empty() ? LineRead::end : LineRead::line;
        if (++bytes > kMaxBytes) return LineRead::too_long;
        if (c == '\n') return LineRead::line;
        if (line.size() == kMaxLine) return LineRead::too_long;
        line.push_back(static_cast<char>(c));
    }
}

}  // namespace

// 100 (abscissa, weight) pairs, one pair per line in free format (blank or comma separated, Fortran exponents
// allowed); anything after the second number and any line after the hundredth pair are ignored, blank lines
// are skipped. Every abscissa lies inside (-1, 1), every weight is positive, and the weights sum to 2 (the
// length of the interval) within 1e-12.
GaussLegendreTable load_gauss_legendre_table(const std::string& path) {
    // a FIFO would block the open for ever, a device would be read without end: only a regular file is
    // opened (what stands there is looked at just before, which is as near as the standard library gets)
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st)) {
        using std::filesystem::file_type;
        const file_type t = st.type();
        const char* kind = t == file_type::fifo        ? "a FIFO"
                           : t == file_type::directory ? "a directory"
                           : t == file_type::socket    ? "a socket"
                           : (t == file_type::character || t == file_type::block) ? "a device"
                                                                                  : "of an unknown kind";
        throw TableError("the Gauss-Legendre table \"" + path + "\" is " + kind + ", not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TableError("cannot open the Gauss-Legendre table \"" + path + "\": " + std::strerror(errno));
    return load_gauss_legendre_table(in, path);
}

GaussLegendreTable load_gauss_legendre_table(std::istream& in, const std::string& path) {
    const auto fail = [&path](std::size_t line_no, const std::string& what) {
        return TableError("line " + std::to_string(line_no) + " of the Gauss-Legendre table \"" + path + "\" " + what);
    };
    GaussLegendreTable gl;
    std::string line;
    std::size_t line_no = 0, pairs = 0, bytes = 0;
    double sum = 0.0;
    while (pairs < gl.abscissas.size()) {
        LineRead r;
        try {
            r = read_line(in, line, bytes);
        } catch (const std::exception& e) {  // a directory, say
            throw TableError("cannot read the Gauss-Legendre table \"" + path + "\" at line " +
                             std::to_string(line_no + 1) + ": " + e.what());
        }
        if (r == LineRead::too_long)
            throw fail(line_no + 1, "is longer than " + std::to_string(kMaxLine) + " characters, or the table holds more than " +
                                        std::to_string(kMaxBytes) + " bytes before its 100th pair: this is no table");
        if (r == LineRead::end) {
            if (in.bad())
                throw TableError("cannot read the Gauss-Legendre table \"" + path + "\" at line " +
                                 std::to_string(line_no + 1));
            throw TableError("the Gauss-Legendre table \"" + path + "\" ends at line " + std::to_string(line_no) +
                             " after " + std::to_string(pairs) + " of 100 pairs of abscissa and weight");
        }
        ++line_no;
        std::size_t pos = 0;
        const std::string_view first = next_token(line, pos);
        if (first.empty()) continue;  // a blank line holds no value
        const std::string_view second = next_token(line, pos);
        const std::optional<double> x = parse_fortran_real(first);
        const std::optional<double> w = parse_fortran_real(second);
        if (!x || !w || !std::isfinite(*x) || !std::isfinite(*w))
            throw fail(line_no, "does not hold two numbers (abscissa and weight)");
        if (!(*x > -1.0 && *x < 1.0)) throw fail(line_no, "has an abscissa outside (-1, 1)");
        if (!(*w > 0.0)) throw fail(line_no, "has a weight that is not positive");
        gl.abscissas[pairs] = *x;
        gl.weights[pairs] = *w;
        sum += *w;
        ++pairs;
    }
    if (!(std::abs(sum - 2.0) <= 1e-12))
        throw TableError("the weights of the Gauss-Legendre table \"" + path + "\" sum to " + std::to_string(sum) +
                         ", not to 2 (the length of [-1, 1])");
    return gl;
}

GaussLegendreTable load_gauss_legendre_table() {
    // a build that is not installed yet reads the copy of its source tree
    std::error_code ec;
    const std::string installed = installed_gauss_legendre_path();
    return load_gauss_legendre_table(std::filesystem::exists(installed, ec) ? installed : std::string(KAVRIN_SOURCE_TABLE));
}

}  // namespace kavrin::regge
