// The question-and-answer dialogue of kavrin-models: banner, prompts in order, answers into Settings.
#pragma once

#include "io/answers.hpp"
#include "program_b/settings.hpp"

namespace kavrin::program_b {

/// Runs the whole dialogue on d and returns what it fixes. Throws io::DialogueError when an answer is
/// rejected (not at a terminal) or the input ends first.
Settings run_dialogue(io::Dialogue& d);

}  // namespace kavrin::program_b
