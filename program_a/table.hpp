// The Gauss-Legendre table of kavrin-regge: 100 lines of abscissa and weight on [-1, 1].
#pragma once

#include <stdexcept>
#include <string>

#include "formfactors/gpd.hpp"

namespace kavrin::program_a {

/// Path of the table, relative to the working directory.
inline constexpr const char* gauss_legendre_path = "./integral/gauss-legendre100.dat";

/// The table cannot be used; what() names the file and the line.
struct TableError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Reads 100 (abscissa, weight) pairs, one pair per line in free format (blank or comma separated,
/// Fortran exponents allowed); anything after the second number and any line after the hundredth are
/// ignored, blank lines are skipped. Throws TableError for a missing, unreadable, short or
/// non-numeric table.
GaussLegendre100 read_gauss_legendre_table(const std::string& path);

}  // namespace kavrin::program_a
