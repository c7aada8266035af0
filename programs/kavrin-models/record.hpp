// What a run of kavrin-models' answers mean, in words, for the run record.
#pragma once

#include "io/run_record.hpp"
#include "kavrin-models/settings.hpp"

namespace kavrin::models_program {

/// The settings and figure facts of a run (the answers themselves come from the dialogue).
io::RunRecord describe_run(const Answers& answers);

}  // namespace kavrin::models_program
