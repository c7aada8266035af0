// The run dialogue of kavrin-regge: channel, form factors, cut-offs, phases, output kind, scan mode and
// its fixed values, photon polarization and output unit.
#pragma once

#include "io/answers.hpp"
#include "program_a/settings.hpp"

namespace kavrin::program_a {

/// Prints every question, reads every answer and returns the settings of the run; answers in GeV and
/// GeV^2 are converted to MeV and MeV^2. Throws io::DialogueError when the dialogue cannot be completed.
Settings run_dialogue(io::Dialogue& dialogue);

}  // namespace kavrin::program_a
