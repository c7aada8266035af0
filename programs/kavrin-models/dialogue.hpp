// The question-and-answer dialogue of kavrin-models: banner, prompts in order, answers into Answers.
#pragma once

#include "io/answers.hpp"
#include "kavrin-models/settings.hpp"

namespace kavrin::models_program {

/// Runs the whole dialogue on d and returns what it fixes: the physics options hold exactly the members
/// that enter the results (the pion cut-off in the charged channels, the nucleon cut-off in QVM, epsilon or
/// the beam energy). Throws io::DialogueError when an answer is rejected (not at a terminal) or the input
/// ends first.
Answers run_dialogue(io::Dialogue& d);

}  // namespace kavrin::models_program
