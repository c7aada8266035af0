// The run dialogue of kavrin-regge: channel, form factors, cut-offs, phases, output kind, scan mode and
// its fixed values, photon polarization and output unit.
#pragma once

#include "io/answers.hpp"
#include "kavrin/regge.hpp"
#include "program_a/settings.hpp"

namespace kavrin::program_a {

/// Prints every question, reads every answer and returns the settings of the run; answers in GeV and
/// GeV^2 are converted to MeV and MeV^2. Throws io::DialogueError when the dialogue cannot be completed.
Settings run_dialogue(io::Dialogue& dialogue);

/// The library options of the physics the dialogue fixed: exactly the members the run's answers give
/// (answers that do not enter the results, such as the cosines of a non-CEA convention, are left out).
regge::Options physics_options(const Settings& settings);
/// The same as settings of the library, the real answers kept as typed (the dialogue has checked the choices).
regge::Settings physics_settings(const Settings& settings);

}  // namespace kavrin::program_a
