// The kinematic scans of kavrin-regge and the 23 result files they write.
#pragma once

#include <cstddef>

#include "io/results.hpp"
#include "io/run.hpp"
#include "kavrin-regge/dialogue.hpp"
#include "models/regge/model.hpp"

namespace kavrin::regge_program {

/// The result files, in the order they are opened (io::file::regge_files).
enum ResultFile : std::size_t {
    dst_domega, dsl_domega, dstt_domega, dslt_domega, dsltp_domega, dsu_domega,
    dst_dt, dsl_dt, dstt_dt, dslt_dt, dsltp_dt, dsu_dt,
    dsl_over_dst, bsa_file,
    dds_t, dds_domega, dds_phi,
    dst_t0, dsl_t0, dstt_t0, dslt_t0, dsltp_t0, dsu_t0,
    result_file_count
};

/// The loops of the scan the run's answers ask for (W, Q^2, angle, phi), before any point is evaluated.
io::ScanSize scan_size(const Scan& scan);

/// Runs the scan of the run's output kind and mode over the model and writes every line to the result files,
/// its points computed on options.threads threads in blocks (the files are the same for any thread count).
void run_scan(const regge::internal::Model& model, const Scan& scan, io::ResultFiles& files,
              const io::RunOptions& options = {});

}  // namespace kavrin::regge_program
