// Reading the two-column result files of a run and cutting them into the curves of a figure.
//
// A result line holds an x and a y value in free format ("   1.5291349999999999        3.4567890123456790E-002",
// "NaN", "Infinity", Fortran exponents such as "1.0D-03" or "0.25-100"). A file may hold several series one
// after the other (for example a -t series per Q^2 step) with no column telling them apart: a new series
// starts where the x column restarts, that is where it stops moving in the direction it moved so far or
// repeats a value. Lines with a non-finite value are left out of the curves; they cut the curve they fall in.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "figures/figure.hpp"

namespace kavrin::plot {

/// One result line: abscissa and ordinate as read (either may be NaN or infinite).
using figures::Row;

/// One result file as read.
struct ResultTable {
    std::vector<Row> rows;                // the lines holding two numbers, in file order
    std::size_t line_count = 0;           // non-blank lines in the file
    std::vector<std::size_t> bad_lines;   // 1-based numbers of non-blank lines that are not two numbers

    /// Number of rows whose x and y are both finite.
    std::size_t finite_rows() const;
};

/// A run of consecutive finite points of one series, and one series of a file (numbered from 1 over all
/// series of the file).
using figures::Piece;
using figures::Series;

/// One free-format real: 1.5, -2, .5, 3.4567890123456790E-002, 1.0D-03, 0.25-100, NaN, Infinity.
std::optional<double> parse_number(std::string_view token);
/// One result line: exactly two numbers separated by blanks, tabs or commas; nothing for anything else.
std::optional<Row> parse_result_line(std::string_view line);
/// Most bytes and lines of a result file read: a run writes at most 1,000,000 lines of at most 64 characters
/// to a file; a larger file is refused with a message instead of filling the memory.
inline constexpr std::size_t max_result_bytes = 128u << 20;
inline constexpr std::size_t max_result_lines = 2'000'000;
/// Reads a result file; throws std::runtime_error when it cannot be read, is not a regular file or is
/// larger than a run writes.
ResultTable read_result_table(const std::filesystem::path& file);
/// Cuts the rows into series where x restarts and drops the non-finite points.
std::vector<Series> split_series(const std::vector<Row>& rows);
/// The cleaned data of a file, as figures::write_plot_data writes it.
using figures::write_plot_data;

}  // namespace kavrin::plot
