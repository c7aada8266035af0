#include "kavrin-plot/result_data.hpp"

#include <cmath>
#include <stdexcept>

#include "figures/files.hpp"
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
    ResultTable table;
    const figures::ReadLimits limits{max_result_bytes, max_result_lines, 256};
    figures::read_lines(file, limits, [&](std::string_view line, std::size_t number, bool cut) {
        if (line.find_first_not_of(" \t\r,") == std::string_view::npos && !cut) return;
        ++table.line_count;
        std::optional<Row> row;
        if (!cut) row = parse_result_line(line);
        if (row)
            table.rows.push_back(*row);
        else
            table.bad_lines.push_back(number);
    });
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

}  // namespace kavrin::plot
