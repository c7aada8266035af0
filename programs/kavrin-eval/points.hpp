// Tables of kinematic points, and of measurements at them, in the project's data-file format:
//   - lines starting with '#' are comments (provenance goes there), blank lines are skipped;
//   - the first other line names the columns, blank- or comma-separated; a name may carry its unit in
//     brackets, e.g. dsigmaU_dt[nb/GeV2];
//   - then one row of numbers per point.
// Kinematic columns: W (GeV) or xB; Q2 (GeV^2); one of minus_t (GeV^2), theta_deg, cos_theta; optionally eps,
// or E_beam (GeV) from which eps follows. Measured values are columns named as the observables (dsigmaT_dt ...
// dsigmaU_dt in ub/GeV2 or nb/GeV2, L_over_T, BSA), their uncertainty in NAME_err, or NAME_stat and NAME_sys
// (added in quadrature). Any other column is carried along and ignored.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavrin::eval {

/// A malformed table; what() names the file, the line and the reason.
struct TableError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The observables a table may measure, in the order the output lists them.
inline const std::vector<std::string> observable_names = {"dsigmaT_dt",   "dsigmaL_dt", "dsigmaTT_dt",
                                                          "dsigmaLT_dt",  "dsigmaLTp_dt", "dsigmaU_dt",
                                                          "L_over_T",     "BSA"};

/// How a row gives its pion angle.
enum class AngleColumn { minus_t, theta_deg, cos_theta };

/// One measured observable of the table.
struct Measured {
    std::size_t observable;       ///< index into observable_names
    std::size_t value;            ///< its column
    std::vector<std::size_t> errors;  ///< the columns of its uncertainties (added in quadrature)
    double to_microbarn = 1.0;    ///< the factor that turns the column's unit into microbarn (1e-3 for nb)
    std::string unit;             ///< as written ("nb/GeV2"), empty for ratios
};

/// A table of points: where each kinematic quantity stands, the measured observables, the rows.
struct PointTable {
    std::string file;
    std::vector<std::string> columns;  ///< names without units
    std::optional<std::size_t> w, xb, q2, angle, eps, e_beam;
    AngleColumn angle_kind = AngleColumn::minus_t;
    std::vector<Measured> measured;
    std::vector<std::vector<double>> rows;
    std::vector<std::size_t> line_of_row;  ///< line numbers in the file, for messages
};

/// Reads a table from `in`; `file` names it in messages. Throws TableError.
PointTable read_point_table(std::istream& in, const std::string& file);

}  // namespace kavrin::eval
