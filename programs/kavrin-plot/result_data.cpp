#include "kavrin-plot/result_data.hpp"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "io/answers.hpp"

namespace kavrin::plot {

namespace {

bool finite(const Row& r) { return std::isfinite(r.x) && std::isfinite(r.y); }

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

}  // namespace

std::size_t ResultTable::finite_rows() const {
    std::size_t n = 0;
    for (const Row& r : rows) n += finite(r) ? 1 : 0;
    return n;
}

std::size_t Series::point_count() const {
    std::size_t n = 0;
    for (const Piece& p : pieces) n += p.size();
    return n;
}

// A real in free format; a Fortran exponent written without its letter ("0.25-100") gets an 'e' first.
std::optional<double> parse_number(std::string_view token) {
    std::string s(token);
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        const char before = s[i - 1];
        const bool digit_before = (before >= '0' && before <= '9') || before == '.';
        if ((c == '+' || c == '-') && digit_before) {
            s.insert(i, 1, 'e');
            break;
        }
    }
    return io::parse_real(s);
}

// Two numbers on the line and nothing else.
std::optional<Row> parse_result_line(std::string_view line) {
    std::string_view tokens[2];
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_separator(line[i])) ++i;
        if (i == line.size()) break;
        std::size_t e = i;
        while (e < line.size() && !is_separator(line[e])) ++e;
        if (count == 2) return std::nullopt;
        tokens[count++] = line.substr(i, e - i);
        i = e;
    }
    if (count != 2) return std::nullopt;
    const auto x = parse_number(tokens[0]);
    const auto y = parse_number(tokens[1]);
    if (!x || !y) return std::nullopt;
    return Row{*x, *y};
}

ResultTable read_result_table(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    ResultTable table;
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.find_first_not_of(" \t\r,") == std::string::npos) continue;
        ++table.line_count;
        if (const auto row = parse_result_line(line))
            table.rows.push_back(*row);
        else
            table.bad_lines.push_back(number);
    }
    if (in.bad()) throw std::runtime_error("error while reading " + file.string());
    return table;
}

// New series where x reverses its direction of travel or repeats; non-finite points cut pieces.
std::vector<Series> split_series(const std::vector<Row>& rows) {
    std::vector<Series> out;
    int direction = 0;          // +1 rising, -1 falling, 0 not yet known in this series
    bool have_x = false;        // a finite x has been seen in this series
    double last_x = 0.0;
    bool piece_open = false;    // the last point of the current series continues its last piece

    auto start_series = [&]() {
        out.push_back(Series{out.size() + 1, {}});
        direction = 0;
        have_x = false;
        piece_open = false;
    };

    for (const Row& r : rows) {
        if (out.empty()) start_series();
        if (std::isfinite(r.x)) {
            if (have_x) {
                const int step = r.x > last_x ? 1 : (r.x < last_x ? -1 : 0);
                if (step == 0 || (direction != 0 && step != direction)) {
                    start_series();
                } else {
                    direction = step;
                }
            }
            have_x = true;
            last_x = r.x;
        }
        if (!finite(r)) {
            piece_open = false;
            continue;
        }
        Series& s = out.back();
        if (!piece_open) s.pieces.emplace_back();
        s.pieces.back().push_back(r);
        piece_open = true;
    }
    return out;
}

void write_plot_data(std::ostream& out, const std::vector<Series>& series, std::string_view source_name,
                     const std::vector<double>& values) {
    const bool with_values = !values.empty();
    out << (with_values ? "# x y series value: the finite lines of " : "# x y series: the finite lines of ") << source_name
        << "; blank line = left-out non-finite line, two blank lines = next series\n";
    bool first_block = true;
    char buf[128];
    for (const Series& s : series) {
        if (s.point_count() == 0) continue;
        if (!first_block) out << "\n\n";
        first_block = false;
        bool first_piece = true;
        for (const Piece& p : s.pieces) {
            if (!first_piece) out << '\n';
            first_piece = false;
            for (const Row& r : p) {
                if (with_values && s.number - 1 < values.size())
                    std::snprintf(buf, sizeof buf, "%.17g %.17g %zu %.17g\n", r.x, r.y, s.number, values[s.number - 1]);
                else
                    std::snprintf(buf, sizeof buf, "%.17g %.17g %zu\n", r.x, r.y, s.number);
                out << buf;
            }
        }
    }
}

}  // namespace kavrin::plot
