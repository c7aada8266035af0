// What a run of kavrin-regge's answers mean, in words, for the run record.
#pragma once

#include <string>

#include "io/run_record.hpp"
#include "kavrin-regge/dialogue.hpp"

namespace kavrin::regge_program {

/// The settings and figure facts of a run (the answers themselves come from the dialogue); `table` is the
/// Gauss-Legendre table the run uses.
io::RunRecord describe_run(const Answers& answers, const std::string& table);

}  // namespace kavrin::regge_program
