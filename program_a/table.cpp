#include "program_a/table.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "io/answers.hpp"
#include "kavrin_install_paths.hpp"

namespace kavrin::program_a {

namespace {

// The next blank- or comma-separated token of line at position pos (empty at the end of the line).
std::string_view next_token(std::string_view line, std::size_t& pos) {
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; };
    while (pos < line.size() && separator(line[pos])) ++pos;
    const std::size_t b = pos;
    while (pos < line.size() && !separator(line[pos])) ++pos;
    return line.substr(b, pos - b);
}

// A path as typed in a shell command: quoted when it holds anything but plain path characters.
std::string shell_word(const std::string& path) {
    for (char c : path)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+", c) != nullptr))
            return "'" + path + "'";
    return path;
}

}  // namespace

std::string table_setup_hint() {
    const std::string installed = KAVRIN_INSTALLED_TABLE;
    const std::string source = KAVRIN_SOURCE_TABLE;
    std::error_code ec;
    if (!std::filesystem::exists(installed, ec) && std::filesystem::exists(source, ec))
        return "its installed copy " + installed +
               " is not there yet (cmake --install puts it there); put the copy of the source tree in place with: "
               "mkdir -p integral && cp " +
               shell_word(source) + " integral/";
    return "put its installed copy " + installed + " in place with: mkdir -p integral && cp " +
           shell_word(installed) + " integral/";
}

GaussLegendre100 read_gauss_legendre_table(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw TableError("cannot open the Gauss-Legendre table \"" + path + "\": " + std::strerror(errno));
    GaussLegendre100 gl;
    std::string line;
    std::size_t line_no = 0;
    std::size_t pairs = 0;
    while (pairs < gl.xi.size()) {
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
        const std::optional<double> x = io::parse_real(first);
        const std::optional<double> w = io::parse_real(second);
        if (!x || !w || !std::isfinite(*x) || !std::isfinite(*w))
            throw TableError("line " + std::to_string(line_no) + " of the Gauss-Legendre table \"" + path +
                             "\" does not hold two numbers (abscissa and weight)");
        gl.xi[pairs] = *x;
        gl.wi[pairs] = *w;
        ++pairs;
    }
    return gl;
}

}  // namespace kavrin::program_a
