// A whole run of kavrin-models on an answer stream: result files, dialogue, scan.
#pragma once

#include <iosfwd>

#include "io/run.hpp"

namespace kavrin::models_program {

/// Opens the result files in options.dir, runs the dialogue on `in` (prompts to `out`), runs the scan and
/// closes the files. Returns the exit status: 0 after a complete run; 1 after a message on `err` (bad or
/// missing answer, a scan larger than options.max_scan_lines, a failed write), in which case no result
/// file that existed before has changed unless the failure was a write error during the scan.
int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options);

}  // namespace kavrin::models_program
