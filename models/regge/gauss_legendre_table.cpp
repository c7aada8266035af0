// The Gauss-Legendre table of the GPD form factors: 100 lines of abscissa and weight on [-1, 1].
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
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

// 100 (abscissa, weight) pairs, one pair per line in free format (blank or comma separated, Fortran exponents
// allowed); anything after the second number and any line after the hundredth are ignored, blank lines are
// skipped.
GaussLegendreTable load_gauss_legendre_table(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw TableError("cannot open the Gauss-Legendre table \"" + path + "\": " + std::strerror(errno));
    GaussLegendreTable gl;
    std::string line;
    std::size_t line_no = 0;
    std::size_t pairs = 0;
    while (pairs < gl.abscissas.size()) {
        if (!std::getline(in, line)) {
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
            throw TableError("line " + std::to_string(line_no) + " of the Gauss-Legendre table \"" + path +
                             "\" does not hold two numbers (abscissa and weight)");
        gl.abscissas[pairs] = *x;
        gl.weights[pairs] = *w;
        ++pairs;
    }
    return gl;
}

GaussLegendreTable load_gauss_legendre_table() { return load_gauss_legendre_table(installed_gauss_legendre_path()); }

}  // namespace kavrin::regge
