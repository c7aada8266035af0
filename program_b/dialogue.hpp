// The question-and-answer dialogue of kavrin-models: banner, prompts in order, answers into Settings.
#pragma once

#include "io/answers.hpp"
#include "kavrin/models.hpp"
#include "program_b/settings.hpp"

namespace kavrin::program_b {

/// Runs the whole dialogue on d and returns what it fixes. Throws io::DialogueError when an answer is
/// rejected (not at a terminal) or the input ends first.
Settings run_dialogue(io::Dialogue& d);

/// The library options of the physics the dialogue fixed: exactly the members that enter the results
/// (the pion cut-off in the charged channels, the nucleon cut-off in QVM, epsilon or the beam energy).
models::Options physics_options(const Settings& settings);
/// The same as settings of the library, the real answers kept as typed (the dialogue has checked the choices).
models::Settings physics_settings(const Settings& settings);

}  // namespace kavrin::program_b
