// The shipped measured data sets (data/experiment/*.dat) as the web server shows and compares them: the
// kinematics of every row, each measured observable with its uncertainty, and the rows grouped into the kinematic
// settings a figure draws one at a time.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavrin::serve {

/// A data file the reader refuses: the file, the line and the reason.
class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Measurement {
    std::string name;          ///< the observable, as the front ends name it (dsigmaU_dt, BSA, ...)
    std::string unit;          ///< "ub/GeV2", "nb/GeV2", ... for cross sections; empty for ratios
    double to_microbarn = 1.0; ///< the factor that turns the unit's cross sections into microbarn
    std::vector<double> value, error;  ///< error: NAME_err, or NAME_stat and NAME_sys in quadrature
};

/// Rows measured at nearly the same kinematics (W or xB and Q^2 within 3 %, the same beam energy): one curve.
struct Setting {
    std::vector<std::size_t> rows;
    double w = 0, q2 = 0, e_beam = 0, eps = 0;  ///< means over the rows; e_beam/eps 0 when the file has none
};

struct DataSet {
    std::string name;    ///< the file name without .dat
    std::string title;   ///< the first comment line
    std::string channel; ///< "pi+n", "pi-p", "pi0p", "pi0n" from the file name, empty when it does not say
    std::size_t rows = 0;
    /// kinematic columns: "W" or "xB", "Q2", one of "minus_t", "theta_deg", "cos_theta", optional "eps",
    /// "E_beam", "phi_deg"
    std::map<std::string, std::vector<double>> kinematics;
    std::vector<Measurement> measured;
    std::vector<Setting> settings;
};

/// Reads one data file (at most 1 MiB) with the front ends' reader of tables. Throws DataError.
DataSet read_data_set(const std::string& path);

/// Every *.dat file of a folder, sorted by name; a file that cannot be read is left out and its reason is written
/// to `problems`.
std::vector<DataSet> read_data_sets(const std::string& folder, std::vector<std::string>& problems);

}  // namespace kavrin::serve
