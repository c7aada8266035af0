// kavrin-gen's command line: parse, check, generate, write the events and the run record.
#pragma once

#include <ostream>

namespace kavrin::gen {

/// Runs kavrin-gen with its arguments; the summary, progress and messages go to err, --help to out.
/// Returns 0 on success, 1 on a failure while running, 2 on a bad command line (nothing written).
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kavrin::gen
