// A whole run of kavrin-regge on an answer stream: result files, dialogue, table, scan.
#pragma once

#include <iosfwd>
#include <string>

#include "io/run.hpp"
#include "kavrin/regge.hpp"

namespace kavrin::regge_program {

/// The Gauss-Legendre table of a run in `dir`: ./integral/gauss-legendre100.dat there when present; otherwise
/// the installed copy, found from the program's own place (`program_path`), so that an installation made
/// with --prefix or moved elsewhere finds it; otherwise, for a program run from its build tree, the copy of
/// the source tree. Throws regge::TableError saying how to put a table in place when there is none.
std::string find_table(const std::string& dir, const std::string& program_path);

/// Reads the Gauss-Legendre table at `path`, refusing a FIFO, device or directory there without waiting on it.
/// Throws regge::TableError.
regge::GaussLegendreTable read_table(const std::string& path);

/// Reads the Gauss-Legendre table (find_table), opens the result files in options.dir, runs the dialogue on
/// `in` (prompts to `out`), runs the scan, and puts the result files and the run record in place. Returns
/// the exit status: 0 after a complete run; 1 after a message on `err` (a missing or bad table, before the
/// first question; a bad or missing answer, a scan larger than options.max_scan_lines, a failed write), in
/// which case no result file that existed before has changed.
int run(std::istream& in, std::ostream& out, std::ostream& err, const io::RunOptions& options);

}  // namespace kavrin::regge_program
