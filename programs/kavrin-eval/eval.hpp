// kavrin-eval: the models at the kinematics of a table of points, and their comparison with measurements.
//
//   kavrin-eval --model M[,M...] --channel pi+n|pi-p|pi0p|pi0n [--set [MODEL:]NAME=VALUE]... [--threads N]
//               [--compare DATA_FILE [--table] [--plot DIR]] [POINTS_FILE|-]
#pragma once

#include <iosfwd>

namespace kavrin::eval {

/// Runs the command line; returns the exit status: 0 done, 1 a failure while running (a figure that could
/// not be drawn, an output that could not be written), 2 a bad command line, setting or table.
int run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kavrin::eval
