// A whole run of kavrin-regge on an answer stream: result files, dialogue, table, scan.
#pragma once

#include <iosfwd>

#include "io/run.hpp"

namespace kavrin::regge_program {

/// Opens the result files in options.dir, runs the dialogue on `in` (prompts to `out`), reads the
/// Gauss-Legendre table from options.dir/integral, runs the scan and closes the files. Returns the exit
/// status: 0 after a complete run; 1 after a message on `err` (bad or missing answer, a scan larger than
/// options.max_scan_lines, a missing or bad table, a failed write), in which case no result file that
/// existed before has changed unless the failure was a write error during the scan.
int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options);

}  // namespace kavrin::regge_program
