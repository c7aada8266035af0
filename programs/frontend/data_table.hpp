// Tables of kinematic points, and of measurements at them, in the project's data-file format (read by kavrin-eval
// and the web server):
//   - lines starting with '#' are comments (provenance goes there), blank lines are skipped;
//   - the first other line names the columns, blank- or comma-separated; a name may carry its unit in
//     brackets, e.g. dsigmaU_dt[nb/GeV2];
//   - then one row per point, as many fields as columns.
// Kinematic columns (finite numbers): W (GeV, or [MeV]) or xB; Q2 (GeV^2, or [MeV2]); one of minus_t (GeV^2, or
// [MeV2]), theta_deg, cos_theta; optionally eps, E_beam (GeV, or [MeV]) and phi_deg (the Trento angle, degrees).
// Measured values are columns named as the observables (quantities(): dsigmaT_dt ... dsigmaU_dt,
// L_over_T, ALU, ALU_sinphi, sigmaLTp_over_sigma0, d2sigma_dt_dphi, d4sigma), their uncertainty in NAME_err, or
// NAME_stat and/or NAME_sys (added in quadrature), each positive and finite. Any other column is carried along
// as text (a bin label such as Kin2, or a number).
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "frontend/catalog.hpp"

namespace kavrin::frontend {

/// A malformed table; what() names the file, the line and the reason.
struct TableError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// How a row gives its pion angle.
enum class AngleColumn { minus_t, theta_deg, cos_theta };

/// One measured observable of the table.
struct Measured {
    Quantity quantity;
    std::size_t value;                ///< its column
    std::vector<std::size_t> errors;  ///< the columns of its uncertainties (added in quadrature)
    double to_microbarn = 1.0;        ///< the factor that turns the column's unit into the model's microbarn
    std::string unit;                 ///< as used ("nb/GeV2"), empty for ratios
};

/// A table of points: where each column stands, the measured observables, the rows.
struct PointTable {
    std::string file;
    std::vector<std::string> columns;  ///< names without units
    std::vector<std::string> units;    ///< units as written (empty where none)
    std::optional<std::size_t> w, xb, q2, angle, eps, e_beam, phi;
    AngleColumn angle_kind = AngleColumn::minus_t;
    std::vector<Measured> measured;
    std::vector<std::size_t> carried;  ///< the other columns, in file order
    std::optional<std::size_t> label;  ///< the first carried column holding text: the rows' bin label
    std::vector<std::vector<std::string>> fields;  ///< the rows as written
    std::vector<std::vector<double>> rows;         ///< the numeric columns in GeV units (NaN in text columns)
    std::vector<std::size_t> line_of_row;          ///< line numbers in the file, for messages
};

/// Most bytes and rows a table may have.
inline constexpr std::size_t max_table_bytes = std::size_t{256} << 20;
inline constexpr std::size_t max_line_bytes = 65536;

/// Reads a table from `in` (at most max_table_bytes); `file` names it in messages. Throws TableError.
PointTable read_point_table(std::istream& in, const std::string& file);

}  // namespace kavrin::frontend
