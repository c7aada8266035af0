// The scan of kavrin-models: loops over W, Q^2 and the pion angle, and the lines of its 20 result files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin/models.hpp"
#include "program_b/settings.hpp"

namespace kavrin::program_b {

/// The result files, in the order they are opened.
enum ResultFile : std::size_t {
    f_dST, f_dSL, f_dSTT, f_dSLT, f_dSLTP, f_dSU,
    f_minus_dSTT, f_minus_dSLT, f_minus_dSLTP,
    f_dSL_over_dST, f_dS, f_BSA_t, f_BSA_QQ,
    f_dST_T0, f_dSL_T0, f_dSTT_T0, f_dSLT_T0, f_dSLTP_T0, f_dSU_T0, f_dSL_over_dST_T0,
    result_file_count
};

/// The 20 file names in opening order.
std::vector<std::string> result_file_names();

/// First and last values of the W loop (MeV) and of the Q^2 loop (MeV^2) before the xB adjustment.
struct ScanLimits {
    double emin, emax;
    double qqmin, qqmax;
    bool w_xb;  ///< W follows from Q^2 and xB; the Q^2 loop starts at the xB threshold
};
ScanLimits scan_limits(const Settings& s);


/// Number of pion angles per (W, Q^2) step: 41 or 181 in modes 8-10, else 1.
int angle_count(const Settings& s);

/// The loops of the scan the run's answers ask for (W, Q^2, angle, phi), before any point is evaluated.
io::ScanSize scan_size(const Settings& s);

/// Runs the whole scan over the model of the run's physics settings (physics_settings(s)) and writes its
/// lines to files (opened in the order of result_file_names()).
void run_scan(const models::Model& model, const Settings& s, io::ResultFiles& files);
/// The same with the model built from s.
void run_scan(const Settings& s, io::ResultFiles& files);

}  // namespace kavrin::program_b
