// The Gauss-Legendre table of kavrin-regge: 100 lines of abscissa and weight on [-1, 1].
#pragma once

#include <string>

#include "formfactors/gpd.hpp"
#include "kavrin/regge.hpp"

namespace kavrin::program_a {

/// Path of the table, relative to the working directory.
inline constexpr const char* gauss_legendre_path = "./integral/gauss-legendre100.dat";

/// The table cannot be used; what() names the file and the line.
using TableError = regge::TableError;

/// Reads 100 (abscissa, weight) pairs, one pair per line in free format (blank or comma separated,
/// Fortran exponents allowed); anything after the second number and any line after the hundredth are
/// ignored, blank lines are skipped. Throws TableError for a missing, unreadable, short or
/// non-numeric table.
GaussLegendre100 read_gauss_legendre_table(const std::string& path);

/// How to put the table in place below the working directory: names the installed copy (or, before the
/// project is installed, the copy in its source tree) and the commands that copy it.
std::string table_setup_hint();

}  // namespace kavrin::program_a
