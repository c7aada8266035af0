// The command `kavrin-plot RUN_DIR [--x LABEL] [--out DIR] [--linear | --log]`: figures of the result files of a run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kavrin::plot {

/// Runs the command on its arguments (without the program name); returns the exit status:
/// 0 all figures written, 1 nothing to plot or a failure (message on err), 2 bad command line.
int plot_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kavrin::plot
