// The scan of kavrin-models: loops over W, Q^2 and the pion angle, and the lines of its 20 result files.
#pragma once

#include <cstddef>

#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-models/settings.hpp"
#include "models/km_vr_qvm/model.hpp"

namespace kavrin::models_program {

/// The result files, in the order they are opened (io::file::models_files).
enum ResultFile : std::size_t {
    f_dST, f_dSL, f_dSTT, f_dSLT, f_dSLTP, f_dSU,
    f_minus_dSTT, f_minus_dSLT, f_minus_dSLTP,
    f_dSL_over_dST, f_dS, f_BSA_t, f_BSA_QQ,
    f_dST_T0, f_dSL_T0, f_dSTT_T0, f_dSLT_T0, f_dSLTP_T0, f_dSU_T0, f_dSL_over_dST_T0,
    result_file_count
};

/// First and last values of the W loop (MeV) and of the Q^2 loop (MeV^2) before the xB adjustment.
struct ScanLimits {
    double emin, emax;
    double qqmin, qqmax;
    bool w_xb;  ///< W follows from Q^2 and xB; the Q^2 loop starts at the xB threshold
};
ScanLimits scan_limits(const Answers& a);

/// Number of pion angles per (W, Q^2) step: 41 or 181 in modes 8-10, else 1.
int angle_count(const Scan& s);

/// The loops of the scan the run's answers ask for (W, Q^2, angle, phi), before any point is evaluated.
io::ScanSize scan_size(const Answers& a);

/// Runs the whole scan over the model and writes its lines to files (opened in the order of
/// io::file::models_files), its points computed on options.threads threads in blocks (the files are the same
/// for any thread count).
void run_scan(const models::internal::Model& model, const Scan& s, io::ResultFiles& files,
              const io::RunOptions& options = {});

}  // namespace kavrin::models_program
